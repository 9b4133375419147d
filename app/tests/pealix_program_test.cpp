// The Pealix program as started from the application directory: it comes up with a file
// from the command line (or none, or one it does not open) and renders its window.
#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct Outcome {
  int exitCode = -1;
  QString output;
};

Outcome start(const QTemporaryDir& home, const QStringList& args, const QString& screenshot) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
  env.insert(QStringLiteral("PEALIX_SCREENSHOT"), screenshot);
  p.setProcessEnvironment(env);
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(QStringLiteral(PEALIX_BIN_DIR "/Pealix"), args);
  Outcome r;
  if (!p.waitForFinished(30000)) {
    p.kill();
    p.waitForFinished();
    return r;
  }
  r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
  r.output = QString::fromLocal8Bit(p.readAll());
  return r;
}

TEST(PealixProgram, StartsWithOrWithoutAFileAndShowsItsWindow) {
  QTemporaryDir home;
  const QString example = QStringLiteral(PEALIX_BIN_DIR "/examples/OdeToJoy.rtx");
  const QString withFile = home.filePath(QStringLiteral("with.png"));
  const Outcome a = start(home, {example}, withFile);
  ASSERT_EQ(a.exitCode, 0) << qPrintable(a.output);
  const QImage picture(withFile);
  ASSERT_FALSE(picture.isNull());
  EXPECT_GE(picture.width(), 640);
  EXPECT_GE(picture.height(), 480);

  for (const QStringList& args :
       {QStringList{}, QStringList{home.filePath(QStringLiteral("notes.txt"))},
        QStringList{home.filePath(QStringLiteral("missing.mid"))}}) {
    const QString shot = home.filePath(QStringLiteral("other.png"));
    const Outcome r = start(home, args, shot);
    EXPECT_EQ(r.exitCode, 0) << qPrintable(args.join(' ')) << qPrintable(r.output);
    EXPECT_FALSE(QImage(shot).isNull());
  }
}

}  // namespace
