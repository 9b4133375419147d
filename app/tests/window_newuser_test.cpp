// The main window as a new user meets it: a melody that is only part of its file (events
// left out, one tune of several) is never saved over the file without asking, Save As
// asks before replacing a file it added the extension to, and Open reads a file in the
// format it is in, naming that format when it cannot.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "cli_process.h"
#include "document/eventlistmodel.h"
#include "eventeditor/ui/frmnewevent.h"
#include "files/filecommands.h"
#include "files/filedetect.h"
#include "files/filetables.h"
#include "languages/reslang.h"
#include "mainwindow/ui/frmmain.h"
#include "melody/rvmelodyapi.h"
#include "phonelink/clcommprops.h"
#include "phonelink/clsmsprops.h"
#include "phonelink/commport.h"
#include "phonelink/portchoice.h"
#include "phonelink/rvsmsapi.h"
#include "phonelink/ui/frmdatacable.h"
#include "playback/modmidiplay.h"
#include "playback/noteviewedit.h"
#include "playback/ui/frmnoteview.h"
#include "playback_fakes.h"
#include "settings/windowplacement.h"
#include "support/mainwindow_fixture.h"

namespace {

class NewUserTest : public pxtest::MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    window_->tuneChooser = [this](const QStringList& names) {
      offeredTunes_ = names;
      return tune_;
    };
  }
  QStringList offeredTunes_;
  int tune_ = 0;
};

TEST_F(NewUserTest, ACutMelodyIsMarkedChangedAndSaveAsksBeforeOverwriting) {
  QByteArray text = "Long:d=16,o=5,b=200:";
  for (int i = 0; i < 400; ++i) text += i ? ",c" : "c";
  const QString path = writeFile("long.rtx", text);
  openVia(path);
  ASSERT_EQ(melody().size(), AppState::kMaxEvents + 10);
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_TRUE(messages_[0].contains(GetResString(2500).arg(400).arg(311).arg(89)))
      << messages_[0].toStdString();
  EXPECT_TRUE(window_->document().isModified());
  EXPECT_TRUE(window_->windowTitle().startsWith("long.rtx*"));

  // Ctrl+S asks; Cancel writes nothing, No goes to Save As (cancelled there), Yes writes.
  window_->show();
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  messages_.clear();
  answers_ = {QMessageBox::Cancel};
  QTest::keyClick(window_.get(), Qt::Key_S, Qt::ControlModifier);
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_TRUE(messages_[0].contains("long.rtx")) << messages_[0].toStdString();
  EXPECT_EQ(readFile(path), text);
  answers_ = {QMessageBox::No};
  nextPath_.clear();
  trigger("mnuFileSave");
  EXPECT_EQ(readFile(path), text);
  answers_ = {QMessageBox::Yes};
  trigger("mnuFileSave");
  EXPECT_NE(readFile(path), text);
  EXPECT_FALSE(window_->document().isModified());
  // Written over, the file is the melody: the next save asks nothing.
  messages_.clear();
  trigger("mnuFileSave");
  EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(NewUserTest, AnRtttlCollectionOffersItsTunesAndReadsTheChosenOneWhole) {
  const QByteArray text =
      "One:d=4,o=5,b=100:c,d,e\n"
      "Two:d=8,o=6,b=140:g,a,b,c7\r\n"
      "\n"
      "Three:d=4,o=5,b=63:p,c\n";
  const QString path = writeFile("many.txt", text);
  tune_ = 1;
  openVia(path);
  EXPECT_EQ(offeredTunes_, QStringList({"One", "Two", "Three"}));
  ASSERT_EQ(melody().size(), 4);  // the last note is kept
  EXPECT_EQ(melody().getEventVal1(3), 96);
  EXPECT_EQ(melody().bpm(), 140);
  EXPECT_EQ(melody().sName(), QStringLiteral("Two"));
  EXPECT_EQ(window_->statusText(), GetResString(2503).arg(3).arg(2).arg("Two"));

  // Saving over the collection asks; No answers, no tune is lost.
  answers_ = {QMessageBox::Cancel};
  trigger("mnuFileSave");
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_TRUE(messages_[0].contains(GetResString(2504).arg(3)));
  EXPECT_EQ(readFile(path), text);

  // Cancelling the choice keeps the melody; without a chooser the first tune is read.
  tune_ = -1;
  openVia(path);
  EXPECT_EQ(melody().sName(), QStringLiteral("Two"));
  pxvbMelody first;
  const filecmd::Result r = filecmd::OpenMelodyFile(first, path, filetables::kTypeRtttl, {},
                                                    [](int n) { return GetResString(n); });
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.tuneCount, 3);
  EXPECT_EQ(first.size(), 3);
}

TEST_F(NewUserTest, SaveAsAsksBeforeReplacingAFileItAddedTheExtensionTo) {
  trigger("mnuFileNew");
  const QString existing = writeFile("t_imelody.imy", "keep");
  nextPath_ = dir_.filePath("t_imelody");
  nextFilter_ = QStringLiteral("iMelody (*.imy)");
  // No goes back to the dialog, which is cancelled the second time.
  int shown = 0;
  const auto seam = window_->saveFileDialog;
  window_->saveFileDialog = [&](const QString& title, const QString& dir, const QString& filters,
                                QString* filter) {
    return ++shown == 1 ? seam(title, dir, filters, filter) : QString();
  };
  answers_ = {QMessageBox::No};
  trigger("mnuFileSaveAs");
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_EQ(shown, 2);
  EXPECT_TRUE(messages_[0].contains("t_imelody.imy"));
  EXPECT_EQ(readFile(existing), "keep");
  window_->saveFileDialog = seam;
  answers_ = {QMessageBox::Yes};
  trigger("mnuFileSaveAs");
  EXPECT_TRUE(readFile(existing).startsWith("BEGIN:IMELODY"));
}

TEST_F(NewUserTest, TheOpenDialogListsBlankSeparatedPatternsWithCatchAllFilters) {
  openVia(QString());
  const QStringList filters = offeredFilters_.split(";;");
  ASSERT_GE(filters.size(), 7);
  EXPECT_EQ(filters.first(),
            GetResString(2510) + " (*.txt *.rtx *.mid *.midi *.srt *.ota *.ott *.rng *.imy *.fmf)");
  EXPECT_EQ(filters[1], GetResString(2812) + " (*.txt *.rtx)");
  EXPECT_EQ(filters[2], GetResString(2813) + " (*.mid *.midi)");
  EXPECT_EQ(filters.last(), GetResString(2511) + " (*)");
  for (const QString& f : filters) EXPECT_FALSE(f.contains(';')) << f.toStdString();
  EXPECT_EQ(filecmd::OpenFilterIndex(filters[2], [](int id) { return GetResString(id); }), 2);
  EXPECT_EQ(filecmd::SaveFilterIndex(QStringLiteral("Midi (*.mid *.midi)")), 4);
}

TEST_F(NewUserTest, OpenReadsTheFormatTheFileIsInAndNamesItWhenItCannot) {
  const QByteArray track = QByteArray::fromHex("00903C6460803C0000FF2F00");
  QByteArray midi = QByteArray::fromHex("4D546864000000060000000100604D54726B");
  midi.append(char(0)).append(char(0)).append(char(0)).append(char(track.size()));
  // An RTTTL file under the MIDI filter, a MIDI file named .rtx under RTTTL.
  openVia(writeFile("song.rtx", "Song:d=4,o=5,b=100:c,e"), "Midi (*.mid *.midi)");
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();
  EXPECT_EQ(melody().size(), 2);
  EXPECT_EQ(window_->document().fileFormat(), 7);
  openVia(writeFile("midi.rtx", midi + track), "RTTTL/Nokring (*.txt *.rtx)");
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();
  EXPECT_EQ(window_->document().fileFormat(), 10);
  EXPECT_EQ(melody().getEventVal1(0), 60);

  // Random bytes named .mid and an empty .rtx: the real format and the problem, never
  // "Sagem", and the melody stays.
  openVia(writeFile("noise.mid", QByteArray(300, '\x7f')));
  openVia(writeFile("empty.rtx", QByteArray()));
  openVia(writeFile("notes.xyz", "just words"), GetResString(2511) + " (*)");
  ASSERT_EQ(messages_.size(), 3);
  EXPECT_TRUE(messages_[0].contains(GetResString(2501) + " - " + GetResString(842)));
  EXPECT_TRUE(messages_[0].contains(GetResString(2506)));
  EXPECT_TRUE(messages_[1].contains(GetResString(850) + " - "));
  EXPECT_TRUE(messages_[1].contains(GetResString(2505)));
  EXPECT_TRUE(messages_[2].contains(GetResString(2507)));
  for (const QString& m : messages_) EXPECT_FALSE(m.contains(GetResString(846))) << m.toStdString();
  EXPECT_EQ(window_->document().fileFormat(), 10);

  // A failed RTTTL read names RTTTL too.
  messages_.clear();
  openVia(writeFile("broken.rtx", "Broken:d=4,o=5,b=100:"));
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_TRUE(messages_[0].contains(GetResString(850) + " - ")) << messages_[0].toStdString();
}

TEST(FileDetect, ContentDecidesAndCollectionsSplitIntoTunes) {
  using namespace filetables;
  EXPECT_EQ(filedetect::DetectFileType("MThd\0\0\0\6", 8, kTypeRtttl).fileType, kTypeMidi);
  EXPECT_EQ(filedetect::DetectFileType("$MUS$1.0$\nTitre:x", 20, kTypeRtttl).fileType, kTypeSagem);
  EXPECT_EQ(filedetect::DetectFileType("\xEF\xBB\xBF"
                                       "begin:imelody\r\n",
                                       30, kTypeNone)
                .fileType,
            kTypeImelody);
  EXPECT_EQ(filedetect::DetectFileType("x:d=4:c", 7, kTypeSagem).fileType, kTypeRtttl);
  // Its "Key: value" lines joined would pass for a tune.
  EXPECT_EQ(filedetect::DetectFileType("Filetype: Flipper Music Format\nVersion: 0\nBPM: 120\n"
                                       "Duration: 4\nOctave: 5\nNotes: C, D",
                                       80, kTypeRtttl)
                .fileType,
            kTypeFlipper);
  EXPECT_EQ(filedetect::DetectFileType("x", 1, kTypeMidi).problemRes, filedetect::kResNotMidi);
  EXPECT_EQ(filedetect::DetectFileType("", 0, kTypeRtttl).problemRes, filedetect::kResEmpty);
  EXPECT_EQ(filedetect::DetectFileType("\x02\x4a", 2, kTypeNokia).fileType, kTypeNokia);
  EXPECT_EQ(filedetect::DetectFileType("hello", 5, kTypeNone).problemRes,
            filedetect::kResNotRecognised);

  const auto tunes = filedetect::SplitRtttlTunes("A:d=4:c,\n d\nB:b=90:e\n\nnot a tune first?\n");
  ASSERT_EQ(tunes.size(), 2);
  EXPECT_EQ(tunes[0].text, QByteArray("A:d=4:c,d"));
  EXPECT_EQ(tunes[1].name, QStringLiteral("B"));
  EXPECT_TRUE(filedetect::SplitRtttlTunes("only words\n").isEmpty());
}

TEST_F(NewUserTest, TheEventEditorOpensCentredAndEnterChangesInEditMode) {
  window_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  // Add event works on an empty start and starts the melody.
  trigger("mnuEditAddEvent");
  frmNewEvent* editor = window_->eventEditor();
  ASSERT_NE(editor, nullptr);
  // Centred on the main window as far as the screen allows, not at the old 1000,1000.
  QList<QRect> screens;
  for (const QScreen* s : QGuiApplication::screens()) screens << s->availableGeometry();
  EXPECT_EQ(editor->pos(), windowplacement::ToolWindowRect(std::nullopt, editor->size(),
                                                           window_->frameGeometry(), screens)
                               .topLeft());
  editor->findChild<QPushButton*>("cbenvAdd")->click();
  ASSERT_EQ(melody().size(), 1);
  EXPECT_TRUE(window_->command("mnuEditNotesHigher")->isEnabled());
  EXPECT_TRUE(editor->findChild<QPushButton*>("cbenvAdd")->isDefault());

  // Edit mode: Change is the default button, so Enter writes over the edited event.
  editor->openForEdit(0);
  EXPECT_EQ(editor->windowTitle(), QStringLiteral("Edit Event No.1"));
  EXPECT_TRUE(editor->findChild<QPushButton*>("cbfnevChange")->isDefault());
  EXPECT_FALSE(editor->findChild<QPushButton*>("cbenvAdd")->isDefault());
  auto* velocity = editor->findChild<QLineEdit*>("tfENVelocity");
  velocity->setText(QStringLiteral("50"));
  QTest::keyClick(velocity, Qt::Key_Return);
  ASSERT_EQ(melody().size(), 1);
  EXPECT_EQ(melody().getEventVal2(0), 50);
  editor->close();
}

TEST(WindowPlacement, WindowsStayOnScreenAndFitAScaledScreen) {
  using namespace windowplacement;
  const QList<QRect> screens = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
  // The old default place 1000,1000 is pulled back onto the screen.
  EXPECT_EQ(KeepOnScreen(QRect(1000, 1000, 500, 400), screens), QRect(1000, 680, 500, 400));
  // A place on a screen that is gone lands on one that is there.
  EXPECT_EQ(KeepOnScreen(QRect(4000, 50, 300, 200), screens).topLeft(), QPoint(1620, 50));
  EXPECT_EQ(KeepOnScreen(QRect(3100, 900, 300, 200), screens).topLeft(), QPoint(2900, 824));
  EXPECT_EQ(ToolWindowRect(std::nullopt, QSize(200, 100), QRect(100, 100, 800, 600), screens),
            QRect(400, 350, 200, 100));
  // 1366x768 at a scale of 1.5 is 910x512 scaled pixels.
  EXPECT_EQ(FitScreen(QSize(860, 640), QRect(0, 0, 910, 512)), QSize(819, 460));
  EXPECT_EQ(FitScreen(QSize(860, 640), QRect(0, 0, 1920, 1080)), QSize(860, 640));
  EXPECT_EQ(ParseGeometry(GeometryText(QRect(-5, 7, 300, 200))), QRect(-5, 7, 300, 200));
  EXPECT_FALSE(ParseGeometry(QStringLiteral("1,2,0,4")));
  EXPECT_FALSE(ParseGeometry(QStringLiteral("garbled")));
}

TEST_F(NewUserTest, TheMainWindowRemembersItsPlace) {
  window_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  const QSize size = window_->minimumSizeHint().expandedTo(QSize(620, 500));
  window_->setGeometry(QRect(QPoint(12, 8), size));
  window_->close();
  auto second = std::make_unique<frmMain>(*state_);
  EXPECT_EQ(second->geometry().size(), size);
  EXPECT_EQ(second->geometry().topLeft(), QPoint(12, 8));
}

TEST_F(NewUserTest, NoteNamesAreTheWindowsEverywhere) {
  EXPECT_EQ(eventrows::NoteName(76), QStringLiteral("E6"));  // RTTTL o=5 e
  EXPECT_EQ(eventrows::NoteName(60), QStringLiteral("C5"));
  EXPECT_EQ(eventrows::NoteName(-1), QStringLiteral("B-1"));
  openVia(writeFile("e.rtx", "E:d=4,o=5,b=100:e"));
  EXPECT_EQ(window_->findChild<QTableView*>("liwNoten")->model()->index(0, 2).data().toString(),
            QStringLiteral("E6"));
  // pealix-cli info writes the same name.
  const QString cli = QStringLiteral(PEALIX_BIN_DIR "/pealix-cli");
  if (QFileInfo(cli).isExecutable()) {
    const ProcessRun run = runProcess(cli, {"info", dir_.filePath("e.rtx")}, dir_.path());
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(run.output.contains("note E6 (key 76")) << run.output.toStdString();
  }
  // The warnings column names the ranges by notes, not key numbers.
  const QString warning = eventrows::WarningText(90, [](int n) { return GetResString(n); });
  EXPECT_TRUE(warning.contains(QStringLiteral("C5-B6"))) << warning.toStdString();
  EXPECT_FALSE(warning.contains(QStringLiteral("60-83")));
}

TEST_F(NewUserTest, WholeMelodyCommandsSaySoWhenRowsAreSelected) {
  openVia(writeFile("four.rtx", "F:d=4,o=5,b=100:c,d,e,f"));
  auto* list = window_->findChild<QTableView*>("liwNoten");
  list->selectRow(1);
  trigger("mnuEditNotesHigher");
  EXPECT_EQ(melody().getEventVal1(0), 73);  // every note, as the command is meant
  EXPECT_EQ(window_->statusText(), GetResString(2513));
  list->clearSelection();
  trigger("mnuEditNotesHigher");
  EXPECT_TRUE(window_->statusText().isEmpty());
}

TEST_F(NewUserTest, SavingSaysWhatTheWriterChangedAndIMelodyKeepsItsTempo) {
  trigger("mnuFileNew");
  melody().setsName(QStringLiteral("Birthday Song"));
  window_->refresh();
  nextPath_ = dir_.filePath("song.rtx");
  nextFilter_ = QStringLiteral("RTTTL/Nokring (*.rtx *.txt)");
  trigger("mnuFileSaveAs");
  EXPECT_TRUE(window_->statusText().contains(GetResString(2515).arg(125).arg(120)))
      << window_->statusText().toStdString();
  EXPECT_TRUE(window_->statusText().contains(GetResString(2516).arg("Birthday")))
      << window_->statusText().toStdString();

  melody().setbpm(112);
  window_->refresh();
  nextPath_ = dir_.filePath("song.imy");
  nextFilter_ = QStringLiteral("iMelody (*.imy)");
  trigger("mnuFileSaveAs");
  EXPECT_TRUE(readFile(nextPath_).contains("BEAT:112"));
  EXPECT_EQ(window_->statusText(), GetResString(2822).arg("song.imy", "song.rtx"));
  openVia(nextPath_);
  EXPECT_EQ(melody().bpm(), 112);

  // The optimised Sagem SMS holds one message: the status says how much of the melody.
  melody().resize(0);
  for (int i = 0; i < 100; ++i) melody().addevent(8, 0, 1, 72, 100);
  window_->refresh();
  nextPath_ = dir_.filePath("long.srt");
  nextFilter_ = QStringLiteral("Sagem SMS opti. (*.srt)");
  trigger("mnuFileSaveAs");
  EXPECT_TRUE(window_->statusText().contains(GetResString(2522).arg(61).arg(100)))
      << window_->statusText().toStdString();
  nextPath_ = dir_.filePath("long.ota");
  nextFilter_ = QStringLiteral("Nokia SMS (*.ota;*.txt)");
  trigger("mnuFileSaveAs");
  EXPECT_TRUE(window_->statusText().contains(GetResString(2522).arg(82).arg(100)))
      << window_->statusText().toStdString();
}

TEST_F(NewUserTest, HelpAboutQuitAndTheSagemImport) {
  QStringList opened;
  window_->openWithDesktop = [&](const QString& path) {
    opened << path;
    return false;  // no program for text files
  };
  trigger("mnuHelpReadme");  // F1
  ASSERT_EQ(messages_.size(), 1);
  if (opened.isEmpty())  // no read-me next to the test program: that is said instead
    EXPECT_TRUE(messages_[0].contains(GetResString(817)));
  else
    EXPECT_TRUE(messages_[0].contains(GetResString(2517).arg(opened[0])));
  messages_.clear();
  QCoreApplication::setApplicationVersion(QStringLiteral("9.8.7"));
  trigger("mnuHelpAbout");
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_TRUE(messages_[0].contains(GetResString(2518).arg("9.8.7")));

  // The question on quitting a changed melody is not titled "New melody".
  trigger("mnuFileNew");
  trigger("mnuEditNotesHigher");
  messages_.clear();
  answers_ = {QMessageBox::Cancel};
  window_->close();
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_TRUE(messages_[0].startsWith(GetResString(2519) + "|"));

  // The Sagem import opens a Sagem file.
  answers_ = {QMessageBox::No};
  nextPath_ = writeFile("s.srt", "$MUS$1.0$\nTitre:S\nData:2-385-100\n'6'9");
  trigger("mnuFileImportSagem");
  EXPECT_EQ(window_->document().fileFormat(), 2);
  EXPECT_EQ(melody().size(), 2);
}

class NoteviewOpenTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    pxtest::WindowApplication();
    RvMelodyApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR));
    reslang::SetAppDirectory(QStringLiteral(PEALIX_BIN_DIR));
  }
  void SetUp() override {
    store_ = std::make_unique<pxsettings::SettingsStore>(
        pxsettings::SettingsStore::atPath(dir_.filePath("Pealix.conf")));
    auto timer = std::make_unique<pxtest::ManualTimer>();
    backend_ = std::make_unique<pxtest::RecordingBackend>(QStringList{"Synth"}, timer.get());
    player_ = std::make_unique<modMidiplay>(
        *backend_, [this](const QString& t) { shown_ << t; }, std::move(timer));
    for (int key : {60, 64, 67, 72}) melody_.addevent(4, 0, 1, key, 100);
  }
  QTemporaryDir dir_;
  std::unique_ptr<pxsettings::SettingsStore> store_;
  std::unique_ptr<pxtest::RecordingBackend> backend_;
  std::unique_ptr<modMidiplay> player_;
  pxvbMelody melody_;
  QStringList shown_;
};

TEST_F(NoteviewOpenTest, OpensAtTheMelodyScrollsWithTheWheelAndStaysQuiet) {
  backend_->failOpen = true;
  frmNoteview view(melody_, *player_, *store_);
  view.setMessageHook([this](const QString&, const QString& text) { shown_ << text; });
  view.show();
  view.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
  EXPECT_TRUE(shown_.isEmpty()) << shown_.join("\n").toStdString();  // no sound asked for

  auto* scroll = view.findChild<QScrollBar*>("vscNote");
  const int octave = NoteviewEdit::kMaxOctave - scroll->value();
  int low, high;
  NoteviewEdit::visibleRange(octave, low, high);
  EXPECT_LE(low, 60);
  EXPECT_GE(high, 72);

  QWidget* display = view.findChild<QWidget*>("pbNotes");
  ASSERT_NE(display, nullptr);
  const QPoint at = display->rect().center();
  QWheelEvent up(at, display->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                 Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(display, &up);
  EXPECT_EQ(scroll->value(), NoteviewEdit::kMaxOctave - octave - 1);

  // Ctrl+Up raises the selected note.
  view.pxvSelectAndShowNote(1);
  QTest::keyClick(&view, Qt::Key_Up, Qt::ControlModifier);
  EXPECT_EQ(view.edit().melody().getEventVal1(1), 65);
  display->setFocus();
  QTest::keyClick(display, Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ(view.edit().melody().getEventVal1(1), 64);
  // Play says why there is no sound.
  view.findChild<QPushButton*>("cbPlay")->click();
  EXPECT_EQ(shown_.size(), 1);
}

TEST(DataCableWindow, RefusesAnEmptyNumberAndOffersOnlyTheFieldsThatApply) {
  pxtest::WindowApplication();
  QTemporaryDir dir;
  auto store = pxsettings::SettingsStore::atPath(dir.filePath("Pealix.conf"));
  pxvbMelody melody;
  melody.addevent(4, 0, 1, 72, 127);
  clCommProps comm;
  comm.setPortPath(dir.filePath("no-such-port"));
  clSMSProps sms;
  frmDataCable window(melody, comm, sms, store);
  QStringList messages;
  window.setMessageBox([&](QMessageBox::Icon, const QString& text, QMessageBox::StandardButtons) {
    messages << text;
    return QMessageBox::Ok;
  });
  window.show();
  window.findChild<QRadioButton*>("optSendSave_1")->setChecked(true);  // send, not store
  window.findChild<QLineEdit*>("tfTelNumber")->clear();
  window.findChild<QPushButton*>("cbSend")->click();
  // Refused before the port is tried: one message, nothing in the status box.
  EXPECT_EQ(messages, QStringList{GetResString(2521)});
  EXPECT_TRUE(window.session().status().text().isEmpty())
      << window.session().status().text().toStdString();

  // A number without a digit is no number either.
  window.findChild<QLineEdit*>("tfTelNumber")->setText(QStringLiteral("+ ()"));
  window.findChild<QPushButton*>("cbSend")->click();
  EXPECT_EQ(messages.size(), 2);

  // Key presses and the Siemens copy use neither number nor SMS flags.
  auto* number = window.findChild<QLineEdit*>("tfTelNumber");
  auto* flash = window.findChild<QCheckBox*>("chbFlashSMS");
  EXPECT_TRUE(number->isEnabled());
  window.findChild<QRadioButton*>("optSend_2")->click();
  EXPECT_FALSE(number->isEnabled());
  EXPECT_FALSE(flash->isEnabled());
  window.findChild<QRadioButton*>("optSend_0")->click();
  window.findChild<QRadioButton*>("optRingTypes_3")->click();
  EXPECT_FALSE(number->isEnabled());
  window.findChild<QRadioButton*>("optSend_1")->click();
  EXPECT_TRUE(number->isEnabled());
  EXPECT_TRUE(flash->isEnabled());

  // The Ctrl-Z that ends a PDU is shown by name, not as a box.
  window.session().status().append(QStringLiteral("0011\x1A"));
  QApplication::processEvents();
  const QString shown = window.findChild<QPlainTextEdit*>("tfStatus")->toPlainText();
  EXPECT_TRUE(shown.contains("0011<Ctrl-Z>")) << shown.toStdString();
  EXPECT_FALSE(shown.contains(QChar(0x1A)));
}

TEST(PortChoice, ListsTheDevicesAndReadsANumberOrAPath) {
  QList<CommPort::Device> devices = {{1, "/dev/ttyS0", ""}, {3, "/dev/ttyUSB0", "Phone cable"}};
  const QStringList entries = portchoice::Entries(devices, 4);
  EXPECT_EQ(entries, QStringList({"1: /dev/ttyS0", "2", "3: /dev/ttyUSB0 (Phone cable)", "4"}));
  EXPECT_EQ(portchoice::Parse("3: /dev/ttyUSB0 (Phone cable)").port, 3);
  EXPECT_EQ(portchoice::Parse(" 12 ").port, 12);
  EXPECT_EQ(portchoice::Parse("/dev/rfcomm0").path, QStringLiteral("/dev/rfcomm0"));
  EXPECT_EQ(portchoice::Parse("/dev/rfcomm0").port, 0);
  EXPECT_EQ(portchoice::Parse("0").port, 0);
}

}  // namespace
