#include "melody.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace rv {
namespace {

int32_t clampToInt32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

bool isPowerOfTwoUpTo128(int32_t v) {
  return v >= 1 && v <= 128 && (v & (v - 1)) == 0;
}

// Every consumer of a split melody stops at its record capacity, so a split stops here
// rather than turning one absurd duration into millions of rests.
constexpr int32_t kSplitEventLimit = 1 << 20;

}  // namespace

bool kindHasValue(int32_t kind, int index) {
  switch (kind) {
    case Note:
    case VolumeChange:
    case Loop:
      return index == 1 || index == 2;
    case StyleChange:
    case TempoChange:
      return index == 1;
    case Pause:
      return false;
    default:
      return true;
  }
}

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

// ---------------------------------------------------------------------------------------
// MelodyEvent

void MelodyEvent::create(int32_t kind, int32_t duration, int32_t v1, int32_t v2, int32_t v3,
                         int32_t v4) {
  // The kind is kept in 16 bits; the creation rules follow the kind as stored.
  EID = static_cast<int16_t>(kind);
  EventVal1 = EventVal2 = EventVal3 = EventVal4 = 0;
  this->duration = duration;
  switch (EID) {
    case Note:
      EventVal1 = v1 > noteCeiling ? 127 : v1;
      EventVal2 = v2;
      break;
    case StyleChange:
      EventVal1 = (v1 < 0 || v1 > 2) ? 0 : v1;
      this->duration = 0;
      break;
    case TempoChange:
      EventVal1 = v1 <= 0 ? 120 : v1;
      this->duration = 0;
      break;
    case VolumeChange:
      EventVal1 = (v1 == 0 || v1 == 1) ? v1 : 0;
      EventVal2 = v2;
      this->duration = 0;
      break;
    case Loop:
      EventVal1 = v1;
      EventVal2 = v2;
      this->duration = 0;
      break;
    case Pause:
      break;
    default:
      EventVal1 = v1;
      EventVal2 = v2;
      EventVal3 = v3;
      EventVal4 = v4;
      break;
  }
}

int32_t MelodyEvent::value(int index) const {
  if (index < 1 || index > 4) return 0;
  if (accessMode != 2 && !kindHasValue(EID, index)) return 0;
  const int32_t values[] = {EventVal1, EventVal2, EventVal3, EventVal4};
  return values[index - 1];
}

void MelodyEvent::setValue(int index, int32_t v) {
  if (index < 1 || index > 4) return;
  if (accessMode != 2 && !kindHasValue(EID, index)) v = 0;
  int32_t* values[] = {&EventVal1, &EventVal2, &EventVal3, &EventVal4};
  *values[index - 1] = v;
}

int MelodyEvent::setDurationFromValue(int32_t simpleLen, int32_t dotLen) {
  const int32_t ticks = valueToTicks(wholeTicks, simpleLen, dotLen);
  if (ticks < 0) return -1;
  duration = ticks;
  return 1;
}

// ---------------------------------------------------------------------------------------
// Melody: the operations the writers use

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

int Melody::appendRange(const Melody& source, uint32_t first, uint32_t count) {
  const size_t size = source.events_.size();
  if (first >= size) return 0;
  size_t last = size;
  if (count != 0 && count <= size - first) last = first + count;
  // Copy first: the source may be this melody.
  std::vector<MelodyEvent> copy(source.events_.begin() + first, source.events_.begin() + last);
  events_.insert(events_.end(), copy.begin(), copy.end());
  refreshCount();
  return 1;
}

void Melody::clearEvents() {
  events_.clear();
  refreshCount();
}

int Melody::removeLast(uint32_t n) {
  if (n == 0 || events_.empty()) return 0;
  events_.resize(events_.size() - std::min<size_t>(n, events_.size()));
  refreshCount();
  return 1;
}

int Melody::fitToFormatRange(int octaveMode) {
  return fitToRange(formatLowestNote, formatHighestNote, octaveMode);
}

int Melody::formatRangeStatistics(RangeStats& stats) {
  return rangeStatistics(formatLowestNote, formatHighestNote, stats);
}

int Melody::noteName(uint32_t index, int32_t& letter, int32_t& sharp, int32_t& octave,
                     int substitute) {
  if (index >= events_.size()) return 0;
  const MelodyEvent& e = events_[index];
  if (e.EID != Note) {
    letter = sharp = octave = 0;
    return 1;
  }
  int32_t key = e.EventVal1;
  if (substitute == 1) {
    const int check = checkNote(index, 0);
    if (check == 2) {
      key = formatLowestNote;
    } else if (check == 3) {
      key = formatHighestNote;
    } else if (check != 1) {
      letter = sharp = octave = 0;
      return 0;
    }
  }
  static constexpr int32_t kLetters[12] = {1, 1, 2, 2, 3, 4, 4, 5, 5, 6, 6, 7};
  static constexpr int32_t kSharps[12] = {0, 1, 0, 1, 0, 0, 1, 0, 1, 0, 1, 0};
  // Keys below 0 are kept on creation; their semitone is still taken inside 0..11.
  const int32_t semitone = ((key % 12) + 12) % 12;
  octave = key / 12;
  letter = kLetters[semitone];
  sharp = kSharps[semitone];
  return 1;
}

// ---------------------------------------------------------------------------------------
// Melody: editing

int Melody::copyFrom(const Melody& source, uint32_t n) {
  if (&source == this) return 1;
  title = source.title;
  setBPM(source.BPM);
  Style = source.Style;
  const size_t size = source.events_.size();
  const size_t take = (n == 0 || n > size) ? size : n;
  events_.assign(source.events_.begin(), source.events_.begin() + take);
  refreshCount();
  return 1;
}

int Melody::addRecord(int32_t simpleLen, int32_t dotLen, int32_t kind, int32_t v1, int32_t v2,
                      int32_t v3, int32_t v4) {
  MelodyEvent e;
  e.create(kind, 0, v1, v2, v3, v4);
  if (dotLen == -1) {
    // A duration in ticks; a negative one is no duration at all.
    e.duration = std::max(simpleLen, 0);
  } else {
    e.setDurationFromValue(simpleLen, dotLen);
  }
  if (e.EID == StyleChange || e.EID == TempoChange || e.EID == VolumeChange || e.EID == Loop)
    e.duration = 0;
  if (!(e.EID == Pause && e.duration <= 0)) {
    events_.push_back(e);
    refreshCount();
  }
  return eventCount_;
}

void Melody::appendEvent(int32_t kind, int32_t duration, int32_t v1, int32_t v2, int32_t v3,
                         int32_t v4) {
  events_.emplace_back();
  events_.back().create(kind, duration, v1, v2, v3, v4);
  refreshCount();
}

int Melody::getEvent(uint32_t index, MelodyEvent& out) const {
  if (index >= events_.size()) return -1;
  out = events_[index];
  return 1;
}

int32_t Melody::kindAt(uint32_t index) const {
  return index < events_.size() ? events_[index].EID : -1;
}
int32_t Melody::durationAt(uint32_t index) const {
  return index < events_.size() ? events_[index].duration : 0;
}
int32_t Melody::value1At(uint32_t index) const {
  return index < events_.size() ? events_[index].value(1) : 0;
}
int32_t Melody::value2At(uint32_t index) const {
  return index < events_.size() ? events_[index].value(2) : 0;
}
int32_t Melody::value3At(uint32_t index) const {
  return index < events_.size() ? events_[index].value(3) : 0;
}
int32_t Melody::value4At(uint32_t index) const {
  return index < events_.size() ? events_[index].value(4) : 0;
}

void Melody::setKindAt(uint32_t index, int32_t kind) {
  if (index < events_.size()) events_[index].EID = static_cast<int16_t>(kind);
}

void Melody::setNoteAt(uint32_t index, int32_t key) {
  if (index >= events_.size()) return;
  events_[index].EID = Note;
  events_[index].EventVal1 = std::clamp(key, 0, 127);
}

void Melody::setDurationAt(uint32_t index, int32_t duration) {
  if (index < events_.size()) events_[index].duration = duration;
}

void Melody::setValueAt(uint32_t index, int valueIndex, int32_t value) {
  if (index < events_.size()) events_[index].setValue(valueIndex, value);
}

int Melody::setBPM(int32_t bpm) {
  if (bpm == -1) {
    BPM = 120;
    return 1;
  }
  if (bpm < 1 || bpm > 999) return 0;
  BPM = bpm;
  return 1;
}

void Melody::setStyle(int32_t style) {
  Style = static_cast<int16_t>((style < 0 || style > 2) ? 0 : style);
}

bool Melody::setPPQN(int32_t ppqn) {
  if (ppqn == -1) ppqn = 96;
  // Four times the PPQN must still be a tick count.
  if (ppqn < 1 || ppqn > std::numeric_limits<int32_t>::max() / 4) return false;
  wholeTicks = 4 * ppqn;
  return true;
}

int Melody::eraseRange(uint32_t first, uint32_t count) {
  if (first >= events_.size()) return 0;
  size_t last = events_.size();
  if (count != 0 && count <= events_.size() - first) last = first + count;
  events_.erase(events_.begin() + first, events_.begin() + last);
  refreshCount();
  return 1;
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

void Melody::transpose(int32_t semitones) {
  for (uint32_t i = 0; i < events_.size(); ++i) {
    if (events_[i].EID != Note) continue;
    setNoteAt(i, clampToInt32(static_cast<int64_t>(events_[i].EventVal1) + semitones));
  }
}

int Melody::clampNotes(int32_t lo, int32_t hi) {
  if (events_.empty()) return 1;
  if (lo > highestNote || hi > highestNote || lo < lowestNote || hi < lowestNote || lo >= hi)
    return -1;
  for (MelodyEvent& e : events_) {
    if (e.EID != Note) continue;
    if (e.EventVal1 < lo) e.EventVal1 = lo;
    if (e.EventVal1 > hi) e.EventVal1 = hi;
  }
  return 1;
}

int Melody::rangeStatistics(int32_t lo, int32_t hi, RangeStats& stats) const {
  if (events_.empty()) return 0;
  if (lo >= hi || formatHighestNote < lo || formatHighestNote < hi) return -1;
  size_t first = 0;
  while (first < events_.size() && events_[first].EID != Note) ++first;
  if (first + 1 >= events_.size()) return 0;
  RangeStats s;
  s.maxKey = std::numeric_limits<int32_t>::min();
  s.minKey = std::numeric_limits<int32_t>::max();
  for (size_t i = first; i < events_.size(); ++i) {
    if (events_[i].EID != Note) continue;
    const int32_t key = events_[i].EventVal1;
    if (key < lo) ++s.nBelow;
    if (key > hi) ++s.nAbove;
    s.maxKey = std::max(s.maxKey, key);
    s.minKey = std::min(s.minKey, key);
  }
  s.span = clampToInt32(static_cast<int64_t>(s.maxKey) - s.minKey);
  stats = s;
  if (static_cast<int64_t>(hi) - lo < s.span) return 3;
  if (s.nAbove != 0 || s.nBelow != 0) return 2;
  return 1;
}

int Melody::fitToRange(int32_t lo, int32_t hi, int octaveMode) {
  if (events_.empty()) return 1;
  int32_t top = hi;
  if (highestNote < hi) top = highestNote;
  if (lo < lowestNote || top < lowestNote || lo >= top) return -1;
  RangeStats s;
  const int r = rangeStatistics(lo, top, s);
  if (r == 0 || r == 1) return 1;
  if (r == -1) return -1;
  const int64_t maxKey = s.maxKey, minKey = s.minKey;
  if (static_cast<int64_t>(top) - lo >= s.span) {
    if (s.nAbove != 0) {
      const int64_t g = (maxKey - top + 11) / 12;
      if (octaveMode == 1 && (minKey - lo) / 12 >= g)
        transpose(clampToInt32(-12 * g));
      else
        transpose(clampToInt32(top - maxKey));
      return 2;
    }
    const int64_t u = lo - minKey;
    const int64_t f = (u + 11) / 12;
    if (octaveMode == 1 && (top - maxKey) / 12 >= f)
      transpose(clampToInt32(12 * f));
    else
      transpose(clampToInt32(u));
    return 2;
  }
  if (s.nAbove < s.nBelow)
    transpose(clampToInt32(lo - minKey));
  else
    transpose(clampToInt32(top - maxKey));
  clampNotes(lo, top);
  return 3;
}

int Melody::fitToOctaves(int32_t octave, int32_t octaveCount, int octaveMode) {
  if (octave < 0 || octave > 8) return -1;
  if (octaveCount == 0) octaveCount = 9;
  if (octaveCount < 1 || octaveCount > 9) return -1;
  return fitToRange(12 * octave + 24, 12 * octave + 12 * octaveCount + 23, octaveMode);
}

int Melody::checkNote(uint32_t index, int nonNoteResult) const {
  if (index >= events_.size()) return -1;
  const MelodyEvent& e = events_[index];
  if (e.EID != Note) return nonNoteResult == 0 ? 1 : 0;
  if (e.EventVal1 > formatHighestNote) return 2;
  if (e.EventVal1 < formatLowestNote) return 3;
  return 1;
}

int Melody::removeTrailing(int mode, int pausesOnly) {
  if (mode < 1 || mode > 3) return 0;
  uint32_t n = 0;
  for (size_t i = events_.size(); i > 1; --i) {
    const int16_t kind = events_[i - 1].EID;
    const bool removable = pausesOnly == 1 ? kind != Note : kind == Pause;
    if (!removable) break;
    ++n;
  }
  if (n == 0) return 0;
  removeLast(n);
  return 1;
}

bool Melody::durationToValue(MelodyEvent& event, int32_t ppqn, int32_t& simpleLen,
                             int32_t& dotLen) {
  if (ppqn > 0 && ppqn <= std::numeric_limits<int32_t>::max() / 4) event.wholeTicks = 4 * ppqn;
  return ticksToValue(event.duration, event.wholeTicks, simpleLen, dotLen);
}

void Melody::replaceEvents(std::vector<MelodyEvent> events) {
  clearEvents();
  events_ = std::move(events);
  refreshCount();
}

}  // namespace rv
