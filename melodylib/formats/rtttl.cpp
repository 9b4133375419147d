#include "rtttl.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <streambuf>
#include <string>
#include <string_view>

#include "notenames.h"
#include "rvphonetables.h"

namespace rv {
namespace {

using rvphone::kTempoBpm;

}  // namespace

// Plain pitch fitting: a span that fits is moved as a whole (down when keys lie above hi,
// else up); a span wider than lo..hi is only clamped.
void plainPitchFit(Melody& melody, int32_t lo, int32_t hi) {
  RangeStats stats;
  const int r = melody.rangeStatistics(lo, hi, stats);
  if (r == 3) {
    melody.clampNotes(lo, hi);
  } else if (r == 2) {
    // Keys below 0 are kept on creation, so the distance may not fit 32 bits.
    const int64_t shift =
        stats.nAbove > 0 ? int64_t{hi} - stats.maxKey : int64_t{lo} - stats.minKey;
    melody.transpose(static_cast<int32_t>(std::clamp<int64_t>(shift, INT32_MIN, INT32_MAX)));
  }
}

// Snaps a tempo to the nearest of the 32 codes; a tempo exactly at the midpoint of two
// entries takes the higher one, a tempo of 0 or below takes code 8 (63).
int32_t tempoToCode(int32_t bpm) {
  if (bpm <= 0) return 8;
  if (bpm <= kTempoBpm.front()) return 0;
  if (bpm >= kTempoBpm.back()) return 31;
  int32_t i = 0;
  while (kTempoBpm[i] < bpm) ++i;
  if (i > 0 && bpm < kTempoBpm[i - 1] + (kTempoBpm[i] - kTempoBpm[i - 1]) / 2) return i - 1;
  return i;
}

int32_t codeToTempo(int32_t code) {
  if (code < 0) return kTempoBpm.front();
  if (code > 31) return kTempoBpm.back();
  return kTempoBpm[code];
}

namespace {

// The gathered text stops growing once it holds this many characters. The check runs after
// each line; a single line is itself read only up to the cap, so a file of one endless line
// costs at most 64 KiB and its tail is ignored like any text after the cap.
constexpr std::size_t kGatherCap = 65536;

std::string gatherText(std::istream& in) {
  std::string text;
  std::streambuf* buf = in.rdbuf();
  if (!buf) return text;
  bool more = true;
  while (more && text.size() < kGatherCap) {
    const std::size_t limit = kGatherCap - text.size();
    std::size_t taken = 0;
    bool gotLine = false;
    for (;;) {
      const int c = buf->sbumpc();
      if (c == std::char_traits<char>::eof()) {
        more = false;
        break;
      }
      gotLine = true;
      if (c == '\n') break;
      text.push_back(static_cast<char>(c));
      if (++taken >= limit) {
        more = false;
        break;
      }
    }
    if (gotLine) text.push_back('\n');
  }
  return text;
}

// Leading blanks, an optional sign and decimal digits, as the C library reads a number;
// anything that is not a number reads as 0. Saturates instead of overflowing.
int32_t readDecimal(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  int64_t value = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    value = value * 10 + (s[i] - '0');
    if (value > INT32_MAX) value = INT32_MAX;
  }
  return static_cast<int32_t>(negative ? -value : value);
}

// Letters are ASCII letters whatever the host's locale says.
char asciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isNoteLetter(char lower) {
  switch (lower) {
    case 'p':
    case 'c':
    case 'd':
    case 'e':
    case 'f':
    case 'g':
    case 'a':
    case 'b':
    case 'h':
      return true;
    default:
      return false;
  }
}

bool isLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

struct Defaults {
  int32_t duration = 4;
  int32_t octave = 5;
  int32_t tempo = 63;
};

// Defaults part: comma-separated "k=v" or "kv" items; b 26..899, d 1..32, o 4..7, other
// keys and out-of-bounds values are ignored. A part that begins or ends with ',' is
// ignored as a whole.
int parseDefaults(std::string_view part, Defaults& d) {
  if (part.empty()) return -2;
  if (part.front() == ',' || part.back() == ',') return -3;
  std::size_t start = 0;
  while (start <= part.size()) {
    std::size_t end = part.find(',', start);
    if (end == std::string_view::npos) end = part.size();
    std::string item;
    for (char c : part.substr(start, end - start))
      if (c != ' ' && c != '\t' && c != '\r' && c != '\n') item.push_back(c);
    start = end + 1;
    if (item.empty()) continue;
    std::string key, value;
    const std::size_t eq = item.find('=');
    if (eq == std::string::npos) {
      if (!isLetter(item[0])) continue;
      key = item.substr(0, 1);
      value = item.substr(1);
    } else {
      if (eq == 0 || eq == item.size() - 1) continue;
      key = item.substr(0, eq);
      value = item.substr(eq + 1);
    }
    if (key.size() != 1 || value.empty()) continue;
    const int32_t v = readDecimal(value);
    switch (asciiLower(key[0])) {
      case 'b':
        if (v >= 26 && v <= 899) d.tempo = v;
        break;
      case 'd':
        if (v >= 1 && v <= 32) d.duration = v;
        break;
      case 'o':
        if (v >= 4 && v <= 7) d.octave = v;
        break;
      default:
        break;
    }
  }
  return 1;
}

struct Token {
  bool pause = false;
  int32_t key = 0;
  int32_t denominator = 4;
  int32_t dots = 0;
};

// Blanks, tabs and line breaks inside a token carry no meaning: " c", "2  a" and "8c\n"
// are the tokens "c", "2a" and "8c".
std::string withoutBlanks(std::string_view raw) {
  std::string t;
  t.reserve(raw.size());
  for (char c : raw)
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') t.push_back(c);
  return t;
}

// One note token (blanks already removed): [duration] letter ['#'] ['.'] [octave], '#' and
// '.' anywhere. Duration 1..512 in powers of two, at most two dots and one sharp.
bool parseToken(std::string_view raw, int32_t defaultOctave, int32_t defaultDuration, Token& out) {
  std::string t;
  int dots = 0, sharps = 0;
  for (char c : raw) {
    if (c == '.') {
      ++dots;
    } else if (c == '#') {
      ++sharps;
    } else {
      t.push_back(c);
    }
  }
  if (dots > 2 || sharps > 1) return false;
  std::size_t i = 0;
  while (i < t.size() && !isNoteLetter(asciiLower(t[i]))) ++i;
  if (i == t.size()) return false;
  const char letter = asciiLower(t[i]);
  // 1 (C) .. 12 (B, also written H); 0 is the pause.
  const int32_t semitone0 = letter == 'h' ? 11 : letterSemitone(letter);
  int32_t semitone = semitone0 < 0 ? 0 : semitone0 + 1;
  if (sharps && semitone) semitone = std::min(semitone + 1, 12);

  int32_t duration = defaultDuration;
  if (i > 3) return false;
  if (i > 0) duration = readDecimal(std::string_view(t).substr(0, i + 1));
  switch (duration) {
    case 1:
    case 2:
    case 4:
    case 8:
    case 16:
    case 32:
    case 64:
    case 128:
    case 256:
    case 512:
      break;
    default:
      return false;
  }

  out.pause = letter == 'p';
  out.denominator = duration;
  out.dots = dots;
  if (!out.pause) {
    const std::size_t rest = t.size() - i - 1;
    int32_t octave = defaultOctave;
    if (rest > 2) return false;
    if (rest > 0) octave = readDecimal(std::string_view(t).substr(i + 1));
    out.key = std::clamp(semitone + (1 + octave) * 12 - 1, 0, 127);
  }
  return true;
}

// Notes part: tokens split at the separator; a token that is empty once its blanks are gone
// (a leading, trailing or doubled comma) is skipped; the first token that does not parse
// ends the notes, keeping what came before. Tokens "ss", "sc", "sn" (after the first 's')
// are skipped.
int parseNotes(std::string_view part, char separator, int32_t octave, int32_t duration,
               Melody& melody) {
  if (part.empty()) return 216;
  if (std::string_view(", ;\":").find(separator) == std::string_view::npos) return 213;
  melody.clearEvents();
  std::size_t start = 0;
  while (start <= part.size()) {
    std::size_t end = part.find(separator, start);
    if (end == std::string_view::npos) end = part.size();
    std::string token = withoutBlanks(part.substr(start, end - start));
    start = end + 1;
    if (token.empty()) continue;
    for (char& c : token) c = asciiLower(c);
    const std::size_t s = token.find('s');
    if (s != std::string::npos && s + 1 < token.size() &&
        (token[s + 1] == 's' || token[s + 1] == 'c' || token[s + 1] == 'n'))
      continue;
    Token parsed;
    if (!parseToken(token, octave, duration, parsed)) break;
    const int32_t ticks = valueToTicks(melody.wholeTicks, parsed.denominator, parsed.dots);
    if (parsed.pause)
      melody.appendEvent(Pause, ticks);
    else
      melody.appendEvent(Note, ticks, parsed.key, 127);
  }
  return 1;
}

// Header: name ':' defaults ':' notes [':' ignored]. Line breaks at the very end of the
// text do not count, so a notes part of only a line feed is empty.
int parseText(std::string_view text, Melody& melody) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
  if (text.empty()) return -1;
  const std::size_t p1 = text.find(':');
  if (p1 == std::string_view::npos) return -1;
  const std::size_t p2 = text.find(':', p1 + 1);
  if (p2 == std::string_view::npos || p2 == text.size() - 1) return -1;
  const std::size_t p3 = text.find(':', p2 + 1);
  if (p3 == p2 + 1) return -1;

  melody.title = std::string(text.substr(0, p1));
  Defaults d;
  const std::string_view defaults = text.substr(p1 + 1, p2 - p1 - 1);
  if (defaults.empty()) {
    melody.setBPM(63);
  } else {
    parseDefaults(defaults, d);
    melody.setBPM(d.tempo);
  }
  switch (d.duration) {
    case 1:
    case 2:
    case 4:
    case 8:
    case 16:
    case 32:
      break;
    default:
      d.duration = 4;
  }
  const std::string_view notes =
      p3 == std::string_view::npos ? text.substr(p2 + 1) : text.substr(p2 + 1, p3 - p2 - 1);
  return parseNotes(notes, ',', d.octave, d.duration, melody) == 1 ? 1 : -1;
}

// The first n bytes of s, shortened so that a UTF-8 sequence is not cut in two.
std::string utf8Prefix(const std::string& s, std::size_t n) {
  if (s.size() <= n) return s;
  std::size_t start = n;
  while (start > 0 && n - start < 3 && (static_cast<unsigned char>(s[start]) & 0xC0) == 0x80)
    --start;
  const unsigned char lead = static_cast<unsigned char>(s[start]);
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  return s.substr(0, lead >= 0xC0 && start + length > n ? start : n);
}

// A pause token of one plain value: "8p", or "p" for the default quarter.
std::string pauseToken(int32_t denominator) {
  return denominator == 4 ? std::string("p") : std::to_string(denominator) + 'p';
}

}  // namespace

int readRtttl(std::istream& in, Melody& melody, ReadRequest& /*request*/) {
  const std::string text = gatherText(in);
  if (text.empty()) return -1;
  return parseText(text, melody);
}

// Name (9 characters), fixed defaults d=4,o=5 and the snapped tempo, then one token per
// note or pause: [denominator unless 4] letter ['#'] ['.'] [octave unless 5]. Denominators
// are capped at 32, dots of notes at one, octaves at 4..7; only sharps are written. A
// dotted pause is written as plain pauses of the same length.
void writeRtttl(Melody& melody, WriteTarget /*target*/, const FormatOptions& /*options*/,
                WriteResult& out) {
  out.bytes.clear();
  if (melody.empty()) {
    out.resultValue = out.returnValue = -1;
    return;
  }
  plainPitchFit(melody, 60, 107);

  // A ':' or line break in the name would split the text differently when read back.
  std::string name;
  for (char c : melody.title)
    if (c != ':' && c != '\r' && c != '\n') name.push_back(c);
  std::string& text = out.bytes;
  text.reserve(32 + static_cast<std::size_t>(melody.count()) * 6);
  text += utf8Prefix(name, 9);
  text += ":d=4,o=5,b=";
  text += std::to_string(codeToTempo(tempoToCode(melody.getBPM())));
  text += ':';

  static constexpr const char* kNames[12] = {"c",  "c#", "d",  "d#", "e",  "f",
                                             "f#", "g",  "g#", "a",  "a#", "b"};
  bool first = true;
  for (const MelodyEvent& source : melody.events()) {
    if (source.duration <= 0) continue;
    if (source.EID != Note && source.EID != Pause) continue;
    MelodyEvent event = source;
    int32_t denominator = 0, dot = 0;
    Melody::durationToValue(event, -1, denominator, dot);
    denominator = std::min(denominator, 32);
    if (!first) text += ',';
    first = false;
    if (source.EID == Pause) {
      // Many phones read no dot on a pause, so its dot goes out as the plain pauses that
      // make it up: 8p. is 8p,16p; a double-dotted half is 2p,4p,8p.
      text += pauseToken(denominator);
      const int32_t parts = dot == 1 || dot == 2 ? dot : 0;  // not the 5/3 length
      for (int32_t d = 1, part = denominator * 2; d <= parts && part <= 32; ++d, part *= 2)
        text += ',' + pauseToken(part);
      continue;
    }
    dot = std::min(dot, 1);
    if (denominator != 4) text += std::to_string(denominator);
    const int32_t key = std::clamp(source.EventVal1, 0, 127);
    text += kNames[key % 12];
    if (dot) text += '.';
    const int32_t octave = std::clamp(key / 12, 5, 8) - 1;
    if (octave != 5) text += std::to_string(octave);
  }
  out.resultValue = out.returnValue = 1;
}

}  // namespace rv
