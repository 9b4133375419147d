#include "playback/wavrender.h"

#include <QIODevice>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "playback/audiofiles.h"
#include "playback/midiout.h"
#include "playback/soundsystem.h"
#include "playback/synthsettings.h"

namespace pxplay {

namespace {

constexpr int kBlock = 1024;  // frames per call of a voice
// The buzzer's own level: a square wave at full velocity is a loud signal, so it plays at
// 45 % of full scale.
constexpr double kBuzzerLevel = 0.45;

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

// The rendering as written: at most `limit` frames, and when the melody was cut, its last
// second faded out (a raised-cosine curve) so it ends in silence instead of a click.
class ShapedVoice : public Voice {
 public:
  ShapedVoice(std::unique_ptr<Voice> inner, int64_t limit, int64_t fade)
      : inner_(std::move(inner)), limit_(limit), fade_(fade) {}
  int channels() const override { return inner_->channels(); }
  int64_t tailFrames() const override { return inner_->tailFrames(); }
  int next(float* buffer, int maxFrames) override {
    const int want = static_cast<int>(std::min<int64_t>(maxFrames, limit_ - done_));
    if (want <= 0) return 0;
    const int n = inner_->next(buffer, want);
    const int c = channels();
    const int64_t fadeFrom = limit_ - fade_;
    for (int k = 0; k < n && fade_ > 0; ++k) {
      const int64_t f = done_ + k;
      if (f < fadeFrom) continue;
      const double x = static_cast<double>(f - fadeFrom) / fade_;
      const auto g = static_cast<float>(0.5 * (1 + std::cos(x * 3.14159265358979323846)));
      for (int ch = 0; ch < c; ++ch) buffer[k * c + ch] *= g;
    }
    done_ += n;
    return n;
  }

 private:
  std::unique_ptr<Voice> inner_;
  int64_t limit_;
  int64_t fade_;
  int64_t done_ = 0;
};

bool checkOptions(const Schedule& schedule, const RenderOptions& options, QString* error) {
  if (!pxaudio::checkRate(pxaudio::audioFormatInfo(options.format), options.sampleRate, error))
    return false;
  if (schedule.totalMs > kMaxRenderMs && !options.maxSeconds) {
    if (error)
      *error = QStringLiteral("The melody plays for %1 minutes; at most 60 minutes are rendered.")
                   .arg(schedule.totalMs / 60000);
    return false;
  }
  if (options.gainDb && !(std::abs(*options.gainDb) <= 60)) {
    if (error) *error = QStringLiteral("The gain must lie in -60..60 dB.");
    return false;
  }
  if (!(options.loudness >= kMinLoudness && options.loudness <= kMaxLoudness)) {
    if (error)
      *error = QStringLiteral("The loudness must lie in %1..%2 LUFS.")
                   .arg(kMinLoudness)
                   .arg(kMaxLoudness);
    return false;
  }
  if (options.maxSeconds && !(*options.maxSeconds >= 1 && *options.maxSeconds <= 3600)) {
    if (error) *error = QStringLiteral("The length limit must lie in 1..3600 seconds.");
    return false;
  }
  return true;
}

// Both passes render the same sound: the schedule as cut, through the same shaping.
struct Plan {
  Schedule schedule;
  int64_t limit = std::numeric_limits<int64_t>::max();
  int64_t fade = 0;
  bool cut = false;
};

Plan planOf(const Schedule& schedule, const RenderOptions& o) {
  Plan p;
  p.schedule = schedule;
  if (!o.maxSeconds) return p;
  const auto maxMs = static_cast<int64_t>(std::llround(*o.maxSeconds * 1000));
  p.schedule = cutSchedule(schedule, maxMs, &p.cut);
  p.limit = frameAt(maxMs, o.sampleRate);
  if (p.cut) {
    p.limit = std::min(p.limit, frameAt(p.schedule.totalMs, o.sampleRate));
    p.fade = std::min<int64_t>(o.sampleRate, p.limit);
  }
  return p;
}

std::unique_ptr<Voice> makeShaped(const Plan& p, const RenderOptions& o, QString* error) {
  std::unique_ptr<Voice> voice = makeVoice(p.schedule, o, error);
  if (!voice) return nullptr;
  return std::make_unique<ShapedVoice>(std::move(voice), p.limit, p.fade);
}

bool report(const RenderOptions& o, double share, QString* error) {
  if (!o.progress || o.progress(std::clamp(share, 0.0, 1.0))) return true;
  if (error) *error = QStringLiteral("The rendering was stopped.");
  return false;
}

}  // namespace

Schedule cutSchedule(const Schedule& schedule, int64_t maxMs, bool* cut) {
  *cut = false;
  if (schedule.totalMs <= maxMs) return schedule;
  *cut = true;
  Schedule s;
  for (const ScheduledEvent& e : schedule.events) {
    if (e.endMs > maxMs) break;
    s.events.push_back(e);
  }
  // Rests after the last note that fits would only lengthen the fade's silence.
  while (!s.events.empty() && !s.events.back().note) s.events.pop_back();
  if (s.events.empty()) {
    // Not even the first note fits: it is cut at the limit.
    if (!schedule.events.empty()) {
      ScheduledEvent first = schedule.events.front();
      first.soundEndMs = std::min(first.soundEndMs, maxMs);
      first.endMs = maxMs;
      s.events.push_back(first);
    }
    s.totalMs = maxMs;
    return s;
  }
  s.totalMs = s.events.back().endMs;
  return s;
}

bool renderAudio(const Schedule& schedule, const RenderOptions& options, QIODevice& out,
                 const QString& name, QString* error, RenderInfo* info) {
  if (!checkOptions(schedule, options, error)) return false;
  const Plan plan = planOf(schedule, options);
  const pxaudio::AudioFormatInfo& format = pxaudio::audioFormatInfo(options.format);
  if (out.isSequential() && !format.streams) {
    if (error)
      *error = QStringLiteral("%1 cannot be written to %2: it needs a file.")
                   .arg(QString::fromLatin1(format.description).section(',', 0, 0), name);
    return false;
  }
  // The encoders come from the plugin before anything is rendered, so a missing one is
  // reported at once.
  pxaudio::AudioFiles* files = nullptr;
  if (options.format != pxaudio::AudioFormat::Wav || !options.gainDb) {
    files = pxaudio::audioFiles(error);
    if (!files) return false;
  }

  // First pass: the length, the peak and the loudness.
  std::unique_ptr<Voice> voice = makeShaped(plan, options, error);
  if (!voice) return false;
  const int channels = voice->channels();
  std::unique_ptr<pxaudio::LoudnessMeter> meter;
  if (!options.gainDb) {
    meter = files->newLoudnessMeter(options.sampleRate, channels, error);
    if (!meter) return false;
  }
  std::vector<float> buffer(static_cast<size_t>(kBlock) * channels);
  int64_t frames = 0;
  float peak = 0;
  const double expected = std::max<double>(
      1, std::min<double>(static_cast<double>(plan.limit),
                          static_cast<double>(frameAt(plan.schedule.totalMs, options.sampleRate))));
  while (const int n = voice->next(buffer.data(), kBlock)) {
    for (int i = 0; i < n * channels; ++i) peak = std::max(peak, std::abs(buffer[i]));
    if (meter && !meter->add(buffer.data(), n)) {
      if (error) *error = QStringLiteral("The loudness could not be measured.");
      return false;
    }
    frames += n;
    if (frames % (kBlock * 64) < n && !report(options, 0.5 * frames / expected, error))
      return false;
  }
  RenderInfo local;
  local.channels = channels;
  local.tailFrames = voice->tailFrames();
  local.cut = plan.cut;
  double gain = 1;
  local.loudness = -std::numeric_limits<double>::infinity();
  if (options.gainDb) {
    gain = std::pow(10.0, *options.gainDb / 20);
  } else if (peak > 0) {
    const double lufs = meter->integratedLufs();
    const double truePeak = std::max<double>(meter->truePeak(), peak);
    const double ceiling = std::pow(10.0, kMaxTruePeakDb / 20) / truePeak;
    // Too short to gate (under 0.4 s): the true peak alone sets the level.
    gain = std::isfinite(lufs) ? std::min(std::pow(10.0, (options.loudness - lufs) / 20), ceiling)
                               : ceiling;
    if (std::isfinite(lufs)) local.loudness = lufs + 20 * std::log10(gain);
  }
  local.gainDb = 20 * std::log10(gain);

  // Second pass: the same rendering, scaled, into the encoder.
  voice = makeShaped(plan, options, error);
  if (!voice) return false;
  pxaudio::EncodeParams params;
  params.format = options.format;
  params.sampleRate = options.sampleRate;
  params.channels = channels;
  params.frames = frames;
  params.title = options.title;
  std::unique_ptr<pxaudio::AudioEncoder> encoder = options.format == pxaudio::AudioFormat::Wav
                                                       ? pxaudio::newWavEncoder(params, out, name)
                                                       : files->newEncoder(params, out, error);
  if (!encoder) return false;
  int64_t written = 0;
  float peakOut = 0;
  while (written < frames) {
    const int want = static_cast<int>(std::min<int64_t>(kBlock, frames - written));
    int n = voice->next(buffer.data(), want);
    // The passes render alike; should the second end early, silence makes up the length.
    if (n == 0) {
      std::fill_n(buffer.begin(), static_cast<size_t>(want) * channels, 0.0f);
      n = want;
    }
    for (int i = 0; i < n * channels; ++i) {
      // Rounded to the 16-bit grid the WAV holds, so the peak reported is the peak written.
      double s = std::lround(buffer[i] * gain * 32767) / 32767.0;
      if (std::abs(s) > 1.0) {
        ++local.clipped;
        s = std::clamp(s, -1.0, 1.0);
      }
      buffer[i] = static_cast<float>(s);
      peakOut = std::max(peakOut, std::abs(buffer[i]));
    }
    if (!encoder->write(buffer.data(), n, error)) return false;
    written += n;
    if (written % (kBlock * 64) < n && !report(options, 0.5 + 0.5 * written / frames, error))
      return false;
  }
  if (!encoder->finish(error)) return false;
  local.frames = written;
  local.peakDb = peakOut > 0 ? 20 * std::log10(peakOut) : -std::numeric_limits<double>::infinity();
  if (info) *info = local;
  return true;
}

bool renderAudio(const Schedule& schedule, const RenderOptions& options, const QString& path,
                 QString* error, RenderInfo* info) {
  if (!checkOptions(schedule, options, error)) return false;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    if (error) *error = QStringLiteral("%1: %2").arg(path, file.errorString());
    return false;
  }
  // An unfinished QSaveFile is discarded, so a failure leaves nothing behind.
  if (!renderAudio(schedule, options, file, path, error, info)) return false;
  if (!file.commit()) {
    if (error) *error = QStringLiteral("%1: %2").arg(path, file.errorString());
    return false;
  }
  return true;
}

}  // namespace pxplay
