#include "playback/soundsystem.h"

#include "devices/deviceplugin.h"

namespace pxmidi {

SoundSystem* soundSystem(QString* error) {
  using Entry = SoundSystem* (*)(int);
  const auto fn = reinterpret_cast<Entry>(pxdevices::entry(kSoundEntry, error));
  if (!fn) return nullptr;
  SoundSystem* system = fn(kSoundInterfaceVersion);
  if (!system && error)
    *error = QStringLiteral(
                 "The sound and serial plugin %1 was built for another version of "
                 "the program.")
                 .arg(pxdevices::pluginPath());
  return system;
}

}  // namespace pxmidi
