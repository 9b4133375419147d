#include "playback/wavrender.h"

#include <QIODevice>
#include <QSaveFile>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "playback/midiout.h"
#include "playback/soundsystem.h"
#include "playback/synthsettings.h"

namespace pxplay {

namespace {

constexpr int kBlock = 1024;  // frames per call of a voice
// The buzzer's own level: a square wave at full velocity is a loud signal, so it plays at
// 45 % of full scale.
constexpr double kBuzzerLevel = 0.45;

void put16(QByteArray& b, int v) {
  b.append(static_cast<char>(v & 0xFF));
  b.append(static_cast<char>(v >> 8 & 0xFF));
}
void put32(QByteArray& b, uint32_t v) {
  put16(b, static_cast<int>(v & 0xFFFF));
  put16(b, static_cast<int>(v >> 16));
}

int64_t frameAt(int64_t ms, int rate) {
  return (ms * rate + 500) / 1000;
}

// One rendering from the start, block by block, full scale at +-1.0.
class Voice {
 public:
  virtual ~Voice() = default;
  virtual int channels() const = 0;
  // The next frames into buffer (room for maxFrames frames); 0 once the rendering is over.
  virtual int next(float* buffer, int maxFrames) = 0;
  virtual int64_t tailFrames() const { return 0; }
};

// The synthesizer plays the schedule's messages at their frames; after the playback's end
// it renders on while any voice still sounds, at most one second.
class SynthVoice : public Voice {
 public:
  SynthVoice(const Schedule& schedule, const RenderOptions& o,
             std::unique_ptr<pxmidi::OfflineSynth> synth)
      : messages_(schedule.messages()),
        synth_(std::move(synth)),
        rate_(o.sampleRate),
        end_(frameAt(schedule.totalMs, o.sampleRate)) {
    synth_->send(pxmidi::packShortMsg(192, o.program, 0));
  }
  int channels() const override { return 2; }
  int64_t tailFrames() const override { return playing_ ? 0 : done_ - end_; }
  int next(float* buffer, int maxFrames) override {
    if (playing_) {
      while (next_ < messages_.size() && frameAt(messages_[next_].atMs, rate_) <= done_) send();
      if (done_ < end_) {
        int64_t until = end_;
        if (next_ < messages_.size())
          until = std::min(until, frameAt(messages_[next_].atMs, rate_));
        return render(buffer, std::min<int64_t>(until - done_, maxFrames));
      }
      while (next_ < messages_.size()) send();
      playing_ = false;
    }
    const int64_t tailEnd = end_ + rate_;
    if (done_ >= tailEnd || synth_->activeVoices() == 0) return 0;
    const int64_t step = std::max(1, rate_ / 100);
    return render(buffer, std::min<int64_t>({tailEnd - done_, step, maxFrames}));
  }

 private:
  void send() {
    const TimedMessage& m = messages_[next_++];
    synth_->send(pxmidi::packShortMsg(m.status, m.data1, m.data2));
  }
  int render(float* buffer, int64_t frames) {
    const int n = static_cast<int>(frames);
    synth_->render(buffer, n);
    done_ += n;
    return n;
  }

  std::vector<TimedMessage> messages_;
  std::unique_ptr<pxmidi::OfflineSynth> synth_;
  int rate_;
  int64_t end_;
  int64_t done_ = 0;
  size_t next_ = 0;
  bool playing_ = true;
};

// A square wave at each note's pitch while it sounds, loudness by its velocity, with 2 ms
// ramps in and out against clicks; silence elsewhere.
class BuzzerVoice : public Voice {
 public:
  BuzzerVoice(const Schedule& schedule, int rate)
      : rate_(rate), total_(frameAt(schedule.totalMs, rate)), ramp_(std::max(1, rate / 500)) {
    for (const ScheduledEvent& e : schedule.events)
      if (e.note)
        notes_.push_back({frameAt(e.startMs, rate), frameAt(e.soundEndMs, rate),
                          440.0 * std::pow(2.0, (e.key - 69) / 12.0),
                          kBuzzerLevel * e.velocity / 127.0});
  }
  int channels() const override { return 1; }
  int next(float* buffer, int maxFrames) override {
    const int n = static_cast<int>(std::min<int64_t>(maxFrames, total_ - done_));
    for (int k = 0; k < n; ++k) {
      const int64_t f = done_ + k;
      while (note_ < notes_.size() && f >= notes_[note_].to) ++note_;
      double v = 0;
      if (note_ < notes_.size() && f >= notes_[note_].from) {
        const Note& t = notes_[note_];
        const int64_t i = f - t.from, length = t.to - t.from;
        const double phase = std::fmod(static_cast<double>(i) * t.freq / rate_, 1.0);
        const double edge = std::min<double>(
            {1.0, static_cast<double>(i) / ramp_, static_cast<double>(length - i) / ramp_});
        v = (phase < 0.5 ? 1 : -1) * t.amplitude * edge;
      }
      buffer[k] = static_cast<float>(v);
    }
    done_ += std::max(n, 0);
    return std::max(n, 0);
  }

 private:
  struct Note {
    int64_t from, to;
    double freq, amplitude;
  };
  std::vector<Note> notes_;
  int rate_;
  int64_t total_;
  int ramp_;
  int64_t done_ = 0;
  size_t note_ = 0;
};

std::unique_ptr<Voice> makeVoice(const Schedule& schedule, const RenderOptions& o, QString* error) {
  if (o.voice == RenderVoice::Buzzer) return std::make_unique<BuzzerVoice>(schedule, o.sampleRate);
  pxmidi::SoundSystem* system = pxmidi::soundSystem(error);
  if (!system) return nullptr;
  const QString soundFont = pxmidi::findSoundFont(o.soundFont, error);
  if (soundFont.isEmpty()) return nullptr;
  std::unique_ptr<pxmidi::OfflineSynth> synth =
      system->newOfflineSynth(soundFont, o.sampleRate, error);
  if (!synth) return nullptr;
  return std::make_unique<SynthVoice>(schedule, o, std::move(synth));
}

bool writeAll(QIODevice& out, const char* data, qint64 size) {
  return out.write(data, size) == size;
}

bool writeSamples(QIODevice& out, const std::vector<int16_t>& samples) {
  const qint64 bytes = static_cast<qint64>(samples.size()) * 2;
  // WAV is little-endian, as is every machine this runs on; convert when not.
  if constexpr (std::endian::native == std::endian::little) {
    return writeAll(out, reinterpret_cast<const char*>(samples.data()), bytes);
  } else {
    QByteArray b;
    for (int16_t s : samples) put16(b, s);
    return writeAll(out, b.constData(), bytes);
  }
}

QString failure(const QIODevice& out, const QString& name) {
  return QStringLiteral("%1: %2").arg(name, out.errorString());
}

bool checkOptions(const Schedule& schedule, const RenderOptions& options, QString* error) {
  if (options.sampleRate < 8000 || options.sampleRate > 192000) {
    if (error) *error = QStringLiteral("The sample rate must lie in 8000..192000 Hz.");
    return false;
  }
  if (schedule.totalMs > kMaxRenderMs) {
    if (error)
      *error = QStringLiteral("The melody plays for %1 minutes; at most 60 minutes are rendered.")
                   .arg(schedule.totalMs / 60000);
    return false;
  }
  if (options.gainDb && !(std::abs(*options.gainDb) <= 60)) {
    if (error) *error = QStringLiteral("The gain must lie in -60..60 dB.");
    return false;
  }
  return true;
}

}  // namespace

QByteArray wavHeader(int sampleRate, int channels, int64_t frames) {
  const uint32_t data = static_cast<uint32_t>(frames * channels * 2);
  QByteArray b("RIFF");
  put32(b, 36 + data);
  b.append("WAVEfmt ");
  put32(b, 16);
  put16(b, 1);  // PCM
  put16(b, channels);
  put32(b, static_cast<uint32_t>(sampleRate));
  put32(b, static_cast<uint32_t>(sampleRate * channels * 2));
  put16(b, channels * 2);
  put16(b, 16);
  b.append("data");
  put32(b, data);
  return b;
}

bool renderWav(const Schedule& schedule, const RenderOptions& options, QIODevice& out,
               const QString& name, QString* error, RenderInfo* info) {
  if (!checkOptions(schedule, options, error)) return false;
  // First pass: the length and the peak.
  std::unique_ptr<Voice> voice = makeVoice(schedule, options, error);
  if (!voice) return false;
  const int channels = voice->channels();
  std::vector<float> buffer(static_cast<size_t>(kBlock) * channels);
  int64_t frames = 0;
  float peak = 0;
  while (const int n = voice->next(buffer.data(), kBlock)) {
    for (int i = 0; i < n * channels; ++i) peak = std::max(peak, std::abs(buffer[i]));
    frames += n;
  }
  RenderInfo local;
  local.channels = channels;
  local.tailFrames = voice->tailFrames();
  double gain = 1;
  if (options.gainDb) {
    gain = std::pow(10.0, *options.gainDb / 20);
  } else if (peak > 0) {
    gain = std::pow(10.0, kNormalPeakDb / 20) / peak;
  }
  local.gainDb = 20 * std::log10(gain);

  // Second pass: the same rendering, scaled, behind a header that holds its length.
  voice = makeVoice(schedule, options, error);
  if (!voice) return false;
  const QByteArray header = wavHeader(options.sampleRate, channels, frames);
  if (!writeAll(out, header.constData(), header.size())) {
    if (error) *error = failure(out, name);
    return false;
  }
  std::vector<int16_t> pcm;
  int64_t written = 0;
  int peakSample = 0;
  while (written < frames) {
    const int want = static_cast<int>(std::min<int64_t>(kBlock, frames - written));
    int n = voice->next(buffer.data(), want);
    // The passes render alike; should the second end early, silence makes up the length.
    if (n == 0) {
      std::fill_n(buffer.begin(), static_cast<size_t>(want) * channels, 0.0f);
      n = want;
    }
    pcm.resize(static_cast<size_t>(n) * channels);
    for (size_t i = 0; i < pcm.size(); ++i) {
      double s = buffer[i] * gain;
      if (std::abs(s) > 1.0) {
        ++local.clipped;
        s = std::clamp(s, -1.0, 1.0);
      }
      pcm[i] = static_cast<int16_t>(std::lround(s * 32767));
      peakSample = std::max(peakSample, std::abs(static_cast<int>(pcm[i])));
    }
    if (!writeSamples(out, pcm)) {
      if (error) *error = failure(out, name);
      return false;
    }
    written += n;
  }
  local.frames = written;
  local.peakDb = peakSample > 0 ? 20 * std::log10(peakSample / 32767.0)
                                : -std::numeric_limits<double>::infinity();
  if (info) *info = local;
  return true;
}

bool renderWav(const Schedule& schedule, const RenderOptions& options, const QString& path,
               QString* error, RenderInfo* info) {
  if (!checkOptions(schedule, options, error)) return false;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    if (error) *error = failure(file, path);
    return false;
  }
  // An unfinished QSaveFile is discarded, so a failure leaves nothing behind.
  if (!renderWav(schedule, options, file, path, error, info)) return false;
  if (!file.commit()) {
    if (error) *error = failure(file, path);
    return false;
  }
  return true;
}

}  // namespace pxplay
