// Audio ringtone files: a 301-event melody (eighth notes and pauses at 120 BPM, 75 s of
// audio) rendered into memory in each format, with the buzzer and with the synthesizer.
// Reports seconds of audio per second of CPU, measuring and normalising the loudness and
// encoding included.
#include <benchmark/benchmark.h>
#include <time.h>

#include <QBuffer>

#include "devices/deviceplugin.h"
#include "melody/pxvbmelody.h"
#include "playback/audiofiles.h"
#include "playback/playschedule.h"
#include "playback/soundsystem.h"
#include "playback/synthsettings.h"
#include "playback/wavrender.h"

namespace {

pxvbMelody ringtoneMelody() {
  pxvbMelody m;
  m.setsName(QStringLiteral("Bench"));
  m.setbpm(120);
  static constexpr int kKeys[] = {0, 4, 7, 12, 7, 4, 2, 5, 9, 11, 7, 12};
  for (int i = 0; m.size() < 301; ++i) {
    if (i % 9 == 8)
      m.addevent(8, 0, 16);
    else
      m.addevent(8, 0, 1, 60 + kKeys[i % 12], 100);
  }
  return m;
}

int64_t threadCpuUs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1'000'000 + ts.tv_nsec / 1000;
}

void RingtoneRender301(benchmark::State& state) {
  pxdevices::setDirectory(QStringLiteral(PEALIX_BIN_DIR));
  const pxaudio::AudioFormatInfo& format =
      pxaudio::audioFormats().at(static_cast<size_t>(state.range(0)));
  const bool synth = state.range(1) == 1;
  state.SetLabel(std::string(format.name) + (synth ? " synth" : " buzzer"));
  QString why;
  if (!pxaudio::audioFiles(&why) ||
      (synth && (!pxmidi::soundSystem(&why) || pxmidi::findSoundFont({}, &why).isEmpty()))) {
    state.SkipWithError(why.toStdString().c_str());
    return;
  }
  const pxplay::Schedule schedule = pxplay::computeSchedule(ringtoneMelody(), false);
  pxplay::RenderOptions o;
  o.format = format.format;
  o.sampleRate = format.defaultRate;
  o.voice = synth ? pxplay::RenderVoice::Synth : pxplay::RenderVoice::Buzzer;
  o.title = QStringLiteral("Bench");
  double audioSeconds = 0;
  int64_t cpuUs = 0;
  for (auto _ : state) {
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    pxplay::RenderInfo info;
    const int64_t cpu0 = threadCpuUs();
    if (!pxplay::renderAudio(schedule, o, out, QStringLiteral("memory"), &why, &info)) {
      state.SkipWithError(why.toStdString().c_str());
      return;
    }
    cpuUs += threadCpuUs() - cpu0;
    audioSeconds += info.seconds(o.sampleRate);
    benchmark::DoNotOptimize(out.data().size());
  }
  state.counters["audio_s_per_cpu_s"] = cpuUs > 0 ? audioSeconds / (cpuUs / 1e6) : 0;
}
BENCHMARK(RingtoneRender301)
    ->ArgsProduct({benchmark::CreateDenseRange(0, 6, 1), {0, 1}})
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);

}  // namespace
