#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <cstdio>
#include <iostream>
#include <thread>

#include "cli_common.h"
#include "commands.h"
#include "melody/rvtonehead.h"
#include "play_common.h"
#include "playback/modmidiplay.h"
#include "playback/synthsettings.h"
#include "settings/settingsstore.h"

namespace cli {

const char* const kPlaybackOptionsHelp =
    "  --from FMT        the input's format (default: by its extension)\n"
    "  --instrument N    General MIDI instrument 0..127 (default: the one stored by the\n"
    "                    note view's MIDI setup)\n"
    "  --tempo BPM       beats per minute (below 1 plays at 120, above 999 at 999;\n"
    "                    default: the melody's tempo)\n"
    "  --style S         natural (3/4 sound, 1/4 silence), legato (no gaps) or staccato\n"
    "                    (half sound, half silence); default: the melody's own\n"
    "  --ignore-volume   play every note at velocity 127, whatever the volume events say\n"
    "  --soundfont FILE  the General MIDI SoundFont of the built-in synthesizer (default: the\n"
    "                    one chosen in the options, else PEALIX_SOUNDFONT, else the system's\n"
    "                    default-GM.sf2, else TimGM6mb.sf2)\n";

int preparePlayback(const char* command, Args& args, size_t positional, PlaybackSetup& setup) {
  bool bad = false;
  const auto from = args.value("--from");
  const auto instrument = args.intValue("--instrument", bad);
  const auto tempo = args.intValue("--tempo", bad);
  const auto style = args.value("--style");
  setup.ignoreVolume = args.flag("--ignore-volume");
  const auto soundFont = args.value("--soundfont");
  for (const std::string& u : args.unknown()) {
    std::cerr << "pealix-cli " << command << ": unknown option " << u << "\n";
    bad = true;
  }
  if (bad) return 2;
  if (args.positional().size() != positional) {
    std::cerr << "pealix-cli " << command << ": needs "
              << (positional == 1 ? "INPUT" : "INPUT and OUTPUT") << "\n";
    return 2;
  }
  const std::string input = args.positional()[0];
  if (instrument && (*instrument < 0 || *instrument > 127)) {
    std::cerr << "pealix-cli " << command << ": --instrument takes 0..127\n";
    return 2;
  }
  int styleIndex = -1;
  if (style) {
    static const char* const kStyles[] = {"natural", "legato", "staccato"};
    for (int i = 0; i < 3; ++i)
      if (*style == kStyles[i]) styleIndex = i;
    if (styleIndex < 0) {
      std::cerr << "pealix-cli " << command << ": --style takes natural, legato or staccato\n";
      return 2;
    }
  }
  const CliFormat* format = chooseFormat(command, from, input, true);
  if (!format) return 2;
  if (!loadLibrary()) return 1;
  Document doc;
  if (isAppFormat(*format) ? !readAppText(input, *format, ",", doc)
                           : !readMelody(input, *format, 255, doc))
    return 1;
  rvTonehead::FromRecords(setup.melody, doc.records.data(), static_cast<int>(doc.records.size()));
  setup.melody.setbpm(doc.bpm);
  if (!doc.title.empty()) setup.melody.setsName(QString::fromStdString(doc.title));
  if (tempo) setup.melody.setbpm(*tempo < 1 ? 120 : std::min(*tempo, 999));
  if (styleIndex >= 0) setup.melody.setDefStyle(styleIndex);
  const pxsettings::SettingsStore store;
  setup.program = instrument ? *instrument : store.instrument();
  setup.soundFont =
      soundFont ? QString::fromStdString(*soundFont) : pxmidi::SynthSettings::load(store).soundFont;
  return 0;
}

void helpPlay() {
  std::cout << "usage: pealix-cli play INPUT [--device ID|none] [--instrument N] [--tempo BPM]\n"
               "                       [--style natural|legato|staccato] [--ignore-volume]\n"
               "                       [--soundfont FILE] [--audio-driver DRIVER]\n"
               "                       [--trace] [--from FMT]\n\n"
               "Plays the melody as the note view does. Device -1 (the default) is the built-in\n"
               "synthesizer on the default audio output; 'pealix-cli devices' lists the others.\n"
               "Ctrl-C stops after the sounding note, a second Ctrl-C at once.\n\n"
               "  --device none     play silently (with --trace: the timing alone)\n"
               "  --trace           one line per MIDI message as it is sent: milliseconds since\n"
               "                    the start, status, data 1, data 2 (decimal)\n"
               "  --audio-driver D  the built-in synthesizer's audio output: auto (the desktop's\n"
               "                    sound server, else ALSA), pipewire, pulseaudio, alsa or jack\n"
               "                    (default: the one chosen in the options)\n"
            << kPlaybackOptionsHelp;
}

namespace {

// Ctrl-C and SIGTERM are taken by a thread of their own: the first stops the playback
// after the sounding note, the next one ends it at once. The signals are blocked before
// any other thread exists (the synthesizer's audio thread among them), so none of them
// ends the program with a note left sounding.
class InterruptWatch {
 public:
  explicit InterruptWatch(modMidiplay& player) : player_(player) {
    sigemptyset(&set_);
    sigaddset(&set_, SIGINT);
    sigaddset(&set_, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &set_, nullptr);
    thread_ = std::thread([this] {
      const timespec step{0, 100'000'000};
      while (!done_) {
        if (sigtimedwait(&set_, nullptr, &step) < 0) continue;
        if (++count_ == 1)
          player_.StopPlay();
        else
          player_.AbortPlay();
      }
    });
  }
  ~InterruptWatch() {
    done_ = true;
    thread_.join();
    pthread_sigmask(SIG_UNBLOCK, &set_, nullptr);
  }
  // True once Ctrl-C or SIGTERM came.
  bool interrupted() const { return count_ > 0; }

 private:
  modMidiplay& player_;
  sigset_t set_;
  std::atomic<bool> done_{false};
  std::atomic<int> count_{0};
  std::thread thread_;
};

}  // namespace

int runPlay(int argc, char** argv) {
  Args args(argc, argv, 1);
  bool bad = false;
  const auto device = args.value("--device");
  const bool trace = args.flag("--trace");
  const auto driverName = args.value("--audio-driver");
  PlaybackSetup setup;
  int deviceId = -1;
  bool silent = false;
  if (device) {
    if (*device == "none") {
      silent = true;
    } else {
      try {
        size_t used = 0;
        deviceId = std::stoi(*device, &used);
        bad = used != device->size();
      } catch (const std::exception&) {
        bad = true;
      }
      if (bad) {
        std::cerr << "pealix-cli play: --device takes a device id or 'none'\n";
        return 2;
      }
    }
  }
  pxmidi::SynthSettings synth = pxmidi::SynthSettings::load(pxsettings::SettingsStore());
  if (driverName) {
    const auto driver = pxmidi::audioDriverFromName(QString::fromStdString(*driverName));
    if (!driver) {
      std::cerr << "pealix-cli play: --audio-driver takes auto, pipewire, pulseaudio, alsa or "
                   "jack\n";
      return 2;
    }
    synth.driver = *driver;
  }
  if (const int status = preparePlayback("play", args, 1, setup)) {
    return status;
  }
  synth.soundFont = setup.soundFont;

  pxmidi::SystemMidiBackend backend(QStringLiteral("Built-in synthesizer"), synth);
  modMidiplay player(backend, [](const QString& text) {
    std::cerr << "pealix-cli play: " << QString(text).replace("\n\n", ": ").toStdString() << "\n";
  });
  // Before the device opens: its threads must inherit the blocked signals.
  const InterruptWatch watch(player);
  if (silent) {
    player.UseOutput(std::make_unique<pxmidi::NullOutput>());
  } else if (!player.OpenMidiOut(deviceId, true, false)) {
    std::cerr << "pealix-cli play: nothing was played ('--device none' plays silently)\n";
    return 1;
  }
  if (!player.ProgramChange(0, setup.program)) return 1;
  if (trace) std::printf("0 192 %d 0\n", setup.program);

  pxplay::PlaybackObserver observer;
  if (trace)
    observer.messageSent = [](int64_t sentUs, int64_t, int status, int d1, int d2) {
      std::printf("%lld %d %d %d\n", static_cast<long long>(sentUs / 1000), status, d1, d2);
      std::fflush(stdout);
    };
  if (watch.interrupted()) return 130;
  pxplay::PlaybackResult result;
  player.StartPlay(setup.melody, setup.ignoreVolume, observer,
                   [&result](const pxplay::PlaybackResult& r) { result = r; });
  player.WaitPlay();
  if (!result.error.isEmpty()) {
    std::cerr << "pealix-cli play: the playback ended early: " << result.error.toStdString()
              << "\n";
    return 1;
  }
  if (!trace)
    std::cout << (result.stopped ? "stopped after " : "played ") << result.elapsedMs << " ms of "
              << result.expectedMs << " ms\n";
  return result.stopped ? 130 : 0;
}

}  // namespace cli
