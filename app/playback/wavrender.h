// Offline rendering of a playback schedule into an audio file: either the built-in
// synthesizer's own rendering (stereo), or a square wave as a phone's piezo buzzer plays a
// ringtone (mono). The sound is as long as the playback plus the synthesizer's release
// tail, at most one second; a length limit cuts it at the end of the last note that fits
// and fades its last second out. Unless a fixed gain is asked for, it is normalised to a
// loudness (EBU R 128 integrated loudness, -16 LUFS unless told) with the true peak at
// most -1 dBTP. It is rendered twice: once to measure its length and loudness, once to
// encode it, so a WAV header holds the exact length before the first sample and the
// streaming formats go into a pipe without seeking back. A file is written to a temporary
// name and renamed when complete.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

#include "playback/audiofiles.h"
#include "playback/playschedule.h"

class QIODevice;

namespace pxplay {

enum class RenderVoice { Synth, Buzzer };

// The loudness the rendering is normalised to unless told (LUFS), the highest true peak
// it may reach (dBTP), and the range of loudness targets taken.
constexpr double kDefaultLoudness = -16.0;
constexpr double kMaxTruePeakDb = -1.0;
constexpr double kMinLoudness = -40.0;
constexpr double kMaxLoudness = -5.0;

struct RenderOptions {
  int sampleRate = 44100;  // 8000..192000
  RenderVoice voice = RenderVoice::Synth;
  int program = 0;    // General MIDI instrument 0..127 (synth only)
  QString soundFont;  // synth only: a chosen SoundFont; empty: the system's
  // A fixed gain in dB on the voice's own level (the synthesizer at unit gain, the buzzer at
  // 45 % of full scale) instead of the normalisation; louder samples are clipped.
  std::optional<double> gainDb;
  double loudness = kDefaultLoudness;  // LUFS, kMinLoudness..kMaxLoudness
  // The longest rendering in seconds (1..3600); none: the whole melody.
  std::optional<double> maxSeconds;
  pxaudio::AudioFormat format = pxaudio::AudioFormat::Wav;
  QString title;  // the file's title tag
  // Called now and then with the share done (0..1); returning false stops the rendering.
  std::function<bool(double)> progress;
};

struct RenderInfo {
  int channels = 0;
  int64_t frames = 0;      // sample frames written
  int64_t tailFrames = 0;  // of which after the playback's end
  double gainDb = 0;       // the gain applied to the voice's own level
  double peakDb = 0;       // the written sample peak (-inf for silence)
  double loudness = 0;     // the written loudness in LUFS (-inf: silence or unmeasured)
  int64_t clipped = 0;     // samples beyond full scale, cut to it (fixed gain only)
  bool cut = false;        // the length limit cut the melody
  double seconds(int rate) const { return rate > 0 ? static_cast<double>(frames) / rate : 0; }
};

// The longest playback rendered (one hour).
constexpr int64_t kMaxRenderMs = 3600 * 1000;

// The schedule cut for a limit of maxMs: the events that end by then (at least the start
// of the first event, cut at maxMs), and whether anything was left out.
Schedule cutSchedule(const Schedule& schedule, int64_t maxMs, bool* cut);

// Writes the file; false with the reason in error (nothing is left at path then).
bool renderAudio(const Schedule& schedule, const RenderOptions& options, const QString& path,
                 QString* error, RenderInfo* info = nullptr);
// Writes to an open device (standard output, a buffer); `name` names it in error texts.
// Whatever was written before a failure stays written.
bool renderAudio(const Schedule& schedule, const RenderOptions& options, QIODevice& out,
                 const QString& name, QString* error, RenderInfo* info = nullptr);

}  // namespace pxplay
