// The playback schedule of a melody: when every event starts, how long its note sounds and
// which messages it sends, all counted from the start of playback. Playing, tracing,
// rendering and the tests all read the same schedule.
#pragma once

#include <cstdint>
#include <vector>

class pxvbMelody;

namespace pxplay {

struct ScheduledEvent {
  int event = 0;           // position in the melody
  int64_t startMs = 0;     // the event begins (note-on of a note)
  int64_t soundEndMs = 0;  // the sounding part ends (note-off of a note)
  int64_t endMs = 0;       // the next event begins
  bool note = false;
  int key = 0;       // note-on and note-off key
  int velocity = 0;  // note-on velocity, 0..127
  int style = 0;     // the playing style in force for this event
};

struct TimedMessage {
  int64_t atMs = 0;
  int event = 0;
  int status = 0;
  int data1 = 0;
  int data2 = 0;
  bool operator==(const TimedMessage&) const = default;
};

struct Schedule {
  std::vector<ScheduledEvent> events;
  int64_t totalMs = 0;  // the sum of the events' lengths at the melody's tempo
  // Every note-on and note-off in time order.
  std::vector<TimedMessage> messages() const;
};

// Note-on: channel 1, the running velocity. Note-off: velocity 127.
constexpr int kNoteOn = 144;
constexpr int kNoteOff = 128;

// The melody as played: notes at their own velocity until the first volume change (127
// for every note when ignoreVolume), then at the running velocity that absolute and
// relative (+-8) volume changes set, clamped to 0..127 at each note; style changes switch
// the split of each event into sound and silence (natural 3/4, staccato 1/2, continuous
// all). Tempo changes and loop markers send nothing.
Schedule computeSchedule(const pxvbMelody& melody, bool ignoreVolume);

}  // namespace pxplay
