// The MIDI open dialog, the event editor and the options window driven through their
// widgets; the outcome is read from the objects they edit.
#include <gtest/gtest.h>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "document/melodydocument.h"
#include "eventeditor/ui/frmnewevent.h"
#include "files/recentfiles.h"
#include "files/ui/frmmidiopendlg.h"
#include "languages/reslang.h"
#include "melody/rvmelodyapi.h"
#include "phonelink/clcommprops.h"
#include "phonelink/clsmsprops.h"
#include "settings/mainsettings.h"
#include "settings/settingsstore.h"
#include "settings/ui/frmoptions.h"
#include "settings/ui/synthoptionsbox.h"

namespace {

QApplication* app() {
  static int argc = 1;
  static char name[] = "dialogs_windows_test";
  static char* argv[] = {name, nullptr};
  static QApplication* a = new QApplication(argc, argv);
  return a;
}

class WindowsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    app();
    RvMelodyApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR));
    reslang::SetAppDirectory(QStringLiteral(PEALIX_BIN_DIR));
    FreeResModule();
    AppLanguages() = reslang();
    RegisterLanguages(AppLanguages());
  }
  void SetUp() override {
    store_ = std::make_unique<pxsettings::SettingsStore>(
        pxsettings::SettingsStore::atPath(dir_.filePath(QStringLiteral("Pealix.conf"))));
  }
  template <class W>
  W* child(QWidget* parent, const char* name) {
    W* w = parent->findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  void click(QWidget* parent, const char* name) {
    auto* b = child<QAbstractButton>(parent, name);
    ASSERT_NE(b, nullptr);
    QTest::mouseClick(b, Qt::LeftButton);
  }
  void typeInto(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
  }

  QTemporaryDir dir_;
  std::unique_ptr<pxsettings::SettingsStore> store_;
};

TEST_F(WindowsTest, MidiOpenDialogListsTheChannelsWithNotes) {
  frmMidiOpenDlg dlg(0b1000000000000101);
  auto* combo = child<QComboBox>(&dlg, "cboMidiChannel");
  ASSERT_EQ(combo->count(), 3);
  EXPECT_EQ(combo->itemText(0), QStringLiteral("1"));
  EXPECT_EQ(combo->itemText(2), QStringLiteral("16"));
  EXPECT_EQ(dlg.windowTitle(), GetResString(1400));
  combo->setCurrentIndex(1);
  click(&dlg, "cmdOK");
  EXPECT_EQ(dlg.channel(), 3);

  frmMidiOpenDlg cancelled(0b1);
  click(&cancelled, "cmdCancel");
  EXPECT_EQ(cancelled.channel(), 999);

  // The modal form is answered from inside its own event loop.
  QTimer::singleShot(0, [] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* d = qobject_cast<frmMidiOpenDlg*>(w); d && d->isVisible()) d->accept();
  });
  EXPECT_EQ(frmMidiOpenDlg::choose(0b10000), 5);
}

TEST_F(WindowsTest, EventEditorBuildsAndAppendsEvents) {
  MelodyDocument doc;
  pxvbMelody& melody = doc.melody();
  melody.addevent(4, 0, 1, 70, 100);
  int refreshes = 0;
  frmNewEvent editor(
      doc, [&] { ++refreshes; }, store_.get());
  editor.openForNew();
  editor.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
  EXPECT_TRUE(editor.Loaded());
  EXPECT_EQ(editor.EditType(), 0);

  // Octave 5, "C", third dot entry, a quarter.
  child<QComboBox>(&editor, "cboENNotes")->setCurrentIndex(0);
  child<QComboBox>(&editor, "cboENOctave")->setCurrentIndex(5);
  child<QListWidget>(&editor, "liENLen")->setCurrentRow(2);
  child<QListWidget>(&editor, "liENDotLen")->setCurrentRow(2);
  auto* velocity = child<QLineEdit>(&editor, "tfENVelocity");
  QStringList warnings;
  editor.warn = [&](const QString& text) { warnings << text; };
  typeInto(velocity, QStringLiteral("0x"));  // the letter is refused
  EXPECT_EQ(velocity->text(), QStringLiteral("0"));
  QTest::keyClick(velocity, Qt::Key_Tab);  // leaving the field keeps what was typed
  EXPECT_EQ(velocity->text(), QStringLiteral("0"));
  click(&editor, "cbenvAdd");  // a volume outside 1..127 is refused, not made 1
  EXPECT_EQ(warnings, QStringList{GetResString(2520)});
  ASSERT_EQ(melody.size(), 1);
  EXPECT_FALSE(doc.isModified());
  typeInto(velocity, QStringLiteral("1"));
  click(&editor, "cbenvAdd");
  ASSERT_EQ(melody.size(), 2);
  EXPECT_EQ(melody.getEvent(1), 1);
  EXPECT_EQ(melody.getEventVal1(1), 60);
  EXPECT_EQ(melody.getEventVal2(1), 1);
  EXPECT_EQ(melody.getSimpleLen(1), 4);
  EXPECT_EQ(melody.getDotLen(1), 3);
  EXPECT_EQ(refreshes, 1);
  // Each add is one step of the history.
  EXPECT_TRUE(doc.isModified());
  ASSERT_TRUE(doc.undo());
  EXPECT_EQ(doc.melody().size(), 1);
  ASSERT_TRUE(doc.redo());

  typeInto(velocity, QStringLiteral("200"));
  QTest::keyClick(velocity, Qt::Key_Tab);
  EXPECT_EQ(velocity->text(), QStringLiteral("200"));
  click(&editor, "cbenvAdd");
  EXPECT_EQ(warnings.size(), 2);
  EXPECT_EQ(melody.size(), 2);
  typeInto(velocity, QStringLiteral("127"));

  // A dotted eighth pause at the end; only the pause group is enabled.
  click(&editor, "optEvents_1");
  EXPECT_FALSE(child<QWidget>(&editor, "fraENote")->isEnabled());
  EXPECT_TRUE(child<QWidget>(&editor, "fraEPause")->isEnabled());
  child<QListWidget>(&editor, "liEPLen")->setCurrentRow(3);
  child<QListWidget>(&editor, "liEPDotLen")->setCurrentRow(1);
  click(&editor, "cbenvAdd");
  ASSERT_EQ(melody.size(), 3);
  EXPECT_EQ(melody.getEvent(2), 16);
  EXPECT_EQ(melody.getSimpleLen(2), 8);
  EXPECT_EQ(melody.getDotLen(2), 1);

  // A volume step goes through the library's volume mapping.
  click(&editor, "optEvents_3");
  child<QListWidget>(&editor, "libEVVolume")->setCurrentRow(15);
  click(&editor, "cbenvAdd");
  EXPECT_EQ(melody.getEvent(3), 5);
  EXPECT_EQ(melody.getEventVal1(3), 0);
  EXPECT_GT(melody.getEventVal2(3), 0);
}

TEST_F(WindowsTest, EventEditorEditsOneEventAndReopensForNew) {
  MelodyDocument doc;
  pxvbMelody& melody = doc.melody();
  melody.addevent(4, 0, 1, 70, 100);
  melody.addevent(16, 2, 16);
  melody.addevent(0, 0, 3, 2);
  frmNewEvent editor(doc, nullptr, store_.get());
  EXPECT_FALSE(editor.openForEdit(3));
  ASSERT_TRUE(editor.openForEdit(1));
  EXPECT_EQ(editor.windowTitle(), QStringLiteral("Edit Event No.2"));
  EXPECT_TRUE(child<QRadioButton>(&editor, "optEvents_1")->isChecked());
  EXPECT_EQ(child<QListWidget>(&editor, "liEPLen")->currentRow(), 4);
  EXPECT_EQ(child<QListWidget>(&editor, "liEPDotLen")->currentRow(), 3);
  EXPECT_TRUE(child<QPushButton>(&editor, "cbfnevChange")->isEnabled());

  ASSERT_TRUE(editor.openForEdit(0));
  EXPECT_EQ(child<QComboBox>(&editor, "cboENNotes")->currentText(), QStringLiteral("A#"));
  EXPECT_EQ(child<QComboBox>(&editor, "cboENOctave")->currentIndex(), 5);
  EXPECT_EQ(child<QLineEdit>(&editor, "tfENVelocity")->text(), QStringLiteral("100"));
  child<QComboBox>(&editor, "cboENOctave")->setCurrentIndex(6);
  click(&editor, "cbfnevChange");
  EXPECT_EQ(melody.getEventVal1(0), 82);
  EXPECT_EQ(melody.size(), 3);

  // The edit position is kept when the melody shrinks; a change then writes nothing.
  melody.resize(0);
  const int steps = doc.undoCount();
  click(&editor, "cbfnevChange");
  EXPECT_EQ(melody.size(), 0);
  EXPECT_EQ(doc.undoCount(), steps);

  editor.move(40, 30);
  editor.openForNew();  // closes the edit-mode window first, which stores its place
  EXPECT_EQ(editor.EditType(), 0);
  EXPECT_FALSE(child<QPushButton>(&editor, "cbfnevChange")->isEnabled());
  EXPECT_EQ(editor.windowTitle(), GetResString(1300));
  EXPECT_EQ(store_->newEventLeft(), editor.pos().x());
  editor.close();
}

class OptionsTest : public WindowsTest {
 protected:
  void SetUp() override {
    WindowsTest::SetUp();
    recent_.add(QStringLiteral("/a.rtx"), 1);
    recent_.save(*store_);
  }
  std::unique_ptr<frmOptions> open() {
    auto w = std::make_unique<frmOptions>(options_, comm_, sms_, recent_, *store_,
                                          [this] { ++rebuilt_; });
    w->showMessage = [this](const QString& text) { messages_ << text; };
    return w;
  }
  MainSettings options_;
  clCommProps comm_;
  clSMSProps sms_;
  RecentFiles recent_;
  int rebuilt_ = 0;
  QStringList messages_;
};

TEST_F(OptionsTest, StandardThenOkWritesTheStandardValues) {
  options_.sagemOpti = 60;
  options_.nokiaOpti = 40;
  options_.playAction = QStringLiteral("play");
  options_.gridLines = true;
  auto w = open();
  EXPECT_EQ(child<QLineEdit>(w.get(), "tffrExpSagemOptiChars")->text(), QStringLiteral("60"));
  EXPECT_TRUE(child<QRadioButton>(w.get(), "optPlay")->isChecked());
  click(w.get(), "cmdStandard");
  EXPECT_EQ(options_.sagemOpti, 60);  // nothing saved yet
  click(w.get(), "cmdOK");
  EXPECT_EQ(options_.sagemOpti, 160);
  EXPECT_EQ(options_.nokiaOpti, 140);
  EXPECT_EQ(options_.playAction, QStringLiteral("open"));
  EXPECT_FALSE(options_.gridLines);
}

TEST_F(OptionsTest, CancelKeepsTheValuesAndApplySavesThem) {
  auto w = open();
  child<QCheckBox>(w.get(), "chbStyleMainFullSelect")->setChecked(true);
  click(w.get(), "chkExpMotoSpace");
  click(w.get(), "cmdCancel");
  EXPECT_FALSE(options_.fullSelect);
  EXPECT_EQ(options_.motoSpace, 0);

  w = open();
  auto* chars = child<QLineEdit>(w.get(), "tffrExpSagemOptiChars");
  typeInto(chars, QStringLiteral("1a2b0"));  // letters are refused
  EXPECT_EQ(chars->text(), QStringLiteral("120"));
  typeInto(child<QLineEdit>(w.get(), "tfDelimiter"), QStringLiteral(";;"));
  click(w.get(), "optfrExpSagemOptiLF_0");
  click(w.get(), "chkExpMotoSMS");
  child<QListWidget>(w.get(), "liInstrument")->setCurrentRow(19);
  click(w.get(), "cmdApply");
  EXPECT_EQ(options_.sagemOpti, 120);
  EXPECT_EQ(options_.nokCImp, QStringLiteral(";"));
  EXPECT_EQ(options_.sagemOptiLF, 0);
  EXPECT_EQ(options_.motoSMS, 1);
  EXPECT_EQ(options_.midExInstr, 19);
  EXPECT_EQ(child<QListWidget>(w.get(), "liInstrument")->count(), 128);
}

TEST_F(OptionsTest, SerialAndSmsControlsAndTheirStandardButtons) {
  comm_.setBaud(QStringLiteral("115200"));
  comm_.setHandshaking(2);
  sms_.SetSMSCAdr(QStringLiteral("+49 171 0760000"), 1);
  sms_.setTextOutCodepage(1252);
  auto w = open();
  EXPECT_EQ(child<QComboBox>(w.get(), "cboBaud")->currentText(), QStringLiteral("115200"));
  EXPECT_TRUE(child<QRadioButton>(w.get(), "optFlow_2")->isChecked());
  EXPECT_EQ(child<QComboBox>(w.get(), "cboSMSOutCodepage")->currentText(), QStringLiteral("1252"));
  EXPECT_FALSE(child<QCheckBox>(w.get(), "chkSMSCNoType")->isChecked());

  click(w.get(), "cbDataDefaults");
  EXPECT_EQ(child<QComboBox>(w.get(), "cboBaud")->currentText(), QStringLiteral("19200"));
  EXPECT_EQ(child<QComboBox>(w.get(), "cboParity")->currentText(), QStringLiteral("none"));
  click(w.get(), "cbSMSDefaults");
  EXPECT_EQ(frmOptions::GetListCodepage(child<QComboBox>(w.get(), "cboSMSOutCodepage")), 0);

  // Typing over the list entry replaces it with the number.
  auto* in = child<QComboBox>(w.get(), "cboSMSInCodepage");
  in->lineEdit()->setFocus();
  QTest::keyClicks(in->lineEdit(), QStringLiteral("8x50"));
  EXPECT_EQ(in->currentText(), QStringLiteral("850"));
  click(w.get(), "cmdOK");
  EXPECT_EQ(comm_.Baud(), QStringLiteral("19200"));
  EXPECT_EQ(sms_.TextInCodepage(), 850);
  EXPECT_EQ(sms_.TextOutCodepage(), 0);
  EXPECT_EQ(sms_.SMSCAddress(), QString());
  // The serial and SMS objects saved themselves.
  EXPECT_EQ(store_->text(pxsettings::Key::Baud), QStringLiteral("19200"));
  EXPECT_EQ(store_->text(pxsettings::Key::TInCP), QStringLiteral("850"));
}

TEST_F(OptionsTest, CodepageChecksRecentFilesAndFont) {
  auto w = open();
  auto* out = child<QComboBox>(w.get(), "cboSMSOutCodepage");
  out->setEditText(QStringLiteral("0"));
  click(w.get(), "cbSMSOutCheck");
  out->setEditText(QStringLiteral("12345"));
  click(w.get(), "cbSMSOutCheck");
  out->setEditText(QStringLiteral("1251"));
  click(w.get(), "cbSMSOutCheck");
  ASSERT_EQ(messages_.size(), 3);
  EXPECT_EQ(messages_[0], GetResString(967));
  EXPECT_EQ(messages_[1], GetResString(968));
  EXPECT_EQ(messages_[2], GetResString(967));

  click(w.get(), "cbDelRecentFiles");
  EXPECT_EQ(recent_.size(), 0);
  EXPECT_EQ(rebuilt_, 1);
  EXPECT_EQ(store_->recentCount(), 0);
  EXPECT_EQ(store_->recentFileName(1), QString());

  // No font ships with the build: the button is disabled and its tool tip says why.
  auto* font = child<QPushButton>(w.get(), "cbFontInstall");
  EXPECT_FALSE(font->isEnabled());
  EXPECT_EQ(font->toolTip(), GetResString(2825));
}

TEST_F(OptionsTest, CtrlTabStepsThroughTheTabsAndWraps) {
  auto w = open();
  w->show();
  w->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
  auto* tabs = child<QTabWidget>(w.get(), "tbsOptions");
  EXPECT_EQ(tabs->count(), 6);
  EXPECT_EQ(tabs->tabText(0), GetResString(1205));
  QTest::keyClick(w.get(), Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(tabs->currentIndex(), 1);
  tabs->setCurrentIndex(5);
  QTest::keyClick(w.get(), Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(tabs->currentIndex(), 0);
  QTest::keyClick(w.get(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(tabs->currentIndex(), 5);
}

TEST_F(OptionsTest, SoundFontAndAudioDriverAreChosenAndRemembered) {
  const QString font = dir_.filePath(QStringLiteral("gm.sf2"));
  const QString notFont = dir_.filePath(QStringLiteral("notes.txt"));
  for (const auto& [path, bytes] : {std::pair{font, QByteArray("RIFF\0\0\0\0sfbkLIST", 16)},
                                    std::pair{notFont, QByteArray("just some text")}}) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  auto w = open();
  auto* box = w->findChild<SynthOptionsBox*>();
  ASSERT_NE(box, nullptr);
  QStringList boxMessages;
  box->showMessage = [&boxMessages](const QString& text) { boxMessages << text; };
  auto* soundFont = child<QLineEdit>(w.get(), "tfSoundFont");
  auto* driver = child<QComboBox>(w.get(), "cboAudioDriver");
  EXPECT_TRUE(soundFont->text().isEmpty());
  EXPECT_EQ(driver->currentIndex(), 0);
  EXPECT_EQ(driver->count(), 5);

  // A file that is no SoundFont is refused with a message; a SoundFont is taken.
  box->chooseFile = [&notFont](const QString&) { return notFont; };
  click(w.get(), "cbSoundFont");
  EXPECT_TRUE(soundFont->text().isEmpty());
  EXPECT_EQ(boxMessages.size(), 1);
  box->chooseFile = [&font](const QString&) { return font; };
  click(w.get(), "cbSoundFont");
  EXPECT_EQ(soundFont->text(), font);
  driver->setCurrentIndex(driver->findText(QStringLiteral("JACK")));
  click(w.get(), "cmdOK");
  EXPECT_EQ(store_->text(pxsettings::Key::SoundFont), font);
  EXPECT_EQ(store_->text(pxsettings::Key::AudioDriver), QStringLiteral("jack"));

  // Reopened, the window shows the stored choice; Standard puts back the system's.
  w = open();
  EXPECT_EQ(child<QLineEdit>(w.get(), "tfSoundFont")->text(), font);
  EXPECT_EQ(child<QComboBox>(w.get(), "cboAudioDriver")->currentText(), QStringLiteral("JACK"));
  click(w.get(), "cmdStandard");
  click(w.get(), "cmdApply");
  EXPECT_EQ(store_->text(pxsettings::Key::SoundFont), QString());
  EXPECT_EQ(store_->text(pxsettings::Key::AudioDriver), QStringLiteral("auto"));
}

TEST_F(OptionsTest, ASoundFontThatCannotServeIsRefusedByOkAndApply) {
  auto w = open();
  auto* box = w->findChild<SynthOptionsBox*>();
  ASSERT_NE(box, nullptr);
  QStringList boxMessages;
  box->showMessage = [&boxMessages](const QString& text) { boxMessages << text; };
  auto* tabs = child<QTabWidget>(w.get(), "tbsOptions");
  auto* soundFont = child<QLineEdit>(w.get(), "tfSoundFont");
  const QString missing = dir_.filePath(QStringLiteral("gone.sf2"));
  soundFont->setText(missing);
  tabs->setCurrentIndex(0);
  click(w.get(), "cmdOK");
  ASSERT_EQ(boxMessages.size(), 1);
  EXPECT_EQ(boxMessages[0], GetResString(2824) + " " + missing);
  EXPECT_EQ(tabs->currentWidget(), box->parentWidget());  // where the field is
  EXPECT_EQ(store_->text(pxsettings::Key::SoundFont), QString());
  EXPECT_FALSE(w->result() == QDialog::Accepted);
  click(w.get(), "cmdApply");
  EXPECT_EQ(boxMessages.size(), 2);
  EXPECT_EQ(store_->text(pxsettings::Key::SoundFont), QString());
  // An emptied field is the system's SoundFont and is accepted.
  soundFont->clear();
  click(w.get(), "cmdOK");
  EXPECT_EQ(boxMessages.size(), 2);
  EXPECT_EQ(w->result(), QDialog::Accepted);
}

}  // namespace
