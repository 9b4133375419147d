#include "imelody.h"

#include <algorithm>
#include <climits>
#include <istream>
#include <string_view>
#include <vector>

#include "../model/modify.h"
#include "notenames.h"
#include "rvmelody.h"
#include "rvphonetables.h"
#include "utf8.h"

namespace rv {
namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr int32_t kLineEndLen = 2;
constexpr int32_t kFoldColumn = 75;
constexpr char kEnd[] = "END:IMELODY";
// Line end, "END:IMELODY", line end: what still follows the melody tokens.
constexpr int32_t kTrailerLen = 2 * kLineEndLen + 11;

// Line breaks inside the title would end the NAME line early.
std::string oneLine(std::string s) {
  std::replace(s.begin(), s.end(), '\r', ' ');
  std::replace(s.begin(), s.end(), '\n', ' ');
  return s;
}

// At most n bytes of s without cutting a UTF-8 sequence.
std::string cutUtf8(const std::string& s, size_t n) {
  if (s.size() <= n) return s;
  while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
  return s.substr(0, n);
}

char durationDigit(int32_t simpleLen) {
  switch (simpleLen) {
    case 2:
      return '1';
    case 4:
      return '2';
    case 8:
      return '3';
    case 16:
      return '4';
    case 32:
    case 64:
    case 128:
      return '5';
    default:
      return '0';
  }
}

std::string durationToken(const MelodyEvent& source) {
  MelodyEvent event = source;
  int32_t simpleLen = 0, dotLen = 0;
  Melody::durationToValue(event, -1, simpleLen, dotLen);
  std::string token(1, durationDigit(simpleLen));
  if (dotLen >= 1 && dotLen <= 3) token.push_back(".:;"[dotLen - 1]);
  return token;
}

class ImelodyWriter {
 public:
  explicit ImelodyWriter(int32_t limit) : limit_(limit) {}

  std::string render(const Melody& melody) {
    // Every tempo but the reader's default 120 is written, so that a melody at 112 reads
    // back at 112.
    const int32_t beat = std::clamp(melody.getBPM(), 25, 900);
    const int32_t style = melody.getStyle();

    std::vector<std::string> lines = {"BEGIN:IMELODY", "VERSION:1.0", "FORMAT:CLASS1.0"};
    std::string title = oneLine(melody.title);
    std::vector<std::string> tail;
    if (beat != 120) tail.push_back("BEAT:" + std::to_string(beat));
    if (style == 1 || style == 2) tail.push_back("STYLE:S" + std::to_string(style));
    if (limit_ > 0 && !title.empty()) title = fitTitle(title, lines, tail);
    if (!title.empty()) lines.push_back("NAME:" + title);
    lines.insert(lines.end(), tail.begin(), tail.end());
    for (const std::string& line : lines) {
      out_ += line;
      out_ += kLineEnd;
      total_ += static_cast<int32_t>(line.size()) + kLineEndLen;
    }

    addToken("MELODY:");
    melodySection_ = true;
    for (const MelodyEvent& event : melody.events()) {
      std::string token = tokenFor(event);
      if (token.empty()) continue;
      addToken(token);
      if (limit_ > 0 && total_ + kTrailerLen > limit_) {
        removeLastToken();
        break;
      }
    }

    out_ += buffer_;
    out_ += kLineEnd;
    out_ += kEnd;
    out_ += kLineEnd;
    total_ += kTrailerLen;
    return out_;
  }

 private:
  // Header lines are never folded, so with a limit a long title is shortened until the
  // header, "MELODY:" and the trailer fit; with no room left the NAME line is dropped.
  std::string fitTitle(const std::string& title, const std::vector<std::string>& lines,
                       const std::vector<std::string>& tail) const {
    int32_t fixed = 7 + kTrailerLen + 5 + kLineEndLen;  // "MELODY:", trailer, "NAME:"
    for (const auto* group : {&lines, &tail})
      for (const std::string& line : *group)
        fixed += static_cast<int32_t>(line.size()) + kLineEndLen;
    const int32_t room = limit_ - fixed;
    if (room <= 0) return std::string();
    return cutUtf8(title, static_cast<size_t>(room));
  }

  std::string tokenFor(const MelodyEvent& event) {
    switch (event.EID) {
      case Note: {
        const int32_t key = event.EventVal1;
        const int32_t octave = std::clamp(key / 12 - 2, 0, 8);
        const int32_t semitone = ((key % 12) + 12) % 12;
        std::string token;
        if (octave != octave_) token = "*" + std::to_string(octave);
        octave_ = octave;
        // The split yields sharps only.
        if (kSemitoneSharp[semitone]) token.push_back('#');
        token.push_back(lowerLetter(semitone));
        return token + durationToken(event);
      }
      case Pause:
        return "r" + durationToken(event);
      case VolumeChange:
        if (event.EventVal1 == 1) {
          const int32_t step = event.EventVal2 == 1 ? 1 : -1;
          if (volume_ + step >= 0 && volume_ + step <= 15) volume_ += step;
          return step > 0 ? "V+" : "V-";
        }
        volume_ = velocityToVolumeLevel(event.EventVal2);
        return "V" + std::to_string(volume_);
      default:
        return std::string();
    }
  }

  // Appends a token to the line buffer. A physical line of the melody part holds at most 75
  // characters; a longer one is broken there and continues after a line end and one blank.
  void addToken(const std::string& token) {
    if (static_cast<int32_t>(buffer_.size()) > kFoldColumn) {
      out_ += buffer_;
      buffer_.clear();
    }
    const int32_t length = static_cast<int32_t>(token.size());
    buffer_ += token;
    total_ += length;
    lineLength_ += length;
    if (melodySection_) {
      lastLength_ = length;
      hasLast_ = true;
    }
    if (lineLength_ > kFoldColumn) {
      const size_t at = buffer_.size() - static_cast<size_t>(lineLength_ - kFoldColumn);
      buffer_.insert(at, std::string(kLineEnd) + " ");
      const int32_t inserted = kLineEndLen + 1;
      lineLength_ = 1 + (lineLength_ - kFoldColumn);
      total_ += inserted;
      if (melodySection_) lastLength_ += inserted;
    }
  }

  void removeLastToken() {
    if (!melodySection_ || !hasLast_) return;
    const int32_t cut = std::min(lastLength_, static_cast<int32_t>(buffer_.size()));
    buffer_.resize(buffer_.size() - static_cast<size_t>(cut));
    total_ -= cut;
    lineLength_ = std::max(0, lineLength_ - cut);
    hasLast_ = false;
  }

  const int32_t limit_;
  std::string out_;
  std::string buffer_;
  int32_t total_ = 0;
  int32_t lineLength_ = 0;  // characters on the current physical line, buffer included
  int32_t lastLength_ = 0;
  bool hasLast_ = false;
  bool melodySection_ = false;
  int32_t octave_ = 4;
  int32_t volume_ = 7;
};

}  // namespace

ImelodyMelody::ImelodyMelody() {
  formatLowestNote = 24;
  formatHighestNote = 131;
  minDuration = 12;
  maxDuration = 627;
}

std::string renderImelody(const Melody& melody, int32_t limit) {
  return ImelodyWriter(limit).render(melody);
}

void writeImelody(Melody& melody, WriteTarget target, const FormatOptions& /*options*/,
                  WriteResult& out) {
  ImelodyMelody imelody;
  imelody.copyFrom(melody, 0);
  int32_t limit = 0;
  if (target == WriteTarget::String) {
    imelody.fitToOctaves(4, 3, 1);
    limit = kImelodyStringLimit;
  }
  out.bytes = renderImelody(imelody, limit);
  out.resultValue = 1;
  out.returnValue = 1;
}

}  // namespace rv

// ---- Reading ------------------------------------------------------------------------

namespace rv {
namespace {

constexpr int32_t kReadDefaultBeat = 120;
constexpr int kReadDefaultOctave = 4;  // notes without a prefix: "a" is the A of 880 Hz
constexpr int kMaxRepeatDepth = 8;
constexpr std::size_t kMaxReadBytes = 1 << 20;

struct ReadEvent {
  int32_t len, dot, kind, v1, v2;
};

// Elements without sound: LED, vibration and backlight switches.
constexpr std::u32string_view kSkipped[] = {U"ledoff", U"ledon",   U"vibeoff",
                                            U"vibeon", U"backoff", U"backon"};

char32_t asciiLower(char32_t c) {
  return c >= U'A' && c <= U'Z' ? c - U'A' + U'a' : c;
}
char32_t asciiUpper(char32_t c) {
  return c >= U'a' && c <= U'z' ? c - U'a' + U'A' : c;
}
bool isDigit(char32_t c) {
  return c >= U'0' && c <= U'9';
}
// The blanks a line is trimmed of and the melody left without.
bool isBlank(char32_t c) {
  return c == U' ' || (c >= U'\t' && c <= U'\r') || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

std::u32string trimmed(std::u32string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return std::u32string(s);
}
std::u32string upper(std::u32string s) {
  for (char32_t& c : s) c = asciiUpper(c);
  return s;
}

// A whole number with an optional sign, blanks around it allowed; false for anything
// else or a number outside 32 bits.
bool toInt(std::u32string_view s, int32_t& out) {
  const std::u32string t = trimmed(s);
  std::size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == U'+' || t[i] == U'-')) negative = t[i++] == U'-';
  if (i >= t.size()) return false;
  int64_t v = 0;
  for (; i < t.size(); ++i) {
    if (!isDigit(t[i])) return false;
    v = v * 10 + (t[i] - U'0');
    if (v > int64_t{1} << 31) return false;
  }
  v = negative ? -v : v;
  if (v < INT32_MIN || v > INT32_MAX) return false;
  out = static_cast<int32_t>(v);
  return true;
}

// The melody line: <note> = ["*" octave] ["#" | "&"] letter duration [specifier],
// <rest> = "r" duration [specifier], "V" level | "V+" | "V-", "(" melody "@" count
// ["V+" | "V-"] ")". Duration digits 0..5 are whole to 1/32; specifiers "." dotted,
// ":" double dotted, ";" the 5/3 length.
class MelodyParser {
 public:
  MelodyParser(const std::u32string& text, std::vector<ReadEvent>& out) : s_(text), out_(out) {}

  int parse() {
    if (const int r = sequence(0); r != 1) return r;
    if (pos_ < s_.size()) return fail(RV_IMELODY_NO_BLOCK, s_[pos_]);
    return 1;
  }

  int32_t failPosition = 0;
  int32_t failValue = 0;

 private:
  int fail(int code, int32_t value = 0) {
    failPosition = static_cast<int32_t>(pos_) + 1;
    failValue = value;
    return code;
  }

  int add(const ReadEvent& e) {
    if (out_.size() >= static_cast<std::size_t>(kMaxUnrolledEvents))
      return fail(RV_IMELODY_TOO_MANY_EVENTS, kMaxUnrolledEvents);
    out_.push_back(e);
    return 1;
  }

  bool at(std::u32string_view word) const {
    if (s_.size() - pos_ < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
      if (asciiLower(s_[pos_ + i]) != word[i]) return false;
    return true;
  }
  bool atChar(char32_t c) const { return pos_ < s_.size() && s_[pos_] == c; }

  // Duration digit and optional specifier.
  int length(int32_t& len, int32_t& dot) {
    if (pos_ >= s_.size() || s_[pos_] < U'0' || s_[pos_] > U'5')
      return fail(RV_IMELODY_NO_DURATION);
    len = 1 << (s_[pos_++] - U'0');
    dot = 0;
    if (pos_ < s_.size()) {
      const char32_t c = s_[pos_];
      dot = c == U'.' ? 1 : c == U':' ? 2 : c == U';' ? 3 : 0;
      if (dot) ++pos_;
    }
    return 1;
  }

  int volume() {
    ++pos_;  // 'V'
    if (atChar(U'+') || atChar(U'-'))
      return add({0, 0, VolumeChange, 1, s_[pos_++] == U'+' ? 1 : -1});
    int level = 0, digits = 0;
    while (pos_ < s_.size() && isDigit(s_[pos_]) && digits < 3) {
      level = level * 10 + static_cast<int>(s_[pos_++] - U'0');
      ++digits;
    }
    if (digits == 0) return fail(RV_IMELODY_NO_VOLUME);
    return add({0, 0, VolumeChange, 0,
                rvphone::kLevelVelocity[static_cast<std::size_t>(std::min(level, 15))]});
  }

  int note() {
    if (atChar(U'*')) {
      ++pos_;
      if (pos_ >= s_.size() || s_[pos_] < U'0' || s_[pos_] > U'8')
        return fail(RV_IMELODY_NO_OCTAVE);
      octave_ = static_cast<int>(s_[pos_++] - U'0');
    }
    int shift = 0;
    if (atChar(U'#') || atChar(U'&')) shift = s_[pos_++] == U'#' ? 1 : -1;
    const int semitone = pos_ < s_.size() ? letterSemitone(s_[pos_]) : -1;
    if (semitone < 0) return fail(RV_IMELODY_NO_LETTER);
    ++pos_;
    int32_t len = 0, dot = 0;
    if (const int r = length(len, dot); r != 1) return r;
    const int32_t key = std::clamp((octave_ + 2) * 12 + semitone + shift, 0, 127);
    return add({len, dot, Note, key, kPhoneNoteVelocity});
  }

  // Elements up to the end, or up to the '@' of the repeat block being read.
  int sequence(int depth) {
    while (pos_ < s_.size()) {
      const char32_t c = s_[pos_];
      if (c == U'@' || c == U')') return 1;
      bool skipped = false;
      for (const std::u32string_view word : kSkipped)
        if (at(word)) {
          pos_ += word.size();
          skipped = true;
          break;
        }
      if (skipped) continue;
      int r = 1;
      if (c == U'(') {
        r = repeat(depth);
      } else if (c == U'V' || c == U'v') {
        r = volume();
      } else if (c == U'r' || c == U'R') {
        ++pos_;
        int32_t len = 0, dot = 0;
        r = length(len, dot);
        if (r == 1) r = add({len, dot, Pause, 0, 0});
      } else if (c == U'*' || c == U'#' || c == U'&' || letterSemitone(c) >= 0) {
        r = note();
      } else {
        return fail(RV_IMELODY_UNEXPECTED, static_cast<int32_t>(c));
      }
      if (r != 1) return r;
    }
    return 1;
  }

  int repeat(int depth) {
    if (depth >= kMaxRepeatDepth) return fail(RV_IMELODY_NESTS_DEEP);
    ++pos_;  // '('
    const std::size_t first = out_.size();
    if (const int r = sequence(depth + 1); r != 1) return r;
    if (!atChar(U'@')) return fail(RV_IMELODY_NO_AT);
    ++pos_;
    int count = 0, digits = 0;
    while (pos_ < s_.size() && isDigit(s_[pos_]) && digits < 4) {
      count = count * 10 + static_cast<int>(s_[pos_++] - U'0');
      ++digits;
    }
    if (digits == 0) return fail(RV_IMELODY_NO_COUNT);
    // A volume step after the count applies at the end of every pass.
    int step = 0;
    if (pos_ + 1 < s_.size() && (s_[pos_] == U'V' || s_[pos_] == U'v') &&
        (s_[pos_ + 1] == U'+' || s_[pos_ + 1] == U'-')) {
      step = s_[pos_ + 1] == U'+' ? 1 : -1;
      pos_ += 2;
    }
    if (!atChar(U')')) return fail(RV_IMELODY_NOT_CLOSED);
    ++pos_;
    const std::vector<ReadEvent> block(out_.begin() + static_cast<std::ptrdiff_t>(first),
                                       out_.end());
    if (step)
      if (const int r = add({0, 0, VolumeChange, 1, step}); r != 1) return r;
    const int plays = std::max(count, 1);  // 0 repeats endlessly: once here
    for (int n = 1; n < plays; ++n) {
      for (const ReadEvent& e : block)
        if (const int r = add(e); r != 1) return r;
      if (step)
        if (const int r = add({0, 0, VolumeChange, 1, step}); r != 1) return r;
    }
    return 1;
  }

  const std::u32string& s_;
  std::vector<ReadEvent>& out_;
  std::size_t pos_ = 0;
  int octave_ = kReadDefaultOctave;
};

// Physical lines with a line break followed by a blank or tab joined to the line before
// (the blank is dropped).
std::vector<std::u32string> unfoldedLines(const std::u32string& text) {
  std::vector<std::u32string> lines;
  std::size_t from = 0;
  while (from <= text.size()) {
    std::size_t end = text.find(U'\n', from);
    if (end == std::u32string::npos) end = text.size();
    std::u32string line = text.substr(from, end - from);
    from = end + 1;
    if (!line.empty() && line.back() == U'\r') line.pop_back();
    if (!lines.empty() && !line.empty() && (line.front() == U' ' || line.front() == U'\t'))
      lines.back() += line.substr(1);
    else
      lines.push_back(std::move(line));
  }
  return lines;
}

struct Header {
  bool begun = false, hasMelody = false, hasComposer = false;
  std::u32string name, composer, melody;
  int32_t beat = kReadDefaultBeat;
};

// The header lines up to END, the events of STYLE and VOLUME into events. 1, or the
// reason with the line in request.failLine.
int readHeader(const std::vector<std::u32string>& lines, Header& h, std::vector<ReadEvent>& events,
               ReadRequest& request) {
  int32_t lineNumber = 0;
  auto fail = [&](int code) {
    request.failLine = lineNumber;
    return code;
  };
  for (const std::u32string& line : lines) {
    ++lineNumber;
    if (trimmed(line).empty()) continue;
    const std::size_t colon = line.find(U':');
    const std::u32string key = upper(trimmed(line.substr(0, colon)));
    const std::u32string value =
        colon == std::u32string::npos ? std::u32string() : line.substr(colon + 1);
    if (!h.begun) {
      if (key != U"BEGIN" || upper(trimmed(value)) != U"IMELODY") return fail(RV_IMELODY_NO_BEGIN);
      h.begun = true;
      continue;
    }
    if (key == U"END") break;
    if (key == U"NAME") {
      h.name = value;
    } else if (key == U"COMPOSER") {
      h.composer = value;
      h.hasComposer = true;
    } else if (key == U"BEAT") {
      int32_t b = 0;
      if (!toInt(value, b) || b < 1) return fail(RV_IMELODY_BAD_BEAT);
      h.beat = std::clamp(b, 25, 900);
    } else if (key == U"STYLE") {
      const std::u32string s = upper(trimmed(value));
      if (s.size() != 2 || s[0] != U'S' || s[1] < U'0' || s[1] > U'2')
        return fail(RV_IMELODY_BAD_STYLE);
      events.push_back({0, 0, StyleChange, static_cast<int32_t>(s[1] - U'0'), 0});
    } else if (key == U"VOLUME") {
      const std::u32string v = upper(trimmed(value));
      int32_t level = 0;
      if (v.empty() || v[0] != U'V' || !toInt(std::u32string_view(v).substr(1), level) ||
          level < 0 || level > 15)
        return fail(RV_IMELODY_BAD_VOLUME);
      events.push_back(
          {0, 0, VolumeChange, 0, rvphone::kLevelVelocity[static_cast<std::size_t>(level)]});
    } else if (key == U"MELODY") {
      if (h.hasMelody) return fail(RV_IMELODY_SECOND_MELODY);
      h.hasMelody = true;
      for (const char32_t c : value)
        if (!isBlank(c)) h.melody += c;
    }
    // VERSION, FORMAT and any other line carry nothing for the melody.
  }
  return 1;
}

}  // namespace

int readImelody(std::istream& in, Melody& melody, ReadRequest& request) {
  std::string data(kMaxReadBytes + 1, '\0');
  in.read(data.data(), static_cast<std::streamsize>(data.size()));
  data.resize(static_cast<std::size_t>(in.gcount()));
  if (data.size() > kMaxReadBytes) return RV_READ_FAILED;

  std::u32string text = decodeText(data);
  if (!text.empty() && text.front() == 0xFEFF) text.erase(0, 1);  // a byte order mark
  Header h;
  std::vector<ReadEvent> events;
  if (const int r = readHeader(unfoldedLines(text), h, events, request); r != 1) return r;
  if (!h.begun) return RV_IMELODY_EMPTY;
  if (!h.hasMelody) return RV_IMELODY_NO_MELODY;
  MelodyParser parser(h.melody, events);
  if (const int r = parser.parse(); r != 1) {
    request.failPosition = parser.failPosition;
    request.failValue = parser.failValue;
    return r;
  }
  if (std::none_of(events.begin(), events.end(),
                   [](const ReadEvent& e) { return e.kind == Note || e.kind == Pause; }))
    return RV_IMELODY_NO_NOTE;

  melody.clearEvents();
  for (const ReadEvent& e : events) melody.addRecord(e.len, e.dot, e.kind, e.v1, e.v2, 0, 0);
  melody.setBPM(h.beat);
  melody.title = encodeUtf8(h.name);
  if (h.hasComposer) {
    request.composer = encodeUtf8(h.composer);
    request.hasComposer = true;
  }
  return 1;
}

int32_t countImelodyTokens(std::string_view imelody, bool volumes) {
  // The melody line starts a line: a title holding "MELODY:" is no melody.
  const std::size_t begin = imelody.find("\nMELODY:");
  if (begin == std::string_view::npos) return 0;
  std::size_t end = imelody.find("END:IMELODY", begin);
  if (end == std::string_view::npos) end = imelody.size();
  int32_t count = 0;
  // A note ends in its letter, a rest is "r", a volume change starts with "V"; octave
  // prefixes, sharps, digits and the folding's line ends and blanks are parts of these.
  for (std::size_t i = begin + 8; i < end; ++i) {
    const char c = imelody[i];
    if ((c >= 'a' && c <= 'g') || c == 'r' || (volumes && c == 'V')) ++count;
  }
  return count;
}

}  // namespace rv
