#include "playback/midiout.h"

#include "playback/soundsystem.h"

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

SystemMidiBackend::SystemMidiBackend(const QString& synthName, const SynthSettings& synth)
    : synthName_(synthName), synth_(synth) {}

int SystemMidiBackend::portCount(QString* error) {
  ports_.clear();
  listed_ = true;
  SoundSystem* system = soundSystem(error);
  if (system) ports_ = system->midiPorts(error);
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
  if (id < -1) {
    if (error) *error = QStringLiteral("There is no MIDI output device %1.").arg(id);
    return nullptr;
  }
  SoundSystem* system = soundSystem(error);
  if (!system) return nullptr;
  if (id >= 0) return system->openMidiPort(id, error);
  const QString soundFont = findSoundFont(synth_.soundFont, error);
  if (soundFont.isEmpty()) return nullptr;
  return system->openSynthesizer(
      soundFont, audioDriversToTry(synth_.driver, qEnvironmentVariable("XDG_RUNTIME_DIR")), error);
}

}  // namespace pxmidi
