// The main window's file, clipboard and event editor commands, driven through its actions
// with the file dialogs, the channel question and the message boxes answered by seams.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "eventeditor/ui/frmnewevent.h"
#include "support/mainwindow_fixture.h"

namespace {

// The files tests choose MIDI channel 1 unless they say otherwise.
class MainFilesTest : public pxtest::MainWindowTest {
 protected:
  MainFilesTest() { channel_ = 1; }
};

const QString kRtttlFilter = QStringLiteral("RTTTL/Nokring (*.txt;*.rtx)");

TEST_F(MainFilesTest, NewAndOpenAreUndoableStepsWithTitleAndRecentFiles) {
  trigger("mnuFileNew");
  ASSERT_EQ(melody().size(), 1);
  EXPECT_EQ(melody().getEventVal1(0), 72);
  EXPECT_EQ(window_->windowTitle(),
            GetResString(4) + GetResString(103) + " - " + GetResString(1000));

  const QString song = writeFile("song.rtx", "Song:d=4,o=5,b=100:c,8e,g");
  openVia(song, kRtttlFilter);
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();
  EXPECT_EQ(dialogTitles_.last(), GetResString(658));
  ASSERT_EQ(melody().size(), 3);
  EXPECT_EQ(melody().bpm(), 100);
  EXPECT_EQ(window_->windowTitle(), "song.rtx - " + GetResString(1000));
  EXPECT_EQ(state_->recent.size(), 1);
  EXPECT_EQ(state_->settings.lastDir, dir_.path());

  // An edit marks the title; Undo goes back through the open to the new melody.
  trigger("mnuEditNotesHigher");
  EXPECT_EQ(window_->windowTitle(), "song.rtx* - " + GetResString(1000));
  trigger("mnuEditUndo");
  trigger("mnuEditUndo");
  ASSERT_EQ(melody().size(), 1);
  EXPECT_EQ(melody().getEventVal1(0), 72);
}

TEST_F(MainFilesTest, AFileWithMoreEventsThanTheMelodyHoldsIsCutWithANotice) {
  QByteArray text = "Long:d=16,o=5,b=200:";
  for (int i = 0; i < 400; ++i) text += i ? ",c" : "c";
  openVia(writeFile("long.rtx", text), kRtttlFilter);
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_TRUE(messages_[0].endsWith("|" + GetResString(2500).arg(400).arg(311).arg(89)));
  EXPECT_EQ(melody().size(), AppState::kMaxEvents + 10);
  EXPECT_EQ(window_->document().filePath(), dir_.filePath("long.rtx"));
}

TEST_F(MainFilesTest, ModifiedMelodyIsAskedAboutFirst) {
  trigger("mnuFileNew");
  trigger("mnuEditNotesHigher");
  answer_ = QMessageBox::Cancel;
  trigger("mnuFileNew");
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_EQ(messages_[0], GetResString(827) + "|" + GetResString(826));
  EXPECT_EQ(melody().getEventVal1(0), 73);
  openVia(writeFile("a.rtx", "A:d=4,o=5,b=100:c"), kRtttlFilter);
  EXPECT_TRUE(dialogTitles_.isEmpty());  // cancelled before the dialog
  // Yes saves first: the save dialog comes up, and cancelling it keeps everything.
  answer_ = QMessageBox::Yes;
  nextPath_.clear();
  trigger("mnuFileNew");
  EXPECT_EQ(dialogTitles_.last(), GetResString(659));
  EXPECT_EQ(melody().getEventVal1(0), 73);
  answer_ = QMessageBox::No;
  trigger("mnuFileNew");
  EXPECT_EQ(melody().getEventVal1(0), 72);
}

TEST_F(MainFilesTest, MidiOpensOnTheChosenChannelAndBadFilesChangeNothing) {
  trigger("mnuFileNew");
  const QByteArray track = QByteArray::fromHex("00903C6460803C000092406460824000 00FF2F00");
  QByteArray midi = QByteArray::fromHex("4D546864000000060000000100604D54726B");
  midi.append(char(0)).append(char(0)).append(char(0)).append(char(track.size()));
  const QString path = writeFile("two.mid", midi + track);
  channel_ = 3;
  openVia(path, QStringLiteral("Midi (*.mid;*.midi)"));
  EXPECT_EQ(offeredMask_, 0b101);
  bool has64 = false;
  for (int i = 0; i < melody().size(); ++i) has64 = has64 || melody().getEventVal1(i) == 64;
  EXPECT_TRUE(has64);
  // One channel of two: Save goes to Save As instead of overwriting the song.
  EXPECT_EQ(window_->document().fileFormat(), -1);
  const QByteArray song = readFile(path);
  nextPath_.clear();
  dialogTitles_.clear();
  trigger("mnuFileSave");
  EXPECT_EQ(dialogTitles_.value(0), GetResString(659));
  EXPECT_EQ(readFile(path), song);

  const int size = melody().size();
  channel_ = 999;
  openVia(path, QStringLiteral("Midi (*.mid;*.midi)"));
  EXPECT_TRUE(messages_.isEmpty());
  EXPECT_EQ(melody().size(), size);

  openVia(writeFile("bad.mid", QByteArray(500, '\x7f')), QStringLiteral("Midi (*.mid;*.midi)"));
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_TRUE(messages_[0].startsWith("Pealix - ")) << messages_[0].toStdString();
  EXPECT_EQ(melody().size(), size);
  EXPECT_EQ(state_->recent.size(), 1);
}

TEST_F(MainFilesTest, SaveAsAppendsTheExtensionAndSaveWritesInPlace) {
  trigger("mnuFileNew");
  nextPath_ = dir_.filePath("tune");
  nextFilter_ = QStringLiteral("RTTTL/Nokring (*.rtx;*.txt)");
  trigger("mnuFileSaveAs");
  const QString saved = dir_.filePath("tune.rtx");
  ASSERT_TRUE(QFileInfo::exists(saved)) << messages_.join("\n").toStdString();
  EXPECT_EQ(window_->document().filePath(), saved);
  EXPECT_FALSE(window_->document().isModified());
  EXPECT_EQ(state_->recent.at(0)->path, saved);

  trigger("mnuEditNotesHigher");
  const QByteArray before = readFile(saved);
  dialogTitles_.clear();
  trigger("mnuFileSave");
  EXPECT_TRUE(dialogTitles_.isEmpty());
  EXPECT_NE(readFile(saved), before);
  EXPECT_FALSE(window_->document().isModified());

  // An export format leaves the melody's file as it was; Save after New asks for a name.
  nextPath_ = dir_.filePath("tune");
  nextFilter_ = QStringLiteral("iMelody (*.imy)");
  trigger("mnuFileSaveAs");
  EXPECT_TRUE(QFileInfo::exists(dir_.filePath("tune.imy")));
  EXPECT_EQ(window_->document().filePath(), saved);
  // The iMelody file opens through the application's own reader, as one undoable step.
  window_->document().setModified(false);
  openVia(dir_.filePath("tune.imy"), QStringLiteral("iMelody (*.imy)"));
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();
  EXPECT_EQ(window_->document().fileFormat(), 14);
  EXPECT_EQ(state_->recent.at(0)->fileType, 5);
  trigger("mnuEditUndo");
  EXPECT_EQ(window_->document().filePath(), saved);
  trigger("mnuFileNew");
  nextPath_.clear();
  trigger("mnuFileSave");
  EXPECT_EQ(dialogTitles_.last(), GetResString(659));
}

TEST_F(MainFilesTest, RecentFilesMenuSurvivesARestartAndReportsStaleEntries) {
  trigger("mnuFileNew");
  const QString a = writeFile("a.rtx", "A:d=4,o=5,b=100:c");
  const QString b = writeFile("b.rtx", "B:d=4,o=5,b=100:d");
  openVia(a, kRtttlFilter);
  openVia(b, kRtttlFilter);
  openVia(a, kRtttlFilter);
  ASSERT_EQ(state_->recent.size(), 2);
  EXPECT_EQ(state_->recent.at(0)->path, b);  // the same file again keeps its place
  window_->document().setModified(false);
  window_->close();
  startWindow();

  QMenu* recent = window_->menuNamed("mnuFileRecent");
  ASSERT_NE(recent, nullptr);
  ASSERT_EQ(recent->actions().size(), 2);
  recent->actions()[1]->trigger();
  EXPECT_EQ(window_->document().filePath(), a);
  QFile::remove(b);
  recent->actions()[0]->trigger();
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_TRUE(messages_[0].endsWith(": \n" + b)) << messages_[0].toStdString();
  EXPECT_EQ(window_->document().filePath(), a);
}

TEST_F(MainFilesTest, ClipboardExportAndImport) {
  trigger("mnuFileNew");
  trigger("mnuFileClipExRTTTL");
  const QString rtttl = QGuiApplication::clipboard()->text();
  EXPECT_TRUE(rtttl.contains(QLatin1Char(':'))) << rtttl.toStdString();

  QGuiApplication::clipboard()->setText("Clip:d=8,o=5,b=90:c,d,e");
  trigger("mnuFileClipImportRTX");
  ASSERT_EQ(melody().size(), 3);
  EXPECT_EQ(melody().bpm(), 90);
  EXPECT_EQ(window_->document().filePath(), QStringLiteral("Clipboard Import"));
  trigger("mnuEditUndo");
  EXPECT_EQ(melody().size(), 1);

  QGuiApplication::clipboard()->setText("01 00 00 78 3G000A");
  trigger("mnuAdvClipImpSagemHex");
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_TRUE(messages_[0].endsWith("Clipbord includes non Hex chars - converting aborted"));
  EXPECT_EQ(melody().size(), 1);

  for (const char* name :
       {"mnuFileClipExSagem", "mnuFileClipExSMS", "mnuFileClipExKeypress", "mnuFileClipExAlcatel",
        "mnuFileClipExMoto", "mnuFileClipExiMelody", "mnuFileClipExPDU", "mnuFileClipExNokComp",
        "mnuAdvClipExATKeys", "mnuAdvClipExNokiaSMS"}) {
    QGuiApplication::clipboard()->clear();
    trigger(name);
    EXPECT_FALSE(QGuiApplication::clipboard()->text().isEmpty()) << name;
  }
  EXPECT_EQ(messages_.size(), 1);
  trigger("mnuFileImportSagem");
  EXPECT_EQ(melody().size(), 1);
}

TEST_F(MainFilesTest, EventEditorFromTheButtonsAndADoubleClick) {
  trigger("mnuFileNew");
  trigger("mnuEditAddEvent");
  frmNewEvent* editor = window_->eventEditor();
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->EditType(), 0);
  QTest::mouseClick(editor->findChild<QWidget*>("cbenvAdd"), Qt::LeftButton);
  EXPECT_EQ(melody().size(), 2);
  EXPECT_TRUE(window_->document().isModified());

  auto* list = window_->findChild<QTableView*>("liwNoten");
  ASSERT_NE(list, nullptr);
  list->selectRow(1);
  EXPECT_TRUE(window_->command("mnuEditEditEvent")->isEnabled());
  trigger("mnuEditEditEvent");
  EXPECT_EQ(editor->EditType(), 1);
  EXPECT_EQ(editor->EditIndex(), 1);
  emit list->doubleClicked(list->model()->index(0, 0));
  EXPECT_EQ(editor->EditIndex(), 0);
  // Add closes the edit-mode window and opens it again for a new event.
  trigger("mnuEditAddEvent");
  EXPECT_EQ(editor->EditType(), 0);
  editor->close();
}

}  // namespace
