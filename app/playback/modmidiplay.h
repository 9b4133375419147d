// The program's one MIDI output and player: choosing and opening the output device,
// sending short messages, and playing a melody on a thread of its own so the window stays
// responsive. All messages go to MIDI channel 1. Failures are reported through the
// message sink given at construction, or while a window holds a SinkScope, through that
// window's sink (a message box in the window, standard error on the command line).
#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <thread>

#include "common/scopedhandler.h"
#include "melody/pxvbmelody.h"
#include "playback/midiout.h"
#include "playback/playengine.h"

class modMidiplay {
 public:
  using MessageSink = std::function<void(const QString& text)>;
  using SinkScope = ScopedHandler<MessageSink>::Scope;
  struct DeviceEntry {
    QString name;  // the product name, at most 32 characters
    int id;        // -1 the built-in synthesizer, then 0..n-1
  };

  // The texts the module shows.
  static const QString kErrDevices;  // "Error Obtaining Midi Out Devices"
  static const QString kErrOpen;     // "Error opening MIDI OUT Port"
  static const QString kErrClose;    // "Error closing MIDI OUT Port"

  // timer: the playback's clock and sleep (the steady clock when null).
  modMidiplay(pxmidi::MidiBackend& backend, MessageSink sink,
              std::unique_ptr<pxplay::PlaybackTimer> timer = nullptr);
  ~modMidiplay();
  // The messages go to `sink` while the returned scope lives, then to the sink before.
  [[nodiscard]] SinkScope showMessagesWith(MessageSink sink) {
    return sinks_.install(std::move(sink));
  }
  modMidiplay(const modMidiplay&) = delete;
  modMidiplay& operator=(const modMidiplay&) = delete;

  // Every device from -1 up; a device that cannot be described shows kErrDevices.
  QList<DeviceEntry> FillDeviceList();
  // Number of devices, the built-in synthesizer included.
  int DeviceCount();
  // open = false closes the port. open = true closes any open port, then opens deviceId;
  // a failure shows kErrOpen and the reason unless quiet. True when the request succeeded.
  bool OpenMidiOut(int deviceId, bool open, bool quiet);
  // Plays through `output` instead of a device (tests, or no sound at all).
  void UseOutput(std::unique_ptr<pxmidi::MidiOutput> output, int deviceId = -2);
  // Sends one message; a failure shows the reason (at most 128 characters).
  bool SendShortMsg(int status, int data1, int data2);
  bool ProgramChange(int channel, int program) { return SendShortMsg(192 + channel, program, 0); }
  bool ControlChange(int channel, int controller, int value) {
    return SendShortMsg(176 + channel, controller, value);
  }

  // Copies the melody (tempo below 1 becomes 1) and plays it on the player's thread;
  // finished runs on that thread when the playback is over. False when no port is open or
  // a playback is running.
  bool StartPlay(const pxvbMelody& viewMelody, bool ignoreVolume,
                 pxplay::PlaybackObserver observer = {},
                 std::function<void(const pxplay::PlaybackResult&)> finished = {});
  // The running playback ends after the sounding note's note-off.
  void StopPlay();
  // Ends a running playback at once and waits for its thread.
  void AbortPlay();
  // Waits until the running playback is over.
  void WaitPlay();

  bool portOpen() const { return output_ != nullptr; }
  int deviceId() const { return deviceId_; }
  bool ready() const { return ready_; }
  void setReady(bool ready) { ready_ = ready; }
  bool playing() const { return playing_; }
  const pxvbMelody& playMelody() const { return playMelody_; }
  // The reason of the last failed open, empty after a success.
  QString lastError() const { return lastError_; }

 private:
  void show(const QString& text) const;

  pxmidi::MidiBackend& backend_;
  ScopedHandler<MessageSink> sinks_;
  SinkScope constructionSink_;
  std::unique_ptr<pxplay::PlaybackTimer> timer_;
  std::unique_ptr<pxmidi::MidiOutput> output_;
  std::unique_ptr<pxplay::PlaybackEngine> engine_;
  std::thread thread_;
  std::atomic<bool> playing_{false};
  pxvbMelody playMelody_;
  int deviceId_ = -2;
  bool ready_ = false;
  QString lastError_;
};
