// The main window with the program's MIDI output: the note view opened on the main
// melody (OK is one undoable step, Cancel nothing) and the "play" action played into a
// recording output.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include "mainwindow/appstate.h"
#include "mainwindow/ui/frmmain.h"
#include "melody/rvmelodyapi.h"
#include "playback/ui/frmnoteview.h"
#include "playback/midiplayback.h"
#include "playback_fakes.h"
#include "languages/reslang.h"
#include "settings/tempfiles.h"

namespace {

QApplication* app() {
  static int argc = 1;
  static char name[] = "frmmain_playback_test";
  static char* argv[] = {name, nullptr};
  static QApplication* a = new QApplication(argc, argv);
  return a;
}

class FrmMainPlaybackTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    app();
    RvMelodyApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR));
    reslang::SetAppDirectory(QStringLiteral(PEALIX_BIN_DIR));
  }
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    pxSetTempDir(dir_.filePath(QStringLiteral("tmp")));
    FreeResModule();
    AppLanguages() = reslang();
    state_ = std::make_unique<AppState>();
    StartUp(*state_, {},
            std::make_unique<pxsettings::SettingsStore>(
                pxsettings::SettingsStore::atPath(dir_.filePath(QStringLiteral("Pealix.conf")))));
    auto timer = std::make_unique<pxtest::ManualTimer>();
    auto backend = std::make_unique<pxtest::RecordingBackend>(QStringList{"Synth"}, timer.get());
    devices_ = backend.get();
    state_->midi = std::make_shared<MidiPlayback>(std::move(backend), nullptr, std::move(timer));
    window_ = std::make_unique<frmMain>(*state_);
    window_->messageHook = [this](QMessageBox::Icon, const QString&, const QString& text,
                                  QMessageBox::StandardButtons) {
      messages_ << text;
      return QMessageBox::Ok;
    };
    window_->show();
    pxvbMelody& m = state_->document.melody();
    m.resize(0);
    m.addevent(4, 0, 1, 60, 100);
    m.addevent(128, 0, 1, 64, 100);
    window_->enableEditing();
  }
  void TearDown() override {
    window_->document().setModified(false);
    window_.reset();
    state_.reset();
    pxSetTempDir(QString());
    FreeResModule();
  }
  // Opens the note view with the window's command and runs `inside` on it while it is up.
  void withNoteView(const std::function<void(frmNoteview*)>& inside) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
      auto* view = qobject_cast<frmNoteview*>(QApplication::activeModalWidget());
      ASSERT_NE(view, nullptr);
      ran = true;
      inside(view);
      if (view->isVisible()) view->reject();
    });
    window_->command("mnuEditNoteView")->trigger();
    EXPECT_TRUE(ran);
  }
  static void press(frmNoteview* view, const char* key) {
    QAction* a = view->findChild<QAction*>(QLatin1String(key));
    ASSERT_NE(a, nullptr) << key;
    a->trigger();
  }

  QTemporaryDir dir_;
  std::unique_ptr<AppState> state_;
  std::unique_ptr<frmMain> window_;
  pxtest::RecordingBackend* devices_ = nullptr;
  QStringList messages_;
};

TEST_F(FrmMainPlaybackTest, NoteViewOkIsOneUndoableStep) {
  MelodyDocument& doc = state_->document;
  const int undoBefore = doc.undoCount();
  withNoteView([](frmNoteview* view) {
    press(view, "n8");  // the first note becomes an eighth
    QTest::mouseClick(view->findChild<QPushButton*>("cbOk"), Qt::LeftButton);
  });
  EXPECT_EQ(doc.melody().getSimpleLen(0), 8);
  EXPECT_EQ(doc.melody().getSimpleLen(1), 64);  // clamped by the view, written back
  EXPECT_EQ(doc.undoCount(), undoBefore + 1);
  EXPECT_TRUE(doc.isModified());
  window_->command("mnuEditUndo")->trigger();
  EXPECT_EQ(doc.melody().getSimpleLen(0), 4);
  EXPECT_EQ(doc.melody().getSimpleLen(1), 128);
  EXPECT_FALSE(state_->midi->player.portOpen());  // closed with the view
}

TEST_F(FrmMainPlaybackTest, NoteViewCancelChangesNothing) {
  MelodyDocument& doc = state_->document;
  const int undoBefore = doc.undoCount();
  withNoteView([](frmNoteview* view) {
    press(view, "del");
    QTest::mouseClick(view->findChild<QPushButton*>("cbCancel"), Qt::LeftButton);
  });
  EXPECT_EQ(doc.melody().size(), 2);
  EXPECT_EQ(doc.undoCount(), undoBefore);
  EXPECT_FALSE(doc.isModified());
}

TEST_F(FrmMainPlaybackTest, NoteViewPastesTheClipboardsEventsBeforeTheSelection) {
  ASSERT_EQ(state_->document.copyRows({1}).result, 1);  // the 1/128 note 64 as MIDI hex
  withNoteView([this](frmNoteview* view) {
    press(view, "paste");
    const pxvbMelody& m = view->edit().melody();
    ASSERT_EQ(m.size(), 3);
    EXPECT_EQ(m.getEventVal1(0), 64);
    EXPECT_EQ(m.getEventVal1(1), 60);
    EXPECT_LE(m.getSimpleLen(0), 64);  // within the view's limits

    // A clipboard without a melody: the library's message, nothing inserted.
    QApplication::clipboard()->setText(QStringLiteral("no melody here"));
    press(view, "paste");
    EXPECT_EQ(m.size(), 3);
    EXPECT_FALSE(messages_.isEmpty());
  });
  EXPECT_EQ(state_->document.melody().size(), 2);  // closed without OK
}

TEST_F(FrmMainPlaybackTest, PlayActionPlaysTheExportedFileOnTheOutput) {
  state_->settings.playAction = QStringLiteral("play");
  state_->store->write("MidiSetup", "Intrument", "12");
  window_->command("mnuPlayMidi")->trigger();
  state_->midi->player.WaitPlay();
  ASSERT_NE(devices_->last, nullptr);
  const auto got = devices_->last->messages();
  ASSERT_GE(got.size(), 5u) << messages_.join('|').toStdString();
  EXPECT_EQ(got[0].status, 192);
  EXPECT_EQ(got[0].data1, 12);
  std::vector<int> keys;
  for (const auto& m : got)
    if (m.status == 144) keys.push_back(m.data1);
  EXPECT_EQ(keys, (std::vector<int>{60, 64}));
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join('|').toStdString();

  // No device: the message says so and nothing plays.
  state_->midi->player.OpenMidiOut(-1, false, false);
  devices_->failOpen = true;
  devices_->last = nullptr;
  window_->command("mnuPlayMidi")->trigger();
  EXPECT_EQ(devices_->last, nullptr);
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_TRUE(messages_[0].startsWith(modMidiplay::kErrOpen));
}

}  // namespace
