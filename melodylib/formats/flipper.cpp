#include "flipper.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "notenames.h"

namespace rv {
namespace {

constexpr char kFiletype[] = "Flipper Music Format";
constexpr int32_t kLongestDuration = 128;  // a 128th note
constexpr int kMostDots = 16;
constexpr int32_t kHighestOctave = 16;
// Defaults of a file without its BPM, Duration or Octave line.
constexpr int32_t kDefaultBpm = 120;
constexpr int32_t kDefaultDuration = 4;
constexpr int32_t kDefaultOctave = 4;
// The text read is capped; a ringtone is far shorter.
constexpr std::size_t kMaxText = 1 << 20;

// A length the melody holds: a power-of-two note value and its dot kind (0 plain, 1 x3/2,
// 2 x7/4, 3 x5/3), in whole notes.
struct ModelLength {
  int32_t simpleLen;
  int32_t dotLen;
  double wholes;
};

double dotFactor(int32_t dotLen) {
  switch (dotLen) {
    case 1:
      return 1.5;
    case 2:
      return 1.75;
    case 3:
      return 5.0 / 3.0;
    default:
      return 1.0;
  }
}

// Every length whose ticks read back as the same value and dot (at 384 ticks a whole, a
// few short dotted values share their ticks with another).
const std::vector<ModelLength>& modelLengths() {
  static const std::vector<ModelLength> lengths = [] {
    std::vector<ModelLength> out;
    for (int32_t s = 1; s <= 128; s *= 2)
      for (int32_t dot = 0; dot <= 3; ++dot) {
        const int32_t ticks = valueToTicks(kDefaultWholeTicks, s, dot);
        int32_t backS = 0, backDot = 0;
        if (ticks > 0 && ticksToValue(ticks, kDefaultWholeTicks, backS, backDot) && backS == s &&
            backDot == dot)
          out.push_back({s, dot, dotFactor(dot) / s});
      }
    return out;
  }();
  return lengths;
}

bool sameLength(double a, double b) {
  return std::fabs(a - b) <= 1e-9 * std::max(a, b);
}

// The held length nearest to wholes; exact tells whether it is the same.
const ModelLength& nearestModelLength(double wholes, bool& exact) {
  const ModelLength* best = &modelLengths().front();
  for (const ModelLength& m : modelLengths())
    if (std::fabs(m.wholes - wholes) < std::fabs(best->wholes - wholes)) best = &m;
  exact = sameLength(best->wholes, wholes);
  return *best;
}

char asciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

bool sameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  return true;
}

// A whole number of at most four digits; false for anything else.
bool readNumber(std::string_view text, int32_t& value) {
  text = trimmed(text);
  if (text.empty() || text.size() > 4) return false;
  int32_t v = 0;
  for (char c : text) {
    if (!isDigit(c)) return false;
    v = v * 10 + (c - '0');
  }
  value = v;
  return true;
}

struct Defaults {
  int32_t bpm = kDefaultBpm;
  int32_t duration = kDefaultDuration;
  int32_t octave = kDefaultOctave;
};

// One token: [duration] letter or P ['#' or '_'] [octave] [dots]. The dots may also stand
// before the octave. Each dot multiplies the length by 3/2.
bool readToken(std::string_view token, const Defaults& d, Melody& melody, int32_t& rounded) {
  std::size_t i = 0;
  int32_t duration = d.duration;
  if (i < token.size() && isDigit(token[i])) {
    const std::size_t start = i;
    while (i < token.size() && isDigit(token[i])) ++i;
    if (!readNumber(token.substr(start, i - start), duration) || duration < 1) return false;
  }
  if (i >= token.size()) return false;
  const char letter = token[i++];
  const bool pause = asciiLower(letter) == 'p';
  int32_t semitone = pause ? 0 : letterSemitone(letter);
  if (semitone < 0) return false;
  if (i < token.size() && (token[i] == '#' || token[i] == '_')) {
    if (pause) return false;
    ++semitone;
    ++i;
  }
  int dots = 0;
  while (i < token.size() && token[i] == '.') ++dots, ++i;
  int32_t octave = d.octave;
  if (i < token.size() && isDigit(token[i])) {
    const std::size_t start = i;
    while (i < token.size() && isDigit(token[i])) ++i;
    // A pause's octave means nothing.
    if (!readNumber(token.substr(start, i - start), octave) || octave > kHighestOctave)
      return false;
  }
  while (i < token.size() && token[i] == '.') ++dots, ++i;
  if (i != token.size() || dots > kMostDots) return false;

  bool exact = duration <= kLongestDuration;
  const double wholes = std::pow(1.5, dots) / std::min(duration, kLongestDuration);
  bool lengthExact = false;
  const ModelLength& length = nearestModelLength(wholes, lengthExact);
  exact = exact && lengthExact;
  const int32_t ticks = valueToTicks(kDefaultWholeTicks, length.simpleLen, length.dotLen);
  if (pause) {
    melody.appendEvent(Pause, ticks);
  } else {
    // Scientific pitch: C4 is key 60.
    int32_t key = (octave + 1) * 12 + semitone;
    if (key > 127) {
      key = 127;
      exact = false;
    }
    melody.appendEvent(Note, ticks, key, 127);
  }
  if (!exact) ++rounded;
  return true;
}

// Tokens are separated by commas, by blanks, or by both.
bool readNotes(std::string_view notes, const Defaults& d, Melody& melody, int32_t& rounded) {
  std::size_t i = 0;
  while (i < notes.size()) {
    while (i < notes.size() && (notes[i] == ',' || notes[i] == ' ' || notes[i] == '\t' ||
                                notes[i] == '\r' || notes[i] == '\n'))
      ++i;
    const std::size_t start = i;
    while (i < notes.size() && notes[i] != ',' && notes[i] != ' ' && notes[i] != '\t' &&
           notes[i] != '\r' && notes[i] != '\n')
      ++i;
    if (i > start && !readToken(notes.substr(start, i - start), d, melody, rounded)) return false;
  }
  return true;
}

std::string readAll(std::istream& in) {
  std::string text;
  char buffer[4096];
  while (text.size() < kMaxText && in.read(buffer, sizeof buffer).gcount() > 0)
    text.append(buffer, static_cast<std::size_t>(in.gcount()));
  return text;
}

}  // namespace

int readFlipper(std::istream& in, Melody& melody, ReadRequest& request) {
  std::string text = readAll(in);
  if (text.size() >= kMaxText) return -1;
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);

  Defaults d;
  bool typed = false;
  std::string notes;
  bool inNotes = false;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    const std::string_view line = trimmed(std::string_view(text).substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line.front() == '#') continue;
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
      // The Notes line may go on over further lines.
      if (!inNotes) return -1;
      notes += ' ';
      notes += line;
      continue;
    }
    inNotes = false;
    const std::string_view key = trimmed(line.substr(0, colon));
    const std::string_view value = trimmed(line.substr(colon + 1));
    if (!typed) {
      // The first line names the file type.
      if (!sameWord(key, "Filetype") || !sameWord(value, kFiletype)) return -1;
      typed = true;
    } else if (sameWord(key, "BPM")) {
      if (!readNumber(value, d.bpm) || d.bpm < 1) return -1;
    } else if (sameWord(key, "Duration")) {
      if (!readNumber(value, d.duration) || d.duration < 1 || d.duration > kLongestDuration)
        return -1;
    } else if (sameWord(key, "Octave")) {
      if (!readNumber(value, d.octave) || d.octave > kHighestOctave) return -1;
    } else if (sameWord(key, "Notes")) {
      notes = std::string(value);
      inNotes = true;
    }
    // Other keys (Version and any a later player adds) are not part of the melody.
  }
  if (!typed) return -1;

  melody.clearEvents();
  melody.title.clear();
  melody.setBPM(std::min(d.bpm, 999));
  int32_t rounded = d.bpm > 999 ? 1 : 0;
  if (!readNotes(notes, d, melody, rounded)) return -1;
  request.roundedEvents = rounded;
  return 1;
}

namespace {

int digits(int32_t n) {
  return n >= 100 ? 3 : n >= 10 ? 2 : 1;
}

// A note or pause as the file writes it: its duration number, dots and key.
struct OutNote {
  bool pause;
  int32_t duration;
  int dots;
  int32_t key;
};

// The duration number and dots nearest to a length of the melody: a plain or dotted value
// as it is, the others (x7/4, x5/3) as the nearest number with up to two dots.
void fileLength(int32_t simpleLen, int32_t dotLen, int32_t& duration, int& dots, bool& exact) {
  duration = std::clamp(simpleLen, 1, kLongestDuration);
  dots = dotLen == 1 ? 1 : 0;
  exact = simpleLen == duration && dotLen <= 1;
  if (dotLen <= 1) return;
  const double wholes = dotFactor(dotLen) / simpleLen;
  double bestError = 1e9;
  for (int k = 0; k <= 2; ++k)
    for (int32_t n = 1; n <= kLongestDuration; ++n) {
      const double error = std::fabs(std::pow(1.5, k) / n - wholes);
      if (error < bestError - 1e-12) {
        bestError = error;
        duration = n;
        dots = k;
      }
    }
}

// The default among the values used that leaves the fewest digits in the text: the
// header's own digits plus those of every token that does not take the default.
int32_t shortestDefault(const std::vector<int32_t>& used, int32_t fallback) {
  if (used.empty()) return fallback;
  std::vector<int32_t> candidates = used;
  std::sort(candidates.begin(), candidates.end());
  candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
  int32_t best = candidates.front();
  long bestCost = -1;
  for (int32_t c : candidates) {
    long cost = digits(c);
    for (int32_t v : used) cost += v == c ? 0 : digits(v);
    if (bestCost < 0 || cost < bestCost) {
      bestCost = cost;
      best = c;
    }
  }
  return best;
}

}  // namespace

void writeFlipper(Melody& melody, WriteTarget /*target*/, const FormatOptions& /*options*/,
                  WriteResult& out) {
  out.bytes.clear();
  if (melody.empty()) {
    out.resultValue = out.returnValue = -1;
    return;
  }
  std::vector<OutNote> notes;
  int32_t inexact = 0;
  for (const MelodyEvent& source : melody.events()) {
    if (source.duration <= 0 || (source.EID != Note && source.EID != Pause)) continue;
    MelodyEvent event = source;
    int32_t simpleLen = 0, dotLen = 0;
    Melody::durationToValue(event, -1, simpleLen, dotLen);
    OutNote n{source.EID == Pause, 0, 0, 0};
    bool exact = true;
    fileLength(simpleLen, dotLen, n.duration, n.dots, exact);
    if (!n.pause) {
      // Octave 0 is the lowest the file writes: keys below C0 go up an octave.
      n.key = std::clamp(source.EventVal1, 0, 127);
      if (n.key < 12) {
        n.key += 12;
        exact = false;
      }
    }
    if (!exact) ++inexact;
    notes.push_back(n);
  }

  std::vector<int32_t> durations, octaves;
  for (const OutNote& n : notes) {
    durations.push_back(n.duration);
    if (!n.pause) octaves.push_back(n.key / 12 - 1);
  }
  const int32_t duration = shortestDefault(durations, kDefaultDuration);
  const int32_t octave = shortestDefault(octaves, kDefaultOctave);

  std::string& text = out.bytes;
  text += "Filetype: ";
  text += kFiletype;
  text += "\nVersion: 0\nBPM: " + std::to_string(melody.getBPM()) +
          "\nDuration: " + std::to_string(duration) + "\nOctave: " + std::to_string(octave) +
          "\nNotes: ";
  bool first = true;
  for (const OutNote& n : notes) {
    if (!first) text += ", ";
    first = false;
    if (n.duration != duration) text += std::to_string(n.duration);
    if (n.pause) {
      text += 'P';
    } else {
      text += kSemitoneLetter[n.key % 12];
      if (kSemitoneSharp[n.key % 12]) text += '#';
      if (n.key / 12 - 1 != octave) text += std::to_string(n.key / 12 - 1);
    }
    text.append(static_cast<std::size_t>(n.dots), '.');
  }
  text += '\n';
  out.returnValue = 1;
  out.resultValue = inexact == 0 ? 1 : -inexact;
}

}  // namespace rv
