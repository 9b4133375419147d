// Audio ringtone files: the formats a rendering can be written in, and the interface of the
// device plugin that encodes them and measures their loudness. WAV is written by the core
// itself; FLAC, Ogg Vorbis, Opus and MP3 by libsndfile, AAC in MP4 (.m4r, .m4a) by
// FFmpeg's libraries, and loudness (EBU R 128) by libebur128, all inside the plugin, so a
// program that never renders loads none of them.
#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QIODevice;

namespace pxaudio {

enum class AudioFormat { Wav, Flac, Ogg, Opus, Mp3, M4r, M4a };

struct AudioFormatInfo {
  AudioFormat format;
  const char* name;       // as --format names it
  const char* extension;  // with the dot
  const char* description;
  bool streams;                         // can be written to a pipe (standard output)
  int maxSeconds;                       // the longest the phones take it; 0: no limit
  int defaultRate;                      // the sample rate unless one is asked for
  std::vector<int> rates;               // the sample rates the encoder takes; empty: 8000..192000
  double frameSeconds(int rate) const;  // one codec frame (the duration's tolerance)
};

const std::vector<AudioFormatInfo>& audioFormats();
const AudioFormatInfo& audioFormatInfo(AudioFormat format);
// By --format name (case-insensitive); null when none.
const AudioFormatInfo* audioFormatByName(const QString& name);
// By the path's extension (case-insensitive); null when none.
const AudioFormatInfo* audioFormatForPath(const QString& path);
// True when the format takes the rate; otherwise error names the rates it takes.
bool checkRate(const AudioFormatInfo& format, int rate, QString* error);

// Bumped whenever the interface below changes; a plugin built for another version is
// refused.
inline constexpr int kAudioInterfaceVersion = 1;
// The plugin's entry function: AudioFiles* pealixAudioFiles(int version).
inline constexpr char kAudioEntry[] = "pealixAudioFiles";

// Integrated loudness and true peak of interleaved float samples (full scale at +-1.0).
class LoudnessMeter {
 public:
  virtual ~LoudnessMeter() = default;
  virtual bool add(const float* interleaved, int frames) = 0;
  // Integrated loudness in LUFS; -inf for silence or a sound too short to gate.
  virtual double integratedLufs() = 0;
  // The highest true peak over all channels, linear (1.0 = 0 dBTP).
  virtual double truePeak() = 0;
};

struct EncodeParams {
  AudioFormat format = AudioFormat::Wav;
  int sampleRate = 44100;
  int channels = 1;
  int64_t frames = 0;  // the frames that will be written (a WAV header holds them)
  QString title;       // the file's title tag; empty: none
};

// Writes one audio file to a device: samples in blocks, then finish. The device is
// sequential for the formats that stream; the MP4 formats need a seekable one.
class AudioEncoder {
 public:
  virtual ~AudioEncoder() = default;
  virtual bool write(const float* interleaved, int frames, QString* error) = 0;
  virtual bool finish(QString* error) = 0;
};

class AudioFiles {
 public:
  virtual ~AudioFiles() = default;
  virtual std::unique_ptr<LoudnessMeter> newLoudnessMeter(int sampleRate, int channels,
                                                          QString* error) = 0;
  // Any format but WAV; null with the reason (naming the missing package) in error.
  virtual std::unique_ptr<AudioEncoder> newEncoder(const EncodeParams& params, QIODevice& out,
                                                   QString* error) = 0;
};

// The plugin's audio side, loading the plugin on the first call; null with the reason in
// error when the plugin is missing or was built for another version.
AudioFiles* audioFiles(QString* error);

// The WAV encoder of the core: 16-bit PCM, a header that holds the length before the first
// sample (so it streams), and the title in a LIST INFO chunk.
std::unique_ptr<AudioEncoder> newWavEncoder(const EncodeParams& params, QIODevice& out,
                                            const QString& name);

// The WAV header: RIFF, fmt (16-bit PCM), the title's LIST INFO chunk when there is one,
// then the data chunk's header.
QByteArray wavHeader(int sampleRate, int channels, int64_t frames, const QString& title = {});

}  // namespace pxaudio
