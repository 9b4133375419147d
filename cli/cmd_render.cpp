#include <unistd.h>

#include <QFile>

#include <cmath>
#include <cstdio>
#include <iomanip>
#include <iostream>

#include "cli_common.h"
#include "commands.h"
#include "play_common.h"
#include "playback/playschedule.h"
#include "playback/wavrender.h"

namespace cli {

void helpRender() {
  std::cout
      << "usage: pealix-cli render INPUT OUTPUT.wav|- [--voice synth|buzzer] [--rate HZ]\n"
         "                         [--gain DB] [--instrument N] [--tempo BPM]\n"
         "                         [--style natural|legato|staccato] [--ignore-volume]\n"
         "                         [--soundfont FILE] [--from FMT]\n\n"
         "Renders the playback into a 16-bit PCM WAV file, without any sound device: as\n"
         "long as the playback plus the synthesizer's release (at most one second),\n"
         "normalised to a peak of -1 dBFS. OUTPUT - writes the WAV to standard output\n"
         "(e.g. 'pealix-cli render tune.rtx - | aplay'); the status line then goes to\n"
         "standard error.\n\n"
         "  --voice synth     the built-in General MIDI synthesizer, stereo (default)\n"
         "  --voice buzzer    a square wave, as a phone's piezo buzzer plays it, mono\n"
         "  --rate HZ         sample rate 8000..192000 (default 44100)\n"
         "  --gain DB         a fixed gain of -60..60 dB on the voice's own level instead of\n"
         "                    the normalisation (0: the synthesizer at unit gain, the buzzer\n"
         "                    at 45 % of full scale); louder samples are clipped\n"
      << kPlaybackOptionsHelp;
}

namespace {

// A decimal number, all of the text.
bool parseDecibels(const std::string& text, double* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

}  // namespace

int runRender(int argc, char** argv) {
  Args args(argc, argv, 1);
  bool bad = false;
  const auto voice = args.value("--voice");
  const auto rate = args.intValue("--rate", bad);
  const auto gain = args.value("--gain");
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
  if (gain) {
    double db = 0;
    if (!parseDecibels(*gain, &db) || std::abs(db) > 60) {
      std::cerr << "pealix-cli render: --gain takes a number of decibels in -60..60\n";
      return 2;
    }
    options.gainDb = db;
  }
  PlaybackSetup setup;
  if (const int status = preparePlayback("render", args, 2, setup)) {
    return status;
  }
  options.program = setup.program;
  options.soundFont = setup.soundFont;
  const std::string output = args.positional()[1];
  const bool toStdout = output == "-";
  // With the sound on standard output, standard output carries nothing else.
  std::ostream& status = toStdout ? std::cerr : std::cout;
  if (toStdout && ::isatty(STDOUT_FILENO)) {
    std::cerr << "pealix-cli render: standard output is a terminal; send the WAV into a pipe "
                 "or a file (e.g. '| aplay')\n";
    return 2;
  }
  const pxplay::Schedule schedule = pxplay::computeSchedule(setup.melody, setup.ignoreVolume);
  QString error;
  pxplay::RenderInfo info;
  bool ok = false;
  if (toStdout) {
    QFile out;
    ok =
        out.open(stdout, QIODevice::WriteOnly, QFileDevice::DontCloseHandle) &&
        pxplay::renderWav(schedule, options, out, QStringLiteral("standard output"), &error, &info);
    if (ok && !out.flush()) {
      error = QStringLiteral("standard output: ") + out.errorString();
      ok = false;
    }
    if (!ok && error.isEmpty()) error = QStringLiteral("standard output: ") + out.errorString();
  } else {
    ok = pxplay::renderWav(schedule, options, QString::fromStdString(output), &error, &info);
  }
  if (!ok) {
    std::cerr << "pealix-cli render: " << error.toStdString() << "\n";
    return 1;
  }
  status << "wrote " << (toStdout ? std::string("standard output") : output) << " (" << std::fixed
         << std::setprecision(3) << static_cast<double>(info.frames) / options.sampleRate << " s, "
         << (options.voice == pxplay::RenderVoice::Synth ? "synth" : "buzzer") << ", "
         << options.sampleRate << " Hz, " << info.channels << " channel"
         << (info.channels > 1 ? "s" : "") << ", peak " << std::setprecision(1);
  if (std::isfinite(info.peakDb))
    status << info.peakDb << " dBFS";
  else
    status << "silence";
  status << ")\n";
  if (info.clipped > 0)
    std::cerr << "pealix-cli render: note: " << info.clipped
              << " samples were louder than full scale and were clipped (lower --gain)\n";
  return 0;
}

}  // namespace cli
