// Offline rendering of a playback schedule into a 16-bit PCM WAV file: either the built-in
// synthesizer's own rendering (stereo), or a square wave as a phone's piezo buzzer plays a
// ringtone (mono). The sound is as long as the playback plus the synthesizer's release
// tail, at most one second, and is normalised to a peak of -1 dBFS unless a fixed gain is
// asked for. It is rendered twice: once to measure its length and peak, once to write it,
// so the header holds the exact length before the first sample and the file streams
// (standard output, a pipe) without seeking back. A file is written to a temporary name
// and renamed when complete.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

#include "playback/playschedule.h"

class QIODevice;

namespace pxplay {

enum class RenderVoice { Synth, Buzzer };

// The peak the rendering is normalised to, in dB relative to full scale.
constexpr double kNormalPeakDb = -1.0;

struct RenderOptions {
  int sampleRate = 44100;  // 8000..192000
  RenderVoice voice = RenderVoice::Synth;
  int program = 0;    // General MIDI instrument 0..127 (synth only)
  QString soundFont;  // synth only: a chosen SoundFont; empty: the system's
  // A fixed gain in dB on the voice's own level (the synthesizer at unit gain, the buzzer at
  // 45 % of full scale) instead of the normalisation; louder samples are clipped.
  std::optional<double> gainDb;
};

struct RenderInfo {
  int channels = 0;
  int64_t frames = 0;      // sample frames written
  int64_t tailFrames = 0;  // of which after the playback's end
  double gainDb = 0;       // the gain applied to the voice's own level
  double peakDb = 0;       // the written peak (-inf for silence)
  int64_t clipped = 0;     // samples beyond full scale, cut to it (fixed gain only)
};

// The longest playback rendered (one hour).
constexpr int64_t kMaxRenderMs = 3600 * 1000;

// Writes the file; false with the reason in error (nothing is left at path then).
bool renderWav(const Schedule& schedule, const RenderOptions& options, const QString& path,
               QString* error, RenderInfo* info = nullptr);
// Writes to an open device (standard output, a buffer); `name` names it in error texts.
// Whatever was written before a failure stays written.
bool renderWav(const Schedule& schedule, const RenderOptions& options, QIODevice& out,
               const QString& name, QString* error, RenderInfo* info = nullptr);

// The standard 44-byte header of a 16-bit PCM WAV file.
QByteArray wavHeader(int sampleRate, int channels, int64_t frames);

}  // namespace pxplay
