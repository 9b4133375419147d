// MIDI output: one small interface for everything that receives short messages, and the
// device list behind it. Device -1 is the built-in synthesizer (a General MIDI SoundFont on
// the default audio output); devices 0..n-1 are the MIDI sequencer's output ports. Both
// come from the device plugin (playback/soundsystem.h), loaded when a device is first
// listed or opened. Tests use the recording output.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "playback/synthsettings.h"

namespace pxmidi {

// A short message packed as status | data1 << 8 | data2 << 16.
inline uint32_t packShortMsg(int status, int data1, int data2) {
  return static_cast<uint32_t>(status & 0xFF) | static_cast<uint32_t>(data1 & 0xFF) << 8 |
         static_cast<uint32_t>(data2 & 0xFF) << 16;
}

class MidiOutput {
 public:
  virtual ~MidiOutput() = default;
  // Sends one short message; false with the reason in error when it could not be sent.
  virtual bool send(uint32_t packed, QString* error) = 0;
  // Silences every channel (all notes off); called before the output is closed.
  virtual void reset() {}
};

// Keeps every message with the time the caller gives through setTime (microseconds), so a
// test can compare what was sent with what was scheduled.
class RecordingOutput : public MidiOutput {
 public:
  // clockUs stamps each message; without it the time set by setTime is used.
  explicit RecordingOutput(std::function<int64_t()> clockUs = {}) : clock_(std::move(clockUs)) {}

  struct Message {
    int64_t timeUs;
    int status;
    int data1;
    int data2;
    bool operator==(const Message&) const = default;
  };

  bool send(uint32_t packed, QString* error) override;
  void setTime(int64_t us) { now_ = us; }
  // The next sends fail with this text (an empty text lets them pass again).
  void failWith(const QString& text) { failText_ = text; }
  std::vector<Message> messages() const;
  void clear();

 private:
  mutable std::mutex mutex_;
  std::vector<Message> messages_;
  std::function<int64_t()> clock_;
  int64_t now_ = 0;
  QString failText_;
};

// Swallows everything: playback with no sound, for tracing.
class NullOutput : public MidiOutput {
 public:
  bool send(uint32_t, QString*) override { return true; }
};

// The devices a program can open.
class MidiBackend {
 public:
  virtual ~MidiBackend() = default;
  // Number of output ports (the built-in synthesizer -1 not counted); error says why the
  // list could not be read (0 ports then).
  virtual int portCount(QString* error) = 0;
  // Product name of device id (-1 and 0..portCount-1); false when it cannot be described.
  virtual bool deviceName(int id, QString* name) = 0;
  // Opens device id; null with the reason in error.
  virtual std::unique_ptr<MidiOutput> open(int id, QString* error) = 0;
};

// The built-in synthesizer and the MIDI sequencer's output ports, through the device
// plugin. Without the plugin there are no ports and opening says why.
class SystemMidiBackend : public MidiBackend {
 public:
  // synthName: the name listed for device -1; synth: its SoundFont and audio output.
  explicit SystemMidiBackend(const QString& synthName = QStringLiteral("Built-in synthesizer"),
                             const SynthSettings& synth = {});
  int portCount(QString* error) override;
  bool deviceName(int id, QString* name) override;
  std::unique_ptr<MidiOutput> open(int id, QString* error) override;
  // Takes effect at the next open.
  void setSynthSettings(const SynthSettings& synth) { synth_ = synth; }

 private:
  QString synthName_;
  SynthSettings synth_;
  QStringList ports_;
  bool listed_ = false;
};

}  // namespace pxmidi
