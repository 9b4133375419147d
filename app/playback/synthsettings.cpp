#include "playback/synthsettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "settings/settingsstore.h"

namespace pxmidi {

namespace {

struct DriverName {
  AudioDriver driver;
  const char* name;
};

constexpr DriverName kDriverNames[] = {{AudioDriver::Automatic, "auto"},
                                       {AudioDriver::PipeWire, "pipewire"},
                                       {AudioDriver::PulseAudio, "pulseaudio"},
                                       {AudioDriver::Alsa, "alsa"},
                                       {AudioDriver::Jack, "jack"}};

// Why a named file cannot serve; empty when it can.
QString soundFontProblem(const QString& path) {
  const QString shown = QDir::toNativeSeparators(path);
  if (!QFileInfo(path).isFile())
    return QStringLiteral("The SoundFont %1 does not exist.").arg(shown);
  if (!isSoundFontFile(path)) return QStringLiteral("%1 is not a SoundFont file.").arg(shown);
  return {};
}

}  // namespace

QString audioDriverName(AudioDriver driver) {
  for (const DriverName& d : kDriverNames)
    if (d.driver == driver) return QString::fromLatin1(d.name);
  return QStringLiteral("auto");
}

std::optional<AudioDriver> audioDriverFromName(const QString& name) {
  const QString n = name.trimmed().toLower();
  for (const DriverName& d : kDriverNames)
    if (n == QLatin1String(d.name)) return d.driver;
  return std::nullopt;
}

QStringList audioDriversToTry(AudioDriver driver, const QString& runtimeDir) {
  if (driver != AudioDriver::Automatic) return {audioDriverName(driver)};
  QStringList drivers;
  if (!runtimeDir.isEmpty()) {
    if (QFileInfo::exists(runtimeDir + "/pipewire-0")) drivers << QStringLiteral("pipewire");
    if (QFileInfo::exists(runtimeDir + "/pulse/native")) drivers << QStringLiteral("pulseaudio");
  }
  drivers << QStringLiteral("alsa");
  return drivers;
}

SynthSettings SynthSettings::load(const pxsettings::SettingsStore& store) {
  SynthSettings s;
  s.soundFont = store.text(pxsettings::Key::SoundFont).trimmed();
  s.driver = audioDriverFromName(store.text(pxsettings::Key::AudioDriver))
                 .value_or(AudioDriver::Automatic);
  return s;
}

void SynthSettings::save(pxsettings::SettingsStore& store) const {
  store.setText(pxsettings::Key::SoundFont, soundFont.trimmed());
  store.setText(pxsettings::Key::AudioDriver, audioDriverName(driver));
}

QStringList soundFontSearchPath() {
  return {
      QStringLiteral("/usr/share/sounds/sf2/default-GM.sf2"),
      QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2"),
      QStringLiteral("/usr/share/sounds/sf3/default-GM.sf3"),
      QStringLiteral("/usr/share/sounds/sf2/FluidR3_GM.sf2"),
      QStringLiteral("/usr/share/soundfonts/default.sf2"),
  };
}

bool isSoundFontFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray head = file.read(12);
  return head.size() == 12 && head.startsWith("RIFF") && head.mid(8, 4) == "sfbk";
}

QString findSoundFont(const QString& chosen, QString* error) {
  QString named = chosen.trimmed();
  if (named.isEmpty()) named = qEnvironmentVariable("PEALIX_SOUNDFONT");
  if (!named.isEmpty()) {
    const QString problem = soundFontProblem(named);
    if (problem.isEmpty()) return named;
    if (error) *error = problem;
    return {};
  }
  for (const QString& path : soundFontSearchPath())
    if (isSoundFontFile(path)) return path;
  if (error)
    *error = QStringLiteral(
        "No General MIDI SoundFont was found (install timgm6mb-soundfont, choose a .sf2 file "
        "in the options or with --soundfont, or name one in PEALIX_SOUNDFONT).");
  return {};
}

}  // namespace pxmidi
