// The main window driven as a user would: menus, buttons and keys on a small melody, the
// system clipboard, the command line, dropping a file, languages, settings kept between
// runs, the question before losing changes, and playing through the desktop's handler.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QDropEvent>
#include <QFile>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include "mainwindow/appstate.h"
#include "document/meloformatcheck.h"
#include "languages/reslang.h"
#include "mainwindow/ui/frmmain.h"
#include "mainwindow/ui/meloformatrows.h"
#include "melody/rvmelodyapi.h"
#include "settings/tempfiles.h"

// Receives what the program hands to the desktop to open.
class UrlRecorder : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> urls;
 public slots:
  void open(const QUrl& url) { urls.append(url); }
};

namespace {

QApplication* app() {
  static int argc = 1;
  static char name[] = "frmmain_test";
  static char* argv[] = {name, nullptr};
  static QApplication* a = new QApplication(argc, argv);
  return a;
}

struct Message {
  QString title, text;
};

class FrmMainTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    app();
    RvMelodyApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR));
    reslang::SetAppDirectory(QStringLiteral(PEALIX_BIN_DIR));
  }

  void SetUp() override {
    pxSetTempDir(dir_.filePath(QStringLiteral("tmp")));
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened_, "open");
  }

  void TearDown() override {
    if (window_) window_->document().setModified(false);
    window_.reset();
    state_.reset();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    pxSetTempDir(QString());
    FreeResModule();
  }

  QString confPath() const { return dir_.filePath(QStringLiteral("Pealix.conf")); }

  // A fresh start of the program: start-up, then the main window.
  frmMain& start(const QStringList& args = {}) {
    window_.reset();
    FreeResModule();
    AppLanguages() = reslang();
    state_ = std::make_unique<AppState>();
    StartUp(
        *state_, args,
        std::make_unique<pxsettings::SettingsStore>(pxsettings::SettingsStore::atPath(confPath())));
    window_ = std::make_unique<frmMain>(*state_);
    window_->messageHook = [this](QMessageBox::Icon, const QString& title, const QString& text,
                                  QMessageBox::StandardButtons) {
      messages_.append({title, text});
      return answer_;
    };
    window_->show();
    window_->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    return *window_;
  }

  QString write(const QString& name, const QByteArray& text) {
    const QString path = dir_.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
    return path;
  }

  // A melody of notes (and pauses for key 0) put straight into the document.
  void load(std::initializer_list<int> keys) {
    pxvbMelody& m = state_->document.melody();
    m.resize(0);
    for (int k : keys) m.addevent(4, 0, k ? 1 : 16, k, k ? 100 : 0);
    window_->enableEditing();
  }

  std::vector<int> keys() const {
    std::vector<int> out;
    const pxvbMelody& m = state_->document.melody();
    for (int i = 0; i < m.size(); ++i) out.push_back(m.getEvent(i) == 1 ? m.getEventVal1(i) : 0);
    return out;
  }

  template <class T>
  T* child(const char* name) const {
    T* w = window_->findChild<T*>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }

  QTableView* list() const { return child<QTableView>("liwNoten"); }

  void selectRows(std::initializer_list<int> rows) {
    QTableView* l = list();
    l->clearSelection();
    for (int r : rows)
      l->selectionModel()->select(l->model()->index(r, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }

  void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier, QWidget* target = nullptr) {
    QTest::keyClick(target ? target : window_.get(), static_cast<Qt::Key>(k), mods);
  }

  void leave(QWidget* field) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(field, &out);
  }

  QTemporaryDir dir_;
  UrlRecorder opened_;
  std::unique_ptr<AppState> state_;
  std::unique_ptr<frmMain> window_;
  QList<Message> messages_;
  QMessageBox::StandardButton answer_ = QMessageBox::Ok;
};

TEST_F(FrmMainTest, ControlsCarryTheirNamesAndResourceNumbers) {
  frmMain& w = start();
  for (const frmMain::Command& c : frmMain::CommandTable()) {
    const QList<QAction*> found = w.findChildren<QAction*>(QLatin1String(c.name));
    ASSERT_FALSE(found.isEmpty()) << c.name;
    for (QAction* a : found) {
      EXPECT_GT(a->property("Tag").toInt(), 0) << c.name;
      EXPECT_FALSE(a->text().isEmpty()) << c.name;
      EXPECT_NE(a->text(), QStringLiteral("Error in Resfile")) << c.name;
    }
    if (c.button) {
      auto* b = child<QToolButton>(c.button);
      ASSERT_NE(b, nullptr);
      EXPECT_EQ(b->defaultAction(), w.command(c.name)) << c.button;
    }
  }
  EXPECT_EQ(w.findChildren<QAction*>(QStringLiteral("mnuEditMoveOctFormat")).size(), 5);
  for (const char* name :
       {"mnuFile", "mnuEdit", "mnuAdvanced", "mnuPlay", "mnuExtras", "mnuLanguage", "mnuHelp"})
    EXPECT_NE(w.menuNamed(name), nullptr) << name;
  child<QLineEdit>("tfTitel");
  child<QLabel>("lbNAnzahl");
  child<QCheckBox>("chkMvsFAutoUpd");
  const QList<QComboBox*> rows = w.findChildren<QComboBox*>(QStringLiteral("cboMeloFormat"));
  ASSERT_EQ(rows.size(), 3);
  EXPECT_EQ(rows[0]->currentText(), QStringLiteral("Sagem SMS"));
  EXPECT_EQ(rows[1]->currentText(), QStringLiteral("Nokia / RTX"));
  EXPECT_EQ(rows[2]->currentText(), QStringLiteral("Alcatel"));
  EXPECT_EQ(list()->model()->columnCount(), 4);

  // Before a melody exists: editing is off, the indicators are empty and grey.
  EXPECT_FALSE(w.command("mnuEditNotesHigher")->isEnabled());
  EXPECT_FALSE(child<QToolButton>("cbHigherNo")->isEnabled());
  EXPECT_FALSE(w.command("mnuEditUndo")->isEnabled());
  EXPECT_FALSE(child<QLineEdit>("tfBPM")->isEnabled());
  EXPECT_TRUE(w.command("mnuFileExit")->isEnabled());
  for (int row = 0; row < 3; ++row) {
    EXPECT_TRUE(w.formatCheck()->remaining(row)->text().isEmpty());
    EXPECT_EQ(clCMeloFormatCheck::ColourOf(w.formatCheck()->counter(row, 0)),
              meloformatcheck::kNeutral);
    EXPECT_EQ(clCMeloFormatCheck::ColourOf(w.formatCheck()->tempoShape(row)),
              meloformatcheck::kNeutral);
  }
}

TEST_F(FrmMainTest, CommandLineFileOpensIntoTheWindow) {
  const QString path =
      write(QStringLiteral("ODE.RTX"), "OdeToJoy:d=4,o=5,b=120:e,e,f,g,g,f,e,d,c,c,d,e,e.,8d,2d");
  frmMain& w = start({path});
  ASSERT_EQ(state_->commandLine.formatId, 7);
  ASSERT_TRUE(w.openMelodyFile(state_->commandLine.path, state_->commandLine.formatId));
  EXPECT_EQ(child<QLabel>("lbNAnzahl")->text(), QStringLiteral("15"));
  EXPECT_EQ(child<QLineEdit>("tfBPM")->text(), QStringLiteral("120"));
  EXPECT_EQ(child<QLineEdit>("tfTitel")->text(), QStringLiteral("OdeToJoy"));
  EXPECT_EQ(list()->model()->rowCount(), 15);
  EXPECT_EQ(list()->model()->index(12, 1).data().toString(), QStringLiteral(" 4 ."));
  EXPECT_TRUE(w.command("mnuEditNotesHigher")->isEnabled());
  EXPECT_TRUE(w.command("mnuEditUndo")->isEnabled());  // opening is a step of its own
  EXPECT_FALSE(state_->document.isModified());
  // The automatic range check ran: 64 - 15 events left for "Sagem SMS".
  EXPECT_EQ(w.formatCheck()->remaining(0)->text(), QStringLiteral("49"));
  EXPECT_EQ(clCMeloFormatCheck::ColourOf(w.formatCheck()->remaining(0)), meloformatcheck::kGreen);

  // A file the reader refuses: a message, and the melody stays.
  const QString bad = write(QStringLiteral("bad.mid"), "no MIDI here");
  EXPECT_FALSE(w.openMelodyFile(bad, 10));
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_EQ(state_->document.melody().size(), 15);
}

TEST_F(FrmMainTest, EditingFromButtonsKeysAndMenus) {
  frmMain& w = start();
  load({60, 62, 0, 64, 65});
  QTest::mouseClick(child<QToolButton>("cbHigherNo"), Qt::LeftButton);
  EXPECT_EQ(keys(), (std::vector<int>{61, 63, 0, 65, 66}));
  EXPECT_TRUE(w.command("mnuEditUndo")->isEnabled());
  key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(keys(), (std::vector<int>{60, 62, 0, 64, 65}));
  EXPECT_FALSE(w.command("mnuEditUndo")->isEnabled());
  key(Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(keys()[0], 61);
  key(Qt::Key_Z, Qt::ControlModifier);
  key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(keys()[0], 61);

  w.command("mnuEditNotesOhigher")->trigger();
  EXPECT_EQ(keys()[0], 73);
  key(Qt::Key_Down, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(keys()[0], 61);
  QTest::mouseClick(child<QToolButton>("cbLongerNo"), Qt::LeftButton);
  EXPECT_EQ(state_->document.melody().getDotLen(0), 1);
  QTest::mouseClick(child<QToolButton>("cbShorterNo"), Qt::LeftButton);
  EXPECT_EQ(state_->document.melody().getDotLen(0), 0);

  // Rows 1 and 3 selected, the Delete key in the list: the rest keeps its order, and the
  // row selected before stays selected after the refill.
  selectRows({1, 3});
  key(Qt::Key_Delete, Qt::NoModifier, list());
  EXPECT_EQ(keys(), (std::vector<int>{61, 0, 66}));
  EXPECT_EQ(w.selectedRows(), (QList<int>{1}));
  // Delete not selected, then everything: the refresh leaves one eighth pause.
  w.command("mnuEditDelNotesNonSel")->trigger();
  EXPECT_EQ(keys(), (std::vector<int>{0}));
  selectRows({0});
  w.command("mnuEditDelNotesSel")->trigger();
  ASSERT_EQ(state_->document.melody().size(), 1);
  EXPECT_EQ(state_->document.melody().getSimpleLen(0), 8);
  EXPECT_EQ(list()->model()->index(0, 2).data().toString(), GetResString(14));

  // Undo walks back through every step to the start, then switches itself off.
  int steps = 0;
  while (w.command("mnuEditUndo")->isEnabled() && steps < 50) {
    w.command("mnuEditUndo")->trigger();
    ++steps;
  }
  EXPECT_EQ(keys(), (std::vector<int>{60, 62, 0, 64, 65}));
  EXPECT_TRUE(w.command("mnuEditRedo")->isEnabled());
}

TEST_F(FrmMainTest, TempoAndTitleFieldsAndMoveIntoRange) {
  frmMain& w = start();
  load({40, 90});
  auto* bpm = child<QLineEdit>("tfBPM");
  bpm->clear();
  QTest::keyClicks(bpm, QStringLiteral("0x"));  // letters never get in
  EXPECT_EQ(bpm->text(), QStringLiteral("0"));
  leave(bpm);
  EXPECT_EQ(bpm->text(), QStringLiteral("1"));
  EXPECT_EQ(state_->document.melody().bpm(), 1);
  auto* title = child<QLineEdit>("tfTitel");
  title->setText(QStringLiteral("Tune"));
  leave(title);
  EXPECT_EQ(state_->document.melody().sName(), QStringLiteral("Tune"));
  w.command("mnuEditUndo")->trigger();
  EXPECT_EQ(state_->document.melody().sName(), QStringLiteral("Pealix"));
  EXPECT_EQ(title->text(), QStringLiteral("Pealix"));

  // 40..90 fits no fixed range: the status line says so and nothing moves.
  QTest::mouseClick(child<QToolButton>("cbMove2Scale"), Qt::LeftButton);
  EXPECT_EQ(w.statusText(), GetResString(863) + QLatin1Char(' ') + GetResString(991));
  EXPECT_EQ(keys(), (std::vector<int>{40, 90}));
  load({50, 70});
  w.findChildren<QAction*>(QStringLiteral("mnuEditMoveOctFormat"))[3]->trigger();
  EXPECT_EQ(keys(), (std::vector<int>{69, 89}));
  EXPECT_TRUE(w.statusText().isEmpty());
}

// A name longer than the field would once have held (an iMelody NAME line has no limit)
// is shown whole, and passing through the field neither changes nor marks the melody.
TEST_F(FrmMainTest, PassingThroughTheTitleFieldKeepsALongName) {
  start();
  load({60, 62});
  const QString longName = QStringLiteral("A rather long melody name ").repeated(4);
  state_->document.melody().setsName(longName);
  window_->refresh();
  state_->document.setModified(false);
  auto* title = child<QLineEdit>("tfTitel");
  EXPECT_EQ(title->text(), longName);
  leave(title);
  EXPECT_EQ(state_->document.melody().sName(), longName);
  EXPECT_FALSE(state_->document.isModified());
  EXPECT_FALSE(window_->command("mnuEditUndo")->isEnabled());
}

TEST_F(FrmMainTest, CutCopyAndPasteGoThroughTheSystemClipboard) {
  frmMain& w = start();
  load({60, 62, 64, 65, 67});
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->setText(QStringLiteral("before"));
  selectRows({1, 2});
  key(Qt::Key_C, Qt::ControlModifier);
  const QString copied = clipboard->text();
  EXPECT_NE(copied, QStringLiteral("before"));
  EXPECT_FALSE(copied.isEmpty());
  EXPECT_EQ(keys().size(), 5u);

  // Whatever the desktop's clipboard holds is what gets pasted, before the first
  // selected row; with nothing selected, at the start.
  clipboard->setText(QStringLiteral("nothing for us"));
  selectRows({4});
  key(Qt::Key_V, Qt::ControlModifier);
  ASSERT_EQ(messages_.size(), 1);  // the library could not read it
  EXPECT_EQ(keys().size(), 5u);
  clipboard->setText(copied);
  key(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(keys(), (std::vector<int>{60, 62, 64, 65, 62, 64, 67}));
  list()->clearSelection();
  w.command("mnuEditPaste")->trigger();
  EXPECT_EQ(keys().size(), 9u);
  EXPECT_EQ(keys()[0], 62);

  selectRows({0});
  key(Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(keys().size(), 8u);
  EXPECT_NE(clipboard->text(), copied);
  EXPECT_FALSE(w.command("mnuEditCopy")->isEnabled() && w.selectedRows().isEmpty());
}

TEST_F(FrmMainTest, LanguageChosenLastTimeGivesTheCaptions) {
  {
    auto store = pxsettings::SettingsStore::atPath(confPath());
    store.setInteger(pxsettings::Key::NewLang, 0);
    store.sync();
  }
  frmMain& de = start();
  EXPECT_EQ(de.menuNamed("mnuFile")->title(), QStringLiteral("&Datei"));
  EXPECT_EQ(de.menuNamed("mnuEdit")->title(), QStringLiteral("&Bearbeiten"));
  EXPECT_EQ(AppLanguages().GetLang(), 0);
  EXPECT_EQ(list()->model()->headerData(1, Qt::Horizontal).toString(), GetResString(1042));
  const QString germanUndo = de.command("mnuEditUndo")->text();

  {
    auto store = pxsettings::SettingsStore::atPath(confPath());
    store.setInteger(pxsettings::Key::NewLang, 2);
    store.sync();
  }
  frmMain& fr = start();
  EXPECT_EQ(fr.menuNamed("mnuFile")->title(), QStringLiteral("&Fichier"));
  EXPECT_NE(fr.command("mnuEditUndo")->text(), germanUndo);
  // The language menu lists the three languages, the saved one checked.
  const QList<QAction*> langs = fr.menuNamed("mnuLanguage")->actions();
  ASSERT_EQ(langs.size(), 3);
  EXPECT_TRUE(langs[2]->isChecked());
}

TEST_F(FrmMainTest, LanguageMenuAsksInBothLanguagesAndKeepsTheChoice) {
  frmMain& w = start();
  // Answers the language question with No and acknowledges the notice that follows.
  QStringList seen;
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    seen.append(box->text());
    if (QAbstractButton* no = box->button(QMessageBox::No))
      no->click();
    else
      box->accept();
  });
  answer.start(20);
  QAction* german = w.menuNamed("mnuLanguage")->actions().value(0);
  ASSERT_NE(german, nullptr);
  german->trigger();
  answer.stop();
  ASSERT_EQ(seen.size(), 2);
  EXPECT_TRUE(seen[0].contains(GetResString(829)));  // English, the current language
  EXPECT_TRUE(seen[0].contains(AppLanguages().GetSingle_DllString(829, 0, 1024)));
  EXPECT_TRUE(seen[1].contains(GetResString(858)));
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(AppLanguages().GetSaveLang(), 0);
  EXPECT_EQ(AppLanguages().GetLang(), 1);  // this run keeps its texts
  EXPECT_TRUE(w.menuNamed("mnuLanguage")->actions().value(0)->isChecked());
  EXPECT_TRUE(w.close());
  EXPECT_EQ(pxsettings::SettingsStore::atPath(confPath()).newLang(3), 0);
}

TEST_F(FrmMainTest, SettingsWrittenAtCloseAndReadAtTheNextStart) {
  frmMain& w = start();
  EXPECT_FALSE(list()->showGrid());
  key(Qt::Key_F, Qt::ControlModifier);
  EXPECT_TRUE(list()->showGrid());
  EXPECT_EQ(list()->selectionBehavior(), QAbstractItemView::SelectRows);
  state_->settings.lastDir = QStringLiteral("/music/tones");
  state_->settings.playAction = QStringLiteral("play");
  EXPECT_TRUE(w.close());

  auto store = pxsettings::SettingsStore::atPath(confPath());
  EXPECT_EQ(store.mainGridLines(), 1);
  EXPECT_EQ(store.lastDir(), QStringLiteral("/music/tones"));
  EXPECT_EQ(store.newLang(3), 1);

  start();
  EXPECT_TRUE(list()->showGrid());
  EXPECT_EQ(state_->settings.playAction, QStringLiteral("play"));
  EXPECT_EQ(state_->settings.lastDir, QStringLiteral("/music/tones"));
}

TEST_F(FrmMainTest, ClosingAChangedMelodyAsksFirstAndCleansUp) {
  frmMain& w = start();
  load({60});
  QTest::mouseClick(child<QToolButton>("cbHigherNo"), Qt::LeftButton);
  ASSERT_TRUE(state_->document.isModified());
  QFile tmp(pxTempFile(QStringLiteral("play.mid")));
  ASSERT_TRUE(tmp.open(QIODevice::WriteOnly));
  tmp.close();

  answer_ = QMessageBox::Cancel;
  EXPECT_FALSE(w.close());
  EXPECT_TRUE(w.isVisible());
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_EQ(messages_[0].text, GetResString(826));
  EXPECT_EQ(messages_[0].title, GetResString(2519));  // not "New melody"
  // Yes saves first; a save that does not happen keeps the window.
  answer_ = QMessageBox::Yes;
  bool saveAsked = false;
  w.saveAsCommand = [&] {
    saveAsked = true;
    return false;
  };
  EXPECT_FALSE(w.close());
  EXPECT_TRUE(saveAsked);
  EXPECT_TRUE(QFile::exists(pxTempFile(QStringLiteral("play.mid"))));

  answer_ = QMessageBox::No;
  EXPECT_TRUE(w.close());
  EXPECT_FALSE(QFile::exists(pxTempFile(QStringLiteral("play.mid"))));
}

TEST_F(FrmMainTest, PlayExportsToTheTemporaryFolderAndOpensIt) {
  frmMain& w = start();
  load({60, 62, 64, 65});
  QTest::mouseClick(child<QToolButton>("cbExPlayAll"), Qt::LeftButton);
  const QString path = pxTempFile(QStringLiteral("play.mid"));
  ASSERT_EQ(opened_.urls.size(), 1);
  EXPECT_EQ(opened_.urls[0], QUrl::fromLocalFile(path));
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const qint64 whole = f.size();
  EXPECT_TRUE(f.readAll().startsWith("MThd"));
  f.close();
  EXPECT_TRUE(w.command("mnuPlayMidi")->isEnabled());

  // Only the selected events; with the "play" action and the program's own output.
  selectRows({1});
  QString played;
  w.playFileCommand = [&](const QString& p) {
    played = p;
    return true;
  };
  state_->settings.playAction = QStringLiteral("play");
  w.command("mnuPlaySelected")->trigger();
  EXPECT_EQ(played, path);
  EXPECT_LT(QFileInfo(path).size(), whole);
  EXPECT_EQ(opened_.urls.size(), 1);

  // The old file cannot be replaced: message 807, nothing played.
  QFile::remove(path);
  ASSERT_TRUE(QDir().mkpath(path + QStringLiteral("/busy")));
  played.clear();
  w.command("mnuPlayMidi")->trigger();
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_EQ(messages_[0].text, GetResString(807));
  EXPECT_TRUE(played.isEmpty());
  QDir(path).removeRecursively();
}

TEST_F(FrmMainTest, WarningColumnAndRangeCheckRows) {
  frmMain& w = start();
  load({90, 65, 70});
  QAbstractItemModel* m = list()->model();
  const QString high = m->index(0, 3).data().toString();
  EXPECT_EQ(high, GetResString(800) + GetResString(994) + QStringLiteral(", ") + GetResString(864));
  const QString low = m->index(1, 3).data().toString();
  EXPECT_EQ(low,
            GetResString(801) + GetResString(993) + QStringLiteral(" 61xx, ") + GetResString(866));
  EXPECT_EQ(m->index(0, 2).data().toString(), QStringLiteral("F#7"));

  // Sagem SMS (57..85): one note too high, yellow; 61 events left, green.
  clCMeloFormatCheck* check = w.formatCheck();
  EXPECT_EQ(check->counter(0, 0)->text(), QStringLiteral("1"));
  EXPECT_EQ(clCMeloFormatCheck::ColourOf(check->counter(0, 0)), meloformatcheck::kYellow);
  EXPECT_EQ(check->remaining(0)->text(), QStringLiteral("61"));
  // Another format in row 2 reruns the check: iMelody has no event limit.
  check->choice(2)->setCurrentIndex(6);
  emit check->choice(2)->activated(6);
  EXPECT_TRUE(check->remaining(2)->text().isEmpty());
  EXPECT_EQ(clCMeloFormatCheck::ColourOf(check->remaining(2)), meloformatcheck::kGreen);

  // Without the automatic update the rows keep what they show until asked.
  child<QCheckBox>("chkMvsFAutoUpd")->setChecked(false);
  QTest::mouseClick(child<QToolButton>("cbLowerNo"), Qt::LeftButton);
  QTest::mouseClick(child<QToolButton>("cbLowerNo"), Qt::LeftButton);
  QTest::mouseClick(child<QToolButton>("cbLowerNo"), Qt::LeftButton);
  QTest::mouseClick(child<QToolButton>("cbLowerNo"), Qt::LeftButton);
  QTest::mouseClick(child<QToolButton>("cbLowerNo"), Qt::LeftButton);
  EXPECT_EQ(check->counter(0, 0)->text(), QStringLiteral("1"));
  QTest::mouseClick(child<QToolButton>("cbMvsFUpdate"), Qt::LeftButton);
  EXPECT_EQ(check->counter(0, 0)->text(), QStringLiteral("0"));
}

TEST_F(FrmMainTest, DroppingAMelodyFileOpensIt) {
  frmMain& w = start();
  const QString tune = write(QStringLiteral("Dropped.rtx"), ":d=8,o=6,b=90:c,d,e");
  QMimeData ignored;
  ignored.setUrls({QUrl::fromLocalFile(write(QStringLiteral("notes.txt"), "c,d"))});
  QDragEnterEvent enterIgnored(QPoint(10, 10), Qt::CopyAction, &ignored, Qt::LeftButton,
                               Qt::NoModifier);
  QApplication::sendEvent(&w, &enterIgnored);
  EXPECT_FALSE(enterIgnored.isAccepted());

  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(tune)});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&w, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&w, &drop);
  EXPECT_EQ(keys().size(), 3u);
  EXPECT_EQ(child<QLineEdit>("tfTitel")->text(), QStringLiteral("Dropped"));
  EXPECT_EQ(child<QLineEdit>("tfBPM")->text(), QStringLiteral("90"));
  EXPECT_EQ(state_->document.fileFormat(), 7);
}

}  // namespace

#include "frmmain_test.moc"
