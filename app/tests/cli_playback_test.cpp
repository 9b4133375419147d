// pealix-cli devices, play and render end to end. The machines the tests run on may have
// no sound at all: playing on the built-in synthesizer then fails with a message.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

#include <cmath>

#include "cli_process.h"

namespace {

struct CliRun {
  int exitCode = -1;
  QStringList lines;
  QString errors;
};

struct Wav {
  int channels = 0;
  int rate = 0;
  int bits = 0;
  int64_t frames = 0;
  int peak = 0;
};

class CliPlaybackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cli_ = QStringLiteral(PEALIX_BIN_DIR "/pealix-cli");
    if (!QFileInfo(cli_).isExecutable()) GTEST_SKIP() << "pealix-cli is not built";
    ASSERT_TRUE(dir_.isValid());
  }
  CliRun run(const QStringList& args) {
    const ProcessRun p = runProcess(cli_, args, dir_.path());
    return {p.exitCode, QString::fromUtf8(p.output).split('\n', Qt::SkipEmptyParts), p.errors};
  }
  QString melody(const QByteArray& rtttl) {
    const QString path = dir_.filePath("tune.rtx");
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(rtttl);
    return path;
  }
  static Wav readWav(const QString& path) {
    QFile f(path);
    Wav w;
    if (!f.open(QIODevice::ReadOnly)) return w;
    const QByteArray b = f.readAll();
    if (b.size() < 44 || !b.startsWith("RIFF") || b.mid(8, 8) != "WAVEfmt ") return w;
    const auto u16 = [&b](int at) { return qFromLittleEndian<quint16>(b.constData() + at); };
    const auto u32 = [&b](int at) { return qFromLittleEndian<quint32>(b.constData() + at); };
    w.channels = u16(22);
    w.rate = static_cast<int>(u32(24));
    w.bits = u16(34);
    // The chunks after fmt (a LIST of tags, then data) up to the samples.
    int at = 36;
    while (at + 8 <= b.size() && b.mid(at, 4) != "data") at += 8 + static_cast<int>(u32(at + 4));
    EXPECT_EQ(b.mid(at, 4), "data");
    if (b.mid(at, 4) != "data") return w;
    const int first = at + 8;
    EXPECT_EQ(u32(at + 4) + first, static_cast<quint32>(b.size()));
    EXPECT_EQ(u32(4) + 8, static_cast<quint32>(b.size()));
    w.frames = (b.size() - first) / (2 * std::max(1, w.channels));
    for (int k = first; k + 1 < b.size(); k += 2)
      w.peak = std::max(w.peak,
                        std::abs(static_cast<int>(qFromLittleEndian<qint16>(b.constData() + k))));
    return w;
  }
  QString cli_;
  QTemporaryDir dir_;
};

TEST_F(CliPlaybackTest, DevicesListsTheBuiltInSynthesizerFirst) {
  const CliRun r = run({"devices"});
  ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
  ASSERT_FALSE(r.lines.isEmpty());
  EXPECT_TRUE(r.lines[0].startsWith("-1\t")) << r.lines[0].toStdString();
  for (int i = 1; i < r.lines.size(); ++i)
    EXPECT_TRUE(r.lines[i].startsWith(QString::number(i - 1) + "\t"));
}

TEST_F(CliPlaybackTest, TraceWithoutSoundFollowsTheSchedule) {
  // At 600 BPM a quarter is 100 ms: staccato sounds 50 ms, then 50 ms of silence.
  const QString tune = melody("t:d=4,o=5,b=600:c,8p,e");
  const CliRun r = run(
      {"play", tune, "--device", "none", "--trace", "--style", "staccato", "--instrument", "19"});
  ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
  const QStringList expected = {"0 192 19 0", "0 144 72 127", "50 128 72 127", "150 144 76 127",
                                "200 128 76 127"};
  ASSERT_EQ(r.lines.size(), expected.size()) << r.lines.join('|').toStdString();
  for (int i = 0; i < expected.size(); ++i) {
    const QStringList got = r.lines[i].split(' ');
    const QStringList want = expected[i].split(' ');
    ASSERT_EQ(got.size(), 4);
    EXPECT_EQ(got.mid(1), want.mid(1)) << i;
    // Sent in real time: never before its scheduled time.
    EXPECT_GE(got[0].toInt(), want[0].toInt()) << i;
  }
}

TEST_F(CliPlaybackTest, PlayFailsClearlyWithoutTheDevice) {
  const QString tune = melody("t:d=4,o=5,b=600:c");
  const CliRun missing = run({"play", tune, "--device", "4000"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_TRUE(missing.errors.contains("Error opening MIDI OUT Port"))
      << missing.errors.toStdString();

  // The built-in synthesizer plays where there is sound and says why not elsewhere.
  const CliRun synth = run({"play", tune});
  ASSERT_NE(synth.exitCode, -1) << "play did not end";
  if (synth.exitCode != 0) {
    EXPECT_EQ(synth.exitCode, 1);
    EXPECT_TRUE(synth.errors.contains("Error opening MIDI OUT Port"));
  }

  EXPECT_EQ(run({"play", tune, "--style", "swing"}).exitCode, 2);
  EXPECT_EQ(run({"play", tune, "--device", "x"}).exitCode, 2);
  EXPECT_EQ(run({"play", tune, "--volume", "3"}).exitCode, 2);
  EXPECT_EQ(run({"play", dir_.filePath("missing.rtx"), "--device", "none"}).exitCode, 1);
}

TEST_F(CliPlaybackTest, RenderWritesAWavAsLongAsThePlayback) {
  // 120 BPM: quarter 500 ms, eighth pause 250 ms, half 1000 ms: 1750 ms in all.
  const QString tune = melody("t:d=4,o=5,b=120:c,8p,2e");
  const QString synthWav = dir_.filePath("synth.wav");
  const CliRun synth = run({"render", tune, synthWav, "--rate", "22050"});
  ASSERT_EQ(synth.exitCode, 0) << synth.errors.toStdString();
  const Wav s = readWav(synthWav);
  EXPECT_EQ(s.channels, 2);
  EXPECT_EQ(s.rate, 22050);
  EXPECT_EQ(s.bits, 16);
  const int64_t playback = (1750 * 22050 + 500) / 1000;  // rounded to the nearest frame
  EXPECT_GE(s.frames, playback);
  EXPECT_LE(s.frames, playback + 22050);
  EXPECT_GT(s.peak, 1000);

  const QString buzzerWav = dir_.filePath("buzzer.wav");
  const CliRun buzzer = run({"render", tune, buzzerWav, "--voice", "buzzer", "--rate", "8000"});
  ASSERT_EQ(buzzer.exitCode, 0) << buzzer.errors.toStdString();
  const Wav b = readWav(buzzerWav);
  EXPECT_EQ(b.channels, 1);
  EXPECT_EQ(b.frames, 1750 * 8);
  EXPECT_GT(b.peak, 3000);  // a square wave at -16 LUFS peaks near -15 dBFS

  // A file that cannot be written leaves nothing behind.
  const QString bad = dir_.filePath("no/such/folder/out.wav");
  const CliRun failed = run({"render", tune, bad});
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_FALSE(failed.errors.isEmpty());
  EXPECT_FALSE(QFileInfo::exists(bad));
  EXPECT_EQ(run({"render", tune, buzzerWav, "--rate", "100"}).exitCode, 2);
  EXPECT_EQ(run({"render", tune}).exitCode, 2);
}

TEST_F(CliPlaybackTest, RenderStreamsToStandardOutputUnderTheTruePeakCeiling) {
  const QString tune = melody("t:d=4,o=5,b=240:8c,8p,4e");
  // Standard output carries the WAV alone; the status line goes to standard error.
  const ProcessRun out =
      runProcess(cli_, {"render", tune, "-", "--voice", "buzzer", "--rate", "8000"}, dir_.path());
  ASSERT_EQ(out.exitCode, 0) << out.errors.toStdString();
  EXPECT_TRUE(out.errors.contains("wrote standard output")) << out.errors.toStdString();
  const QString piped = dir_.filePath("piped.wav");
  QFile f(piped);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(out.output);
  f.close();
  const Wav w = readWav(piped);  // checks that the header's sizes match the bytes
  EXPECT_EQ(w.channels, 1);
  EXPECT_EQ(w.frames, 500 * 8);  // at 240 BPM: 125 + 125 + 250 ms
  EXPECT_LE(20 * std::log10(w.peak / 32767.0), -1.0 + 0.01);

  // The same to a file, with a fixed gain instead: quieter, and told so on standard output.
  const QString quiet = dir_.filePath("quiet.wav");
  const CliRun gained = run({"render", tune, quiet, "--voice", "buzzer", "--gain", "-6"});
  ASSERT_EQ(gained.exitCode, 0) << gained.errors.toStdString();
  ASSERT_EQ(gained.lines.size(), 1);
  EXPECT_TRUE(gained.lines[0].startsWith("wrote " + quiet));
  EXPECT_NEAR(20 * std::log10(readWav(quiet).peak / 32767.0), 20 * std::log10(0.45) - 6, 0.01);

  EXPECT_EQ(run({"render", tune, quiet, "--gain", "loud"}).exitCode, 2);
  EXPECT_EQ(run({"render", tune, quiet, "--gain", "90"}).exitCode, 2);
  const CliRun missing = run({"render", tune, quiet, "--soundfont", dir_.filePath("none.sf2")});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_TRUE(missing.errors.contains("none.sf2")) << missing.errors.toStdString();
  EXPECT_EQ(run({"play", tune, "--audio-driver", "oss"}).exitCode, 2);
}

}  // namespace
