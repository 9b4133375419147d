// The main window from the keyboard: the letters of the menus in every language (within one
// menu, and on the menu bar, no two entries may share their underlined letter, or the
// letter only moves the highlight and never runs the command), and the Delete key of the
// event list from either key block.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "mainwindow/appstate.h"
#include "mainwindow/frmmain.h"
#include "melody/rvmelodyapi.h"
#include "settings/reslang.h"
#include "settings/tempfiles.h"

namespace {

QApplication* app() {
  static int argc = 1;
  static char name[] = "frmmain_keys_test";
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

TEST(FrmMainKeys, NoTwoEntriesOfAMenuShareTheirLetter) {
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

TEST(FrmMainKeys, DeleteKeyOfEitherKeyBlockRemovesTheSelectedEvents) {
  app();
  RvMelodyApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR));
  reslang::SetAppDirectory(QStringLiteral(PEALIX_BIN_DIR));
  QTemporaryDir dir;
  pxSetTempDir(dir.filePath(QStringLiteral("tmp")));
  FreeResModule();
  AppLanguages() = reslang();
  AppState state;
  StartUp(state, {},
          std::make_unique<pxsettings::SettingsStore>(
              pxsettings::SettingsStore::atPath(dir.filePath(QStringLiteral("Pealix.conf")))));
  frmMain w(state);
  pxvbMelody& m = state.document.melody();
  for (int k : {60, 62, 64, 65}) m.addevent(4, 0, 1, k, 100);
  w.enableEditing();
  auto* list = w.findChild<QTableView*>(QStringLiteral("liwNoten"));
  ASSERT_NE(list, nullptr);
  const auto select = [list](int row) {
    list->clearSelection();
    list->selectionModel()->select(list->model()->index(row, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
  };
  select(1);
  QTest::keyClick(list, Qt::Key_Delete);
  ASSERT_EQ(m.size(), 3);
  EXPECT_EQ(m.getEventVal1(1), 64);
  // The Del key of the number block arrives with the keypad flag.
  select(0);
  QTest::keyClick(list, Qt::Key_Delete, Qt::KeypadModifier);
  ASSERT_EQ(m.size(), 2);
  EXPECT_EQ(m.getEventVal1(0), 64);
  // With Shift it is no command of the list.
  select(0);
  QTest::keyClick(list, Qt::Key_Delete, Qt::ShiftModifier);
  EXPECT_EQ(m.size(), 2);
  state.document.setModified(false);
  FreeResModule();
  pxSetTempDir(QString());
}

}  // namespace
