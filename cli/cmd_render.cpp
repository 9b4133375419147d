#include <unistd.h>

#include <QFile>

#include <cmath>
#include <cstdio>
#include <iomanip>
#include <iostream>

#include "cli_common.h"
#include "commands.h"
#include "play_common.h"
#include "playback/audiofiles.h"
#include "playback/playschedule.h"
#include "playback/wavrender.h"

namespace cli {

void helpRender() {
  std::cout
      << "usage: pealix-cli render INPUT OUTPUT|- [--format FMT] [--voice synth|buzzer]\n"
         "                         [--rate HZ] [--loudness LUFS | --gain DB] [--max-seconds N]\n"
         "                         [--instrument N] [--tempo BPM]\n"
         "                         [--style natural|legato|staccato] [--ignore-volume]\n"
         "                         [--soundfont FILE] [--from FMT]\n\n"
         "Renders the playback into an audio ringtone file, without any sound device: as\n"
         "long as the playback plus the synthesizer's release (at most one second),\n"
         "normalised to a loudness of -16 LUFS (EBU R 128) with the true peak at most\n"
         "-1 dBTP, the melody's title in the file's tags. The format is OUTPUT's extension\n"
         "or --format:\n\n";
  for (const pxaudio::AudioFormatInfo& f : pxaudio::audioFormats())
    std::cout << "  " << std::left << std::setw(6) << f.name << std::setw(7) << f.extension
              << f.description << (f.streams ? "" : "; not to standard output") << "\n";
  std::cout
      << "\nOUTPUT - writes to standard output (WAV unless --format says otherwise, e.g.\n"
         "'pealix-cli render tune.rtx - | aplay'); the status line then goes to standard\n"
         "error.\n\n"
         "  --voice synth     the built-in General MIDI synthesizer, stereo (default)\n"
         "  --voice buzzer    a square wave, as a phone's piezo buzzer plays it, mono\n"
         "  --rate HZ         sample rate 8000..192000 (default 44100, Opus 48000; MP3, AAC\n"
         "                    and Opus take their standard rates only)\n"
         "  --loudness LUFS   the loudness target, -40..-5 (default -16)\n"
         "  --gain DB         a fixed gain of -60..60 dB on the voice's own level instead of\n"
         "                    the normalisation (0: the synthesizer at unit gain, the buzzer\n"
         "                    at 45 % of full scale); louder samples are clipped\n"
         "  --max-seconds N   at most N seconds (1..3600): the melody is cut at the end of\n"
         "                    the last note that fits and its last second fades out\n"
         "                    (.m4r: 40 by default, the most an iPhone takes)\n"
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
  const auto loudness = args.value("--loudness");
  const auto maxSeconds = args.value("--max-seconds");
  const auto formatName = args.value("--format");
  if (bad) {
    return 2;
  }
  pxplay::RenderOptions options;
  if (voice && *voice != "synth" && *voice != "buzzer") {
    std::cerr << "pealix-cli render: --voice takes synth or buzzer\n";
    return 2;
  }
  if (voice && *voice == "buzzer") options.voice = pxplay::RenderVoice::Buzzer;
  if (gain && loudness) {
    std::cerr << "pealix-cli render: --gain and --loudness exclude each other\n";
    return 2;
  }
  if (gain) {
    double db = 0;
    if (!parseDecibels(*gain, &db) || std::abs(db) > 60) {
      std::cerr << "pealix-cli render: --gain takes a number of decibels in -60..60\n";
      return 2;
    }
    options.gainDb = db;
  }
  if (loudness) {
    double lufs = 0;
    if (!parseDecibels(*loudness, &lufs) || lufs < pxplay::kMinLoudness ||
        lufs > pxplay::kMaxLoudness) {
      std::cerr << "pealix-cli render: --loudness takes a number of LUFS in -40..-5\n";
      return 2;
    }
    options.loudness = lufs;
  }
  if (maxSeconds) {
    double seconds = 0;
    if (!parseDecibels(*maxSeconds, &seconds) || seconds < 1 || seconds > 3600) {
      std::cerr << "pealix-cli render: --max-seconds takes a number of seconds in 1..3600\n";
      return 2;
    }
    options.maxSeconds = seconds;
  }
  PlaybackSetup setup;
  if (const int status = preparePlayback("render", args, 2, setup)) {
    return status;
  }
  options.program = setup.program;
  options.soundFont = setup.soundFont;
  options.title = setup.melody.sName();
  const std::string output = args.positional()[1];
  const bool toStdout = output == "-";

  // The format: --format, else the extension; a WAV on standard output unless told.
  const QString outPath = QString::fromStdString(output);
  const pxaudio::AudioFormatInfo* byName =
      formatName ? pxaudio::audioFormatByName(QString::fromStdString(*formatName)) : nullptr;
  const pxaudio::AudioFormatInfo* byPath =
      toStdout ? nullptr : pxaudio::audioFormatForPath(outPath);
  if (formatName && !byName) {
    std::cerr << "pealix-cli render: unknown --format " << *formatName << " (";
    for (const pxaudio::AudioFormatInfo& f : pxaudio::audioFormats())
      std::cerr << (&f == &pxaudio::audioFormats().front() ? "" : ", ") << f.name;
    std::cerr << ")\n";
    return 2;
  }
  if (byName && byPath && byName != byPath) {
    std::cerr << "pealix-cli render: " << output << " has the extension of " << byPath->name
              << ", not of --format " << byName->name << "\n";
    return 2;
  }
  const pxaudio::AudioFormatInfo* format = byName ? byName : byPath;
  if (!format && toStdout) format = &pxaudio::audioFormatInfo(pxaudio::AudioFormat::Wav);
  if (!format) {
    std::cerr << "pealix-cli render: " << output
              << " has no audio file extension (.wav, .flac, .ogg, .opus, .mp3, .m4r, .m4a); "
                 "name the format with --format\n";
    return 2;
  }
  options.format = format->format;
  if (toStdout && !format->streams) {
    std::cerr << "pealix-cli render: " << format->name
              << " cannot go to standard output (an MP4 file needs seeking); write a file\n";
    return 2;
  }
  if (format->maxSeconds > 0) {
    if (!options.maxSeconds) {
      options.maxSeconds = format->maxSeconds;
    } else if (*options.maxSeconds > format->maxSeconds) {
      std::cerr << "pealix-cli render: a ." << format->name << " ringtone plays at most "
                << format->maxSeconds << " seconds\n";
      return 2;
    }
  }
  options.sampleRate = rate ? *rate : format->defaultRate;
  QString rateError;
  if (!pxaudio::checkRate(*format, options.sampleRate, &rateError)) {
    std::cerr << "pealix-cli render: --rate: " << rateError.toStdString() << "\n";
    return 2;
  }
  // With the sound on standard output, standard output carries nothing else.
  std::ostream& status = toStdout ? std::cerr : std::cout;
  if (toStdout && ::isatty(STDOUT_FILENO)) {
    std::cerr << "pealix-cli render: standard output is a terminal; send the sound into a pipe "
                 "or a file (e.g. '| aplay')\n";
    return 2;
  }
  const pxplay::Schedule schedule = pxplay::computeSchedule(setup.melody, setup.ignoreVolume);
  QString error;
  pxplay::RenderInfo info;
  bool ok = false;
  if (toStdout) {
    QFile out;
    ok = out.open(stdout, QIODevice::WriteOnly, QFileDevice::DontCloseHandle) &&
         pxplay::renderAudio(schedule, options, out, QStringLiteral("standard output"), &error,
                             &info);
    if (ok && !out.flush()) {
      error = QStringLiteral("standard output: ") + out.errorString();
      ok = false;
    }
    if (!ok && error.isEmpty()) error = QStringLiteral("standard output: ") + out.errorString();
  } else {
    ok = pxplay::renderAudio(schedule, options, outPath, &error, &info);
  }
  if (!ok) {
    std::cerr << "pealix-cli render: " << error.toStdString() << "\n";
    return 1;
  }
  status << "wrote " << (toStdout ? std::string("standard output") : output) << " (" << format->name
         << ", " << std::fixed << std::setprecision(3) << info.seconds(options.sampleRate) << " s, "
         << (options.voice == pxplay::RenderVoice::Synth ? "synth" : "buzzer") << ", "
         << options.sampleRate << " Hz, " << info.channels << " channel"
         << (info.channels > 1 ? "s" : "") << ", " << std::setprecision(1);
  if (std::isfinite(info.loudness)) status << info.loudness << " LUFS, ";
  status << "peak ";
  if (std::isfinite(info.peakDb))
    status << info.peakDb << " dBFS";
  else
    status << "silence";
  status << ")\n";
  if (info.cut)
    std::cerr << "pealix-cli render: note: the melody was cut after " << std::setprecision(1)
              << info.seconds(options.sampleRate) << " s at the end of a note (--max-seconds)\n";
  if (!options.gainDb && std::isfinite(info.loudness) && info.loudness < options.loudness - 0.5)
    std::cerr << "pealix-cli render: note: the true-peak ceiling of -1 dBTP holds the loudness at "
              << std::setprecision(1) << info.loudness << " LUFS\n";
  if (info.clipped > 0)
    std::cerr << "pealix-cli render: note: " << info.clipped
              << " samples were louder than full scale and were clipped (lower --gain)\n";
  return 0;
}

}  // namespace cli
