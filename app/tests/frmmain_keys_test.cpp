// The windows from the keyboard: the letters of the menus in every language (within one
// menu, and on the menu bar, no two entries may share their underlined letter, or the
// letter only moves the highlight and never runs the command), the same for the controls
// of the dialogs (a shared Alt+letter only moves the focus between them), and the Delete
// key of the event list from either key block.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "eventeditor/ui/frmnewevent.h"
#include "files/ui/frmmidiopendlg.h"
#include "files/recentfiles.h"
#include "mainwindow/appstate.h"
#include "mainwindow/ui/frmmain.h"
#include "document/melodydocument.h"
#include "melody/rvmelodyapi.h"
#include "phonelink/clcommprops.h"
#include "phonelink/clsmsprops.h"
#include "playback/ui/frmnoteview.h"
#include "playback/modmidiplay.h"
#include "playback_fakes.h"
#include "settings/ui/frmoptions.h"
#include "settings/mainsettings.h"
#include "languages/reslang.h"
#include "settings/settingsstore.h"
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

// "window: letter: text, text" for every letter claimed by more than one control of a
// window as it stands: buttons, labels with a buddy, group box titles and tabs count when
// they are shown and not inside a disabled frame (Qt passes those Alt+letters over).
QStringList dialogClashes(const QString& name, QWidget* window) {
  QMap<QChar, QStringList> byLetter;
  const auto add = [&byLetter](const QString& text) {
    const QKeySequence letter = QKeySequence::mnemonic(text);
    if (!letter.isEmpty()) byLetter[QChar(letter[0].toCombined() & 0xffff)] << text;
  };
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(window)) continue;
    bool frameOff = false;
    for (QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget())
      frameOff = frameOff || !p->isEnabled();
    if (frameOff) continue;
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
      add(b->text());
    } else if (auto* l = qobject_cast<QLabel*>(w)) {
      if (l->buddy()) add(l->text());
    } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
      add(g->title());
    } else if (auto* bar = qobject_cast<QTabBar*>(w)) {
      for (int i = 0; i < bar->count(); ++i) add(bar->tabText(i));
    }
  }
  QStringList out;
  for (auto it = byLetter.cbegin(); it != byLetter.cend(); ++it)
    if (it.value().size() > 1)
      out << name + QStringLiteral(": ") + it.key() + QStringLiteral(": ") +
                 it.value().join(QStringLiteral(", "));
  return out;
}

TEST(DialogKeys, NoTwoControlsOfADialogShareTheirLetter) {
  app();
  RvMelodyApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR));
  reslang::SetAppDirectory(QStringLiteral(PEALIX_BIN_DIR));
  QTemporaryDir dir;
  auto store = pxsettings::SettingsStore::atPath(dir.filePath(QStringLiteral("Pealix.conf")));
  AppLanguages() = reslang();
  RegisterLanguages(AppLanguages());
  for (int lang : {0, 1, 2}) {
    FreeResModule();
    AppLanguages().SetLang(lang);
    QStringList found;

    // The options window: the tabs and buttons with each page in turn.
    MainSettings options;
    clCommProps comm;
    clSMSProps sms;
    RecentFiles recent;
    frmOptions opt(options, comm, sms, recent, store, nullptr);
    auto* tabs = opt.findChild<QTabWidget*>(QStringLiteral("tbsOptions"));
    ASSERT_NE(tabs, nullptr);
    for (int i = 0; i < tabs->count(); ++i) {
      tabs->setCurrentIndex(i);
      found << dialogClashes(QStringLiteral("frmOptions/") + tabs->tabText(i), &opt);
    }

    // The event editor with each kind of event chosen (the other groups are disabled).
    MelodyDocument doc;
    frmNewEvent editor(doc, nullptr, &store);
    for (int kind = 0; kind < 4; ++kind) {
      auto* option = editor.findChild<QAbstractButton*>(QStringLiteral("optEvents_%1").arg(kind));
      ASSERT_NE(option, nullptr);
      option->click();
      found << dialogClashes(QStringLiteral("frmNewEvent/") + option->text(), &editor);
    }

    frmMidiOpenDlg midi(0b101);
    found << dialogClashes(QStringLiteral("frmMidiOpenDlg"), &midi);

    // The note view, with and without its MIDI setup frame.
    auto timer = std::make_unique<pxtest::ManualTimer>();
    pxtest::RecordingBackend backend(QStringList{QStringLiteral("Synth")}, timer.get());
    modMidiplay player(
        backend, [](const QString&) {}, std::move(timer));
    pxvbMelody melody;
    melody.addevent(4, 0, 1, 60, 100);
    frmNoteview view(melody, player, store);
    view.setMessageHook([](const QString&, const QString&) {});
    found << dialogClashes(QStringLiteral("frmNoteview"), &view);
    auto* setup = view.findChild<QGroupBox*>(QStringLiteral("fraMidiSetup"));
    ASSERT_NE(setup, nullptr);
    setup->show();
    found << dialogClashes(QStringLiteral("frmNoteview/setup"), &view);

    EXPECT_TRUE(found.isEmpty()) << "language " << lang << ":\n"
                                 << found.join(QLatin1Char('\n')).toStdString();
  }
  FreeResModule();
}

// The object names of the named widgets in the order Tab visits them, from the window on.
std::string tabWalk(QWidget* window, const QStringList& names) {
  QStringList order;
  for (QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain())
    if (names.contains(w->objectName()) && !order.contains(w->objectName()))
      order << w->objectName();
  return order.join(QLatin1Char(' ')).toStdString();
}

TEST(DialogKeys, OptionsTabOrderFollowsTheLayout) {
  app();
  reslang::SetAppDirectory(QStringLiteral(PEALIX_BIN_DIR));
  QTemporaryDir dir;
  auto store = pxsettings::SettingsStore::atPath(dir.filePath(QStringLiteral("Pealix.conf")));
  MainSettings options;
  clCommProps comm;
  clSMSProps sms;
  RecentFiles recent;
  frmOptions w(options, comm, sms, recent, store, nullptr);
  const QStringList rows = {"cboSMSCAdrDef", "chkSMSCNoType",     "cboSMSInCodepage",
                            "cbSMSInCheck",  "cboSMSOutCodepage", "cbSMSOutCheck"};
  EXPECT_EQ(tabWalk(&w, rows), rows.join(QLatin1Char(' ')).toStdString());
  const QStringList buttons = {"tbsOptions", "cmdStandard", "cmdOK", "cmdCancel", "cmdApply"};
  EXPECT_EQ(tabWalk(&w, buttons), buttons.join(QLatin1Char(' ')).toStdString());
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
