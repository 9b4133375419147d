// The window program's own command line: --help and --version print and end without a
// window (and without a display), an unknown option is refused.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

namespace {

struct PealixRun {
  int exitCode = -1;
  QString output, errors;
};

// No display at all unless offscreen: a program that tried to open its window would fail.
PealixRun pealix(const QStringList& args, bool offscreen = false) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(QStringLiteral("DISPLAY"));
  env.remove(QStringLiteral("WAYLAND_DISPLAY"));
  env.remove(QStringLiteral("QT_QPA_PLATFORM"));
  if (offscreen) env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  p.setProcessEnvironment(env);
  p.start(QStringLiteral(PEALIX_BIN_DIR "/Pealix"), args);
  PealixRun r;
  if (!p.waitForFinished(30000)) {
    p.kill();
    p.waitForFinished();
    return r;
  }
  r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
  r.output = QString::fromLocal8Bit(p.readAllStandardOutput());
  r.errors = QString::fromLocal8Bit(p.readAllStandardError());
  return r;
}

TEST(PealixOptions, HelpAndVersionPrintAndEndWithoutADisplay) {
  for (const char* help : {"--help", "-h"}) {
    const PealixRun r = pealix({QLatin1String(help)});
    ASSERT_EQ(r.exitCode, 0) << help << qPrintable(r.errors);
    EXPECT_TRUE(r.output.contains(QStringLiteral("--version"))) << qPrintable(r.output);
    EXPECT_TRUE(r.output.contains(QStringLiteral("FILE"))) << qPrintable(r.output);
  }
  for (const char* version : {"--version", "-v"}) {
    const PealixRun r = pealix({QLatin1String(version)});
    ASSERT_EQ(r.exitCode, 0) << version << qPrintable(r.errors);
    EXPECT_EQ(r.output.trimmed(), QStringLiteral("Pealix " PEALIX_VERSION_TEXT));
  }
}

TEST(PealixOptions, UnknownOptionIsRefusedOnTheErrorOutput) {
  const PealixRun r = pealix({QStringLiteral("--no-such-option")}, true);
  EXPECT_NE(r.exitCode, 0);
  EXPECT_TRUE(r.errors.contains(QStringLiteral("no-such-option"))) << qPrintable(r.errors);
  EXPECT_TRUE(r.output.isEmpty());
}

TEST(PealixOptions, ManualPageListsTheOptions) {
  QFile page(QStringLiteral(PEALIX_SOURCE_DIR "/packaging/man/pealix.1.in"));
  ASSERT_TRUE(page.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(page.readAll());
  EXPECT_TRUE(text.contains(QStringLiteral("\\-\\-help")));
  EXPECT_TRUE(text.contains(QStringLiteral("\\-\\-version")));
}

}  // namespace
