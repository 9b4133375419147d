#include "alcatel.h"

#include <algorithm>
#include <string>

namespace rv {
namespace {

constexpr int32_t kEighth = 48;
constexpr int32_t kQuarter = 96;
constexpr int32_t kHalf = 192;

// Appends the token of one event after normalising it to the phone's range: keys
// 60..83, plain eighth, quarter or half. "0" is a pause, "1".."7" C..B, then "#" for a
// sharp, "*" for the upper octave (keys 72..83), "8" half, "" quarter, "88" eighth.
void appendToken(std::string& text, bool isNote, int32_t key, int32_t duration,
                 int32_t wholeTicks) {
  static constexpr int kLetter[12] = {1, 1, 2, 2, 3, 4, 4, 5, 5, 6, 6, 7};
  static constexpr bool kSharp[12] = {false, true,  false, true,  false, false,
                                      true,  false, true,  false, true,  false};
  int32_t simpleLen = 0, dotLen = 0;
  ticksToValue(duration, wholeTicks, simpleLen, dotLen);
  // Dots are dropped; the plain value is then held between an eighth and a half.
  int32_t plain = simpleLen > 0 ? wholeTicks / simpleLen : kEighth;
  plain = std::clamp(plain, kEighth, kHalf);

  if (isNote) {
    key = std::clamp<int32_t>(key, 60, 83);
    text += static_cast<char>('0' + kLetter[key % 12]);
    if (kSharp[key % 12]) text += '#';
    if (key / 12 == 6) text += '*';
  } else {
    text += '0';
  }
  if (plain >= kHalf)
    text += '8';
  else if (plain < kQuarter)
    text += "88";
  text += ' ';
}

}  // namespace

void writeAlcatel(Melody& melody, WriteTarget /*target*/, const FormatOptions& /*options*/,
                  WriteResult& out) {
  const Melody& copy = melody;  // read only: the events are rebuilt as tokens
  const int32_t whole = copy.wholeTicks;
  std::string tokens;
  int32_t count = 0;
  auto emit = [&](bool isNote, int32_t key, int32_t duration) {
    appendToken(tokens, isNote, key, duration, whole);
    ++count;
  };

  // Each event is split into lengths the phone knows: a long one sounds for a half and
  // rests for the remainder; a dotted one becomes its plain value and a rest for the dot.
  for (const MelodyEvent& event : copy.events()) {
    const int32_t d = event.duration;
    if (d <= 0) continue;  // style, tempo, volume and loop events: no token
    const bool isNote = event.EID == Note;
    const int32_t key = event.EventVal1;
    if (d > 288) {
      emit(isNote, key, kHalf);
      const int64_t k = std::min<int64_t>(std::max<int64_t>(0, d / kHalf - 2), kAlcatelMaxRests);
      for (int64_t i = 0; i < k; ++i) emit(false, 0, kHalf);
      int64_t rest = static_cast<int64_t>(d) - kHalf - kHalf * k;
      if (rest < kEighth) rest = kEighth;
      emit(false, 0, static_cast<int32_t>(std::min<int64_t>(rest, kHalf)));
      continue;
    }
    int32_t simpleLen = 0, dotLen = 0;
    ticksToValue(d, event.wholeTicks, simpleLen, dotLen);
    int32_t b = simpleLen > 0 ? event.wholeTicks / simpleLen : 0;
    int32_t e = 0;
    if (dotLen == 1)
      e = b / 2;
    else if (dotLen == 2)
      e = 3 * b / 4;
    else if (dotLen == 3)
      e = 2 * b / 3;
    if (b < kEighth) {
      b = kEighth;
      e = 0;
    } else if (e < kEighth || !isNote) {
      e = 0;
    }
    if (b > kHalf) b = kHalf;
    emit(isNote, key, b);
    if (e > 0) emit(false, 0, e);
  }

  if (count == 0) {
    out.bytes.clear();
    out.resultValue = 0;
    out.returnValue = 0;
    return;
  }
  out.bytes = "Title:" + copy.title + " BPM:" + std::to_string(copy.BPM) +
              " Notes:" + std::to_string(count) + "\r\n" + tokens;
  out.resultValue = count;
  out.returnValue = 1;
}

}  // namespace rv
