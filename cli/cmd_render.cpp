#include <iomanip>
#include <iostream>

#include "cli_common.h"
#include "commands.h"
#include "play_common.h"
#include "playback/playschedule.h"
#include "playback/wavrender.h"

namespace cli {

void helpRender() {
  std::cout << "usage: pealix-cli render INPUT OUTPUT.wav [--voice synth|buzzer] [--rate HZ]\n"
               "                         [--instrument N] [--tempo BPM]\n"
               "                         [--style natural|legato|staccato] [--ignore-volume]\n"
               "                         [--from FMT]\n\n"
               "Renders the playback into a 16-bit PCM WAV file, without any sound device: as\n"
               "long as the playback plus the synthesizer's release (at most one second).\n\n"
               "  --voice synth     the built-in General MIDI synthesizer, stereo (default)\n"
               "  --voice buzzer    a square wave, as a phone's piezo buzzer plays it, mono\n"
               "  --rate HZ         sample rate 8000..192000 (default 44100)\n"
            << kPlaybackOptionsHelp;
}

int runRender(int argc, char** argv) {
  Args args(argc, argv, 1);
  bool bad = false;
  const auto voice = args.value("--voice");
  const auto rate = args.intValue("--rate", bad);
  if (bad) {
    return 2;
  }
  pxplay::RenderOptions options;
  if (voice && *voice != "synth" && *voice != "buzzer") {
    std::cerr << "pealix-cli render: --voice takes synth or buzzer\n";
    return 2;
  }
  if (voice && *voice == "buzzer") options.voice = pxplay::RenderVoice::Buzzer;
  if (rate) {
    if (*rate < 8000 || *rate > 192000) {
      std::cerr << "pealix-cli render: --rate takes 8000..192000\n";
      return 2;
    }
    options.sampleRate = *rate;
  }
  PlaybackSetup setup;
  if (const int status = preparePlayback("render", args, 2, setup)) {
    return status;
  }
  options.program = setup.program;
  const std::string output = args.positional()[1];
  const pxplay::Schedule schedule = pxplay::computeSchedule(setup.melody, setup.ignoreVolume);
  QString error;
  pxplay::RenderInfo info;
  if (!pxplay::renderWav(schedule, options, QString::fromStdString(output), &error, &info)) {
    std::cerr << "pealix-cli render: " << error.toStdString() << "\n";
    return 1;
  }
  std::cout << "wrote " << output << " (" << std::fixed << std::setprecision(3)
            << static_cast<double>(info.frames) / options.sampleRate << " s, "
            << (options.voice == pxplay::RenderVoice::Synth ? "synth" : "buzzer") << ", "
            << options.sampleRate << " Hz, " << info.channels << " channel"
            << (info.channels > 1 ? "s" : "") << ")\n";
  return 0;
}

}  // namespace cli
