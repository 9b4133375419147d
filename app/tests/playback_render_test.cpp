// Rendering levels measured on the samples written: both voices normalised to a loudness
// under a true-peak ceiling, a fixed gain instead of it, a length limit that cuts at a note's
// end and fades out, and a header that holds the length before the first sample, so the
// rendering streams into a pipe.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QIODevice>
#include <QtEndian>

#include <cmath>
#include <vector>

#include "playback/soundsystem.h"
#include "playback/synthsettings.h"
#include "playback/wavrender.h"

namespace {

struct Pcm {
  int channels = 0;
  int rate = 0;
  uint32_t riffSize = 0;
  uint32_t dataSize = 0;
  std::vector<int16_t> samples;
};

Pcm parse(const QByteArray& b) {
  Pcm p;
  if (b.size() < 44 || !b.startsWith("RIFF") || b.mid(8, 8) != "WAVEfmt " || b.mid(36, 4) != "data")
    return p;
  p.channels = qFromLittleEndian<quint16>(b.constData() + 22);
  p.rate = static_cast<int>(qFromLittleEndian<quint32>(b.constData() + 24));
  p.riffSize = qFromLittleEndian<quint32>(b.constData() + 4);
  p.dataSize = qFromLittleEndian<quint32>(b.constData() + 40);
  for (qsizetype at = 44; at + 1 < b.size(); at += 2)
    p.samples.push_back(qFromLittleEndian<qint16>(b.constData() + at));
  return p;
}

int peakOf(const std::vector<int16_t>& s, size_t from = 0, size_t to = SIZE_MAX) {
  int peak = 0;
  for (size_t i = from; i < std::min(to, s.size()); ++i) peak = std::max(peak, std::abs(int{s[i]}));
  return peak;
}

double dbfs(int peak) {
  return 20 * std::log10(peak / 32767.0);
}

// Takes what is written and refuses to seek, as a pipe does.
class PipeDevice : public QIODevice {
 public:
  PipeDevice() { open(QIODevice::WriteOnly); }
  bool isSequential() const override { return true; }
  bool seek(qint64) override { return false; }
  QByteArray data;

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* d, qint64 n) override {
    data.append(d, n);
    return n;
  }
};

// A4 for 400 ms, 100 ms of silence, A4 again for 400 ms, 100 ms of silence.
pxplay::Schedule twoNotes(int firstVelocity, int secondVelocity) {
  pxplay::Schedule s;
  s.events.push_back({0, 0, 400, 500, true, 69, firstVelocity, 0});
  s.events.push_back({1, 500, 900, 1000, true, 69, secondVelocity, 0});
  s.totalMs = 1000;
  return s;
}

bool render(const pxplay::Schedule& s, const pxplay::RenderOptions& o, Pcm* pcm,
            pxplay::RenderInfo* info, QString* error) {
  PipeDevice pipe;
  const bool ok = pxplay::renderAudio(s, o, pipe, QStringLiteral("pipe"), error, info);
  *pcm = parse(pipe.data);
  if (ok) {
    EXPECT_EQ(pcm->dataSize, pcm->samples.size() * 2) << "the header's length is the data's";
    EXPECT_EQ(pcm->riffSize, pcm->dataSize + 36);
  }
  return ok;
}

TEST(WavRender, BuzzerMeetsTheLoudnessAndKeepsTheNotesApart) {
  pxplay::RenderOptions o;
  o.voice = pxplay::RenderVoice::Buzzer;
  o.sampleRate = 8000;
  Pcm pcm;
  pxplay::RenderInfo info;
  QString error;
  ASSERT_TRUE(render(twoNotes(30, 60), o, &pcm, &info, &error)) << error.toStdString();
  EXPECT_EQ(pcm.channels, 1);
  EXPECT_EQ(pcm.rate, 8000);
  ASSERT_EQ(pcm.samples.size(), 8000u);
  EXPECT_NEAR(info.loudness, pxplay::kDefaultLoudness, 0.01);
  // A square wave's peak lies near its loudness: far below the ceiling.
  EXPECT_NEAR(dbfs(peakOf(pcm.samples)), info.peakDb, 0.01);
  EXPECT_LT(info.peakDb, -10);
  // A louder target than the ceiling allows is held at -1 dBTP instead.
  pxplay::RenderInfo loud;
  o.loudness = -5;
  ASSERT_TRUE(render(twoNotes(30, 60), o, &pcm, &loud, &error)) << error.toStdString();
  EXPECT_LE(loud.peakDb, pxplay::kMaxTruePeakDb + 0.01);
  EXPECT_LT(loud.loudness, -5.2);
  o.loudness = pxplay::kDefaultLoudness;
  ASSERT_TRUE(render(twoNotes(30, 60), o, &pcm, &info, &error));
  // The louder note makes the peak; the quieter one stays half as loud; the pauses are silent.
  EXPECT_NEAR(static_cast<double>(peakOf(pcm.samples, 0, 3200)) / peakOf(pcm.samples, 4000, 7200),
              0.5, 0.001);
  EXPECT_EQ(peakOf(pcm.samples, 3200, 4000), 0);
  EXPECT_EQ(peakOf(pcm.samples, 7200), 0);
  EXPECT_EQ(info.clipped, 0);
}

TEST(WavRender, FixedGainReplacesTheNormalisation) {
  pxplay::RenderOptions o;
  o.voice = pxplay::RenderVoice::Buzzer;
  o.sampleRate = 8000;
  Pcm pcm;
  pxplay::RenderInfo info;
  QString error;
  // 0 dB: the buzzer's own level, 45 % of full scale at velocity 127.
  o.gainDb = 0.0;
  ASSERT_TRUE(render(twoNotes(127, 127), o, &pcm, &info, &error));
  EXPECT_EQ(peakOf(pcm.samples), std::lround(0.45 * 32767));
  EXPECT_DOUBLE_EQ(info.gainDb, 0);
  // +20 dB drives it past full scale: cut to it, and counted.
  o.gainDb = 20.0;
  ASSERT_TRUE(render(twoNotes(127, 127), o, &pcm, &info, &error));
  EXPECT_EQ(peakOf(pcm.samples), 32767);
  EXPECT_GT(info.clipped, 0);
  o.gainDb = 61.0;
  EXPECT_FALSE(render(twoNotes(127, 127), o, &pcm, &info, &error));
  EXPECT_FALSE(error.isEmpty());

  // Only silence: nothing to normalise, and no division by a zero peak.
  o.gainDb.reset();
  pxplay::Schedule silence;
  silence.events.push_back({0, 0, 0, 500, false, 0, 0, 0});
  silence.totalMs = 500;
  ASSERT_TRUE(render(silence, o, &pcm, &info, &error));
  EXPECT_EQ(pcm.samples.size(), 4000u);
  EXPECT_EQ(peakOf(pcm.samples), 0);
  EXPECT_TRUE(std::isinf(info.peakDb));
  EXPECT_DOUBLE_EQ(info.gainDb, 0);
}

TEST(WavRender, LengthLimitCutsAtANoteEndAndFadesOut) {
  pxplay::RenderOptions o;
  o.voice = pxplay::RenderVoice::Buzzer;
  o.sampleRate = 8000;
  o.gainDb = 0.0;
  // Five notes of 800 ms (600 sounding); a 3.5 s limit keeps four, up to 3.2 s.
  pxplay::Schedule s;
  for (int i = 0; i < 5; ++i)
    s.events.push_back({i, i * 800, i * 800 + 600, (i + 1) * 800, true, 69, 127, 0});
  s.totalMs = 4000;
  o.maxSeconds = 3.5;
  Pcm pcm;
  pxplay::RenderInfo info;
  QString error;
  ASSERT_TRUE(render(s, o, &pcm, &info, &error)) << error.toStdString();
  EXPECT_TRUE(info.cut);
  ASSERT_EQ(pcm.samples.size(), 3200u * 8);
  // Full level before the last second (from 2.2 s), the last note fading within it.
  const int full = std::lround(0.45 * 32767);
  EXPECT_EQ(peakOf(pcm.samples, 12800, 17600), full);
  EXPECT_LT(peakOf(pcm.samples, 19200, 20000), full);
  EXPECT_GT(peakOf(pcm.samples, 19200, 20000), full * 8 / 10);
  EXPECT_LT(peakOf(pcm.samples, 23200, 24000), full / 4);
  EXPECT_GT(peakOf(pcm.samples, 23200, 24000), 0);
  // A limit the melody fits in changes nothing.
  o.maxSeconds = 10;
  ASSERT_TRUE(render(s, o, &pcm, &info, &error));
  EXPECT_FALSE(info.cut);
  EXPECT_EQ(pcm.samples.size(), 32000u);
  // Not even the first note fits: cut at the limit itself.
  bool cut = false;
  const pxplay::Schedule first = pxplay::cutSchedule(s, 300, &cut);
  EXPECT_TRUE(cut);
  ASSERT_EQ(first.events.size(), 1u);
  EXPECT_EQ(first.totalMs, 300);
  EXPECT_EQ(first.events[0].soundEndMs, 300);
  // A pipe cannot take a file that needs seeking back.
  o.format = pxaudio::AudioFormat::M4r;
  EXPECT_FALSE(render(s, o, &pcm, &info, &error));
  EXPECT_TRUE(error.contains("needs a file")) << error.toStdString();
}

TEST(WavRender, SynthesizerMeetsTheLoudness) {
  QString why;
  if (!pxmidi::soundSystem(&why)) GTEST_SKIP() << why.toStdString();
  if (pxmidi::findSoundFont({}, &why).isEmpty()) GTEST_SKIP() << why.toStdString();
  pxplay::RenderOptions o;
  o.sampleRate = 22050;
  Pcm pcm;
  pxplay::RenderInfo info;
  QString error;
  ASSERT_TRUE(render(twoNotes(60, 100), o, &pcm, &info, &error)) << error.toStdString();
  EXPECT_EQ(pcm.channels, 2);
  EXPECT_GE(pcm.samples.size(), 22050u * 2);
  // The loudness target, unless the true-peak ceiling holds it lower.
  EXPECT_LE(info.loudness, pxplay::kDefaultLoudness + 0.01);
  EXPECT_LE(dbfs(peakOf(pcm.samples)), pxplay::kMaxTruePeakDb + 0.01);
  EXPECT_NEAR(dbfs(peakOf(pcm.samples)), info.peakDb, 0.01);
  // The synthesizer's own level is far below: normalising raised it.
  EXPECT_GT(info.gainDb, 3);

  // A SoundFont named but missing is an error that names it, not a silent fallback.
  o.soundFont = QStringLiteral("/nonexistent/gm.sf2");
  EXPECT_FALSE(render(twoNotes(60, 100), o, &pcm, &info, &error));
  EXPECT_TRUE(error.contains("/nonexistent/gm.sf2")) << error.toStdString();
}

}  // namespace
