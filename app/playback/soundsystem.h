// What the sound side of the device plugin offers (devices/deviceplugin.h): the built-in
// synthesizer on an audio output, the same synthesizer rendering offline, and the MIDI
// sequencer's output ports. The core speaks only to this interface; the plugin alone links
// the synthesizer, MIDI and audio libraries.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

#include "playback/midiout.h"

namespace pxmidi {

// Bumped whenever the interface below changes; a plugin built for another version is
// refused.
inline constexpr int kSoundInterfaceVersion = 1;
// The plugin's entry function: SoundSystem* pealixSoundSystem(int version).
inline constexpr char kSoundEntry[] = "pealixSoundSystem";

// A synthesizer that renders into memory instead of playing: messages go in between calls
// to render, which produces the sound that follows them.
class OfflineSynth {
 public:
  virtual ~OfflineSynth() = default;
  // Plays one packed short message; false when the synthesizer refused it.
  virtual bool send(uint32_t packed) = 0;
  // The next `frames` stereo frames, interleaved left/right, full scale at +-1.0.
  virtual void render(float* interleaved, int frames) = 0;
  // Voices still sounding (the release tail is over at 0).
  virtual int activeVoices() = 0;
};

class SoundSystem {
 public:
  virtual ~SoundSystem() = default;
  // The built-in synthesizer with the SoundFont file `soundFont` (a checked path) on the
  // first of the audio drivers that opens ("pipewire", "pulseaudio", "alsa", "jack").
  virtual std::unique_ptr<MidiOutput> openSynthesizer(const QString& soundFont,
                                                      const QStringList& drivers,
                                                      QString* error) = 0;
  // The synthesizer for offline rendering at `sampleRate` (no audio output).
  virtual std::unique_ptr<OfflineSynth> newOfflineSynth(const QString& soundFont, int sampleRate,
                                                        QString* error) = 0;
  // The sequencer's output port names; error set when there is no sequencer.
  virtual QStringList midiPorts(QString* error) = 0;
  // Output port `index` in the order midiPorts lists them.
  virtual std::unique_ptr<MidiOutput> openMidiPort(int index, QString* error) = 0;
};

// The plugin's sound system, loading the plugin on the first call; null with the reason in
// error when the plugin is missing or was built for another version.
SoundSystem* soundSystem(QString* error);

}  // namespace pxmidi
