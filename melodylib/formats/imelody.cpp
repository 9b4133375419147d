#include "imelody.h"

#include <algorithm>

#include "../model/modify.h"

namespace rv {
namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr int32_t kLineEndLen = 2;
constexpr int32_t kFoldColumn = 75;
constexpr char kEnd[] = "END:IMELODY";
// Line end, "END:IMELODY", line end: what still follows the melody tokens.
constexpr int32_t kTrailerLen = 2 * kLineEndLen + 11;

// Letter and sharp flag of each semitone from C: the split yields sharps only.
constexpr char kLetters[] = "ccddeffggaab";
constexpr bool kSharp[] = {false, true,  false, true,  false, false,
                           true,  false, true,  false, true,  false};

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
        if (kSharp[semitone]) token.push_back('#');
        token.push_back(kLetters[semitone]);
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
