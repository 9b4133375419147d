// The program's one MIDI output: the device list it opens from and the player. The main
// window holds one for the whole run; tests give it a list of recording outputs.
#pragma once

#include <memory>

#include "playback/midiout.h"
#include "playback/modmidiplay.h"

struct MidiPlayback {
  explicit MidiPlayback(std::unique_ptr<pxmidi::MidiBackend> devices,
                        modMidiplay::MessageSink sink = nullptr,
                        std::unique_ptr<pxplay::PlaybackTimer> timer = nullptr)
      : backend(std::move(devices)), player(*backend, std::move(sink), std::move(timer)) {}

  std::unique_ptr<pxmidi::MidiBackend> backend;
  modMidiplay player;  // declared after the backend it uses
};
