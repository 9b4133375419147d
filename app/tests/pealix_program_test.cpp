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

Outcome start(const QTemporaryDir& home, const QStringList& args, const QString& screenshot,
              const QString& window = {}) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
  env.insert(QStringLiteral("PEALIX_SCREENSHOT"), screenshot);
  env.insert(QStringLiteral("PEALIX_SCREENSHOT_WINDOW"), window);
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

// Each window opened from the main window is pictured on its own (a modal one too, whose
// loop runs inside its command), and the program still ends by itself.
TEST(PealixProgram, PicturesEachWindowOpenedFromTheMainWindow) {
  QTemporaryDir home;
  const QString example = QStringLiteral(PEALIX_BIN_DIR "/examples/OdeToJoy.rtx");
  ASSERT_EQ(start(home, {example}, home.filePath(QStringLiteral("main.png"))).exitCode, 0);
  const QSize mainSize = QImage(home.filePath(QStringLiteral("main.png"))).size();
  QList<QSize> sizes;
  for (const char* window : {"noteview", "options", "cable", "event"}) {
    const QString shot = home.filePath(QString::fromLatin1(window) + QStringLiteral(".png"));
    const Outcome r = start(home, {example}, shot, QString::fromLatin1(window));
    EXPECT_EQ(r.exitCode, 0) << window << qPrintable(r.output);
    const QImage picture(shot);
    ASSERT_FALSE(picture.isNull()) << window;
    EXPECT_NE(picture.size(), mainSize) << window;
    EXPECT_FALSE(sizes.contains(picture.size())) << window;
    sizes.append(picture.size());
  }
  const QString none = home.filePath(QStringLiteral("none.png"));
  EXPECT_NE(start(home, {example}, none, QStringLiteral("nosuchwindow")).exitCode, 0);
  EXPECT_TRUE(QImage(none).isNull());
}

}  // namespace
