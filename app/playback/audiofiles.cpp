#include "playback/audiofiles.h"

#include <QFileInfo>
#include <QIODevice>

#include <algorithm>
#include <bit>
#include <cmath>

#include "devices/deviceplugin.h"

namespace pxaudio {

namespace {

// The MPEG layer III and AAC encoders take the standard rates only, Opus five of its own.
const std::vector<int> kMpegRates = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
const std::vector<int> kAacRates = {8000,  11025, 12000, 16000, 22050, 24000,
                                    32000, 44100, 48000, 64000, 88200, 96000};
const std::vector<int> kOpusRates = {8000, 12000, 16000, 24000, 48000};

void put16(QByteArray& b, int v) {
  b.append(static_cast<char>(v & 0xFF));
  b.append(static_cast<char>(v >> 8 & 0xFF));
}
void put32(QByteArray& b, uint32_t v) {
  put16(b, static_cast<int>(v & 0xFFFF));
  put16(b, static_cast<int>(v >> 16));
}

// A LIST INFO chunk with the title as INAM (UTF-8, NUL-terminated, padded to even length).
QByteArray infoChunk(const QString& title) {
  if (title.isEmpty()) return {};
  QByteArray text = title.toUtf8();
  text.append('\0');
  const int size = static_cast<int>(text.size());
  if (size % 2) text.append('\0');
  QByteArray b("LIST");
  put32(b, static_cast<uint32_t>(4 + 8 + text.size()));
  b.append("INFOINAM");
  put32(b, static_cast<uint32_t>(size));
  b.append(text);
  return b;
}

class WavEncoder : public AudioEncoder {
 public:
  WavEncoder(const EncodeParams& params, QIODevice& out, const QString& name)
      : params_(params), out_(out), name_(name) {}
  bool write(const float* interleaved, int frames, QString* error) override {
    if (!started_) {
      started_ = true;
      const QByteArray header =
          wavHeader(params_.sampleRate, params_.channels, params_.frames, params_.title);
      if (!put(header.constData(), header.size(), error)) return false;
    }
    const size_t n = static_cast<size_t>(frames) * params_.channels;
    pcm_.resize(n * 2);
    for (size_t i = 0; i < n; ++i) {
      const auto s = static_cast<int16_t>(
          std::lround(std::clamp(static_cast<double>(interleaved[i]), -1.0, 1.0) * 32767));
      pcm_[2 * i] = static_cast<char>(s & 0xFF);
      pcm_[2 * i + 1] = static_cast<char>(s >> 8 & 0xFF);
    }
    written_ += frames;
    return put(pcm_.data(), static_cast<qint64>(pcm_.size()), error);
  }
  bool finish(QString* error) override {
    if (!started_ && !write(nullptr, 0, error)) return false;
    if (written_ != params_.frames) {
      if (error) *error = QStringLiteral("%1: the sound ended before its length").arg(name_);
      return false;
    }
    return true;
  }

 private:
  bool put(const char* data, qint64 size, QString* error) {
    if (out_.write(data, size) == size) return true;
    if (error) *error = QStringLiteral("%1: %2").arg(name_, out_.errorString());
    return false;
  }

  EncodeParams params_;
  QIODevice& out_;
  QString name_;
  std::vector<char> pcm_;
  bool started_ = false;
  int64_t written_ = 0;
};

}  // namespace

double AudioFormatInfo::frameSeconds(int rate) const {
  switch (format) {
    case AudioFormat::Wav:
    case AudioFormat::Flac:
      return 1.0 / rate;
    case AudioFormat::Ogg:
      return 2048.0 / rate;  // Vorbis' long block
    case AudioFormat::Opus:
      return 0.02;
    case AudioFormat::Mp3:
      return 1152.0 / rate;
    case AudioFormat::M4r:
    case AudioFormat::M4a:
      return 1024.0 / rate;
  }
  return 0;
}

const std::vector<AudioFormatInfo>& audioFormats() {
  static const std::vector<AudioFormatInfo> table = {
      {AudioFormat::Wav, "wav", ".wav", "WAV, 16-bit PCM", true, 0, 44100, {}},
      {AudioFormat::Flac, "flac", ".flac", "FLAC, lossless (Android)", true, 0, 44100, {}},
      {AudioFormat::Ogg, "ogg", ".ogg", "Ogg Vorbis (Android)", true, 0, 44100, {}},
      {AudioFormat::Opus, "opus", ".opus", "Ogg Opus", true, 0, 48000, kOpusRates},
      {AudioFormat::Mp3, "mp3", ".mp3", "MP3 (Android and most phones)", true, 0, 44100,
       kMpegRates},
      {AudioFormat::M4r, "m4r", ".m4r", "AAC in MP4, iPhone ringtone (at most 40 s)", false, 40,
       44100, kAacRates},
      {AudioFormat::M4a, "m4a", ".m4a", "AAC in MP4", false, 0, 44100, kAacRates},
  };
  return table;
}

const AudioFormatInfo& audioFormatInfo(AudioFormat format) {
  for (const AudioFormatInfo& f : audioFormats())
    if (f.format == format) return f;
  return audioFormats().front();
}

const AudioFormatInfo* audioFormatByName(const QString& name) {
  for (const AudioFormatInfo& f : audioFormats())
    if (name.compare(QLatin1String(f.name), Qt::CaseInsensitive) == 0) return &f;
  return nullptr;
}

const AudioFormatInfo* audioFormatForPath(const QString& path) {
  const QString suffix = QFileInfo(path).suffix();
  if (suffix.isEmpty()) return nullptr;
  for (const AudioFormatInfo& f : audioFormats())
    if (suffix.compare(QLatin1String(f.extension + 1), Qt::CaseInsensitive) == 0) return &f;
  return nullptr;
}

bool checkRate(const AudioFormatInfo& format, int rate, QString* error) {
  if (format.rates.empty() ? rate >= 8000 && rate <= 192000
                           : std::ranges::find(format.rates, rate) != format.rates.end())
    return true;
  if (error) {
    QStringList rates;
    for (int r : format.rates) rates << QString::number(r);
    *error = format.rates.empty()
                 ? QStringLiteral("The sample rate must lie in 8000..192000 Hz.")
                 : QStringLiteral("%1 takes the sample rates %2 Hz.")
                       .arg(QString::fromLatin1(format.description).section(',', 0, 0),
                            rates.join(QStringLiteral(", ")));
  }
  return false;
}

AudioFiles* audioFiles(QString* error) {
  using Entry = AudioFiles* (*)(int);
  const auto fn = reinterpret_cast<Entry>(pxdevices::entry(kAudioEntry, error));
  if (!fn) return nullptr;
  AudioFiles* files = fn(kAudioInterfaceVersion);
  if (!files && error)
    *error = QStringLiteral(
                 "The sound and serial plugin %1 was built for another version of "
                 "the program.")
                 .arg(pxdevices::pluginPath());
  return files;
}

std::unique_ptr<AudioEncoder> newWavEncoder(const EncodeParams& params, QIODevice& out,
                                            const QString& name) {
  return std::make_unique<WavEncoder>(params, out, name);
}

QByteArray wavHeader(int sampleRate, int channels, int64_t frames, const QString& title) {
  const uint32_t data = static_cast<uint32_t>(frames * channels * 2);
  const QByteArray info = infoChunk(title);
  QByteArray b("RIFF");
  put32(b, static_cast<uint32_t>(36 + info.size()) + data);
  b.append("WAVEfmt ");
  put32(b, 16);
  put16(b, 1);  // PCM
  put16(b, channels);
  put32(b, static_cast<uint32_t>(sampleRate));
  put32(b, static_cast<uint32_t>(sampleRate * channels * 2));
  put16(b, channels * 2);
  put16(b, 16);
  b.append(info);
  b.append("data");
  put32(b, data);
  return b;
}

}  // namespace pxaudio
