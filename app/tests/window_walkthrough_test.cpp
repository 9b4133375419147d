// The main window as a new user meets it, a second time: saving says what the writer
// changed (notes moved, a title made ASCII), a file is counted whole or said to hold
// more, unreadable files are refused at once and by what they hold, the boxes carry the
// right titles, Save As starts on the current file and goes back to its dialog, an
// export says which file Ctrl+S still writes, Tab leaves the event list and the
// reused event editor does not start on Close. pealix-cli says the same.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "cli_process.h"
#include "eventeditor/ui/frmnewevent.h"
#include "files/filecommands.h"
#include "files/filedetect.h"
#include "files/writechanges.h"
#include "languages/reslang.h"
#include "support/mainwindow_fixture.h"

namespace {

QString res(int id) {
  return GetResString(id);
}

class WalkthroughTest : public pxtest::MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    window_->tuneChooser = [this](const QStringList& names) {
      offeredTunes_ << names;
      return 0;
    };
  }
  // A melody of these keys (quarter notes) under a title, as the window shows it.
  void setNotes(const QList<int>& keys, const QString& title) {
    trigger("mnuFileNew");
    melody().resize(0);
    for (int key : keys) melody().addevent(4, 0, 1, key, 127);
    melody().setsName(title);
    window_->refresh();
  }
  void saveAs(const QString& name, const QString& filter) {
    nextPath_ = dir_.filePath(name);
    nextFilter_ = filter;
    trigger("mnuFileSaveAs");
  }
  ProcessRun cli(const QStringList& args) {
    return runProcess(QStringLiteral(PEALIX_BIN_DIR "/pealix-cli"), args, dir_.path());
  }
  QStringList offeredTunes_;
};

TEST_F(WalkthroughTest, SavingSaysHowTheWriterMovedTheNotesAndWroteTheTitle) {
  // A4 C5 D5: RTTTL takes keys from 60, so the melody goes up three semitones.
  setNotes({57, 60, 62}, QStringLiteral("Café Song"));
  saveAs("cafe.rtx", filecmd::SaveFilterText(3));
  const QString status = window_->statusText();
  EXPECT_TRUE(status.contains(res(2800).arg(res(850)).arg(3))) << status.toStdString();
  EXPECT_TRUE(status.contains(res(2806).arg("Cafe Song"))) << status.toStdString();
  EXPECT_TRUE(readFile(nextPath_).startsWith("Cafe Song:"));
  EXPECT_EQ(melody().getEventVal1(0), 57);  // the melody itself is not changed

  // The Nokia writer fits the notes as the RTTTL writer does; its file is read back too.
  saveAs("cafe.ota", filecmd::SaveFilterText(7));
  EXPECT_TRUE(window_->statusText().contains(res(2800).arg(res(831)).arg(3)))
      << window_->statusText().toStdString();

  // Within the range nothing is said; a title cut to nine characters is "shortened".
  setNotes({60, 64, 67}, QStringLiteral("Birthday Song"));
  saveAs("birthday.rtx", filecmd::SaveFilterText(3));
  EXPECT_FALSE(window_->statusText().contains(res(850) + " "))
      << window_->statusText().toStdString();
  EXPECT_TRUE(window_->statusText().contains(res(2516).arg("Birthday")));

  // The Alcatel text is not read back: the notes outside its keys are counted.
  setNotes({60, 90, 95}, QStringLiteral("High"));
  saveAs("high.txt", filecmd::SaveFilterText(6));
  EXPECT_TRUE(window_->statusText().contains(res(2807).arg(res(847)).arg(2)))
      << window_->statusText().toStdString();

  // pealix-cli says it too, with the file unchanged from the window's.
  const ProcessRun r = cli({"convert", dir_.filePath("birthday.rtx"), dir_.filePath("b.rtx")});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_FALSE(r.errors.contains("moved")) << r.errors.toStdString();
  const QString low = writeFile("low.rtx", "Low:d=4,o=5,b=100:a3,c4,d4");  // keys 57 60 62
  const ProcessRun moved = cli({"convert", low, dir_.filePath("up.rtx")});
  EXPECT_EQ(moved.exitCode, 0);
  EXPECT_TRUE(moved.errors.contains("RTTTL moved the melody up 3 semitones into its range"))
      << moved.errors.toStdString();
  EXPECT_TRUE(readFile(dir_.filePath("up.rtx")).endsWith(":c4,d#4,f4"));
}

TEST(WriteChanges, ComparesKeysNoteByNote) {
  EXPECT_EQ(writechanges::ComparePitches({57, 60, 62}, {60, 63, 65}).shift, 3);
  EXPECT_EQ(writechanges::ComparePitches({57, 60, 62}, {60, 63, 65}).changed, 3);
  const writechanges::PitchChange clamped =
      writechanges::ComparePitches({40, 60, 120}, {60, 60, 107});
  EXPECT_EQ(clamped.shift, 0);
  EXPECT_EQ(clamped.changed, 2);
  EXPECT_EQ(writechanges::ComparePitches({60, 62}, {60, 62}).changed, 0);
  EXPECT_EQ(writechanges::ComparePitches({}, {}).changed, 0);
  // Key presses take 57..85, Motorola 59..89; RTTTL is read back instead.
  EXPECT_EQ(writechanges::NotesOutsideWriterRange(3, {56, 57, 85, 86}), 2);
  EXPECT_EQ(writechanges::NotesOutsideWriterRange(12, {58, 90}), 2);
  EXPECT_EQ(writechanges::NotesOutsideWriterRange(7, {0, 127}), 0);
  EXPECT_EQ(writechanges::PitchChangeText(7, {-1, 4}, res), res(2803).arg(res(850)));
}

TEST_F(WalkthroughTest, ALongTextSaysItHoldsMoreThanTheReaderTook) {
  QByteArray text = "Long:d=16,o=5,b=200:";
  text.reserve(5 * 1024 * 1024 + 64);
  for (int i = 0; i < 2621440; ++i) text += i ? ",c" : "c";
  const QString path = writeFile("long.rtx", text);
  openVia(path);
  ASSERT_EQ(messages_.size(), 1);
  const QString more = res(2811).left(res(2811).indexOf("%1"));  // "The file holds more than "
  EXPECT_TRUE(messages_[0].contains(more)) << messages_[0].toStdString();

  const ProcessRun r = cli({"info", path});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(r.errors.contains("it holds more than the")) << r.errors.toStdString();
}

TEST_F(WalkthroughTest, FilesAreReadByWhatTheyHoldAndUnreadableOnesRefusedAtOnce) {
  // Random bytes named .rtx: refused before any tune is offered.
  QByteArray noise;
  for (int i = 0; i < 600; ++i) noise += char((i * 37 + 11) % 256);
  noise.replace('\n', ':');
  openVia(writeFile("noise.rtx", noise));
  EXPECT_TRUE(offeredTunes_.isEmpty()) << offeredTunes_.join("|").toStdString();
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_TRUE(messages_[0].contains(res(2809))) << messages_[0].toStdString();
  EXPECT_FALSE(messages_[0].contains("#")) << messages_[0].toStdString();

  // An RTTTL text named .mid opens as RTTTL.
  messages_.clear();
  openVia(writeFile("tune.mid", "Tune:d=4,o=5,b=100:c,e,g"));
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();
  EXPECT_EQ(melody().size(), 3);
  EXPECT_EQ(window_->document().fileFormat(), 7);

  // Pealix's own Alcatel text is not taken for RTTTL, in the window nor in pealix-cli.
  setNotes({60, 62}, QStringLiteral("Alc"));
  saveAs("alc.txt", filecmd::SaveFilterText(6));
  messages_.clear();
  openVia(nextPath_);
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_TRUE(messages_[0].contains(res(2808))) << messages_[0].toStdString();
  const ProcessRun info = cli({"info", nextPath_});
  EXPECT_EQ(info.exitCode, 1);
  EXPECT_TRUE(info.errors.contains(res(2808))) << info.errors.toStdString();
  EXPECT_FALSE(info.output.contains("fits"));

  // A text that reads as no events is a failure; the .mid RTTTL text is read as RTTTL.
  const ProcessRun none = cli({"info", writeFile("none.rtx", "None:d=4,o=5,b=63:q")});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_TRUE(none.errors.contains("no note or pause")) << none.errors.toStdString();
  const ProcessRun asMid = cli({"info", dir_.filePath("tune.mid")});
  EXPECT_EQ(asMid.exitCode, 0) << asMid.errors.toStdString();
  EXPECT_TRUE(asMid.output.contains("format: rtttl"));

  using namespace filetables;
  EXPECT_EQ(filedetect::DetectFileType("Title:x BPM:120 Notes:2\r\n1 2", 30, kTypeRtttl).problemRes,
            filedetect::kResAlcatelText);
  EXPECT_EQ(filedetect::DetectFileType(QByteArray("a:b:\0c", 6), 6, kTypeRtttl).problemRes,
            filedetect::kResNotText);
  EXPECT_EQ(filedetect::DetectFileType("words only", 10, kTypeRtttl).problemRes,
            filedetect::kResNoTune);
  EXPECT_EQ(filedetect::DetectFileType(QByteArray("\x02\x4a\0", 3), 3, kTypeNokia).fileType,
            kTypeNokia);
}

TEST_F(WalkthroughTest, BoxesCarryTheirCommandsTitleAndFiltersTheLanguagesNames) {
  trigger("mnuFileNew");
  trigger("mnuEditNotesHigher");
  answer_ = QMessageBox::Cancel;
  openVia(QString());
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_TRUE(messages_[0].startsWith(res(filecmd::kResOpenTitle) + "|"))
      << messages_[0].toStdString();
  messages_.clear();
  window_->document().setModified(false);
  openVia(writeFile("empty.rtx", QByteArray()));
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_TRUE(messages_[0].startsWith("Pealix - " + res(2) + "|")) << messages_[0].toStdString();

  // The dialogs' filter names come from the language tables.
  const auto tagged = [](int id) { return QStringLiteral("<%1>").arg(id); };
  const QStringList open = filecmd::OpenDialogFilters(tagged).split(";;");
  EXPECT_TRUE(open.contains("<2815> (*.ota *.ott *.rng)")) << open.join("|").toStdString();
  EXPECT_TRUE(open.contains("<2812> (*.txt *.rtx)"));
  const QStringList save = filecmd::SaveDialogFilters(tagged).split(";;");
  EXPECT_EQ(save.first(), "<2817> (*.srt)");
  EXPECT_EQ(filecmd::SaveFilterIndex("<2813> (*.mid *.midi)", tagged), 4);
  EXPECT_EQ(filecmd::OpenFilterIndex("<2815> (*.ota *.ott *.rng)", tagged), 4);
  EXPECT_TRUE(offeredFilters_.contains(res(2812) + " (*.txt *.rtx)"));

  // One spelling of "event" in the French table.
  QFile fr(QStringLiteral(PEALIX_SOURCE_DIR "/app/languages/fr.txt"));
  ASSERT_TRUE(fr.open(QIODevice::ReadOnly));
  EXPECT_FALSE(QString::fromUtf8(fr.readAll()).contains(QStringLiteral("vènement")));
}

TEST_F(WalkthroughTest, SaveAsStartsOnTheCurrentFileAndNoToReplaceGoesBackToTheDialog) {
  QStringList dirs, filters, paths;
  window_->saveFileDialog = [&](const QString&, const QString& dir, const QString&,
                                QString* filter) {
    dirs << dir;
    filters << *filter;
    return paths.isEmpty() ? QString() : paths.takeFirst();
  };
  // A new melody: the native MIDI filter and its title as name.
  setNotes({60}, QStringLiteral("Ode to Joy"));
  trigger("mnuFileSaveAs");
  ASSERT_EQ(dirs.size(), 1);
  EXPECT_EQ(filters[0], filecmd::SaveFilterText(4, res));
  EXPECT_TRUE(dirs[0].endsWith("Ode to Joy.mid")) << dirs[0].toStdString();

  const QString file = writeFile("OdeToJoy.rtx", "OdeToJoy:d=4,o=5,b=100:e,e,f,g");
  openVia(file);
  trigger("mnuFileSaveAs");
  ASSERT_EQ(dirs.size(), 2);
  EXPECT_EQ(dirs[1], file);
  EXPECT_EQ(filters[1], filecmd::SaveFilterText(3, res));

  // Saved as iMelody: an export; the title bar and Ctrl+S keep the RTTTL file.
  const QString existing = writeFile("OdeToJoy.imy", "keep");
  paths = {dir_.filePath("OdeToJoy"), dir_.filePath("Other")};
  answers_ = {QMessageBox::No};
  window_->saveFileDialog = [&](const QString&, const QString& dir, const QString&,
                                QString* filter) {
    dirs << dir;
    *filter = filecmd::SaveFilterText(8, res);
    return paths.isEmpty() ? QString() : paths.takeFirst();
  };
  trigger("mnuFileSaveAs");
  ASSERT_EQ(dirs.size(), 4);  // No to "Replace it?" showed the dialog again
  EXPECT_EQ(dirs[3], dir_.filePath("OdeToJoy.imy"));
  EXPECT_EQ(readFile(existing), "keep");
  EXPECT_TRUE(readFile(dir_.filePath("Other.imy")).startsWith("BEGIN:IMELODY"));
  EXPECT_TRUE(window_->statusText().startsWith(res(2822).arg("Other.imy", "OdeToJoy.rtx")))
      << window_->statusText().toStdString();
  EXPECT_TRUE(window_->windowTitle().startsWith("OdeToJoy.rtx"));
  EXPECT_EQ(window_->document().filePath(), file);

  // Picking another filter in the dialog changes the proposed name's extension.
  EXPECT_EQ(filecmd::NameForSaveFilter("OdeToJoy.rtx", filecmd::SaveFilterText(8, res), res),
            "OdeToJoy.imy");
  EXPECT_EQ(filecmd::NameForSaveFilter("notes", filecmd::SaveFilterText(8, res), res), "notes");
}

TEST_F(WalkthroughTest, TabLeavesTheListAndTheEventEditorStartsOnTheEventKind) {
  setNotes({60, 62, 64}, QStringLiteral("Keys"));
  window_->show();
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  auto* list = window_->findChild<QTableView*>("liwNoten");
  list->setFocus();
  list->selectRow(0);
  QTest::keyClick(list, Qt::Key_Tab);
  EXPECT_NE(QApplication::focusWidget(), list);

  // The whole-melody commands say so before they act.
  for (const char* name :
       {"mnuEditNotesHigher", "mnuEditNotesLower", "mnuEditNoteslonger", "mnuEditNotesShorter"}) {
    QAction* a = window_->command(name);
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(a->text().contains("melody")) << name;
    EXPECT_TRUE(a->toolTip().contains("melody")) << name;
  }

  trigger("mnuEditAddEvent");
  frmNewEvent* editor = window_->eventEditor();
  ASSERT_NE(editor, nullptr);
  auto* close = editor->findChild<QPushButton*>("cbClose");
  close->setFocus();
  editor->close();
  trigger("mnuEditAddEvent");
  ASSERT_TRUE(QTest::qWaitForWindowActive(editor));
  EXPECT_NE(QApplication::focusWidget(), close);
  EXPECT_NE(qobject_cast<QAbstractButton*>(QApplication::focusWidget()), nullptr);
  editor->close();
}

}  // namespace
