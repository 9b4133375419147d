// pealix-cli convert and info end to end: the program loading the melody library by name.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "cli_process.h"

namespace {

struct CliRun {
  int exitCode = -1;
  QByteArray output;
  QString errors;
};

class CliConvertTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cli_ = QStringLiteral(PEALIX_BIN_DIR "/pealix-cli");
    if (!QFileInfo(cli_).isExecutable()) GTEST_SKIP() << "pealix-cli is not built";
    ASSERT_TRUE(dir_.isValid());
  }
  CliRun run(const QStringList& args, const QByteArray& input = {}) {
    const ProcessRun p = runProcess(cli_, args, {}, input, 30000);
    return {p.exitCode, p.output, p.errors};
  }
  QString path(const QString& name) const { return dir_.filePath(name); }
  static QString example(const char* name) {
    return QStringLiteral(PEALIX_SOURCE_DIR "/examples/") + name;
  }
  static QByteArray fileBytes(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  // The event lines of `info`: lengths and notes, without title and tempo.
  QStringList events(const QString& file, const QStringList& extra = {}) {
    const CliRun r = run(QStringList{"info", file} + extra);
    EXPECT_EQ(r.exitCode, 0) << r.errors.toStdString();
    QStringList lines;
    for (const QByteArray& line : r.output.split('\n'))
      if (line.contains(" len ")) lines << QString::fromUtf8(line);
    return lines;
  }
  QString cli_;
  QTemporaryDir dir_;
};

TEST_F(CliConvertTest, RtttlRoundTripsThroughRtttlAndMidi) {
  const QStringList original = events(example("OdeToJoy.rtx"));
  ASSERT_EQ(original.size(), 30);
  ASSERT_EQ(run({"convert", example("OdeToJoy.rtx"), path("a.rtx")}).exitCode, 0);
  ASSERT_EQ(run({"convert", path("a.rtx"), path("b.rtx")}).exitCode, 0);
  EXPECT_EQ(fileBytes(path("a.rtx")), fileBytes(path("b.rtx")));
  EXPECT_EQ(events(path("b.rtx")), original);

  ASSERT_EQ(run({"convert", example("OdeToJoy.rtx"), path("a.mid")}).exitCode, 0);
  EXPECT_TRUE(fileBytes(path("a.mid")).startsWith("MThd"));
  EXPECT_EQ(events(path("a.mid")), original);
  ASSERT_EQ(run({"convert", path("a.mid"), path("c.txt")}).exitCode, 0);  // .txt is RTTTL
  EXPECT_EQ(events(path("c.txt")), original);
}

TEST_F(CliConvertTest, ExtensionsChooseTheFormats) {
  const struct {
    const char* file;
    const char* start;
  } cases[] = {{"t.srt", "$MUS$"},     {"t.ota", "0605041581"}, {"t.imy", "BEGIN:IMELODY"},
               {"t.pkp", ""},          {"t.xml", "<?xml"},      {"t.midi", "MThd"},
               {"t.rtx", "Twinkle:d="}};
  for (const auto& c : cases) {
    const CliRun r = run({"convert", example("Twinkle.rtx"), path(c.file)});
    EXPECT_EQ(r.exitCode, 0) << c.file << ": " << r.errors.toStdString();
    const QByteArray bytes = fileBytes(path(c.file));
    EXPECT_FALSE(bytes.isEmpty()) << c.file;
    EXPECT_TRUE(bytes.startsWith(c.start)) << c.file << ": " << bytes.left(20).toStdString();
  }
  // Formats without an extension of their own need --to; an unknown one is a usage error.
  EXPECT_EQ(run({"convert", example("Twinkle.rtx"), path("t.alc")}).exitCode, 2);
  EXPECT_EQ(run({"convert", example("Twinkle.rtx"), path("t.alc"), "--to", "alcatel"}).exitCode, 0);
  EXPECT_EQ(run({"convert", example("Twinkle.rtx"), path("t.x"), "--to", "flute"}).exitCode, 2);
  EXPECT_EQ(run({"convert", path("missing.rtx"), path("t.mid")}).exitCode, 1);
  EXPECT_FALSE(run({"convert", example("Twinkle.rtx"), path("t.ota")}).errors.contains("note:"));

  // A format sized for one message says how much of a longer melody it holds.
  QFile tune(path("long.rtx"));
  ASSERT_TRUE(tune.open(QIODevice::WriteOnly));
  tune.write("long:d=8,o=5,b=125:" + QByteArray("c,").repeated(99) + "c");
  tune.close();
  CliRun r = run({"convert", path("long.rtx"), path("long.ota")});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(r.errors.contains("long.ota holds 82 of the melody's 100 notes and pauses"))
      << r.errors.toStdString();
  r = run({"convert", path("long.rtx"), path("long.srt"), "--size-limit", "160"});
  EXPECT_TRUE(r.errors.contains("holds 63 of the melody's 100")) << r.errors.toStdString();
  r = run({"convert", "--to", "nokia", "--out-dir", path("out"), path("long.rtx")});
  EXPECT_TRUE(r.errors.contains("long.ota holds 82 of the melody's 100")) << r.errors.toStdString();
  // An iMelody file holds the whole melody; only its string form is fitted to one message.
  r = run({"convert", path("long.rtx"), path("long.imy")});
  EXPECT_FALSE(r.errors.contains("holds")) << r.errors.toStdString();
}

TEST_F(CliConvertTest, StandardInputAndOutput) {
  const CliRun text =
      run({"convert", "-", "-", "--from", "rtttl", "--to", "rtttl"}, "x:d=8,o=6,b=140:c,d5,p");
  ASSERT_EQ(text.exitCode, 0) << text.errors.toStdString();
  EXPECT_EQ(text.output, "x:d=4,o=5,b=140:8c6,8d,8p\n");

  const CliRun midi = run({"convert", example("Twinkle.rtx"), "-", "--to", "midi"});
  ASSERT_EQ(midi.exitCode, 0);
  const CliRun back = run({"convert", "-", "-", "--from", "midi", "--to", "rtttl"}, midi.output);
  ASSERT_EQ(back.exitCode, 0) << back.errors.toStdString();
  EXPECT_TRUE(back.output.startsWith("Twinkle:d=4,o=5,b=112:c,c,g,g,a,a,2g"));

  // Motorola has no string form: --string is refused by the library, not faked.
  EXPECT_EQ(run({"convert", example("Twinkle.rtx"), "-", "--to", "motorola", "--string"}).exitCode,
            1);
}

TEST_F(CliConvertTest, InfoChecksTheEightTargetFormats) {
  const CliRun r = run({"info", example("Westminster.rtx")});
  ASSERT_EQ(r.exitCode, 0);
  const QString text = QString::fromUtf8(r.output);
  EXPECT_TRUE(text.contains("title:  Chimes"));
  EXPECT_TRUE(text.contains("tempo:  90 bpm"));
  int verdicts = 0;
  for (const QString& line : text.split('\n'))
    if (line.endsWith("fits") || line.endsWith("close") || line.endsWith("does not fit"))
      ++verdicts;
  EXPECT_EQ(verdicts, 8);
  EXPECT_TRUE(text.contains(QRegularExpression("Alcatel .* does not fit")));  // too fast
}

}  // namespace

namespace {

TEST_F(CliConvertTest, ArduinoHeaderByExtensionNameAndBatch) {
  // By the .h extension: a header whose arrays hold all 30 notes, with nothing said about
  // the writer's count.
  const CliRun one = run({"convert", example("OdeToJoy.rtx"), path("ode.h")});
  ASSERT_EQ(one.exitCode, 0) << one.errors.toStdString();
  EXPECT_TRUE(one.errors.isEmpty()) << one.errors.toStdString();
  const QByteArray header = fileBytes(path("ode.h"));
  EXPECT_TRUE(header.contains("_LENGTH 30\n")) << header.toStdString();
  EXPECT_TRUE(header.contains("PROGMEM = {"));
  // By name, to standard output, and for a folder at once.
  const CliRun piped = run({"convert", example("Twinkle.rtx"), "-", "--to", "arduino"});
  ASSERT_EQ(piped.exitCode, 0);
  EXPECT_TRUE(piped.output.contains("tone(8, hz"));
  const CliRun batch = run({"convert", QStringLiteral(PEALIX_BIN_DIR "/examples"), "--out-dir",
                            path("out"), "--to", "arduino"});
  ASSERT_EQ(batch.exitCode, 0) << batch.errors.toStdString();
  EXPECT_TRUE(QFileInfo::exists(path("out/Twinkle.h")));
}

}  // namespace
