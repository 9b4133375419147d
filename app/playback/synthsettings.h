// The built-in synthesizer's settings: which General MIDI SoundFont it loads and which
// audio output it plays on. Chosen in the options window (kept in the settings store) or
// on the command line; the search for a SoundFont when none is chosen.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace pxsettings {
class SettingsStore;
}

namespace pxmidi {

enum class AudioDriver { Automatic, PipeWire, PulseAudio, Alsa, Jack };

// The names the settings store and the command line use: "auto", "pipewire",
// "pulseaudio", "alsa", "jack".
QString audioDriverName(AudioDriver driver);
// Any case; nothing for an unknown name.
std::optional<AudioDriver> audioDriverFromName(const QString& name);
// Every driver in the order of the enum (the options window's list).
inline constexpr AudioDriver kAudioDrivers[] = {AudioDriver::Automatic, AudioDriver::PipeWire,
                                                AudioDriver::PulseAudio, AudioDriver::Alsa,
                                                AudioDriver::Jack};
// The synthesizer's drivers to try in turn: a chosen one alone; automatic takes the
// desktop's sound server first when its socket is in runtimeDir ($XDG_RUNTIME_DIR):
// PipeWire, then PulseAudio; then ALSA.
QStringList audioDriversToTry(AudioDriver driver, const QString& runtimeDir);

struct SynthSettings {
  QString soundFont;  // a chosen file; empty: the search below
  AudioDriver driver = AudioDriver::Automatic;

  // "MidiSetup" "SoundFont" and "AudioDriver"; an unknown driver name reads as automatic.
  static SynthSettings load(const pxsettings::SettingsStore& store);
  void save(pxsettings::SettingsStore& store) const;
};

// The system's General MIDI SoundFonts in the order they are looked for: the one Debian's
// alternatives system configures, then the one the package depends on, then others.
QStringList soundFontSearchPath();

// True when the file is a SoundFont (a RIFF file of form "sfbk", as .sf2 and .sf3 are).
bool isSoundFontFile(const QString& path);

// The SoundFont to load: the chosen file, else $PEALIX_SOUNDFONT, else the first file of
// the search path that is a SoundFont. A file that is chosen or named in the variable
// must be there and be a SoundFont: it is never passed over for another one. Empty with
// the reason in error when there is none.
QString findSoundFont(const QString& chosen = {}, QString* error = nullptr);

}  // namespace pxmidi
