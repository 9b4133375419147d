// Playback timing: a 301-event melody at 999 BPM played on the steady clock into a
// recording output. Reports how late each message went out against its scheduled time
// (median, 99th percentile, worst) and the playing thread's CPU time as a share of the
// playback's length. Also the cost of computing the schedule.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <vector>

#include "melody/pxvbmelody.h"
#include "playback/midiout.h"
#include "playback/playengine.h"
#include "playback/playschedule.h"

namespace {

// Short notes and pauses at the highest tempo the note view allows: the gaps between
// messages are a few milliseconds, with volume and style changes on the way.
pxvbMelody fastMelody() {
  pxvbMelody m;
  m.setbpm(999);
  m.setDefStyle(0);
  static constexpr int kLengths[] = {16, 32, 16, 8, 32, 16, 64, 16};
  static constexpr int kKeys[] = {0, 2, 4, 5, 7, 9, 11, 12, 11, 9, 7, 4};
  for (int i = 0; m.size() < 301; ++i) {
    if (i % 40 == 39)
      m.addevent(0, 0, 3, (i / 40) % 3);
    else if (i % 25 == 24)
      m.addevent(0, 0, 5, 1, i % 2);
    else if (i % 7 == 6)
      m.addevent(kLengths[i % 8], 0, 16);
    else
      m.addevent(kLengths[i % 8], i % 5 == 0 ? 1 : 0, 1, 60 + kKeys[i % 12], 100);
  }
  return m;
}

int64_t threadCpuUs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1'000'000 + ts.tv_nsec / 1000;
}

double percentile(std::vector<int64_t> v, double q) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t at = std::min(v.size() - 1, static_cast<size_t>(q * (v.size() - 1) + 0.5));
  return static_cast<double>(v[at]);
}

void PlaybackSchedule301(benchmark::State& state) {
  const pxvbMelody m = fastMelody();
  for (auto _ : state) benchmark::DoNotOptimize(pxplay::computeSchedule(m, false));
  state.counters["events"] = m.size();
}
BENCHMARK(PlaybackSchedule301);

void PlaybackTiming301At999Bpm(benchmark::State& state) {
  const pxvbMelody m = fastMelody();
  const pxplay::Schedule schedule = pxplay::computeSchedule(m, false);
  pxplay::SteadyTimer timer;
  pxmidi::RecordingOutput out([&timer] { return timer.nowUs(); });
  pxplay::PlaybackEngine engine(out, timer);
  std::vector<int64_t> lateUs;
  lateUs.reserve(schedule.messages().size() * 4);
  pxplay::PlaybackObserver observer;
  observer.messageSent = [&lateUs](int64_t sentUs, int64_t scheduledMs, int, int, int) {
    lateUs.push_back(sentUs - scheduledMs * 1000);
  };
  int64_t cpuUs = 0, wallUs = 0;
  for (auto _ : state) {
    engine.rearm();
    out.clear();
    const int64_t cpu0 = threadCpuUs(), wall0 = timer.nowUs();
    const pxplay::PlaybackResult r = engine.run(schedule, observer);
    cpuUs += threadCpuUs() - cpu0;
    wallUs += timer.nowUs() - wall0;
    if (!r.error.isEmpty()) state.SkipWithError("a message could not be sent");
  }
  state.counters["messages"] = static_cast<double>(out.messages().size());
  state.counters["playback_ms"] = static_cast<double>(schedule.totalMs);
  state.counters["late_median_us"] = percentile(lateUs, 0.5);
  state.counters["late_p99_us"] = percentile(lateUs, 0.99);
  state.counters["late_max_us"] = percentile(lateUs, 1.0);
  state.counters["cpu_pct"] = wallUs > 0 ? 100.0 * cpuUs / wallUs : 0;
}
BENCHMARK(PlaybackTiming301At999Bpm)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
