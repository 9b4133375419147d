#include "sagem.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <istream>
#include <string_view>

#include "bits.h"
#include "rvmelody.h"
#include "utf8.h"

namespace rv {
namespace {

constexpr char kMagic[] = "$MUS$1.0$";
constexpr size_t kGatherCap = 65536;
constexpr int32_t kDataValue = 385;  // the fixed middle number of the data line
constexpr size_t kMaxTitle = 20;
constexpr int32_t kMinLimit = 35;
constexpr int32_t kNoPitch = -1;
constexpr int32_t kPausePitch = -2;

struct DurationCode {
  char c;
  int32_t simpleLen;
  int32_t dotLen;
};

constexpr DurationCode kDurations[] = {
    {'!', 16, 0}, {'$', 8, 0}, {'%', 8, 1}, {'\'', 4, 0}, {'(', 4, 1},
    {')', 4, 2},  {'*', 2, 0}, {'+', 2, 1}, {',', 2, 2},  {'-', 1, 0},
};

// Pitch characters written for keys 57..85; the reader also takes the second spellings.
constexpr char kWrittenPitch[] = "013679:<?@BCEFHKLNOQTUWXZacfg";
constexpr int32_t kLowKey = 57;
constexpr int32_t kHighKey = 85;
static_assert(sizeof kWrittenPitch - 1 == kHighKey - kLowKey + 1);

struct AltSpelling {
  char c;
  int32_t key;
};
constexpr AltSpelling kAltPitch[] = {
    {'2', 56}, {'5', 58}, {'8', 59}, {'4', 60}, {';', 61}, {'>', 63}, {'A', 64}, {'=', 65},
    {'D', 66}, {'G', 68}, {'J', 70}, {'M', 71}, {'I', 72}, {'P', 73}, {'S', 75}, {'V', 76},
    {'R', 77}, {'Y', 78}, {'b', 80}, {'e', 82}, {'h', 83}, {'d', 84},
};

// Key of a pitch character, kPausePitch for a blank, kNoPitch for an unknown character.
int32_t pitchOf(char c) {
  if (c == ' ') return kPausePitch;
  for (int32_t key = kLowKey; key <= kHighKey; ++key)
    if (kWrittenPitch[key - kLowKey] == c) return key;
  for (const AltSpelling& alt : kAltPitch)
    if (alt.c == c) return alt.key;
  return kNoPitch;
}

const DurationCode* durationOf(char c) {
  for (const DurationCode& d : kDurations)
    if (d.c == c) return &d;
  return nullptr;
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// Digits text[from, to) as a number; false when the stretch is empty or not all digits.
bool parseDigits(const std::string& text, size_t from, size_t to, int32_t& value) {
  if (from >= to) return false;
  value = 0;
  for (size_t i = from; i < to; ++i) {
    if (!isDigit(text[i])) return false;
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

// Each line plus one line feed, until the input ends or the text reaches the cap. A single
// line longer than the cap is cut there, so memory stays bounded.
bool gatherText(std::istream& in, std::string& text) {
  bool any = false;
  while (text.size() < kGatherCap) {
    bool gotLine = false;
    for (int c = in.get(); c != std::char_traits<char>::eof(); c = in.get()) {
      gotLine = true;
      if (c == '\n') break;
      text.push_back(static_cast<char>(c));
      if (text.size() >= kGatherCap) break;
    }
    if (!gotLine) break;
    text.push_back('\n');
    any = true;
  }
  return any;
}

// At most n bytes of s, never cutting a UTF-8 sequence; line breaks become blanks so
// that a title cannot break the header apart.
std::string titlePart(const std::string& s, size_t n) {
  if (s.size() > n) {
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
  } else {
    n = s.size();
  }
  std::string out = s.substr(0, n);
  std::replace(out.begin(), out.end(), '\r', ' ');
  std::replace(out.begin(), out.end(), '\n', ' ');
  return out;
}

std::string header(const std::string& title, int32_t count, int32_t bpm, const char* lineEnd) {
  char data[64];
  std::snprintf(data, sizeof data, "Data:%d-%d-%d", count, kDataValue, bpm);
  return std::string(kMagic) + lineEnd + "Titre:" + title + lineEnd + data + lineEnd;
}

// Duration character by note value and dot length (dot 3 counts as 1).
char durationChar(int32_t simpleLen, int32_t dotLen) {
  if (dotLen == 3) dotLen = 1;
  if (dotLen < 0 || dotLen > 2) dotLen = 0;
  switch (simpleLen) {
    case 1:
      return '-';
    case 2:
      return "*+,"[dotLen];
    case 4:
      return "'()"[dotLen];
    case 8:
      return dotLen == 0 ? '$' : '%';
    default:
      return '!';
  }
}

char pitchChar(const MelodyEvent& event) {
  if (event.EID != Note) return ' ';
  int32_t key = std::clamp(event.EventVal1, kLowKey, kHighKey);
  return kWrittenPitch[key - kLowKey];
}

// Codes of the first n events (events without duration give none); counts them in codes.
std::string encodeEvents(const Melody& melody, size_t n, int32_t& codes) {
  std::string out;
  codes = 0;
  const std::vector<MelodyEvent>& events = melody.events();
  n = std::min(n, events.size());
  for (size_t i = 0; i < n; ++i) {
    if (events[i].duration <= 0) continue;
    MelodyEvent event = events[i];
    int32_t simpleLen = 0, dotLen = 0;
    Melody::durationToValue(event, -1, simpleLen, dotLen);
    if (event.EID != Note && !melody.dottedPauses) dotLen = 0;
    out.push_back(durationChar(simpleLen, dotLen));
    out.push_back(pitchChar(event));
    ++codes;
  }
  return out;
}

}  // namespace

SagemMelody::SagemMelody() {
  formatLowestNote = kLowKey;
  formatHighestNote = kHighKey;
  maxDuration = 384;
  minDuration = 24;
  exactDurations = 0;
  maxDotLen = 2;
}

// Header: magic, "Titre:" at position 9..12, at most 22 characters up to "Data:", then
// count (1-3 digits), value (1-6 digits) and tempo (up to 4 digits). The codes
// follow after one line feed or up to two blanks; carriage-return/line-feed pairs between
// codes are skipped; the first bad code ends the reading.
int parseSagem(const std::string& text, Melody& melody) {
  if (text.find(kMagic) == std::string::npos) return kSagemNoMagic;
  const size_t titre = text.find("Titre:", 9);
  if (titre == std::string::npos || titre > 12) return kSagemBadHeader;
  const size_t titleStart = titre + 6;
  const size_t data = text.find("Data:", titleStart);
  if (data == std::string::npos || data - titleStart > 22) return kSagemBadHeader;

  Melody parsed;
  size_t titleEnd = data;
  const size_t lf = text.find('\n', titleStart);
  if (lf < data) {
    titleEnd = lf;
    if (titleEnd > titleStart && text[titleEnd - 1] == '\r') --titleEnd;
  }
  parsed.title = text.substr(titleStart, titleEnd - titleStart);

  const size_t numbers = data + 5;
  const size_t window = std::min(text.size(), numbers + 14);
  size_t dash1 = numbers;
  while (dash1 < window && text[dash1] != '-') ++dash1;
  if (dash1 == window || dash1 - numbers < 1 || dash1 - numbers > 3) return kSagemBadHeader;
  size_t dash2 = dash1 + 1;
  while (dash2 < window && text[dash2] != '-') ++dash2;
  if (dash2 == window || dash2 - dash1 < 2 || dash2 - dash1 > 7) return kSagemBadHeader;
  int32_t count = 0, value = 0;
  if (!parseDigits(text, numbers, dash1, count) || count <= 0) return kSagemBadHeader;
  // The middle value is not used: one outside 0..30000 stands for 215, not for a bad header.
  if (!parseDigits(text, dash1 + 1, dash2, value)) return kSagemBadHeader;
  size_t pos = dash2 + 1;
  int32_t tempo = 0;
  for (int digits = 0; digits < 4 && pos < text.size() && isDigit(text[pos]); ++digits, ++pos)
    tempo = tempo * 10 + (text[pos] - '0');
  parsed.setBPM(tempo);

  if (pos < text.size() && text[pos] == '\n') {
    ++pos;
  } else {
    for (int blanks = 0; blanks < 2 && pos < text.size() && text[pos] == ' '; ++blanks) ++pos;
  }

  int32_t read = 0;
  while (read < count && pos + 2 <= text.size()) {
    const char d = text[pos], p = text[pos + 1];
    pos += 2;
    if (d == '\r' && p == '\n') continue;
    const DurationCode* duration = durationOf(d);
    const int32_t key = pitchOf(p);
    if (!duration || key == kNoPitch) break;
    const int32_t ticks = valueToTicks(parsed.wholeTicks, duration->simpleLen, duration->dotLen);
    if (key == kPausePitch)
      parsed.appendEvent(Pause, ticks);
    else
      parsed.appendEvent(Note, ticks, key, 127);
    ++read;
  }
  if (read == 0) return kSagemNoCode;
  melody.copyFrom(parsed, 0);
  return kSagemOk;
}

int readSagem(std::istream& in, Melody& melody, ReadRequest& /*request*/) {
  try {
    std::string text;
    if (!gatherText(in, text)) return -1;
    return parseSagem(text, melody);
  } catch (const std::exception&) {
    return -1;  // allocation failure: a result code, never an exception out of the reader
  }
}

void writeSagem(Melody& melody, WriteTarget /*target*/, const FormatOptions& options,
                WriteResult& out) {
  SagemMelody sagem;
  sagem.copyFrom(melody, 0);
  const int fit = sagem.fitToFormatRange(0);
  const int32_t fitted = (fit == 2 || fit == 3) ? 70 + fit : kSagemOk;

  int32_t limit = options.get6(0);
  const char* lineEnd = options.get7(0) == 0 ? "\n" : "\r\n";
  const bool keepTitle = options.get8(0) == 1;
  const int32_t eventCount = sagem.count();
  const int32_t bpm = sagem.getBPM();

  out.bytes.clear();
  int32_t codes = 0;
  std::string body;
  std::string title;
  if (limit == 0) {
    body = encodeEvents(sagem, sagem.events().size(), codes);
    title = titlePart(sagem.title, kMaxTitle);
  } else {
    if (limit < kMinLimit) limit = kMinLimit;
    std::string fullTitle = sagem.title.empty() ? std::string("-") : sagem.title;
    // The probe header reserves a title of 20 characters (keep flag) or of one.
    const std::string probeTitle(keepTitle ? kMaxTitle : 1, 'x');
    int32_t headerLen = static_cast<int32_t>(header(probeTitle, eventCount, bpm, lineEnd).size());
    const int32_t room = limit - headerLen;
    if (room < 2) {
      out.resultValue = out.returnValue = kSagemLimitTooSmall;
      return;
    }
    int32_t e = std::min(room / 2, eventCount);
    if (e < 98 && eventCount >= 100) {
      headerLen -= 1;  // the final count has one digit fewer
      e = std::min((room + 1) / 2, eventCount);
    }
    // The title never exceeds 20 characters: a longer one would not be read back.
    const int32_t titleLen =
        keepTitle ? static_cast<int32_t>(kMaxTitle)
                  : std::clamp(limit - 2 * e - headerLen, 0, static_cast<int32_t>(kMaxTitle));
    title = titlePart(fullTitle, static_cast<size_t>(titleLen));
    body = encodeEvents(sagem, static_cast<size_t>(e), codes);
  }
  if (codes == 0) {
    out.resultValue = out.returnValue = kSagemNoCodes;
    return;
  }
  // The count is the number of codes that follow, so that a reader never looks past them.
  out.bytes = header(title, codes, bpm, lineEnd) + body;
  out.resultValue = fitted;
  out.returnValue = kSagemOk;
}

}  // namespace rv

namespace rv {

int32_t countSagemCodes(std::string_view text) {
  const std::size_t at = text.find("\nData:");
  if (at == std::string_view::npos) return -1;
  const std::size_t end = text.find('-', at);
  std::string_view number =
      text.substr(at + 6, end == std::string_view::npos ? std::string_view::npos : end - at - 6);
  auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  while (!number.empty() && blank(number.front())) number.remove_prefix(1);
  while (!number.empty() && blank(number.back())) number.remove_suffix(1);
  if (!number.empty() && number.front() == '+') number.remove_prefix(1);
  if (number.empty() || number.size() > 10) return -1;
  int64_t count = 0;
  for (const char c : number) {
    if (c < '0' || c > '9') return -1;
    count = count * 10 + (c - '0');
  }
  return count > INT32_MAX ? -1 : static_cast<int32_t>(count);
}

}  // namespace rv

// ---- Sagem hex text -----------------------------------------------------------------

namespace rv {
namespace {

constexpr std::size_t kHexMaxBytes = 1 << 20;
constexpr std::size_t kHexLongestText = 1400;  // characters, blanks included
constexpr std::size_t kHexMostDigits = 640;
constexpr int32_t kHexLowestTempo = 5;
constexpr int32_t kHexKeyOffset = 47;  // a code of 1 is key 48

// Characters as the clipboard counts them (UTF-16 units).
std::size_t utf16Length(std::u32string_view text) {
  std::size_t n = text.size();
  for (const char32_t c : text) n += c > 0xFFFF ? 1 : 0;
  return n;
}

int32_t hexPair(std::u32string_view digits) {
  int32_t v = 0;
  for (const char32_t c : digits) v = v * 16 + hexDigitValue(static_cast<char>(c));
  return v;
}

// Length code -> (denominator, dot).
void lengthFromCode(int32_t code, int32_t& len, int32_t& dot) {
  dot = 0;
  if (code <= 6) {
    len = 16;
  } else if (code == 7) {
    len = 8;
  } else if (code <= 9) {
    len = 8;
    dot = 1;
  } else if (code <= 12) {
    len = 4;
    dot = code - 10;
  } else if (code <= 15) {
    len = 2;
    dot = code - 13;
  } else if (code == 16) {
    len = 1;
  } else {
    len = 8;
  }
}

}  // namespace

int readSagemHex(std::istream& in, Melody& melody, ReadRequest& request) {
  std::string data(kHexMaxBytes, '\0');
  in.read(data.data(), static_cast<std::streamsize>(data.size()));
  data.resize(static_cast<std::size_t>(in.gcount()));
  const std::u32string raw = decodeText(data);
  if (utf16Length(raw) > kHexLongestText) {
    request.failValue = static_cast<int32_t>(std::min<std::size_t>(utf16Length(raw), INT32_MAX));
    return RV_SAGEM_HEX_TOO_LONG;
  }
  std::u32string text;
  for (const char32_t c : raw)
    if (c != U' ' && c >= 29) text.push_back(c);
  if (utf16Length(text) > kHexMostDigits) {
    request.failValue = static_cast<int32_t>(utf16Length(text));
    return RV_SAGEM_HEX_TOO_LONG;
  }
  for (const char32_t c : text)
    if (c > 0x7F || hexDigitValue(static_cast<char>(c)) < 0) return RV_SAGEM_HEX_NOT_HEX;
  // Header: count at 1-2, 3-4 unused, 5-6 checked, tempo at 7-8 (1-based positions).
  if (text.size() < 8) return RV_SAGEM_HEX_NOTHING;
  const std::u32string_view digits(text);
  const int32_t count = hexPair(digits.substr(0, 2));
  const int32_t tempo = hexPair(digits.substr(6, 2));
  if (count < 1 || tempo < kHexLowestTempo) return RV_SAGEM_HEX_NOTHING;

  melody.clearEvents();
  melody.setBPM(tempo);
  for (int32_t k = 0; k < count; ++k) {
    const std::size_t at = 8 + 6 * static_cast<std::size_t>(k);
    if (at + 6 > digits.size()) break;  // the text ended early: no group left
    const int32_t code = hexPair(digits.substr(at, 2));
    int32_t len = 0, dot = 0;
    lengthFromCode(hexPair(digits.substr(at + 4, 2)), len, dot);
    if (code == 0)
      melody.addRecord(len, dot, Pause, 0, 0, 0, 0);
    else
      melody.addRecord(len, dot, Note, std::min(code + kHexKeyOffset, 127), 127, 0, 0);
  }
  return 1;
}

}  // namespace rv
