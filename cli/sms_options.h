// The SMS options that pealix-cli pdu and send share: the alphabet of a text SMS and the
// message for a message that needs more parts than it may take.
#pragma once

#include <QString>

#include <optional>
#include <string>

class clSMSProps;

namespace cli {

// --alphabet for a text SMS: auto (7-bit where every character allows it, else UCS2),
// gsm (7-bit forced: the characters it lacks are listed and refused unless
// allowReplace), ucs2. Without the option the stored settings stand. False after
// printing (as "pealix-cli COMMAND: ...") why the text cannot go.
bool applyAlphabet(const std::optional<std::string>& alphabet, bool allowReplace,
                   const char* command, const QString& text, clSMSProps* props);

// "the text needs N SMS; at most 255 ..." for a message of ringType (modPDU).
std::string tooManyParts(int ringType, int parts);

}  // namespace cli
