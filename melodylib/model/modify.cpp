// Whole-melody transformations (duration scaling, velocities <-> volume events) and the
// mapping between MIDI velocities and the sixteen phone volume levels.
#include "modify.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "melody.h"
#include "records.h"
#include "rvphonetables.h"

namespace rv {
namespace {

using rvphone::kLevelVelocity;

// Operation 5 takes the velocity before the first note as 7: a first note at 7 needs no
// VolumeChange in front.
constexpr int32_t kStartVelocity = 7;

int32_t saturate(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// Writes events into the caller's records in order. A Note of duration 0 is not written
// back; any other event that finds no free record marks the output as cut short.
class RecordSink {
 public:
  RecordSink(EventRecord* records, int32_t capacity) : records_(records), capacity_(capacity) {}

  // False once an event had to be dropped for lack of records.
  bool put(const MelodyEvent& event) {
    if (event.EID == Note && event.duration == 0) return true;
    if (written_ >= capacity_) {
      overflow_ = true;
      return false;
    }
    eventToRecord(event, records_[written_++]);
    return true;
  }

  int32_t written() const { return written_; }
  int32_t freeRecords() const { return capacity_ - written_; }
  bool overflow() const { return overflow_; }

 private:
  EventRecord* records_;
  int32_t capacity_;
  int32_t written_ = 0;
  bool overflow_ = false;
};

// Scales the durations and splits every event longer than a whole note into a whole note
// and rests (copySplit), writing the pieces as they come. Splitting event by event and
// stopping when the records are full keeps memory bounded by the capacity: a factor of
// 2^31-1 would otherwise turn one note into millions of rests. A duration that could not
// fit anyway is shortened to capacity + 1 pieces first; the records written are the same.
void scaleAndSplit(const Melody& source, int32_t factor, RecordSink& sink) {
  Melody scaled(source);
  scaled.scaleDurations(factor);

  Melody single;
  Melody pieces;
  const int64_t whole = std::max<int32_t>(single.wholeTicks, 1);
  for (const MelodyEvent& original : scaled.events()) {
    MelodyEvent event(original);
    const int64_t longest = (static_cast<int64_t>(sink.freeRecords()) + 1) * whole;
    if (event.duration > longest) event.duration = saturate(longest);
    single.replaceEvents({event});
    single.copySplit(pieces);
    for (const MelodyEvent& piece : pieces.events())
      if (!sink.put(piece)) return;
  }
}

}  // namespace

int32_t volumeLevelToVelocity(int32_t level) {
  if (level < 0) return 70;
  if (level > 15) return 127;
  return kLevelVelocity[level];
}

// Nearest level: a velocity takes the upper of its two neighbouring levels from their
// midpoint (integer division) upwards, so 9 -> 0, 10 -> 1, 100 -> 11, 101 -> 12.
// Values outside 16 bits are not wrapped: negative gives 7, anything from 127 up 15.
int32_t velocityToVolumeLevel(int32_t velocity) {
  if (velocity < 0) return 7;
  if (velocity == 0) return 0;
  if (velocity >= 127) return 15;
  int32_t level = 1;
  while (kLevelVelocity[level] < velocity) ++level;
  const int32_t below = kLevelVelocity[level - 1];
  const int32_t midpoint = below + (kLevelVelocity[level] - below) / 2;
  return velocity < midpoint ? level - 1 : level;
}

void Melody::scaleDurations(int32_t factor) {
  for (MelodyEvent& event : events_)
    if (event.duration != 0)
      event.duration = saturate(static_cast<int64_t>(event.duration) * factor);
}

// Puts an absolute VolumeChange before every Note whose velocity differs from the one
// before it (starting from 7). Refuses (2, melody unchanged) when the melody already
// has VolumeChange events.
int Melody::velocitiesToVolumeEvents() {
  if (events_.empty()) return 1;
  std::vector<MelodyEvent> result;
  result.reserve(events_.size());
  int32_t previous = kStartVelocity;
  for (const MelodyEvent& event : events_) {
    if (event.EID == VolumeChange) return 2;
    if (event.EID == Note) {
      const int32_t velocity = event.value(2);
      if (velocity != previous) {
        MelodyEvent volume;
        volume.create(VolumeChange, 0, 0, velocity, 0, 0);
        result.push_back(volume);
      }
      previous = velocity;
    }
    result.push_back(event);
  }
  replaceEvents(std::move(result));
  return 1;
}

// Drops every VolumeChange and folds it into the following notes' velocities. Relative
// steps move one volume level from the current velocity (127 at the start); notes keep
// their own velocity until an absolute change has been seen.
int Melody::volumeEventsToVelocities() {
  if (events_.empty()) return 1;
  std::vector<MelodyEvent> result;
  result.reserve(events_.size());
  int32_t current = 127;
  bool absoluteSeen = false;
  for (const MelodyEvent& event : events_) {
    if (event.EID == VolumeChange && event.value(1) == 0) {
      current = event.value(2);
      absoluteSeen = true;
      continue;
    }
    if (event.EID == VolumeChange && event.value(1) == 1) {
      const int32_t level = velocityToVolumeLevel(current);
      current = event.value(2) == 1 ? volumeLevelToVelocity(level + 1)
                                    : volumeLevelToVelocity(std::max(level - 1, 0));
      continue;
    }
    result.push_back(event);
    if (event.EID == Note && absoluteSeen) result.back().setValue(2, current);
  }
  replaceEvents(std::move(result));
  return 1;
}

// Records in, transformed records out (in place). 217 means an event to be written found
// no free record; the records are then filled as far as they go.
int32_t modifyRecords(EventRecord* records, int32_t capacity, int32_t* recordCount,
                      int32_t operation, int32_t factor) {
  if (!records || !recordCount) return RV_UNSUPPORTED;
  if (capacity < 1 || *recordCount < 1 || *recordCount > capacity) return RV_BAD_COUNT;
  if (operation != 1 && operation != 5 && operation != 6) return RV_UNSUPPORTED;
  if (operation == 1 && factor < 1) return RV_UNSUPPORTED;

  Melody melody;
  addRecords(melody, records, *recordCount);

  RecordSink sink(records, capacity);
  if (operation == 1) {
    scaleAndSplit(melody, factor, sink);
  } else {
    if (operation == 5) {
      if (melody.velocitiesToVolumeEvents() == 2) return RV_MODIFY_HAS_VOLUME;
    } else {
      melody.volumeEventsToVelocities();
    }
    for (const MelodyEvent& event : melody.events())
      if (!sink.put(event)) break;
  }
  *recordCount = sink.written();
  return sink.overflow() ? RV_BUFFER_TOO_SMALL : RV_OK;
}

}  // namespace rv
