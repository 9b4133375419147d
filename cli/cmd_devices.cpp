#include <iostream>

#include "cli_common.h"
#include "commands.h"
#include "playback/midiout.h"
#include "playback/modmidiplay.h"
#include "playback/soundsystem.h"
#include "playback/synthsettings.h"
#include "settings/settingsstore.h"

namespace cli {

void helpDevices() {
  std::cout << "usage: pealix-cli devices\n\n"
               "Lists the MIDI output devices with their ids, as the note view's MIDI setup\n"
               "offers them: -1 the built-in synthesizer (General MIDI SoundFont on the default\n"
               "audio output), then the ALSA sequencer's output ports. 'pealix-cli play\n"
               "--device ID' plays on one of them.\n";
}

int runDevices(int argc, char** argv) {
  Args args(argc, argv, 1);
  if (!args.positional().empty() || !args.unknown().empty()) {
    return 2;
  }
  QString pluginError;
  if (!pxmidi::soundSystem(&pluginError)) {
    std::cerr << "pealix-cli devices: " << pluginError.toStdString() << "\n";
    return 1;
  }
  const pxmidi::SynthSettings synth = pxmidi::SynthSettings::load(pxsettings::SettingsStore());
  pxmidi::SystemMidiBackend backend(QStringLiteral("Built-in synthesizer"), synth);
  QString portError;
  backend.portCount(&portError);
  bool failed = false;
  modMidiplay player(backend, [&failed](const QString& text) {
    std::cerr << "pealix-cli devices: " << text.toStdString() << "\n";
    failed = true;
  });
  for (const modMidiplay::DeviceEntry& d : player.FillDeviceList())
    std::cout << d.id << "\t" << d.name.toStdString() << "\n";
  QString fontError;
  if (pxmidi::findSoundFont(synth.soundFont, &fontError).isEmpty())
    std::cerr << "note: device -1 cannot play: " << fontError.toStdString() << "\n";
  if (!portError.isEmpty()) std::cerr << "note: no MIDI ports: " << portError.toStdString() << "\n";
  return failed ? 1 : 0;
}

}  // namespace cli
