// pealix-cli as a pipeline stage: data alone on standard output, status and usage on
// standard error, "--" before file names that look like options, output folders made on
// demand, and one line per failure.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "cli_process.h"

namespace {

class CliStreamsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cli_ = QStringLiteral(PEALIX_BIN_DIR "/pealix-cli");
    if (!QFileInfo(cli_).isExecutable()) GTEST_SKIP() << "pealix-cli is not built";
    ASSERT_TRUE(dir_.isValid());
  }
  ProcessRun run(const QStringList& args, const QByteArray& input = {}) {
    return runProcess(cli_, args, dir_.filePath(QStringLiteral("config")), input, 30000);
  }
  QString path(const QString& name) const { return dir_.filePath(name); }
  static QString example(const char* name) {
    return QStringLiteral(PEALIX_SOURCE_DIR "/examples/") + name;
  }
  static QStringList lines(const QString& text) {
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  }
  QString cli_;
  QTemporaryDir dir_;
};

TEST_F(CliStreamsTest, StandardOutputCarriesOnlyTheMelody) {
  for (const char* command : {"convert", "transform"}) {
    QStringList args{QLatin1String(command), example("OdeToJoy.rtx"), "-", "--to", "rtttl"};
    if (QLatin1String(command) == QLatin1String("transform")) args << "--longer";
    const ProcessRun r = run(args);
    ASSERT_EQ(r.exitCode, 0) << command << qPrintable(r.errors);
    EXPECT_TRUE(r.output.startsWith("OdeToJoy:")) << command << r.output.constData();
    EXPECT_FALSE(r.output.contains("wrote")) << command;
    EXPECT_TRUE(r.errors.contains(QStringLiteral("wrote standard output"))) << command;
  }
  // Into a file the status line stays on standard output, as before.
  const ProcessRun file = run({"convert", example("OdeToJoy.rtx"), path("ode.mid")});
  EXPECT_TRUE(file.output.startsWith("wrote ")) << file.output.constData();
  EXPECT_TRUE(file.errors.isEmpty()) << qPrintable(file.errors);
}

TEST_F(CliStreamsTest, UsageErrorsPrintTheSynopsisOnStandardError) {
  struct Case {
    QStringList args;
    const char* synopsis;
  };
  const Case cases[] = {
      {{}, "usage: pealix-cli COMMAND"},
      {{"nonsense"}, "usage: pealix-cli COMMAND"},
      {{"convert", "only-one.rtx"}, "usage: pealix-cli convert"},
      {{"convert", "a.rtx", "b.mid", "--no-such-option"}, "usage: pealix-cli convert"},
      {{"convert", "a.rtx", "b.mid", "--channel", "17"}, "usage: pealix-cli convert"},
      {{"info"}, "usage: pealix-cli info"},
      {{"transform", "a.rtx", "b.rtx"}, "usage: pealix-cli transform"},
      {{"pdu"}, "usage: pealix-cli pdu"},
  };
  for (const Case& c : cases) {
    const ProcessRun r = run(c.args);
    EXPECT_EQ(r.exitCode, 2) << qPrintable(c.args.join(' '));
    EXPECT_TRUE(r.output.isEmpty()) << qPrintable(c.args.join(' ')) << r.output.constData();
    EXPECT_TRUE(r.errors.contains(QLatin1String(c.synopsis)))
        << qPrintable(c.args.join(' ')) << qPrintable(r.errors);
  }
  // Asked for, the help goes to standard output.
  const ProcessRun help = run({"convert", "--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(help.output.startsWith("usage: pealix-cli convert"));
  EXPECT_TRUE(help.output.contains("--out-dir"));
  EXPECT_TRUE(help.errors.isEmpty());
}

TEST_F(CliStreamsTest, DoubleDashEndsTheOptions) {
  // File names that look like options, after "--".
  QFile::copy(example("OdeToJoy.rtx"), path("--help.rtx"));
  QDir::setCurrent(dir_.path());
  const ProcessRun info = run({"info", "--", "--help.rtx"});
  ASSERT_EQ(info.exitCode, 0) << qPrintable(info.errors);
  EXPECT_TRUE(info.output.contains("OdeToJoy"));
  const ProcessRun convert = run({"convert", "--to", "midi", "--", "--help.rtx", "--channel.mid"});
  ASSERT_EQ(convert.exitCode, 0) << qPrintable(convert.errors);
  EXPECT_TRUE(QFileInfo(path("--channel.mid")).size() > 0);
  // Options after "--" are not options: the file "--to" does not exist.
  const ProcessRun late = run({"info", "--", "--to", "x"});
  EXPECT_EQ(late.exitCode, 2);
  EXPECT_TRUE(late.errors.contains(QStringLiteral("usage: pealix-cli info")));
}

TEST_F(CliStreamsTest, BatchMakesItsOutputFolderWithParents) {
  const QString out = path("new/deeper/out");
  const ProcessRun r = run({"convert", "--to", "midi", "--out-dir", out, example("OdeToJoy.rtx"),
                            example("Twinkle.rtx")});
  ASSERT_EQ(r.exitCode, 0) << qPrintable(r.errors);
  EXPECT_TRUE(QFileInfo(out + "/OdeToJoy.mid").size() > 0);
  EXPECT_TRUE(QFileInfo(out + "/Twinkle.mid").size() > 0);
  // A file in the way is one clear failure, not one per tune.
  QFile blocker(path("blocked"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  const ProcessRun blocked = run({"convert", "--to", "midi", "--out-dir", path("blocked/out"),
                                  example("OdeToJoy.rtx"), example("Twinkle.rtx")});
  EXPECT_EQ(blocked.exitCode, 1);
  EXPECT_EQ(lines(blocked.errors).size(), 1) << qPrintable(blocked.errors);
  EXPECT_TRUE(blocked.errors.contains(QStringLiteral("cannot create the folder")));
}

TEST_F(CliStreamsTest, FailedWriteIsOneLineWithTheLibrarysReason) {
  if (!QFileInfo::exists(QStringLiteral("/dev/full"))) GTEST_SKIP() << "no /dev/full";
  const ProcessRun r = run({"convert", example("OdeToJoy.rtx"), "/dev/full", "--to", "midi"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(lines(r.errors),
            QStringList{"pealix-cli: cannot write midi to /dev/full: could not write to file"});
  EXPECT_FALSE(r.errors.contains(QStringLiteral(".dll")));
  // Without a message from the library the result code explains it.
  const ProcessRun missing =
      run({"convert", example("OdeToJoy.rtx"), path("no/such/folder/x.mid")});
  EXPECT_EQ(missing.exitCode, 1);
  ASSERT_EQ(lines(missing.errors).size(), 1) << qPrintable(missing.errors);
  EXPECT_TRUE(missing.errors.startsWith(QStringLiteral("pealix-cli: cannot write midi to ")));
}

}  // namespace
