// The built-in synthesizer: FluidSynth with a General MIDI SoundFont, playing on an audio
// output or rendering into memory, and the plugin's sound entry. FluidSynth may neither
// print to the terminal nor end the program: its complaints are caught and handed back as
// error texts.
#include <fluidsynth.h>

#include <QDir>
#include <QFile>

#include <mutex>

#include "devices.h"
#include "playback/soundsystem.h"

namespace pxplugin {

namespace {

std::mutex gLogMutex;
QString gLastFluidError;

void fluidLog(int level, const char* message, void*) {
  if (level > FLUID_ERR) return;  // warnings, information and debugging stay quiet
  std::lock_guard lock(gLogMutex);
  gLastFluidError = QString::fromLocal8Bit(message);
}

// Routes FluidSynth's log into a buffer (nothing is printed); idempotent.
void installFluidLog() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int level = 0; level < LAST_LOG_LEVEL; ++level)
      fluid_set_log_function(level, fluidLog, nullptr);
    quietAlsa();
  });
}

// The last error FluidSynth logged, emptied by the call.
QString takeFluidError() {
  std::lock_guard lock(gLogMutex);
  QString text = gLastFluidError;
  gLastFluidError.clear();
  return text;
}

// A synthesizer with the SoundFont loaded; null with the reason in error.
fluid_synth_t* newSynth(fluid_settings_t* settings, const QString& soundFont, QString* error) {
  installFluidLog();
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

// Plays one packed short message on the synthesizer; false when it refused it.
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

class SynthOutput : public pxmidi::MidiOutput {
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

class RenderSynth : public pxmidi::OfflineSynth {
 public:
  RenderSynth(fluid_settings_t* settings, fluid_synth_t* synth)
      : settings_(settings), synth_(synth) {}
  ~RenderSynth() override {
    delete_fluid_synth(synth_);
    delete_fluid_settings(settings_);
  }
  bool send(uint32_t packed) override { return dispatchShortMsg(synth_, packed); }
  void render(float* interleaved, int frames) override {
    fluid_synth_write_float(synth_, frames, interleaved, 0, 2, interleaved, 1, 2);
  }
  int activeVoices() override { return fluid_synth_get_active_voice_count(synth_); }

 private:
  fluid_settings_t* settings_;
  fluid_synth_t* synth_;
};

class FluidSoundSystem : public pxmidi::SoundSystem {
 public:
  std::unique_ptr<pxmidi::MidiOutput> openSynthesizer(const QString& soundFont,
                                                      const QStringList& drivers,
                                                      QString* error) override {
    installFluidLog();
    fluid_settings_t* settings = new_fluid_settings();
    if (!settings) {
      if (error) *error = QStringLiteral("The synthesizer could not be created.");
      return nullptr;
    }
    fluid_synth_t* synth = newSynth(settings, soundFont, error);
    if (!synth) {
      delete_fluid_settings(settings);
      return nullptr;
    }
    fluid_audio_driver_t* driver = nullptr;
    QString reason;
    for (const QString& name : drivers) {
      takeFluidError();
      if (fluid_settings_setstr(settings, "audio.driver", name.toLatin1().constData()) !=
          FLUID_OK) {
        if (reason.isEmpty())
          reason = QStringLiteral("this synthesizer has no %1 output").arg(name);
        continue;
      }
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

  std::unique_ptr<pxmidi::OfflineSynth> newOfflineSynth(const QString& soundFont, int sampleRate,
                                                        QString* error) override {
    installFluidLog();
    fluid_settings_t* settings = new_fluid_settings();
    if (!settings) {
      if (error) *error = QStringLiteral("The synthesizer could not be created.");
      return nullptr;
    }
    fluid_settings_setnum(settings, "synth.sample-rate", sampleRate);
    fluid_synth_t* synth = newSynth(settings, soundFont, error);
    if (!synth) {
      delete_fluid_settings(settings);
      return nullptr;
    }
    return std::make_unique<RenderSynth>(settings, synth);
  }

  QStringList midiPorts(QString* error) override { return listPorts(error); }
  std::unique_ptr<pxmidi::MidiOutput> openMidiPort(int index, QString* error) override {
    return openPort(index, error);
  }
};

}  // namespace

}  // namespace pxplugin

extern "C" __attribute__((visibility("default"))) pxmidi::SoundSystem* pealixSoundSystem(
    int version) {
  static pxplugin::FluidSoundSystem system;
  return version == pxmidi::kSoundInterfaceVersion ? &system : nullptr;
}
