#include "playback/playengine.h"

#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>

#include <algorithm>
#include <chrono>

namespace pxplay {

int64_t SteadyTimer::nowUs() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

bool SteadyTimer::waitUntil(int64_t deadlineUs) {
  using namespace std::chrono;
  const steady_clock::time_point deadline{microseconds(deadlineUs)};
  std::unique_lock lock(mutex_);
  const bool woken = cv_.wait_until(lock, deadline, [this] { return woken_; });
  if (woken) {
    woken_ = false;
    return false;
  }
  return true;
}

void SteadyTimer::wake() {
  {
    std::lock_guard lock(mutex_);
    woken_ = true;
  }
  cv_.notify_all();
}

void PlaybackEngine::rearm() {
  stop_ = false;
  abort_ = false;
}

void PlaybackEngine::requestStop() {
  stop_ = true;
  timer_.wake();
}

void PlaybackEngine::abort() {
  abort_ = true;
  stop_ = true;
  timer_.wake();
}

bool PlaybackEngine::send(int64_t t0, int64_t scheduledMs, int status, int d1, int d2,
                          const PlaybackObserver& observer, PlaybackResult& result) {
  QString error;
  if (!output_.send(pxmidi::packShortMsg(status, d1, d2), &error)) {
    if (result.error.isEmpty())
      result.error =
          error.isEmpty() ? QStringLiteral("The MIDI message could not be sent.") : error.left(128);
    return false;
  }
  if (observer.messageSent) observer.messageSent(timer_.nowUs() - t0, scheduledMs, status, d1, d2);
  return true;
}

// Sleeps until the deadline. A wake ends the sleep early only when it came with a stop
// request (stoppable) or an abort; any other wake (one left over from an earlier
// playback) just sleeps on.
bool PlaybackEngine::sleepUntil(int64_t deadlineUs, bool stoppable) {
  while (!timer_.waitUntil(deadlineUs)) {
    if (abort_ || (stoppable && stop_)) return false;
  }
  return true;
}

PlaybackResult PlaybackEngine::run(const Schedule& schedule, const PlaybackObserver& observer) {
  // Wake at the deadlines themselves, not up to 50 us later as the kernel's default timer
  // slack allows; the thread's own setting comes back at the end.
  const int slack = prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0);
  prctl(PR_SET_TIMERSLACK, 1, 0, 0, 0);
  // Where the system allows it (an audio group's real-time limit, rtkit-style setups),
  // the playing thread gets a low real-time priority, so a busy machine delays no
  // message; otherwise it plays at its normal priority.
  int policy = SCHED_OTHER;
  sched_param param{};
  const bool gotParams = pthread_getschedparam(pthread_self(), &policy, &param) == 0;
  sched_param realtime{};
  realtime.sched_priority = std::min(10, sched_get_priority_max(SCHED_FIFO));
  const bool raised = gotParams && policy == SCHED_OTHER &&
                      pthread_setschedparam(pthread_self(), SCHED_FIFO, &realtime) == 0;
  PlaybackResult result;
  result.expectedMs = schedule.totalMs;
  const int64_t t0 = timer_.nowUs();
  const auto at = [t0](int64_t ms) { return t0 + ms * 1000; };

  for (const ScheduledEvent& e : schedule.events) {
    if (stop_) break;
    if (!sleepUntil(at(e.startMs), true)) break;
    ++result.eventsStarted;
    if (observer.eventStarted) observer.eventStarted(e.event);
    if (e.note) {
      if (!send(t0, e.startMs, kNoteOn, e.key, e.velocity, observer, result)) break;
      // A stop request lets the note finish; only an abort cuts it short.
      sleepUntil(at(e.soundEndMs), false);
      if (!send(t0, e.soundEndMs, kNoteOff, e.key, 127, observer, result)) break;
      if (stop_) break;
    }
    // Nothing sounds during a pause, a control event or a gap: a stop ends them at once.
    if (!sleepUntil(at(e.endMs), true)) break;
  }
  result.stopped = stop_;
  result.elapsedMs = (timer_.nowUs() - t0) / 1000;
  if (raised) pthread_setschedparam(pthread_self(), policy, &param);
  if (slack > 0) prctl(PR_SET_TIMERSLACK, slack, 0, 0, 0);
  return result;
}

}  // namespace pxplay
