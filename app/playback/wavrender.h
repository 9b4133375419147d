// Offline rendering of a playback schedule into a 16-bit PCM WAV file: either the built-in
// synthesizer's own rendering (stereo), or a square wave as a phone's piezo buzzer plays a
// ringtone (mono). The file is as long as the playback plus the synthesizer's release
// tail, at most one second; it is written to a temporary name and renamed when complete.
#pragma once

#include <QString>

#include <cstdint>

#include "playback/playschedule.h"

namespace pxplay {

enum class RenderVoice { Synth, Buzzer };

struct RenderOptions {
  int sampleRate = 44100;  // 8000..192000
  RenderVoice voice = RenderVoice::Synth;
  int program = 0;  // General MIDI instrument 0..127 (synth only)
};

struct RenderInfo {
  int channels = 0;
  int64_t frames = 0;      // sample frames written
  int64_t tailFrames = 0;  // of which after the playback's end
};

// The longest playback rendered (one hour).
constexpr int64_t kMaxRenderMs = 3600 * 1000;

// Writes the file; false with the reason in error (nothing is left at path then).
bool renderWav(const Schedule& schedule, const RenderOptions& options, const QString& path,
               QString* error, RenderInfo* info = nullptr);

// The standard 44-byte header of a 16-bit PCM WAV file.
QByteArray wavHeader(int sampleRate, int channels, int64_t frames);

}  // namespace pxplay
