// Sagem text (format 2): reader, writer and the code count of a rendering; Sagem hex text
// (format 24): reader.
#pragma once

#include <string>
#include <string_view>

#include "format_api.h"

namespace rv {

// The Sagem writer's melody: keys 57..85, durations 24..384 ticks, dots up to 2.
class SagemMelody : public Melody {
 public:
  SagemMelody();
};

// Result codes of the Sagem reader and writer.
enum SagemResult : int32_t {
  kSagemOk = 1,
  kSagemNoCodes = 4,      // writer: the melody gave no code
  kSagemMoved = 72,       // writer: notes were moved into 57..85
  kSagemClamped = 73,     // writer: notes were moved and clamped
  kSagemNoMagic = 151,    // reader: no "$MUS$1.0$"
  kSagemBadHeader = 152,  // reader: malformed title or data line
  kSagemNoCode = 153,     // reader: header read, no code read
  kSagemLimitTooSmall = 160,
};

// Parses a gathered Sagem text into melody. Returns 1, 151, 152 or 153.
int parseSagem(const std::string& text, Melody& melody);

int readSagem(std::istream& in, Melody& melody, ReadRequest& request);

// Options: 6 size limit in characters (0 none, else at least 35), 7 line end (0 line feed,
// anything else carriage return plus line feed), 8 keep-title flag (1 keeps up to 20 title
// characters in the size-limited text). resultValue is 1, 72, 73, 160 or 4; returnValue is
// 1 whenever a text was made, else the same code.
void writeSagem(Melody& melody, WriteTarget target, const FormatOptions& options, WriteResult& out);

// Reads a Sagem melody written as hexadecimal digits (blanks and control characters are
// passed over): the count of notes (digits 1-2), the tempo (7-8), then six digits a note
// (key - 47, 0 a pause; an unused pair; the length code). Returns 1 (also when the text
// ends before its groups: no event), RV_SAGEM_HEX_TOO_LONG (1401 characters or more, or
// more than 640 digits; request.failValue the length counted), RV_SAGEM_HEX_NOT_HEX, or
// RV_SAGEM_HEX_NOTHING (no header, a count of 0 or a tempo below 5).
int readSagemHex(std::istream& in, Melody& melody, ReadRequest& request);

// The number of codes a Sagem text announces in its "Data:" line (the one that begins a
// line, up to the first '-'); -1 without such a line or number.
int32_t countSagemCodes(std::string_view text);

}  // namespace rv
