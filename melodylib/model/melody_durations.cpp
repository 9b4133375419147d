// Durations: (iSimpleLen, iDotLen) to ticks and back, the writers' duration checks, and
// the split of notes longer than a whole note.
#include "melody.h"

#include <algorithm>
#include <limits>

namespace rv {
namespace {

bool isPowerOfTwoUpTo128(int32_t v) {
  return v >= 1 && v <= 128 && (v & (v - 1)) == 0;
}

// Every consumer of a split melody stops at its record capacity, so a split stops here
// rather than turning one absurd duration into millions of rests.
constexpr int32_t kSplitEventLimit = 1 << 20;

}  // namespace

int32_t valueToTicks(int32_t wholeTicks, int32_t simpleLen, int32_t dotLen) {
  if (simpleLen < 1) return -1;
  if (simpleLen > 128) simpleLen = 128;
  if (!isPowerOfTwoUpTo128(simpleLen)) simpleLen = 8;
  if (dotLen < 0 || dotLen > 3) dotLen = 0;
  const int64_t base = wholeTicks / simpleLen;
  switch (dotLen) {
    case 1:
      return clampToInt32(base + base / 2);
    case 2:
      return clampToInt32(base * 7 / 4);
    case 3:
      return clampToInt32(base * 5 / 3);
    default:
      return clampToInt32(base);
  }
}

// The plain value is the longest power-of-two fraction not longer than the duration;
// the remainder, as a share of that value, chooses the dot (or the next longer value).
bool ticksToValue(int32_t duration, int32_t wholeTicks, int32_t& simpleLen, int32_t& dotLen) {
  simpleLen = 0;
  dotLen = 0;
  if (duration <= 0 || wholeTicks < 1) return false;
  const double w = wholeTicks;
  int64_t s = 1;
  if (duration < wholeTicks) {
    int64_t c = 1;
    for (;;) {
      const double part = w / static_cast<double>(2 * c);
      if (part < 1.0) {
        s = c;
        break;
      }
      if (duration >= part) {
        s = 2 * c;
        break;
      }
      c *= 2;
    }
  }
  const int64_t plain = wholeTicks / s;
  int32_t dot = 0;
  if (plain < duration && plain > 0) {
    const double x = static_cast<double>(duration - plain) / static_cast<double>(plain) * 100.0;
    if (x > 88.0) {
      if (s > 1) {
        s /= 2;
        dot = 0;
      } else {
        dot = 2;
      }
    } else if (x > 70.0) {
      dot = 2;
    } else if (x > 58.0) {
      dot = 3;
    } else if (x > 33.0) {
      dot = 1;
    }
  }
  simpleLen = static_cast<int32_t>(std::min<int64_t>(s, std::numeric_limits<int32_t>::max()));
  dotLen = dot;
  return true;
}

int MelodyEvent::setDurationFromValue(int32_t simpleLen, int32_t dotLen) {
  const int32_t ticks = valueToTicks(wholeTicks, simpleLen, dotLen);
  if (ticks < 0) return -1;
  duration = ticks;
  return 1;
}

int Melody::checkDuration(uint32_t index) {
  if (index >= events_.size()) return -1;
  const MelodyEvent& e = events_[index];
  if (e.duration == 0) return 0;
  if (e.duration > maxDuration) return 2;
  if (e.duration < minDuration) return 3;
  if (exactDurations != 1) return 1;
  int32_t simpleLen = 0, dotLen = 0;
  if (!ticksToValue(e.duration, wholeTicks, simpleLen, dotLen)) return 4;
  const int64_t base = wholeTicks / simpleLen;
  int64_t extra = 0;
  if (dotLen == 1) extra = base / 2;
  if (dotLen == 2) extra = base * 3 / 4;
  if (dotLen == 3) extra = base * 2 / 3;
  return (e.duration == base + extra && dotLen <= maxDotLen) ? 1 : 4;
}

int Melody::checkAllDurations(int32_t& tooLong, int32_t& tooShort, int32_t& inexact,
                              int32_t& flag) {
  tooLong = tooShort = inexact = 0;
  for (uint32_t i = 0; i < events_.size(); ++i) {
    if (events_[i].duration == 0) continue;
    switch (checkDuration(i)) {
      case 2:
        ++tooLong;
        break;
      case 3:
        ++tooShort;
        break;
      case 4:
        ++inexact;
        break;
      default:
        break;
    }
  }
  flag = 1;
  return (tooLong == 0 && tooShort == 0 && inexact == 0) ? 1 : 0;
}

bool Melody::setPPQN(int32_t ppqn) {
  if (ppqn == -1) ppqn = 96;
  // Four times the PPQN must still be a tick count.
  if (ppqn < 1 || ppqn > std::numeric_limits<int32_t>::max() / 4) return false;
  wholeTicks = 4 * ppqn;
  return true;
}

// Notes longer than a whole note sound for one whole note; the rest of their time
// becomes rests, so the total time is kept.
int Melody::copySplit(Melody& target) const {
  if (events_.empty()) return 0;
  // The target may be this melody: then work from a copy.
  std::vector<MelodyEvent> ownCopy;
  if (&target == this) ownCopy = events_;
  const std::vector<MelodyEvent>& source = &target == this ? ownCopy : events_;
  const int32_t W = wholeTicks;
  target.removeLast(static_cast<uint32_t>(target.count()));
  for (const MelodyEvent& e : source) {
    if (target.count() >= kSplitEventLimit) break;
    if (e.duration <= W || W < 1) {
      target.events_.push_back(e);
      target.refreshCount();
      continue;
    }
    const int64_t n = static_cast<int64_t>(static_cast<double>(e.duration) / W);
    if (e.EID == Note)
      target.appendEvent(Note, W, e.EventVal1, 127);
    else
      target.appendEvent(Pause, W);
    for (int64_t i = 0; i < n - 2 && target.count() < kSplitEventLimit; ++i)
      target.appendEvent(Pause, W);
    const int64_t rest = e.duration - std::max<int64_t>(n - 1, 1) * W;
    if (rest > 0 && target.count() < kSplitEventLimit)
      target.appendEvent(Pause, static_cast<int32_t>(rest));
  }
  target.setBPM(BPM);
  target.title = title;
  return 0;
}

bool Melody::durationToValue(MelodyEvent& event, int32_t ppqn, int32_t& simpleLen,
                             int32_t& dotLen) {
  if (ppqn > 0 && ppqn <= std::numeric_limits<int32_t>::max() / 4) event.wholeTicks = 4 * ppqn;
  return ticksToValue(event.duration, event.wholeTicks, simpleLen, dotLen);
}

}  // namespace rv
