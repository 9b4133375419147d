#include "playback/midiout.h"

#include <QFileInfo>

namespace pxmidi {

bool RecordingOutput::send(uint32_t packed, QString* error) {
  std::lock_guard lock(mutex_);
  if (!failText_.isEmpty()) {
    if (error) *error = failText_;
    return false;
  }
  messages_.push_back({clock_ ? clock_() : now_, static_cast<int>(packed & 0xFF),
                       static_cast<int>(packed >> 8 & 0xFF),
                       static_cast<int>(packed >> 16 & 0xFF)});
  return true;
}

std::vector<RecordingOutput::Message> RecordingOutput::messages() const {
  std::lock_guard lock(mutex_);
  return messages_;
}

void RecordingOutput::clear() {
  std::lock_guard lock(mutex_);
  messages_.clear();
}

SystemMidiBackend::SystemMidiBackend(const QString& synthName) : synthName_(synthName) {}

int SystemMidiBackend::portCount(QString* error) {
  ports_ = listPorts(error);
  listed_ = true;
  return static_cast<int>(ports_.size());
}

bool SystemMidiBackend::deviceName(int id, QString* name) {
  if (id == -1) {
    *name = synthName_;
    return true;
  }
  if (!listed_) portCount(nullptr);
  if (id < 0 || id >= ports_.size()) return false;
  *name = ports_[id];
  return true;
}

std::unique_ptr<MidiOutput> SystemMidiBackend::open(int id, QString* error) {
  if (id == -1) return openSynthesizer(error);
  if (id < 0) {
    if (error) *error = QStringLiteral("There is no MIDI output device %1.").arg(id);
    return nullptr;
  }
  return openPort(id, error);
}

QString findSoundFont() {
  const QString fromEnv = qEnvironmentVariable("PEALIX_SOUNDFONT");
  if (!fromEnv.isEmpty()) return QFileInfo(fromEnv).isFile() ? fromEnv : QString();
  static const char* const kPlaces[] = {
      "/usr/share/sounds/sf2/TimGM6mb.sf2",   "/usr/share/sounds/sf2/default-GM.sf2",
      "/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/soundfonts/default.sf2",
      "/usr/share/sounds/sf3/default-GM.sf3",
  };
  for (const char* p : kPlaces)
    if (QFileInfo(QString::fromLatin1(p)).isFile()) return QString::fromLatin1(p);
  return {};
}

}  // namespace pxmidi
