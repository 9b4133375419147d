// Pealix, the window program: start-up, the main window, and the event loop.
//
// --help and --version print and end before any window or display is needed.
//
// Two environment variables serve the build's scripts: PEALIX_SCREENSHOT=<file.png>
// saves a picture of the main window once it is shown and ends the program (with
// PEALIX_SCREENSHOT_WINDOW=noteview|options|cable|event|ringtone, of that window opened over it;
// midi: the channel dialog that opening a MIDI song on the command line shows);
// PEALIX_STARTUP_TIME=1 prints the milliseconds from start until the window is shown and
// ends the program.
#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QIcon>
#include <QPixmap>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <cstring>
#include <functional>

#include "mainwindow/appstate.h"
#include "mainwindow/ui/frmmain.h"

namespace {

void describeCommandLine(QCommandLineParser& parser) {
  parser.setApplicationDescription(
      QStringLiteral("Pealix, the ringtone editor for mobile phones.\n"
                     "Opens FILE (.rtx, .mid, .midi, .srt, .ota, .ott, .rng, .imy) when given."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("a melody to open"),
                               QStringLiteral("[FILE]"));
}

// True when the arguments ask only for text: then no display is needed.
bool asksForHelpOrVersion(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--")) return false;
    for (const char* option : {"-h", "--help", "-?", "--help-all", "-v", "--version"})
      if (!std::strcmp(argv[i], option)) return true;
  }
  return false;
}

void nameApplication() {
  QCoreApplication::setApplicationName(QStringLiteral("Pealix"));
  QCoreApplication::setApplicationVersion(QStringLiteral(PEALIX_VERSION));
}

}  // namespace

int main(int argc, char* argv[]) {
  QElapsedTimer sinceStart;
  sinceStart.start();
  if (asksForHelpOrVersion(argc, argv)) {
    QCoreApplication core(argc, argv);
    nameApplication();
    QCommandLineParser parser;
    describeCommandLine(parser);
    parser.process(core);  // prints and ends the program
    return 0;
  }
  QApplication app(argc, argv);
  nameApplication();
  // Qt's own options (-platform, -style ...) are taken out by QApplication already.
  QCommandLineParser parser;
  describeCommandLine(parser);
  parser.process(app);  // an unknown option ends the program with a message
  // Lets task bars and Wayland compositors match the window to its desktop entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.pealix.Pealix"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.pealix.Pealix")));

  AppState state;
  StartUp(state, parser.positionalArguments());
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
  std::function<void(int)> takePicture;  // lives as long as the event loop
  if (!screenshot.isEmpty()) {
    // Which window to picture: its opening command and its object name.
    struct Shot {
      const char* key;
      const char* command;
      const char* form;
    };
    static constexpr Shot kShots[] = {
        {"", nullptr, "frmMain"},
        {"noteview", "mnuEditNoteView", "frmNoteview"},
        {"options", "mnuExtrasOptions", "frmOptions"},
        {"cable", "mnuExtrasDataCable", "frmDataCable"},
        {"event", "mnuEditAddEvent", "frmNewEvent"},
        {"ringtone", "mnuFileExportAudio", "frmRingtone"},
        {"midi", nullptr, "frmMidiOpenDlg"},
    };
    const QString which = qEnvironmentVariable("PEALIX_SCREENSHOT_WINDOW");
    const Shot* shot = nullptr;
    for (const Shot& s : kShots)
      if (which == QLatin1String(s.key)) shot = &s;
    if (!shot) {
      std::fprintf(stderr, "unknown window %s\n", qPrintable(which));
      return 2;
    }
    // Waits up to five seconds for the window (the sound output may start first).
    // A message box would hide the picture; its text goes to the error output instead.
    window.messageHook = [](QMessageBox::Icon, const QString& title, const QString& text,
                            QMessageBox::StandardButtons) {
      std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
      return QMessageBox::Ok;
    };
    takePicture = [&window, screenshot, shot, &takePicture](int triesLeft) {
      QWidget* form = nullptr;
      for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->objectName() == QLatin1String(shot->form)) form = w;
      if (!form && triesLeft > 0) {
        QTimer::singleShot(100, &window, [&takePicture, triesLeft] { takePicture(triesLeft - 1); });
        return;
      }
      QDir().mkpath(QFileInfo(screenshot).absolutePath());
      const bool saved = form && form->grab().save(screenshot);
      std::fprintf(stderr, saved ? "saved %s\n" : "could not save %s\n", qPrintable(screenshot));
      if (form && form != &window) form->close();
      window.document().setModified(false);
      QCoreApplication::exit(saved ? 0 : 1);
    };
    // A modal window runs its own loop inside its command; the picture timer fires in it.
    QTimer::singleShot(100, &window, [&window, shot, &takePicture] {
      QTimer::singleShot(400, &window, [&takePicture] { takePicture(50); });
      if (QAction* action = shot->command ? window.command(shot->command) : nullptr)
        action->trigger();
    });
  }
  return app.exec();
}
