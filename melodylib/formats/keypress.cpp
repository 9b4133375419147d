#include "keypress.h"

#include <algorithm>
#include <vector>

namespace rv {
namespace {

enum class Key { Up, Down, Confirm, Sharp, Next, Previous, Toggle, Dot };

// Readable labels and keypad codes, in the order of Key.
constexpr const char* kLabels[] = {"[U]", "[D]", "[OK] ", "[#]", "[1]", "[2]", "[4]", "[5]"};
constexpr const char* kCodes[] = {"^", "V", "Z", "#", "1", "2", "4", "5"};

class Presser {
 public:
  explicit Presser(bool keypad) : keypad_(keypad) {}

  // n presses: "%d%s" with readable labels ("3[U]"), the code n times with keypad codes.
  void press(std::string& out, Key key, int64_t n) const {
    if (n <= 0) return;
    const int k = static_cast<int>(key);
    if (keypad_) {
      out.append(static_cast<size_t>(n), kCodes[k][0]);
    } else {
      if (n > 1) out += std::to_string(n);
      out += kLabels[k];
    }
  }

 private:
  bool keypad_;
};

// Dot presses from dot a to dot b: half and quarter cycle through three dots, the
// eighth through two, whole and sixteenth have none.
int dotPresses(int32_t from, int32_t to, int32_t code) {
  if (code == 2 || code == 3) return (((to - from) % 3) + 3) % 3;
  if (code == 4) return from != to ? 1 : 0;
  return 0;
}

// The keys that take the composer from P's length to C's. The five codes form a
// cycle, so a step is never longer than two presses of "1" (next) or "2" (previous).
void durationKeys(const ComposerRecord& p, const ComposerRecord& c, const Presser& keys,
                  std::string& k) {
  if (c.code == p.code && c.dot == p.dot) return;
  int steps = c.code - p.code;
  if (steps > 2) steps -= 5;
  if (steps < -2) steps += 5;
  auto pressSteps = [&] {
    if (steps > 0) keys.press(k, Key::Next, steps);
    if (steps < 0) keys.press(k, Key::Previous, -steps);
  };
  if (c.dot == 0) {
    keys.press(k, Key::Dot, dotPresses(p.dot, 0, p.code));
    pressSteps();
  } else if (p.dot == 0) {
    pressSteps();
    keys.press(k, Key::Dot, dotPresses(0, c.dot, c.code));
  } else if (c.code == p.code) {
    keys.press(k, Key::Dot, dotPresses(p.dot, c.dot, c.code));
  } else if (c.dot == 1 && p.dot == 1 && c.code >= 2 && c.code <= 4) {
    pressSteps();  // a single dot carries over
  } else {
    const int removal = dotPresses(p.dot, 0, p.code);
    keys.press(k, Key::Dot, removal);
    pressSteps();
    keys.press(k, Key::Dot, dotPresses(removal > 0 ? 0 : p.dot, c.dot, c.code));
  }
}

}  // namespace

KeypressMelody::KeypressMelody(const Melody& source) : Melody(source) {
  formatLowestNote = 57;
  formatHighestNote = 85;
  maxDuration = 384;
  minDuration = 24;
  exactDurations = 0;
  maxDotLen = 2;
}

bool composerRecord(const MelodyEvent& event, ComposerRecord& record) {
  MelodyEvent copy = event;
  int32_t simpleLen = 0, dotLen = 0;
  if (!Melody::durationToValue(copy, -1, simpleLen, dotLen)) return false;
  switch (simpleLen) {
    case 1:
      record.code = 1;
      break;
    case 2:
      record.code = 2;
      break;
    case 4:
      record.code = 3;
      break;
    case 8:
      record.code = 4;
      break;
    case 16:
    case 32:
    case 64:
      record.code = 5;
      break;
    default:
      return false;
  }
  if (event.EID != Note) {
    record.key = 0;
    record.sharp = 0;
    record.dot = 0;
    record.pause = true;
    return true;
  }
  // Position of the letter on the composer's staff: A at 57 is 1, C at 60 is 3.
  static constexpr int kLetter[12] = {1, 1, 2, 2, 3, 4, 4, 5, 5, 6, 6, 7};
  static constexpr int kSharp[12] = {0, 1, 0, 1, 0, 0, 1, 0, 1, 0, 1, 0};
  static constexpr int kOctaveOffset[] = {-5, 2, 9, 16};  // octaves 4..7
  const int32_t key = std::clamp<int32_t>(event.EventVal1, 57, 85);
  record.key = kLetter[key % 12] + kOctaveOffset[key / 12 - 4];
  record.sharp = kSharp[key % 12];
  record.pause = false;
  record.dot = 0;
  if ((record.code == 2 || record.code == 3) && dotLen <= 2) record.dot = dotLen;
  if (record.code == 4 && dotLen <= 1) record.dot = dotLen;
  return true;
}

void writeKeypress(Melody& melody, WriteTarget /*target*/, const FormatOptions& options,
                   WriteResult& out) {
  out.bytes.clear();
  // A text written after moving notes is still a success; the move shows in the result value.
  auto finish = [&out](int32_t result) {
    out.resultValue = result;
    out.returnValue = result == 72 || result == 73 ? 1 : result;
  };
  if (melody.empty()) return finish(0);

  KeypressMelody keypress(melody);
  const int fit = keypress.fitToRange(57, 85, 0);
  std::vector<ComposerRecord> records(keypress.events().size());
  for (size_t j = 0; j < records.size(); ++j)
    if (!composerRecord(keypress.event(static_cast<uint32_t>(j)), records[j]))
      return finish(-3);  // nothing is written

  const Presser keys(options.get6(1) == 2);
  const int64_t start = options.get8(0);
  std::string text;
  if (options.get7(1) == 1)
    text = "Title:" + melody.title + " BPM:" + std::to_string(melody.BPM) +
           " Notes:" + std::to_string(melody.count()) + "\r\n";

  const ComposerRecord startNote;  // G at 67, quarter, no dot
  ComposerRecord lastNote = startNote;
  ComposerRecord lastPause;
  lastPause.key = 0;
  lastPause.pause = true;

  int64_t waiting = 0;  // events typed but not yet confirmed
  std::string k;
  for (size_t j = 0; j < records.size(); ++j) {
    const ComposerRecord& c = records[j];
    ComposerRecord p = j == 0 ? startNote : records[j - 1];
    k.clear();
    // Notes and pauses are entered in two modes with a length each; "4" switches.
    if (c.pause && !p.pause) {
      lastNote = p;
      p = lastPause;
      keys.press(k, Key::Toggle, 1);
    } else if (!c.pause && p.pause) {
      lastPause = p;
      p = lastNote;
      keys.press(k, Key::Toggle, 1);
    }
    if (!c.pause) {
      int sharps = 0;
      if (!p.sharp && c.sharp) sharps = 1;
      if (p.sharp && !c.sharp) sharps = p.key == 1 ? 1 : 2;
      keys.press(k, Key::Sharp, sharps);
      if (c.key > p.key) keys.press(k, Key::Up, c.key - p.key);
      if (c.key < p.key) keys.press(k, Key::Down, p.key - c.key);
    }
    durationKeys(p, c, keys, k);

    // Each change is preceded by the confirms of the events typed before it; a run of
    // identical events is confirmed in one group.
    const int64_t index = static_cast<int64_t>(j);
    if (!k.empty()) {
      if (index >= start) {
        if (j > 0) keys.press(text, Key::Confirm, waiting + 1);
        text += k;
      }
      waiting = 0;
    } else if (index >= start && j > 0) {
      ++waiting;
    }
  }
  keys.press(text, Key::Confirm, waiting);

  out.bytes = std::move(text);
  finish(fit == 2 ? 72 : fit == 3 ? 73 : 1);
}

}  // namespace rv
