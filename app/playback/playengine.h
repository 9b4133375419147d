// Plays a schedule on a MIDI output. Every message is sent at its scheduled time counted
// from one start time, so time spent sending or showing an event never adds up; between
// messages the engine sleeps on the timer (no polling). Stop ends the playback after the
// sounding note's note-off; during a pause or a gap it ends at once.
#pragma once

#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

#include "playback/midiout.h"
#include "playback/playschedule.h"

namespace pxplay {

// The clock and the sleep of a playback, replaceable in tests.
class PlaybackTimer {
 public:
  virtual ~PlaybackTimer() = default;
  virtual int64_t nowUs() = 0;
  // Sleeps until nowUs() reaches deadlineUs (true), or until wake() is called (false).
  virtual bool waitUntil(int64_t deadlineUs) = 0;
  // Ends the current or the next wait early.
  virtual void wake() = 0;
};

// std::chrono::steady_clock with a condition variable.
class SteadyTimer : public PlaybackTimer {
 public:
  int64_t nowUs() override;
  bool waitUntil(int64_t deadlineUs) override;
  void wake() override;

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool woken_ = false;
};

struct PlaybackObserver {
  // The event at this position starts (select and show it); called on the playing thread.
  std::function<void(int event)> eventStarted;
  // A message went out: microseconds since the start, its scheduled time, the bytes.
  std::function<void(int64_t sentUs, int64_t scheduledMs, int status, int data1, int data2)>
      messageSent;
};

struct PlaybackResult {
  bool stopped = false;    // ended by a stop request or an abort
  int64_t elapsedMs = 0;   // from the first event to the end
  int64_t expectedMs = 0;  // the schedule's length
  int eventsStarted = 0;
  QString error;  // a message could not be sent (the playback ended there)
};

class PlaybackEngine {
 public:
  PlaybackEngine(pxmidi::MidiOutput& output, PlaybackTimer& timer)
      : output_(output), timer_(timer) {}

  // Clears a stop request or abort left from an earlier playback.
  void rearm();
  // Plays the whole schedule in the calling thread and returns when it is over (at once
  // when a stop was requested since the last rearm).
  PlaybackResult run(const Schedule& schedule, const PlaybackObserver& observer = {});
  // Thread-safe. Ends after the sounding note's note-off.
  void requestStop();
  // Thread-safe. Ends at once; a sounding note gets its note-off now.
  void abort();
  bool stopRequested() const { return stop_; }

 private:
  bool sleepUntil(int64_t deadlineUs, bool stoppable);
  bool send(int64_t t0, int64_t scheduledMs, int status, int d1, int d2,
            const PlaybackObserver& observer, PlaybackResult& result);

  pxmidi::MidiOutput& output_;
  PlaybackTimer& timer_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> abort_{false};
};

}  // namespace pxplay
