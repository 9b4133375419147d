// pealix-cli render into audio ringtone files, each read back by FFmpeg's own tools, not by
// the code that wrote it: ffprobe for the codec and the title tag, ffmpeg's decoder for the
// length (within one codec frame) and its ebur128 filter for the loudness (within 1 LU of
// the target). Skipped where FFmpeg's programs are missing.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "cli_process.h"
#include "playback/audiofiles.h"

namespace {

struct Probe {
  QString codec;
  QString title;
  int rate = 0;
  double seconds = 0;   // decoded
  double lufs = 0;      // ebur128 integrated loudness
  double truePeak = 0;  // ebur128 true peak, dBFS
};

class CliRingtonesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cli_ = QStringLiteral(PEALIX_BIN_DIR "/pealix-cli");
    if (!QFileInfo(cli_).isExecutable()) GTEST_SKIP() << "pealix-cli is not built";
    ffprobe_ = QStandardPaths::findExecutable(QStringLiteral("ffprobe"));
    ffmpeg_ = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    ASSERT_TRUE(dir_.isValid());
  }
  bool haveFfmpeg() const { return !ffprobe_.isEmpty() && !ffmpeg_.isEmpty(); }
  ProcessRun render(const QStringList& args) {
    return runProcess(cli_, QStringList{QStringLiteral("render")} + args, dir_.path());
  }
  QString melody(const QByteArray& rtttl, const QString& name = QStringLiteral("tune.rtx")) {
    const QString path = dir_.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(rtttl);
    return path;
  }
  Probe probe(const QString& path) {
    Probe p;
    const ProcessRun info =
        runProcess(ffprobe_, {"-v", "error", "-show_entries",
                              "stream=codec_name,sample_rate:format_tags=title:stream_tags=title",
                              "-of", "default=noprint_wrappers=1", path});
    for (const QString& line : QString::fromUtf8(info.output).split('\n')) {
      if (line.startsWith("codec_name=")) p.codec = line.section('=', 1);
      if (line.startsWith("sample_rate=")) p.rate = line.section('=', 1).toInt();
      if (line.startsWith("TAG:title=", Qt::CaseInsensitive)) p.title = line.section('=', 1);
    }
    // The decoded length: what a player plays, the encoder's delay and padding taken off.
    const ProcessRun pcm =
        runProcess(ffmpeg_, {"-v", "error", "-i", path, "-f", "s16le", "-ac", "1", "-"});
    if (p.rate > 0) p.seconds = static_cast<double>(pcm.output.size() / 2) / p.rate;
    const ProcessRun loud = runProcess(ffmpeg_, {"-nostats", "-i", path, "-filter_complex",
                                                 "ebur128=peak=true", "-f", "null", "-"});
    const QString summary = loud.errors.mid(loud.errors.lastIndexOf("Summary:"));
    const QRegularExpressionMatch i = QRegularExpression(R"(I:\s+(-?[0-9.]+) LUFS)").match(summary);
    const QRegularExpressionMatch tp =
        QRegularExpression(R"(Peak:\s+(-?[0-9.]+) dBFS)").match(summary);
    p.lufs = i.hasMatch() ? i.captured(1).toDouble() : 999;
    p.truePeak = tp.hasMatch() ? tp.captured(1).toDouble() : 999;
    return p;
  }

  QString cli_, ffprobe_, ffmpeg_;
  QTemporaryDir dir_;
};

// Twelve quarters at 120 BPM: 6 s on the buzzer.
const QByteArray kTune = "Evening Bell:d=4,o=5,b=120:c,e,g,c6,g,e,d,f,a,b,g,c6";

TEST_F(CliRingtonesTest, EveryFormatReadsBackWithItsCodecLengthTitleAndLoudness) {
  if (!haveFfmpeg()) GTEST_SKIP() << "ffprobe and ffmpeg are not installed";
  const QString tune = melody(kTune);
  const struct {
    const char* extension;
    const char* codec;
  } kCases[] = {{"wav", "pcm_s16le"}, {"flac", "flac"}, {"ogg", "vorbis"}, {"opus", "opus"},
                {"mp3", "mp3"},       {"m4r", "aac"},   {"m4a", "aac"}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.extension);
    const QString out = dir_.filePath(QStringLiteral("bell.") + c.extension);
    const ProcessRun r = render({tune, out, "--voice", "buzzer"});
    ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
    EXPECT_TRUE(r.errors.isEmpty()) << r.errors.toStdString();  // no library chatter
    const Probe p = probe(out);
    EXPECT_EQ(p.codec, c.codec);
    EXPECT_EQ(p.title, "Evening Bell");
    const pxaudio::AudioFormatInfo* f = pxaudio::audioFormatForPath(out);
    ASSERT_TRUE(f);
    EXPECT_EQ(p.rate, f->defaultRate);
    EXPECT_NEAR(p.seconds, 6.0, f->frameSeconds(p.rate)) << p.seconds;
    EXPECT_NEAR(p.lufs, -16.0, 1.0);
    EXPECT_LE(p.truePeak, -1.0 + 0.5);  // lossy coding may move the peak a little
  }
  // Another loudness target.
  const QString quiet = dir_.filePath("quiet.ogg");
  ASSERT_EQ(render({tune, quiet, "--voice", "buzzer", "--loudness", "-23"}).exitCode, 0);
  EXPECT_NEAR(probe(quiet).lufs, -23.0, 1.0);
}

TEST_F(CliRingtonesTest, IphoneRingtonesStopAtFortySecondsAndStreamsGoToAPipe) {
  if (!haveFfmpeg()) GTEST_SKIP() << "ffprobe and ffmpeg are not installed";
  // 100 quarters at 120 BPM: 50 s; the .m4r keeps the 80 notes that end by 40 s.
  QByteArray longTune = "Long:d=4,o=5,b=120:";
  for (int i = 0; i < 100; ++i) longTune += i ? ",c" : "c";
  const QString tune = melody(longTune, QStringLiteral("long.rtx"));
  const QString m4r = dir_.filePath("long.m4r");
  const ProcessRun r = render({tune, m4r, "--voice", "buzzer"});
  ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
  EXPECT_TRUE(QString::fromUtf8(r.output).contains("40.000 s")) << r.output.toStdString();
  EXPECT_NEAR(probe(m4r).seconds, 40.0, 1024.0 / 44100);
  EXPECT_EQ(render({tune, m4r, "--max-seconds", "41"}).exitCode, 2);
  const QString cut = dir_.filePath("cut.mp3");
  ASSERT_EQ(render({tune, cut, "--voice", "buzzer", "--max-seconds", "10.2"}).exitCode, 0);
  EXPECT_NEAR(probe(cut).seconds, 10.0, 1152.0 / 44100);  // at the end of the 20th note

  // Standard output takes the streaming formats, chosen by --format.
  const ProcessRun ogg = runProcess(
      cli_, {"render", tune, "-", "--format", "ogg", "--voice", "buzzer", "--max-seconds", "5"},
      dir_.path());
  ASSERT_EQ(ogg.exitCode, 0) << ogg.errors.toStdString();
  const QString piped = dir_.filePath("piped.ogg");
  QFile f(piped);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(ogg.output);
  f.close();
  const Probe p = probe(piped);
  EXPECT_EQ(p.codec, "vorbis");
  EXPECT_NEAR(p.seconds, 5.0, 2048.0 / 44100);
}

TEST_F(CliRingtonesTest, FormatsThatCannotBeWrittenAreRefusedBeforeAnyFile) {
  const QString tune = melody(kTune);
  // An MP4 file needs seeking back: not to a pipe.
  const ProcessRun pipe = render({tune, "-", "--format", "m4r"});
  EXPECT_EQ(pipe.exitCode, 2);
  EXPECT_TRUE(pipe.errors.contains("standard output")) << pipe.errors.toStdString();
  // A name without an audio extension no longer gets WAV data under it.
  const QString odd = dir_.filePath("tune.xyz");
  const ProcessRun unknown = render({tune, odd});
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_TRUE(unknown.errors.contains("--format")) << unknown.errors.toStdString();
  EXPECT_FALSE(QFileInfo::exists(odd));
  EXPECT_EQ(render({tune, dir_.filePath("a.ogg"), "--format", "mp3"}).exitCode, 2);
  EXPECT_EQ(render({tune, dir_.filePath("a.aiff"), "--format", "aiff"}).exitCode, 2);
  // Rates the encoder does not take, and loudness out of range.
  const ProcessRun rate = render({tune, dir_.filePath("a.opus"), "--rate", "44100"});
  EXPECT_EQ(rate.exitCode, 2);
  EXPECT_TRUE(rate.errors.contains("48000")) << rate.errors.toStdString();
  EXPECT_EQ(render({tune, dir_.filePath("a.mp3"), "--loudness", "0"}).exitCode, 2);
  EXPECT_EQ(render({tune, dir_.filePath("a.mp3"), "--loudness", "-20", "--gain", "0"}).exitCode, 2);
  EXPECT_TRUE(QDir(dir_.path()).entryList({"a.*"}).isEmpty());
}

}  // namespace
