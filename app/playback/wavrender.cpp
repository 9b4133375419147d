#include "playback/wavrender.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <bit>
#include <cmath>
#include <vector>

#include "playback/fluidlog.h"
#include "playback/midiout.h"

namespace pxplay {

namespace {

constexpr int kBlock = 1024;  // frames per synthesizer call

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

class Writer {
 public:
  Writer(const QString& path, int rate, int channels)
      : file_(path), rate_(rate), channels_(channels) {}
  bool open(QString* error) {
    if (!file_.open(QIODevice::WriteOnly)) {
      if (error) *error = QStringLiteral("%1: %2").arg(file_.fileName(), file_.errorString());
      return false;
    }
    return file_.write(wavHeader(rate_, channels_, 0)) == 44;
  }
  bool write(const int16_t* samples, int64_t frames) {
    const qint64 bytes = frames * channels_ * 2;
    frames_ += frames;
    // WAV is little-endian, as is every machine this runs on; convert when not.
    if constexpr (std::endian::native == std::endian::little) {
      return file_.write(reinterpret_cast<const char*>(samples), bytes) == bytes;
    } else {
      QByteArray b;
      for (int64_t i = 0; i < frames * channels_; ++i) put16(b, samples[i]);
      return file_.write(b) == bytes;
    }
  }
  bool finish(QString* error) {
    if (!file_.seek(0) || file_.write(wavHeader(rate_, channels_, frames_)) != 44 ||
        !file_.commit()) {
      if (error) *error = QStringLiteral("%1: %2").arg(file_.fileName(), file_.errorString());
      return false;
    }
    return true;
  }
  QString failure() const {
    return QStringLiteral("%1: %2").arg(file_.fileName(), file_.errorString());
  }
  int64_t frames() const { return frames_; }

 private:
  QSaveFile file_;
  int rate_;
  int channels_;
  int64_t frames_ = 0;
};

bool renderSynth(const Schedule& schedule, const RenderOptions& o, Writer& out, QString* error,
                 RenderInfo* info) {
  fluid_settings_t* settings = new_fluid_settings();
  fluid_settings_setnum(settings, "synth.sample-rate", o.sampleRate);
  fluid_synth_t* synth = pxmidi::newSynth(settings, error);
  if (!synth) {
    delete_fluid_settings(settings);
    return false;
  }
  std::vector<int16_t> buffer(kBlock * 2);
  int64_t done = 0;
  bool ok = true;
  // Renders up to frame `until` (exclusive) in blocks.
  const auto renderTo = [&](int64_t until) {
    while (ok && done < until) {
      const int n = static_cast<int>(std::min<int64_t>(kBlock, until - done));
      fluid_synth_write_s16(synth, n, buffer.data(), 0, 2, buffer.data(), 1, 2);
      ok = out.write(buffer.data(), n);
      done += n;
    }
  };
  pxmidi::dispatchShortMsg(synth, pxmidi::packShortMsg(192, o.program, 0));
  for (const TimedMessage& m : schedule.messages()) {
    renderTo(frameAt(m.atMs, o.sampleRate));
    pxmidi::dispatchShortMsg(synth, pxmidi::packShortMsg(m.status, m.data1, m.data2));
  }
  const int64_t end = frameAt(schedule.totalMs, o.sampleRate);
  renderTo(end);
  // The release tail: until no voice sounds any more, at most one second.
  const int64_t tailEnd = end + o.sampleRate;
  const int step = std::max(1, o.sampleRate / 100);
  while (ok && done < tailEnd && fluid_synth_get_active_voice_count(synth) > 0)
    renderTo(std::min(tailEnd, done + step));
  if (info) info->tailFrames = done - end;
  delete_fluid_synth(synth);
  delete_fluid_settings(settings);
  if (!ok && error) *error = out.failure();
  return ok;
}

bool renderBuzzer(const Schedule& schedule, const RenderOptions& o, Writer& out, QString* error) {
  const int rate = o.sampleRate;
  const int64_t total = frameAt(schedule.totalMs, rate);
  const int ramp = std::max(1, rate / 500);  // 2 ms in and out, against clicks
  std::vector<int16_t> buffer;
  int64_t done = 0;
  bool ok = true;
  const auto silenceTo = [&](int64_t until) {
    buffer.assign(kBlock, 0);
    while (ok && done < until) {
      const int n = static_cast<int>(std::min<int64_t>(kBlock, until - done));
      ok = out.write(buffer.data(), n);
      done += n;
    }
  };
  for (const ScheduledEvent& e : schedule.events) {
    if (!e.note) continue;
    const int64_t from = frameAt(e.startMs, rate), to = frameAt(e.soundEndMs, rate);
    silenceTo(from);
    const double freq = 440.0 * std::pow(2.0, (e.key - 69) / 12.0);
    const double amplitude = 0.45 * 32767.0 * e.velocity / 127.0;
    const int64_t n = to - from;
    buffer.resize(static_cast<size_t>(std::min<int64_t>(n, kBlock)));
    for (int64_t i = 0; ok && i < n;) {
      const int count = static_cast<int>(std::min<int64_t>(kBlock, n - i));
      for (int k = 0; k < count; ++k, ++i) {
        const double phase = std::fmod(static_cast<double>(i) * freq / rate, 1.0);
        const double edge = std::min<double>(
            {1.0, static_cast<double>(i) / ramp, static_cast<double>(n - i) / ramp});
        buffer[k] = static_cast<int16_t>(std::lround((phase < 0.5 ? 1 : -1) * amplitude * edge));
      }
      ok = out.write(buffer.data(), count);
    }
    done += n;
  }
  silenceTo(total);
  if (!ok && error) *error = out.failure();
  return ok;
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

bool renderWav(const Schedule& schedule, const RenderOptions& options, const QString& path,
               QString* error, RenderInfo* info) {
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
  const int channels = options.voice == RenderVoice::Synth ? 2 : 1;
  Writer out(path, options.sampleRate, channels);
  if (!out.open(error)) return false;
  RenderInfo local;
  const bool ok = options.voice == RenderVoice::Synth
                      ? renderSynth(schedule, options, out, error, &local)
                      : renderBuzzer(schedule, options, out, error);
  // An unfinished QSaveFile is discarded, so a failure leaves nothing behind.
  if (!ok || !out.finish(error)) return false;
  local.channels = channels;
  local.frames = out.frames();
  if (info) *info = local;
  return true;
}

}  // namespace pxplay
