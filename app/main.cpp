// Pealix, the window program: start-up, the main window, and the event loop.
//
// Two environment variables serve the build's scripts: PEALIX_SCREENSHOT=<file.png>
// saves a picture of the main window once it is shown and ends the program;
// PEALIX_STARTUP_TIME=1 prints the milliseconds from start until the window is shown and
// ends the program.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QIcon>
#include <QPixmap>
#include <QTimer>
#include <QWindow>
#include <cstdio>

#include "mainwindow/appstate.h"
#include "mainwindow/frmmain.h"

int main(int argc, char* argv[]) {
  QElapsedTimer sinceStart;
  sinceStart.start();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Pealix"));
  QApplication::setApplicationVersion(QStringLiteral(PEALIX_VERSION));
  // Lets task bars and Wayland compositors match the window to its desktop entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.pealix.Pealix"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.pealix.Pealix")));

  AppState state;
  StartUp(state, QApplication::arguments().mid(1));
  frmMain window(state);
  window.show();
  const auto openCommandLineFile = [&window, &state] {
    if (!state.commandLine.path.isEmpty())
      window.openMelodyFile(state.commandLine.path, state.commandLine.formatId);
  };

  const QString screenshot = qEnvironmentVariable("PEALIX_SCREENSHOT");
  if (qEnvironmentVariableIsSet("PEALIX_STARTUP_TIME") && screenshot.isEmpty()) {
    openCommandLineFile();
    // Shown means: on the screen with its first picture painted.
    QElapsedTimer wait;
    wait.start();
    while (!(window.windowHandle() && window.windowHandle()->isExposed()) && wait.elapsed() < 5000)
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    window.repaint();
    std::printf("start-up: window shown after %lld ms\n",
                static_cast<long long>(sinceStart.elapsed()));
    window.document().setModified(false);
    return 0;
  }
  // The file opens once the window is up, so that a message about it has its window.
  QTimer::singleShot(0, &window, openCommandLineFile);
  if (!screenshot.isEmpty()) {
    QTimer::singleShot(300, &window, [&window, screenshot] {
      QDir().mkpath(QFileInfo(screenshot).absolutePath());
      const bool saved = window.grab().save(screenshot);
      std::fprintf(stderr, saved ? "saved %s\n" : "could not save %s\n", qPrintable(screenshot));
      window.document().setModified(false);
      QCoreApplication::exit(saved ? 0 : 1);
    });
  }
  return app.exec();
}
