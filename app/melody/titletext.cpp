#include "melody/titletext.h"

#include "melody/formatcatalogue.h"

namespace titletext {
namespace {

// Windows-1252 characters 0x80..0x9F; 0 marks the five codes it leaves undefined.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Length of the valid UTF-8 prefix, -1 when the bytes hold an invalid sequence before
// their end (a sequence cut by the end still counts as valid up to its start).
qsizetype validUtf8Prefix(const QByteArray& b) {
  qsizetype i = 0;
  const qsizetype n = b.size();
  while (i < n) {
    const unsigned char c = static_cast<unsigned char>(b[i]);
    int len = c < 0x80                   ? 1
              : (c >= 0xC2 && c <= 0xDF) ? 2
              : (c >= 0xE0 && c <= 0xEF) ? 3
              : (c >= 0xF0 && c <= 0xF4) ? 4
                                         : 0;
    if (len == 0) return -1;
    for (int k = 1; k < len; ++k) {
      if (i + k >= n) return i;  // cut at the end
      const unsigned char d = static_cast<unsigned char>(b[i + k]);
      if ((d & 0xC0) != 0x80) return -1;
      if (k == 1 && ((c == 0xE0 && d < 0xA0) || (c == 0xED && d > 0x9F) ||
                     (c == 0xF0 && d < 0x90) || (c == 0xF4 && d > 0x8F)))
        return -1;
    }
    i += len;
  }
  return n;
}

QString fromCp1252(const QByteArray& b) {
  QString out;
  out.reserve(b.size());
  for (const char ch : b) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c >= 0x80 && c < 0xA0) {
      if (kCp1252High[c - 0x80]) out += QChar(kCp1252High[c - 0x80]);
    } else {
      out += QChar(c);
    }
  }
  return out;
}

// ASCII spellings of letters whose decomposition leaves no ASCII base letter.
const char* specialAscii(char16_t c) {
  switch (c) {
    case 0x00DF:
      return "ss";
    case 0x00C6:
      return "AE";
    case 0x00E6:
      return "ae";
    case 0x0152:
      return "OE";
    case 0x0153:
      return "oe";
    case 0x00D8:
      return "O";
    case 0x00F8:
      return "o";
    case 0x0141:
      return "L";
    case 0x0142:
      return "l";
    case 0x00D0:
      return "D";
    case 0x00F0:
      return "d";
    case 0x00DE:
      return "Th";
    case 0x00FE:
      return "th";
    case 0x2018:
    case 0x2019:
      return "'";
    case 0x201C:
    case 0x201D:
      return "\"";
    case 0x2013:
    case 0x2014:
      return "-";
    case 0x00A0:
      return " ";
    default:
      return nullptr;
  }
}

}  // namespace

QString DecodeTitle(const QByteArray& bytes) {
  const qsizetype valid = validUtf8Prefix(bytes);
  if (valid >= 0) return QString::fromUtf8(bytes.constData(), valid);
  return fromCp1252(bytes);
}

QByteArray AsciiTitle(const QString& title) {
  QByteArray out;
  const QString decomposed = title.normalized(QString::NormalizationForm_KD);
  for (const QChar c : decomposed) {
    const char16_t u = c.unicode();
    if (u >= 0x20 && u < 0x7F) {
      out += static_cast<char>(u);
    } else if (const char* s = specialAscii(u)) {
      out += s;
    }
    // Combining accents, control characters and everything else are left out.
  }
  return out.trimmed();
}

bool IsAsciiTitleFormat(int formatId) {
  const formatcatalogue::Format* f = formatcatalogue::ById(formatId);
  return f && f->asciiTitle;
}

QByteArray TitleForWriter(const QString& title, int formatId) {
  return IsAsciiTitleFormat(formatId) ? AsciiTitle(title) : title.toUtf8();
}

}  // namespace titletext
