// The note view driven through its widgets: the clamped copy, the tool buttons, OK and
// Cancel, the MIDI setup and playing into a recording output on a manual clock.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "languages/reslang.h"
#include "melody/librarybinding.h"
#include "melody/rvmelodyapi.h"
#include "playback/modmidiplay.h"
#include "playback/ui/frmnoteview.h"
#include "playback/ui/notedisplay.h"
#include "playback_fakes.h"
#include "settings/settingsstore.h"

namespace {

using Msg = pxmidi::RecordingOutput::Message;

QApplication* app() {
  static int argc = 1;
  static char name[] = "noteview_test";
  static char* argv[] = {name, nullptr};
  static QApplication* a = new QApplication(argc, argv);
  return a;
}

class NoteviewTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    app();
    RvMelodyApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR));
    reslang::SetAppDirectory(QStringLiteral(PEALIX_BIN_DIR));
    AppLanguages() = reslang();
    RegisterLanguages(AppLanguages());
  }
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    settings_ = std::make_unique<pxsettings::SettingsStore>(
        pxsettings::SettingsStore::atPath(dir_.filePath("Pealix.conf")));
    auto timer = std::make_unique<pxtest::ManualTimer>();
    backend_ = std::make_unique<pxtest::RecordingBackend>(QStringList{"Synth", "Port A", "Port B"},
                                                          timer.get());
    player_ = std::make_unique<modMidiplay>(
        *backend_, [this](const QString& t) { shown_ << t; }, std::move(timer));
    main_.addevent(4, 0, 1, 100, 90);
    main_.addevent(128, 0, 1, 127, 100);  // shown as 1/64
    main_.addevent(0, 0, 3, 2);
    main_.addevent(8, 0, 16);
  }
  std::unique_ptr<frmNoteview> open() {
    auto w = std::make_unique<frmNoteview>(main_, *player_, *settings_);
    w->setMessageHook([this](const QString&, const QString& text) { shown_ << text; });
    w->show();
    return w;
  }
  template <class T>
  static T* child(QWidget* w, const char* name) {
    T* c = w->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
  }
  // Clicks the tool button of an action by its key.
  static void press(QWidget* w, const char* key) {
    QAction* a = child<QAction>(w, key);
    ASSERT_NE(a, nullptr);
    for (QToolBar* bar : w->findChildren<QToolBar*>())
      if (QWidget* b = bar->widgetForAction(a)) {
        QTest::mouseClick(b, Qt::LeftButton);
        return;
      }
    FAIL() << "no button for " << key;
  }
  static void select(frmNoteview* w, int pos) {
    QLineEdit* sel = child<QLineEdit>(w, "tfSelNote");
    sel->clear();
    QTest::keyClicks(sel, QString::number(pos + 1));
    QTest::keyClick(sel, Qt::Key_Return);
    ASSERT_EQ(w->edit().selected(), pos);
  }
  static void waitForPlayback(frmNoteview* w) {
    for (int i = 0; i < 500 && w->isPlaying(); ++i) QTest::qWait(2);
    ASSERT_FALSE(w->isPlaying());
  }

  QTemporaryDir dir_;
  std::unique_ptr<pxsettings::SettingsStore> settings_;
  std::unique_ptr<pxtest::RecordingBackend> backend_;
  std::unique_ptr<modMidiplay> player_;
  pxvbMelody main_;
  QStringList shown_;
};

TEST_F(NoteviewTest, OpensAClampedCopyAndOkWritesItBack) {
  auto w = open();
  EXPECT_EQ(w->edit().melody().getSimpleLen(1), 64);
  EXPECT_EQ(main_.getSimpleLen(1), 128);  // not yet
  EXPECT_EQ(child<QLineEdit>(w.get(), "tfSelNote")->text(), "1");
  child<QLineEdit>(w.get(), "tfBPM")->clear();
  QTest::mouseClick(child<QPushButton>(w.get(), "cbOk"), Qt::LeftButton);
  EXPECT_EQ(w->result(), QDialog::Accepted);
  EXPECT_EQ(main_.getSimpleLen(1), 64);
  EXPECT_EQ(main_.bpm(), 120);
  EXPECT_FALSE(player_->portOpen());  // OK closes the view; the port closes with it
}

TEST_F(NoteviewTest, LengthDotAndPitchButtons) {
  auto w = open();
  const pxvbMelody& m = w->edit().melody();
  for (int expected : {1, 3, 2, 0}) {
    press(w.get(), "dott");
    EXPECT_EQ(m.getDotLen(0), expected);
  }
  press(w.get(), "p8");  // the note becomes an eighth pause
  EXPECT_EQ(m.getEvent(0), 16);
  EXPECT_EQ(m.getSimpleLen(0), 8);
  EXPECT_EQ(m.getEventVal1(0), 0);
  EXPECT_FALSE(child<QPushButton>(w.get(), "cbHigher")->isEnabled());
  press(w.get(), "n8");  // and back into a note: 69, not the old 100
  EXPECT_EQ(m.getEvent(0), 1);
  EXPECT_EQ(m.getEventVal1(0), 69);
  EXPECT_EQ(m.getEventVal2(0), 127);

  select(w.get(), 2);  // the style change
  press(w.get(), "n4");
  EXPECT_EQ(m.getEvent(2), 1);
  EXPECT_EQ(m.getSimpleLen(2), 4);
  EXPECT_EQ(m.getEventVal1(2), 69);
  press(w.get(), "n16");  // a note keeps its pitch
  EXPECT_EQ(m.getEventVal1(2), 69);
  EXPECT_EQ(m.getSimpleLen(2), 16);

  select(w.get(), 1);  // note 127
  QPushButton* higher = child<QPushButton>(w.get(), "cbHigher");
  ASSERT_TRUE(higher->isEnabled());
  QTest::mouseClick(higher, Qt::LeftButton);
  EXPECT_EQ(m.getEventVal1(1), 127);
  QTest::mouseClick(child<QPushButton>(w.get(), "cbLower"), Qt::LeftButton);
  EXPECT_EQ(m.getEventVal1(1), 126);

  // The same from the keyboard: 1-7 lengths, Ctrl+1-7 pauses, "." the dot.
  w->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
  NoteDisplay* display = w->findChild<NoteDisplay*>();
  display->setFocus();
  QTest::keyClick(display, Qt::Key_2);
  EXPECT_EQ(m.getSimpleLen(1), 2);
  QTest::keyClick(display, Qt::Key_Period);
  EXPECT_EQ(m.getDotLen(1), 1);
  QTest::keyClick(display, Qt::Key_5, Qt::ControlModifier);
  EXPECT_EQ(m.getEvent(1), 16);
  EXPECT_EQ(m.getSimpleLen(1), 16);
}

TEST_F(NoteviewTest, InsertDeleteStyleAndVolumeButtons) {
  auto w = open();
  const pxvbMelody& m = w->edit().melody();
  press(w.get(), "newn");  // before event 0, copying its pitch
  ASSERT_EQ(m.size(), 5);
  EXPECT_EQ(w->edit().selected(), 0);
  EXPECT_EQ(m.getSimpleLen(0), 8);
  EXPECT_EQ(m.getDotLen(0), 0);
  EXPECT_EQ(m.getEventVal1(0), 100);
  press(w.get(), "newna");
  EXPECT_EQ(w->edit().selected(), 1);
  press(w.get(), "del");  // the new one, then the original note after it
  press(w.get(), "del");
  ASSERT_EQ(m.size(), 4);
  EXPECT_EQ(w->edit().selected(), 1);
  EXPECT_EQ(m.getEventVal1(1), 127);  // the next note moved up into the selection

  press(w.get(), "ss");
  EXPECT_EQ(m.getEvent(1), 3);
  EXPECT_EQ(m.getEventVal1(1), 2);
  EXPECT_EQ(m.getSimpleLen(1), 0);
  QComboBox* steps = child<QComboBox>(w.get(), "liTob2Volume");
  steps->setCurrentIndex(steps->findData(7));
  press(w.get(), "vol");
  EXPECT_EQ(m.getEvent(1), 5);
  EXPECT_EQ(m.getEventVal1(1), 0);
  EXPECT_EQ(m.getEventVal2(1), 70);  // step 7

  // Deleting everything leaves the insert buttons to start again.
  for (int i = 0; i < 4; ++i) press(w.get(), "del");
  EXPECT_EQ(m.size(), 0);
  EXPECT_EQ(w->edit().selected(), -1);
  EXPECT_FALSE(child<QAction>(w.get(), "n4")->isEnabled());
  EXPECT_FALSE(child<QPushButton>(w.get(), "cbPlay")->isEnabled());
  press(w.get(), "newn");
  EXPECT_EQ(m.size(), 1);
  EXPECT_EQ(m.getEventVal1(0), 69);
}

TEST_F(NoteviewTest, CancelLeavesTheMainMelodyUntouched) {
  const pxvbMelody before = main_;
  auto w = open();
  int commits = 0;
  w->setCommit([&commits](const pxvbMelody&) { ++commits; });
  press(w.get(), "del");
  press(w.get(), "p1");
  QTest::mouseClick(child<QPushButton>(w.get(), "cbCancel"), Qt::LeftButton);
  EXPECT_EQ(w->result(), QDialog::Rejected);
  EXPECT_EQ(commits, 0);
  ASSERT_EQ(main_.size(), before.size());
  for (int i = 0; i < main_.size(); ++i) EXPECT_EQ(*main_.at(i), *before.at(i)) << i;
}

TEST_F(NoteviewTest, DisplayRangeClickAndOctaveScroll) {
  auto w = open();
  NoteDisplay* display = w->findChild<NoteDisplay*>();
  ASSERT_NE(display, nullptr);
  QScrollBar* octave = child<QScrollBar>(w.get(), "vscNote");
  const int y = display->height() / 2;
  // Octave 8 shows 93..121: note 100 can be clicked, note 127 cannot.
  QTest::mouseClick(display, Qt::LeftButton, {}, QPoint(display->columnX(0) + 5, y));
  EXPECT_EQ(w->edit().selected(), 0);
  QTest::mouseClick(display, Qt::LeftButton, {}, QPoint(display->columnX(1) + 5, y));
  EXPECT_EQ(w->edit().selected(), 0);
  QTest::mouseClick(display, Qt::LeftButton, {}, QPoint(display->columnX(3) + 5, y));
  EXPECT_EQ(w->edit().selected(), 3);      // a pause is always shown
  QTest::keyClick(display, Qt::Key_Left);  // the keys walk through the events
  EXPECT_EQ(w->edit().selected(), 2);
  QTest::keyClick(display, Qt::Key_End);
  EXPECT_EQ(w->edit().selected(), 3);
  QTest::keyClick(display, Qt::Key_Home);
  EXPECT_EQ(w->edit().selected(), 0);
  QLineEdit* number = child<QLineEdit>(w.get(), "tfSelNote");
  number->setText("4");
  QTest::mouseDClick(number, Qt::LeftButton);
  EXPECT_EQ(w->edit().selected(), 3);
  octave->setValue(octave->value() - 2);  // two octaves up: 117..127
  QTest::mouseClick(display, Qt::LeftButton, {}, QPoint(display->columnX(1) + 5, y));
  EXPECT_EQ(w->edit().selected(), 1);
  // Selecting a note out of sight scrolls to its octave.
  select(w.get(), 0);
  EXPECT_EQ(octave->value(), NoteviewEdit::kMaxOctave - NoteviewEdit::octaveFor(100));
  int low, high;
  NoteviewEdit::visibleRange(0, low, high);
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 25);
  NoteviewEdit::visibleRange(10, low, high);
  EXPECT_EQ(low, 117);
  EXPECT_EQ(high, 127);
}

TEST_F(NoteviewTest, StartUpReadsTheStoredSetup) {
  settings_->write("MidiSetup", "Intrument", "200");
  settings_->write("MidiSetup", "OutDevice", "1");
  settings_->write("MidiSetup", "IgnoreVol", "0");
  auto w = open();
  EXPECT_EQ(backend_->lastId, 1);
  EXPECT_EQ(child<QComboBox>(w.get(), "cboInstrument")->currentIndex(), 0);
  EXPECT_EQ(child<QComboBox>(w.get(), "cboInstrument")->count(), 128);
  EXPECT_EQ(backend_->last->messages(), (std::vector<Msg>{{5'000'000, 192, 0, 0}}));
  EXPECT_FALSE(child<QCheckBox>(w.get(), "chkVeloIgnore")->isChecked());
  EXPECT_TRUE(child<QPushButton>(w.get(), "cbPlay")->isEnabled());
  EXPECT_TRUE(shown_.isEmpty());
}

TEST_F(NoteviewTest, AFailedOpenSaysSoOnlyWhenPlayIsAskedFor) {
  backend_->failOpen = true;
  auto w = open();
  EXPECT_FALSE(child<QPushButton>(w.get(), "cbStopPlay")->isEnabled());
  EXPECT_TRUE(shown_.isEmpty());  // opening the view asks for no sound
  QTest::mouseClick(child<QPushButton>(w.get(), "cbPlay"), Qt::LeftButton);
  ASSERT_EQ(shown_.size(), 1);
  EXPECT_TRUE(shown_[0].startsWith(modMidiplay::kErrOpen));
  EXPECT_FALSE(w->isPlaying());
}

TEST_F(NoteviewTest, PlayUsesTheTempoFieldAndSelectsEachEvent) {
  auto w = open();
  QLineEdit* bpm = child<QLineEdit>(w.get(), "tfBPM");
  bpm->setText("0");
  child<QCheckBox>(w.get(), "chkVeloIgnore")->setChecked(true);
  child<QComboBox>(w.get(), "cboStyle")->setCurrentIndex(1);  // legato
  QTest::mouseClick(child<QPushButton>(w.get(), "cbPlay"), Qt::LeftButton);
  waitForPlayback(w.get());
  EXPECT_EQ(bpm->text(), "120");
  // A quarter (500 ms) and a 1/64 (31 ms) sound whole; the style change then makes the
  // eighth pause (250 ms) staccato, which sends nothing.
  std::vector<Msg> got = backend_->last->messages();
  ASSERT_EQ(got.size(), 5u);
  const int64_t t0 = got[1].timeUs;
  EXPECT_EQ(got[1], (Msg{t0, 144, 100, 127}));
  EXPECT_EQ(got[2], (Msg{t0 + 500'000, 128, 100, 127}));
  EXPECT_EQ(got[3], (Msg{t0 + 500'000, 144, 127, 127}));
  EXPECT_EQ(got[4], (Msg{t0 + 531'000, 128, 127, 127}));
  EXPECT_EQ(child<QLabel>(w.get(), "lbTime")->text(), "781|781");
  EXPECT_EQ(w->edit().selected(), 3);  // the last event played stays selected
  EXPECT_TRUE(child<QPushButton>(w.get(), "cbOk")->isEnabled());

  backend_->last->clear();
  bpm->setText("1500");
  QTest::mouseClick(child<QPushButton>(w.get(), "cbPlay"), Qt::LeftButton);
  waitForPlayback(w.get());
  EXPECT_EQ(bpm->text(), "999");
  EXPECT_EQ(player_->playMelody().bpm(), 999);
}

TEST_F(NoteviewTest, MidiSetupOpensTheChosenDeviceAndStoresIt) {
  auto w = open();
  QGroupBox* panel = child<QGroupBox>(w.get(), "fraMidiSetup");
  EXPECT_TRUE(panel->isHidden());
  QTest::mouseClick(child<QPushButton>(w.get(), "cbMidiSetup"), Qt::LeftButton);
  EXPECT_FALSE(panel->isHidden());
  EXPECT_FALSE(child<QPushButton>(w.get(), "cbStopPlay")->isEnabled());
  QComboBox* devices = child<QComboBox>(w.get(), "cboMidiOut");
  ASSERT_EQ(devices->count(), 3);
  EXPECT_EQ(devices->currentData().toInt(), -1);
  QTest::keyClick(devices, Qt::Key_Down);  // "Port A", device 0, opens at once
  EXPECT_EQ(backend_->lastId, 0);
  EXPECT_TRUE(player_->portOpen());
  EXPECT_FALSE(child<QPushButton>(w.get(), "cbPlay")->isEnabled());
  child<QComboBox>(w.get(), "cboInstrument")->setCurrentIndex(40);
  QTest::mouseClick(child<QPushButton>(w.get(), "cbMidiSetupOk"), Qt::LeftButton);
  EXPECT_TRUE(panel->isHidden());
  EXPECT_TRUE(child<QPushButton>(w.get(), "cbPlay")->isEnabled());
  EXPECT_TRUE(child<QPushButton>(w.get(), "cbStopPlay")->isEnabled());
  EXPECT_EQ(backend_->last->messages().back().status, 192);
  EXPECT_EQ(backend_->last->messages().back().data1, 40);
  EXPECT_EQ(settings_->instrument(), 40);
  EXPECT_EQ(settings_->outDevice(), 0);
  EXPECT_EQ(settings_->outDeviceName(), "Port A");
}

TEST_F(NoteviewTest, OpensWithTheFocusOnTheDisplaySoTheArrowsStepAtOnce) {
  auto w = open();
  w->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
  auto* display = w->findChild<NoteDisplay*>();
  ASSERT_NE(display, nullptr);
  EXPECT_EQ(QApplication::focusWidget(), display);
  w->pxvSelectAndShowNote(0);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
  EXPECT_EQ(w->edit().selected(), 1);
}

}  // namespace
