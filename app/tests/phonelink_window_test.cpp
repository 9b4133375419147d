// The data-cable window driven like a user would, against the simulated phone: the kind
// of sending, the number box's filter, the SMS counter, Send, Stop, the clipboard and
// clock buttons, and the two flags it keeps in the settings.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "../../smslib/tests/pdu_decoder.h"
#include "languages/reslang.h"
#include "mainwindow/appstate.h"
#include "mainwindow/ui/frmmain.h"
#include "melody/pxvbmelody.h"
#include "melody/rvmelodyapi.h"
#include "melody/rvtonehead.h"
#include "phonelink/clcommprops.h"
#include "phonelink/clsmsprops.h"
#include "phonelink/rvsmsapi.h"
#include "phonelink/ui/frmdatacable.h"
#include "phonesim.h"
#include "settings/settingsstore.h"

namespace {

QApplication* app() {
  static int argc = 1;
  static char name[] = "phonelink_window_test";
  static char* argv[] = {name, nullptr};
  static QApplication* a = new QApplication(argc, argv);
  return a;
}

pdutest::Submit decode(const QByteArray& hex) {
  const QByteArray bytes = QByteArray::fromHex(hex);
  return pdutest::Decode(pdutest::Bytes(bytes.begin(), bytes.end()), true);
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app();
    reslang::SetAppDirectory(QStringLiteral(PEALIX_BIN_DIR));
    RvSmsApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR));
    RvMelodyApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR));
    ASSERT_TRUE(dir_.isValid());
    store_ = std::make_unique<pxsettings::SettingsStore>(
        pxsettings::SettingsStore::atPath(dir_.filePath("Pealix.conf")));
    ASSERT_TRUE(sim_.start());
    comm_.setPortPath(sim_.devicePath());
    comm_.setBaud("19200");
  }
  void open() {
    window_ = std::make_unique<frmDataCable>(melody_, comm_, sms_, *store_);
    window_->session().setTimeScale(0.1);
    window_->setMessageBox(
        [this](QMessageBox::Icon, const QString& text, QMessageBox::StandardButtons buttons) {
          messages_ << text;
          return buttons.testFlag(QMessageBox::Ok) ? answer_ : QMessageBox::Ok;
        });
    window_->show();
  }
  void loadMelody() {
    rvTonehead::Request request = {1, 7, 0, 0, 255, 0};
    ASSERT_EQ(rvTonehead::ReadMelo(melody_, request,
                                   QStringLiteral(PEALIX_SOURCE_DIR "/examples/Twinkle.rtx"), true)
                  .result,
              1);
  }
  template <typename T>
  T* child(const char* name) {
    T* w = window_->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  void click(const char* name) { child<QAbstractButton>(name)->click(); }
  // The box shows the session's text once the event loop has turned.
  QString status() {
    QApplication::processEvents();
    return child<QPlainTextEdit>("tfStatus")->toPlainText();
  }

  QTemporaryDir dir_;
  std::unique_ptr<pxsettings::SettingsStore> store_;
  phonesim::PhoneSim sim_;
  pxvbMelody melody_;
  clCommProps comm_;
  clSMSProps sms_;
  std::unique_ptr<frmDataCable> window_;
  QStringList messages_;
  QMessageBox::StandardButton answer_ = QMessageBox::Ok;
};

TEST_F(WindowTest, KindOfSendingSetsModeCaptionAndTab) {
  open();
  auto* tabs = child<QTabWidget>("tbsWindow");
  auto* send = child<QPushButton>("cbSend");
  EXPECT_EQ(window_->SendMode(), 1);
  click("optSend_1");
  EXPECT_EQ(window_->SendMode(), 2);
  EXPECT_EQ(tabs->currentIndex(), 1);
  EXPECT_EQ(send->text(), GetResString(402));
  click("optSend_2");
  EXPECT_EQ(window_->SendMode(), 3);
  EXPECT_EQ(tabs->currentIndex(), 0);
  EXPECT_EQ(send->text(), GetResString(462));
  click("optSend_0");
  click("optRingTypes_2");
  EXPECT_EQ(window_->SendMode(), 7);
  EXPECT_EQ(child<QStatusBar>("sbStatus")->currentMessage(), "EMS iMelody - all phones");
  click("optRingTypes_3");
  EXPECT_EQ(window_->SendMode(), 8);
  EXPECT_EQ(child<QStatusBar>("sbStatus")->currentMessage(),
            "Siemens - only direct via data cable");
  click("optRingTypes_1");
  EXPECT_EQ(window_->SendMode(), 4);
  EXPECT_TRUE(child<QStatusBar>("sbStatus")->currentMessage().contains("Nokia"));
  // Back to the ringtone after another kind keeps the chosen ringtone kind.
  click("optSend_1");
  click("optSend_0");
  EXPECT_EQ(window_->SendMode(), 4);
  EXPECT_EQ(send->text(), GetResString(401));
}

TEST_F(WindowTest, NumberBoxFilterPasteAndPlusRule) {
  open();
  auto* number = child<QLineEdit>("tfTelNumber");
  auto* international = child<QCheckBox>("chbNoType");
  international->setChecked(false);
  QTest::keyClicks(number, "0171 (12)a-3/4.x");
  EXPECT_EQ(number->text(), "0171 (12)-3/4");
  EXPECT_FALSE(international->isChecked());
  // "+" ticks the box only into an empty or wholly selected box.
  QTest::keyClicks(number, "+");
  EXPECT_FALSE(international->isChecked());
  number->selectAll();
  QTest::keyClicks(number, "+");
  EXPECT_TRUE(international->isChecked());
  EXPECT_EQ(number->text(), "+");
  // Pasting keeps the number's characters and ticks the box for a leading "+".
  international->setChecked(false);
  number->clear();
  QApplication::clipboard()->setText("+49 abc 171-55");
  QTest::keySequence(number, QKeySequence::Paste);
  EXPECT_EQ(number->text(), "+49  171-55");
  EXPECT_TRUE(international->isChecked());
  EXPECT_FALSE(window_->PasteFlag());
}

TEST_F(WindowTest, CharactersLeftFollowTheOutgoingTextType) {
  open();
  auto* text = child<QPlainTextEdit>("tfSMSText");
  auto* left = child<QLineEdit>("tfCharsLeft");
  EXPECT_EQ(left->text(), "160 / 1");
  QTest::keyClicks(text, "hello");
  EXPECT_EQ(left->text(), "155 / 1");
  // The euro sign takes two septets, as on a phone.
  text->insertPlainText(QString::fromUtf8("\u20AC"));
  EXPECT_EQ(left->text(), "153 / 1");
  // A character outside the GSM alphabet: the whole text counts in UCS2, and the status
  // bar says why.
  text->insertPlainText(QString::fromUtf8("\u65E5"));
  EXPECT_EQ(left->text(), "63 / 1");
  EXPECT_FALSE(child<QStatusBar>("sbStatus")->currentMessage().isEmpty());
  text->setPlainText(QString(161, 'a'));
  EXPECT_EQ(left->text(), "145 / 2");
  sms_.setTextOutType(2);
  text->setPlainText("hello!");
  EXPECT_EQ(left->text(), "64 / 1");
  sms_.setTextOutType(1);
  QTest::keyClicks(text, "!");
  EXPECT_EQ(left->text(), "133 / 1");
}

TEST_F(WindowTest, SendTextSmsAndRingtoneThroughTheWindow) {
  loadMelody();
  open();
  click("optSend_1");
  QTest::keyClicks(child<QLineEdit>("tfTelNumber"), "+4917155");
  EXPECT_TRUE(child<QCheckBox>("chbNoType")->isChecked());
  child<QCheckBox>("chbFlashSMS")->setChecked(true);
  child<QRadioButton>("optSendSave_1")->setChecked(true);
  QTest::keyClicks(child<QPlainTextEdit>("tfSMSText"), "Hi there");
  click("cbSend");
  ASSERT_EQ(sim_.sentMessages().size(), 1) << status().toStdString();
  pdutest::Submit m = decode(sim_.sentMessages()[0]);
  EXPECT_EQ(m.da, "4917155");
  EXPECT_EQ(m.daToa, 0x91);
  EXPECT_EQ(m.msgClass, 0);
  EXPECT_EQ(QString::fromStdU16String(m.text), "Hi there");
  EXPECT_EQ(child<QTabWidget>("tbsWindow")->currentIndex(), 0);
  EXPECT_TRUE(status().endsWith(GetResString(454) + ": OK"));
  EXPECT_TRUE(child<QPushButton>("cbSend")->isEnabled());
  EXPECT_FALSE(child<QPushButton>("cbStop")->isEnabled());

  click("optSend_0");
  click("optRingTypes_1");
  child<QRadioButton>("optSendSave_0")->setChecked(true);
  click("cbSend");
  ASSERT_EQ(sim_.storedMessages().size(), 1) << status().toStdString();
  m = decode(sim_.storedMessages()[0]);
  EXPECT_EQ(m.dcs, 0xF5);
  EXPECT_EQ(m.udhi, 1);
}

TEST_F(WindowTest, KeyPressesAskFirstSiemensAndClock) {
  loadMelody();
  open();
  click("optSend_2");
  answer_ = QMessageBox::Cancel;
  click("cbSend");
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_TRUE(messages_[0].startsWith(GetResString(869)));
  EXPECT_TRUE(sim_.keys().isEmpty());
  answer_ = QMessageBox::Ok;
  click("cbSend");
  EXPECT_FALSE(sim_.keys().isEmpty()) << status().toStdString();

  click("optSend_0");
  click("optRingTypes_3");
  click("cbSend");
  EXPECT_FALSE(sim_.blocks().isEmpty()) << status().toStdString();
  EXPECT_TRUE(sim_.blocks()[0].startsWith("4D546864"));

  click("cbSyncTime");
  EXPECT_TRUE(sim_.commands().last().startsWith("at+cclk=\""));
}

TEST_F(WindowTest, StopWhileRunningAndEmptyMelody) {
  open();
  // No melody: the ringtone is not sent.
  click("cbSend");
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_EQ(messages_[0], GetResString(461));
  EXPECT_TRUE(sim_.commands().isEmpty());

  loadMelody();
  // (The message is built before the port is opened, so it needs its number.)
  QTest::keyClicks(child<QLineEdit>("tfTelNumber"), "12345");
  sim_.addRule(phonesim::Rule{"AT+CMGF=0", phonesim::Fault::Silent, {}, 0});
  bool sendDisabled = false;
  QObject::connect(&sim_, &phonesim::PhoneSim::commandReceived, window_.get(),
                   [&](const QByteArray& line) {
                     if (line != "AT+CMGF=0") return;
                     sendDisabled = !child<QPushButton>("cbSend")->isEnabled();
                     QTimer::singleShot(5, [&] { click("cbStop"); });
                   });
  click("cbSend");
  EXPECT_TRUE(sendDisabled);
  EXPECT_TRUE(status().contains(GetResString(459)));
  EXPECT_TRUE(child<QPushButton>("cbSend")->isEnabled());

  // Closing the window while a session runs stops it; the window goes when it has ended.
  phonesim::PhoneSim sim;
  ASSERT_TRUE(sim.start());
  comm_.setPortPath(sim.devicePath());
  window_->findChild<QComboBox*>("cboPort")->setEditText(sim.devicePath());
  sim.addRule(phonesim::Rule{"AT", phonesim::Fault::Silent, {}, 0});
  bool closedEarly = true;
  QObject::connect(&sim, &phonesim::PhoneSim::commandReceived, window_.get(), [&] {
    window_->close();
    closedEarly = !window_->isVisible();
  });
  click("cbSend");
  EXPECT_FALSE(closedEarly);
  QApplication::processEvents();
  EXPECT_FALSE(window_->isVisible());
  EXPECT_TRUE(status().contains(GetResString(459)));
}

TEST_F(WindowTest, StoringAsksForTheNumberAGonePortKeepsTheTypedOneAndNoticesWrap) {
  loadMelody();
  open();
  click("optRingTypes_1");
  child<QRadioButton>("optSendSave_0")->setChecked(true);
  click("cbSend");
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_EQ(messages_[0], GetResString(2521));
  EXPECT_TRUE(sim_.commands().isEmpty());

  // A port that cannot be opened: the field keeps what the user typed.
  QTest::keyClicks(child<QLineEdit>("tfTelNumber"), "12345");
  auto* port = child<QComboBox>("cboPort");
  const QString gone = dir_.filePath("ttyGone");
  port->setEditText(gone);
  click("cbSend");
  EXPECT_GE(messages_.size(), 2);
  EXPECT_EQ(port->currentText(), gone);

  // The UCS2 notice is shown in a line that wraps.
  click("optSend_1");
  child<QPlainTextEdit>("tfSMSText")->insertPlainText(QString::fromUtf8("\u65E5"));
  auto* line = child<QLabel>("lbStatusLine");
  EXPECT_TRUE(line->wordWrap());
  EXPECT_EQ(line->text(), child<QStatusBar>("sbStatus")->currentMessage());
  EXPECT_FALSE(line->text().isEmpty());
}

TEST_F(WindowTest, ClipboardButtonAndStoredFlags) {
  loadMelody();
  store_->setFlag(pxsettings::Key::SendSMS, true);
  store_->setFlag(pxsettings::Key::IntNumbers, true);
  open();
  EXPECT_TRUE(child<QRadioButton>("optSendSave_1")->isChecked());
  EXPECT_TRUE(child<QCheckBox>("chbNoType")->isChecked());
  QTest::keyClicks(child<QLineEdit>("tfTelNumber"), "12345");

  QApplication::clipboard()->clear();
  click("optRingTypes_1");
  click("cbHex");
  const pdutest::Submit m = decode(QApplication::clipboard()->text().toLatin1());
  EXPECT_EQ(m.error, "");
  EXPECT_EQ(m.dcs, 0xF5);
  EXPECT_EQ(m.da, "12345");
  EXPECT_TRUE(sim_.commands().isEmpty());  // the port is not used
  click("optRingTypes_2");
  click("cbHex");
  EXPECT_EQ(child<QStatusBar>("sbStatus")->currentMessage(), "  clipboard export not supported");

  child<QRadioButton>("optSendSave_0")->setChecked(true);
  child<QCheckBox>("chbNoType")->setChecked(false);
  click("cbtoMain");
  EXPECT_FALSE(window_->isVisible());
  EXPECT_FALSE(store_->sendSMS());
  EXPECT_FALSE(store_->intNumbers());
}

// The main window's send-by-cable command opens the window on the program's melody and
// properties, once.
TEST(MainWindowCableTest, CommandOpensOneDataCableWindow) {
  app();
  reslang::SetAppDirectory(QStringLiteral(PEALIX_BIN_DIR));
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  AppState state;
  StartUp(state, {},
          std::make_unique<pxsettings::SettingsStore>(
              pxsettings::SettingsStore::atPath(dir.filePath("Pealix.conf"))));
  frmMain main(state);
  main.show();
  QAction* command = main.command("mnuExtrasDataCable");
  ASSERT_NE(command, nullptr);
  EXPECT_TRUE(command->isEnabled());
  EXPECT_FALSE(command->shortcut().isEmpty());
  command->trigger();
  command->trigger();
  const QList<frmDataCable*> windows = main.findChildren<frmDataCable*>();
  ASSERT_EQ(windows.size(), 1);
  EXPECT_TRUE(windows[0]->isVisible());
  EXPECT_EQ(windows[0]->windowTitle(), GetResString(1100));
  windows[0]->close();
  main.document().setModified(false);
}

}  // namespace
