// The system's outputs: FluidSynth for the built-in synthesizer, RtMidi for the ALSA
// sequencer's ports. Neither library may print to the terminal or end the program: their
// complaints are caught and handed back as error texts.
#include <alsa/asoundlib.h>
#include <fluidsynth.h>
#include <rtmidi/RtMidi.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "playback/fluidlog.h"
#include "playback/midiout.h"

namespace pxmidi {

namespace {

std::mutex gLogMutex;
QString gLastFluidError;

void fluidLog(int level, const char* message, void*) {
  if (level > FLUID_ERR) return;  // warnings, information and debugging stay quiet
  std::lock_guard lock(gLogMutex);
  gLastFluidError = QString::fromLocal8Bit(message);
}

void alsaSilent(const char*, int, const char*, int, const char*, ...) {}

// ALSA's library writes its own messages to standard error unless told otherwise.
void quietAlsa() {
  static std::once_flag once;
  std::call_once(once, [] { snd_lib_error_set_handler(alsaSilent); });
}

bool sequencerPresent(QString* error) {
  quietAlsa();
  if (::access("/dev/snd/seq", R_OK | W_OK) == 0) return true;
  if (error) *error = QStringLiteral("The ALSA sequencer is not available (/dev/snd/seq).");
  return false;
}

class SynthOutput : public MidiOutput {
 public:
  SynthOutput(fluid_settings_t* settings, fluid_synth_t* synth, fluid_audio_driver_t* driver)
      : settings_(settings), synth_(synth), driver_(driver) {}
  ~SynthOutput() override {
    delete_fluid_audio_driver(driver_);
    delete_fluid_synth(synth_);
    delete_fluid_settings(settings_);
  }
  bool send(uint32_t packed, QString* error) override {
    std::lock_guard lock(mutex_);
    if (!dispatchShortMsg(synth_, packed)) {
      if (error) *error = QStringLiteral("The synthesizer rejected the message.");
      return false;
    }
    return true;
  }
  void reset() override {
    std::lock_guard lock(mutex_);
    fluid_synth_all_notes_off(synth_, -1);
  }

 private:
  std::mutex mutex_;
  fluid_settings_t* settings_;
  fluid_synth_t* synth_;
  fluid_audio_driver_t* driver_;
};

class PortOutput : public MidiOutput {
 public:
  explicit PortOutput(std::unique_ptr<RtMidiOut> out) : out_(std::move(out)) {
    out_->setErrorCallback(&PortOutput::onError, this);
  }
  ~PortOutput() override {
    out_->setErrorCallback(nullptr, nullptr);
    try {
      out_->closePort();
    } catch (const RtMidiError&) {
    }
  }
  bool open(unsigned index, QString* error) {
    lastError_.clear();
    try {
      out_->openPort(index, "Pealix");
    } catch (const RtMidiError& e) {
      lastError_ = QString::fromStdString(e.getMessage());
    }
    if (lastError_.isEmpty() && out_->isPortOpen()) return true;
    if (error)
      *error = lastError_.isEmpty() ? QStringLiteral("The MIDI port did not open.") : lastError_;
    return false;
  }
  bool send(uint32_t packed, QString* error) override {
    const int status = packed & 0xFF;
    // Program change and channel pressure carry one data byte, the others two.
    const size_t size = (status & 0xE0) == 0xC0 ? 2 : 3;
    const unsigned char bytes[3] = {static_cast<unsigned char>(status),
                                    static_cast<unsigned char>(packed >> 8 & 0x7F),
                                    static_cast<unsigned char>(packed >> 16 & 0x7F)};
    std::lock_guard lock(mutex_);
    lastError_.clear();
    try {
      out_->sendMessage(bytes, size);
    } catch (const RtMidiError& e) {
      lastError_ = QString::fromStdString(e.getMessage());
    }
    if (lastError_.isEmpty()) return true;
    if (error) *error = lastError_;
    return false;
  }
  void reset() override {
    for (int ch = 0; ch < 16; ++ch) send(packShortMsg(0xB0 + ch, 123, 0), nullptr);
  }

 private:
  static void onError(RtMidiError::Type, const std::string& text, void* self) {
    static_cast<PortOutput*>(self)->lastError_ = QString::fromStdString(text);
  }
  std::mutex mutex_;
  std::unique_ptr<RtMidiOut> out_;
  QString lastError_;
};

// The audio drivers to try in turn: the desktop's sound server first when one is running.
QStringList audioDrivers() {
  QStringList drivers;
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty()) {
    if (QFileInfo::exists(runtime + "/pipewire-0")) drivers << "pipewire";
    if (QFileInfo::exists(runtime + "/pulse/native")) drivers << "pulseaudio";
  }
  drivers << "alsa";
  return drivers;
}

}  // namespace

void installFluidLog() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int level = 0; level < LAST_LOG_LEVEL; ++level)
      fluid_set_log_function(level, fluidLog, nullptr);
    quietAlsa();
  });
}

QString takeFluidError() {
  std::lock_guard lock(gLogMutex);
  QString text = gLastFluidError;
  gLastFluidError.clear();
  return text;
}

fluid_synth_t* newSynth(fluid_settings_t* settings, QString* error) {
  installFluidLog();
  const QString soundFont = findSoundFont();
  if (soundFont.isEmpty()) {
    if (error)
      *error = QStringLiteral(
          "No General MIDI SoundFont was found (install timgm6mb-soundfont, or name a .sf2 "
          "file in PEALIX_SOUNDFONT).");
    return nullptr;
  }
  // A SoundFont is a RIFF file of form "sfbk"; anything else is refused here, before the
  // loaders (and their own complaints on the terminal) see it.
  QFile file(soundFont);
  const QByteArray head = file.open(QIODevice::ReadOnly) ? file.read(12) : QByteArray();
  if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "sfbk") {
    if (error)
      *error =
          QStringLiteral("%1 is not a SoundFont file.").arg(QDir::toNativeSeparators(soundFont));
    return nullptr;
  }
  // One voice at a time: a louder gain than the default 0.2 cannot clip.
  fluid_settings_setnum(settings, "synth.gain", 1.0);
  fluid_synth_t* synth = new_fluid_synth(settings);
  if (!synth) {
    if (error) *error = QStringLiteral("The synthesizer could not be created.");
    return nullptr;
  }
  if (fluid_synth_sfload(synth, QFile::encodeName(soundFont).constData(), 1) == FLUID_FAILED) {
    if (error)
      *error = QStringLiteral("The SoundFont %1 could not be loaded: %2")
                   .arg(QDir::toNativeSeparators(soundFont), takeFluidError());
    delete_fluid_synth(synth);
    return nullptr;
  }
  return synth;
}

bool dispatchShortMsg(fluid_synth_t* synth, uint32_t packed) {
  const int status = packed & 0xFF, d1 = packed >> 8 & 0x7F, d2 = packed >> 16 & 0x7F;
  const int channel = status & 0x0F;
  switch (status & 0xF0) {
    case 0x80:
      fluid_synth_noteoff(synth, channel, d1);  // fails harmlessly for a note not sounding
      return true;
    case 0x90:
      if (d2 == 0) {
        fluid_synth_noteoff(synth, channel, d1);
        return true;
      }
      return fluid_synth_noteon(synth, channel, d1, d2) == FLUID_OK;
    case 0xB0:
      return fluid_synth_cc(synth, channel, d1, d2) == FLUID_OK;
    case 0xC0:
      return fluid_synth_program_change(synth, channel, d1) == FLUID_OK;
    case 0xD0:
      return fluid_synth_channel_pressure(synth, channel, d1) == FLUID_OK;
    case 0xE0:
      return fluid_synth_pitch_bend(synth, channel, d1 | d2 << 7) == FLUID_OK;
    default:
      return true;
  }
}

std::unique_ptr<MidiOutput> openSynthesizer(QString* error) {
  installFluidLog();
  fluid_settings_t* settings = new_fluid_settings();
  if (!settings) {
    if (error) *error = QStringLiteral("The synthesizer could not be created.");
    return nullptr;
  }
  fluid_synth_t* synth = newSynth(settings, error);
  if (!synth) {
    delete_fluid_settings(settings);
    return nullptr;
  }
  fluid_audio_driver_t* driver = nullptr;
  QString reason;
  for (const QString& name : audioDrivers()) {
    fluid_settings_setstr(settings, "audio.driver", name.toLatin1().constData());
    takeFluidError();
    driver = new_fluid_audio_driver(settings, synth);
    if (driver) break;
    if (reason.isEmpty()) reason = takeFluidError();
  }
  if (!driver) {
    if (error)
      *error = QStringLiteral("The built-in synthesizer found no audio output (%1).")
                   .arg(reason.isEmpty() ? QStringLiteral("no sound device") : reason);
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    return nullptr;
  }
  return std::make_unique<SynthOutput>(settings, synth, driver);
}

QStringList listPorts(QString* error) {
  QStringList names;
  if (!sequencerPresent(error)) return names;
  try {
    RtMidiOut out(RtMidi::LINUX_ALSA, "Pealix");
    const unsigned n = out.getPortCount();
    for (unsigned i = 0; i < n; ++i) names << QString::fromStdString(out.getPortName(i));
  } catch (const RtMidiError& e) {
    if (error) *error = QString::fromStdString(e.getMessage());
  }
  return names;
}

std::unique_ptr<MidiOutput> openPort(int index, QString* error) {
  if (!sequencerPresent(error)) return nullptr;
  try {
    auto out = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, "Pealix");
    if (index < 0 || static_cast<unsigned>(index) >= out->getPortCount()) {
      if (error) *error = QStringLiteral("The MIDI port %1 is no longer there.").arg(index);
      return nullptr;
    }
    auto port = std::make_unique<PortOutput>(std::move(out));
    if (!port->open(static_cast<unsigned>(index), error)) return nullptr;
    return port;
  } catch (const RtMidiError& e) {
    if (error) *error = QString::fromStdString(e.getMessage());
    return nullptr;
  }
}

}  // namespace pxmidi
