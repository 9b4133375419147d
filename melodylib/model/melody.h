// The library's in-memory melody: an ordered list of MelodyEvents in ticks, plus the
// format profile fields that the writers set before they encode.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace rv {

enum EventKind : int16_t {
  Note = 1,
  StyleChange = 3,
  TempoChange = 4,
  VolumeChange = 5,
  Loop = 6,
  Pause = 16,
};

constexpr int32_t kDefaultWholeTicks = 384;  // 4 x PPQN 96

// A 64-bit result saturated into 32 bits.
inline int32_t clampToInt32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

class MelodyEvent {
 public:
  MelodyEvent() = default;
  MelodyEvent(const MelodyEvent&) = default;
  MelodyEvent& operator=(const MelodyEvent&) = default;
  virtual ~MelodyEvent() = default;

  // Sets kind and values by the creation rules of each kind.
  void create(int32_t kind, int32_t duration, int32_t v1, int32_t v2, int32_t v3, int32_t v4);

  // Values filtered by kind unless accessMode is 2 (a value the kind lacks reads 0).
  int32_t value(int index) const;  // index 1..4
  void setValue(int index, int32_t v);

  // (iSimpleLen, iDotLen) to ticks with this event's wholeTicks; -1 for iSimpleLen < 1.
  int setDurationFromValue(int32_t simpleLen, int32_t dotLen);

  int32_t wholeTicks = kDefaultWholeTicks;
  int32_t duration = 0;
  int32_t EventVal1 = 0;
  int32_t EventVal2 = 0;
  int32_t EventVal3 = 0;
  int32_t EventVal4 = 0;
  int16_t EID = Note;
  int16_t noteCeiling = 127;
  int16_t accessMode = 0;
};

// Whether a kind carries value index 1..4 when values are filtered.
bool kindHasValue(int32_t kind, int index);

// Ticks for (iSimpleLen, iDotLen) at wholeTicks; -1 when iSimpleLen is below 1.
int32_t valueToTicks(int32_t wholeTicks, int32_t simpleLen, int32_t dotLen);

// Ticks back to (iSimpleLen, iDotLen). Returns false (and 0, 0) for a duration of 0.
bool ticksToValue(int32_t duration, int32_t wholeTicks, int32_t& simpleLen, int32_t& dotLen);

struct RangeStats {
  int32_t nAbove = 0;
  int32_t nBelow = 0;
  int32_t maxKey = 0;
  int32_t minKey = 0;
  int32_t span = 0;
};

class Melody {
 public:
  Melody() = default;
  Melody(const Melody&) = default;
  Melody& operator=(const Melody&) = default;

  // A writer's melody is a Melody whose constructor sets the format's limits; none of
  // these operations differs between formats.
  int checkDuration(uint32_t index);
  int checkAllDurations(int32_t& tooLong, int32_t& tooShort, int32_t& inexact, int32_t& flag);
  int appendRange(const Melody& source, uint32_t first, uint32_t count);
  void clearEvents();
  int removeLast(uint32_t n);
  int fitToFormatRange(int octaveMode);
  int formatRangeStatistics(RangeStats& stats);
  int noteName(uint32_t index, int32_t& letter, int32_t& sharp, int32_t& octave, int substitute);
  int velocitiesToVolumeEvents();

  int copyFrom(const Melody& source, uint32_t n);
  int addRecord(int32_t simpleLen, int32_t dotLen, int32_t kind, int32_t v1, int32_t v2, int32_t v3,
                int32_t v4);
  void appendEvent(int32_t kind, int32_t duration, int32_t v1 = 0, int32_t v2 = 0, int32_t v3 = 0,
                   int32_t v4 = 0);
  int getEvent(uint32_t index, MelodyEvent& out) const;
  const MelodyEvent& event(uint32_t index) const { return events_[index]; }
  const std::vector<MelodyEvent>& events() const { return events_; }
  int32_t count() const { return eventCount_; }
  bool empty() const { return events_.empty(); }

  int32_t kindAt(uint32_t index) const;
  int32_t durationAt(uint32_t index) const;
  int32_t value1At(uint32_t index) const;
  int32_t value2At(uint32_t index) const;
  int32_t value3At(uint32_t index) const;
  int32_t value4At(uint32_t index) const;
  void setKindAt(uint32_t index, int32_t kind);
  void setNoteAt(uint32_t index, int32_t key);  // makes the event a Note, key clamped 0..127
  void setDurationAt(uint32_t index, int32_t duration);
  void setValueAt(uint32_t index, int valueIndex, int32_t value);

  int setBPM(int32_t bpm);  // 1..999, -1 = 120; returns 0 when refused
  int32_t getBPM() const { return BPM; }
  void setStyle(int32_t style);
  int32_t getStyle() const { return Style; }
  bool setPPQN(int32_t ppqn);
  int32_t getPPQN() const { return wholeTicks / 4; }

  int eraseRange(uint32_t first, uint32_t count);
  void scaleDurations(int32_t factor);
  int copySplit(Melody& target) const;
  void transpose(int32_t semitones);
  int clampNotes(int32_t lo, int32_t hi);
  int rangeStatistics(int32_t lo, int32_t hi, RangeStats& stats) const;
  int fitToRange(int32_t lo, int32_t hi, int octaveMode);
  int fitToOctaves(int32_t octave, int32_t octaveCount, int octaveMode);
  int checkNote(uint32_t index, int nonNoteResult) const;
  int removeTrailing(int mode, int pausesOnly);
  int volumeEventsToVelocities();
  // ppqn -1 keeps the event's own wholeTicks. Returns false for a zero duration.
  static bool durationToValue(MelodyEvent& event, int32_t ppqn, int32_t& simpleLen,
                              int32_t& dotLen);

  // Replaces the events (used by transformations that build a new list).
  void replaceEvents(std::vector<MelodyEvent> events);

  int16_t Style = 0;
  int32_t lowestNote = 0;
  int32_t highestNote = 127;
  std::string title;
  int32_t BPM = 120;
  int32_t wholeTicks = kDefaultWholeTicks;
  int32_t formatHighestNote = 127;
  int32_t formatLowestNote = 0;
  int32_t maxDuration = 268435455;
  int32_t minDuration = 0;
  uint8_t exactDurations = 0;
  uint8_t dottedPauses = 1;
  int32_t maxDotLen = 0;

 protected:
  void refreshCount() { eventCount_ = static_cast<int32_t>(events_.size()); }
  std::vector<MelodyEvent> events_;

 private:
  int32_t eventCount_ = 0;
};

}  // namespace rv
