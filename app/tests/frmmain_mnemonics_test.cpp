// The main window's keyboard letters in every language: within one menu (and on the menu
// bar) no two entries may share their underlined letter, or the letter only moves the
// highlight and never runs the command.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>

#include "mainwindow/appstate.h"
#include "mainwindow/frmmain.h"
#include "melody/rvmelodyapi.h"
#include "settings/reslang.h"
#include "settings/tempfiles.h"

namespace {

QApplication* app() {
  static int argc = 1;
  static char name[] = "frmmain_mnemonics_test";
  static char* argv[] = {name, nullptr};
  static QApplication* a = new QApplication(argc, argv);
  return a;
}

// "menu: letter: entry, entry" for every letter used by more than one entry of a menu.
QStringList clashes(const QString& menuName, const QList<QAction*>& actions) {
  QMap<QChar, QStringList> byLetter;
  for (QAction* a : actions) {
    if (a->isSeparator() || !a->isVisible()) continue;
    const QKeySequence letter = QKeySequence::mnemonic(a->text());
    if (letter.isEmpty()) continue;
    byLetter[QChar(letter[0].toCombined() & 0xffff)] << a->text();
  }
  QStringList out;
  for (auto it = byLetter.cbegin(); it != byLetter.cend(); ++it)
    if (it.value().size() > 1)
      out << menuName + QStringLiteral(": ") + it.key() + QStringLiteral(": ") +
                 it.value().join(QStringLiteral(", "));
  return out;
}

TEST(FrmMainMnemonics, NoTwoEntriesOfAMenuShareTheirLetter) {
  app();
  RvMelodyApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR));
  reslang::SetAppDirectory(QStringLiteral(PEALIX_BIN_DIR));
  QTemporaryDir dir;
  pxSetTempDir(dir.filePath(QStringLiteral("tmp")));
  const QString conf = dir.filePath(QStringLiteral("Pealix.conf"));
  for (int lang : {0, 1, 2}) {
    {
      auto store = pxsettings::SettingsStore::atPath(conf);
      store.setInteger(pxsettings::Key::NewLang, lang);
      store.sync();
    }
    FreeResModule();
    AppLanguages() = reslang();
    AppState state;
    StartUp(state, {},
            std::make_unique<pxsettings::SettingsStore>(pxsettings::SettingsStore::atPath(conf)));
    frmMain w(state);
    ASSERT_EQ(AppLanguages().GetLang(), lang);
    QStringList found = clashes(QStringLiteral("menu bar"), w.menuBar()->actions());
    for (QMenu* m : w.findChildren<QMenu*>()) found << clashes(m->objectName(), m->actions());
    EXPECT_TRUE(found.isEmpty()) << "language " << lang << ":\n"
                                 << found.join(QLatin1Char('\n')).toStdString();
  }
  FreeResModule();
  pxSetTempDir(QString());
}

}  // namespace
