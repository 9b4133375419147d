#include "sms_options.h"

#include <QStringList>

#include <iostream>

#include "phonelink/clsmsprops.h"
#include "phonelink/modpdu.h"

namespace cli {

bool applyAlphabet(const std::optional<std::string>& alphabet, bool allowReplace,
                   const char* command, const QString& text, clSMSProps* props) {
  if (!alphabet) return true;
  props->setForceGsm(*alphabet == "gsm");
  props->setTextOutType(*alphabet == "ucs2" ? 2 : 0);
  if (*alphabet != "gsm") return true;
  const QString missing = modPDU::UnmappedCharacters(text, *props);
  if (missing.isEmpty()) return true;
  QStringList listed;
  for (qsizetype i = 0; i < missing.size(); ++i) {
    const qsizetype n = missing[i].isHighSurrogate() && i + 1 < missing.size() ? 2 : 1;
    const QString c = missing.mid(i, n);
    const QString code = QStringLiteral("%1").arg(c.toUcs4().value(0), 4, 16, QChar('0'));
    listed << QStringLiteral("'%1' (U+%2)").arg(c, code.toUpper());
    i += n - 1;
  }
  std::cerr << "pealix-cli " << command
            << ": not in the GSM 7-bit alphabet: " << listed.join(", ").toStdString() << "\n";
  if (allowReplace) {
    std::cerr << "pealix-cli " << command << ": these characters are left out (--allow-replace)\n";
    return true;
  }
  std::cerr << "pealix-cli " << command
            << ": nothing was built; --alphabet auto sends the text as UCS2, --allow-replace "
               "leaves these characters out\n";
  return false;
}

std::string tooManyParts(int ringType, int parts) {
  if (ringType == modPDU::kTextSms)
    return "the text needs " + std::to_string(parts) + " SMS; at most " +
           std::to_string(modPDU::kMaxTextParts) +
           " can be joined into one message: nothing was sent";
  return "the ringtone needs " + std::to_string(parts) + " SMS; a ringtone is sent in at most " +
         std::to_string(modPDU::kMaxRingtoneParts) + ": nothing was sent";
}

}  // namespace cli
