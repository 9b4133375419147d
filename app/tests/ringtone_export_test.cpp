// File > Export audio ringtone: the core's file names and length limits, a rendering on the
// worker thread that reports progress and can be stopped, the dialog driven as a user
// drives it, and the main window's menu entry that leaves the file's place and length on
// the status line.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTimer>

#include "playback/ringtoneexport.h"
#include "playback/ui/frmringtone.h"
#include "support/mainwindow_fixture.h"

namespace {

using pxaudio::AudioFormat;
using pxplay::RingtoneExport;

// Notes of 500 ms at 120 BPM, 69 = A4.
pxvbMelody quarters(int count, const QString& title = QStringLiteral("Bell")) {
  pxvbMelody m;
  m.setsName(title);
  m.setbpm(120);
  for (int i = 0; i < count; ++i) m.addevent(4, 0, 1, 69, 127);
  return m;
}

QString text(int id) {
  return GetResString(id);
}

class RingtoneExportTest : public pxtest::MainWindowTest {};

TEST_F(RingtoneExportTest, FileNamesAndLengthLimitsFollowTheFormat) {
  const QString folder = dir_.path();
  EXPECT_EQ(RingtoneExport::suggestedPath(folder, QStringLiteral("Für: Elise?"), AudioFormat::M4r),
            QDir(folder).filePath(QStringLiteral("Für_ Elise_.m4r")));
  EXPECT_EQ(RingtoneExport::suggestedPath(folder, QString(), AudioFormat::Mp3),
            QDir(folder).filePath(QStringLiteral("ringtone.mp3")));
  // Another audio format's extension is replaced; any other name keeps its own.
  EXPECT_EQ(RingtoneExport::withExtension("a/bell.mp3", AudioFormat::Ogg), "a/bell.ogg");
  EXPECT_EQ(RingtoneExport::withExtension("a/bell.OGG", AudioFormat::Ogg), "a/bell.OGG");
  EXPECT_EQ(RingtoneExport::withExtension("a/bell.v2", AudioFormat::Flac), "a/bell.v2.flac");
  // An iPhone ringtone never plays longer than 40 s; other formats take the choice.
  EXPECT_EQ(RingtoneExport::lengthLimit(AudioFormat::M4r, 0), 40);
  EXPECT_EQ(RingtoneExport::lengthLimit(AudioFormat::M4r, 90), 40);
  EXPECT_EQ(RingtoneExport::lengthLimit(AudioFormat::M4r, 25), 25);
  EXPECT_EQ(RingtoneExport::lengthLimit(AudioFormat::M4a, 0), 0);
  RingtoneExport exporter(quarters(4), 19, QString());
  pxplay::RingtoneChoice choice;
  choice.format = AudioFormat::Opus;
  const pxplay::RenderOptions o = exporter.optionsFor(choice);
  EXPECT_EQ(o.sampleRate, 48000);
  EXPECT_EQ(o.program, 19);
  EXPECT_EQ(o.title, "Bell");
  EXPECT_FALSE(o.maxSeconds.has_value());
}

TEST_F(RingtoneExportTest, RendersOnAWorkerThreadAndStopsWhenAsked) {
  RingtoneExport exporter(quarters(6), 0, QString());
  pxplay::RingtoneChoice choice;
  choice.format = AudioFormat::Wav;
  choice.voice = pxplay::RenderVoice::Buzzer;
  choice.maxSeconds = 2;
  QSignalSpy finished(&exporter, &RingtoneExport::finished);
  QSignalSpy progress(&exporter, &RingtoneExport::progress);
  const QString out = dir_.filePath(QStringLiteral("bell.wav"));
  QString error;
  ASSERT_TRUE(exporter.start(choice, out, &error)) << error.toStdString();
  EXPECT_FALSE(exporter.start(choice, out, &error));  // one rendering at a time
  ASSERT_TRUE(finished.wait(30000));
  ASSERT_TRUE(finished.at(0).at(0).toBool()) << exporter.error().toStdString();
  EXPECT_EQ(progress.last().at(0).toInt(), 100);
  EXPECT_TRUE(QFileInfo::exists(out));
  EXPECT_TRUE(exporter.info().cut);
  const QString status = exporter.statusText(text);
  EXPECT_TRUE(status.contains(QDir::toNativeSeparators(out))) << status.toStdString();
  EXPECT_TRUE(status.contains(QStringLiteral("2.0"))) << status.toStdString();

  RingtoneExport slow(quarters(300), 0, QString());
  choice.maxSeconds = 0;
  const QString stopped = dir_.filePath(QStringLiteral("stopped.wav"));
  QSignalSpy slowFinished(&slow, &RingtoneExport::finished);
  // Stopped at its first progress report: it fails, says so, and leaves no file.
  QObject::connect(&slow, &RingtoneExport::progress, [&slow] { slow.cancel(); });
  ASSERT_TRUE(slow.start(choice, stopped, &error));
  ASSERT_TRUE(slowFinished.wait(30000));
  EXPECT_FALSE(slowFinished.at(0).at(0).toBool());
  EXPECT_FALSE(QFileInfo::exists(stopped));
  EXPECT_TRUE(slow.statusText(text).contains(slow.error()));
  EXPECT_FALSE(slow.start(choice, QStringLiteral("  "), &error));
}

TEST_F(RingtoneExportTest, MenuEntryExportsThroughTheDialog) {
  QAction* entry = window_->command("mnuFileExportAudio");
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->text(), text(pxplay::kResRingtoneMenu));
  EXPECT_TRUE(entry->text().contains('&'));
  EXPECT_EQ(entry->statusTip(), text(pxplay::kResRingtoneTip));
  const QMenu* file = window_->findChild<QMenu*>(QStringLiteral("mnuFile"));
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(file->actions().contains(entry));
  EXPECT_FALSE(entry->isEnabled());  // no melody yet

  openVia(writeFile(QStringLiteral("bell.rtx"), "Evening Bell:d=4,o=5,b=240:c,e,g,c6"));
  ASSERT_TRUE(entry->isEnabled());
  const QString out = dir_.filePath(QStringLiteral("chosen.mp3"));
  bool sawDialog = false, barHidden = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<frmRingtone*>(QApplication::activeModalWidget());
    if (!dialog) return;
    sawDialog = true;
    auto* format = dialog->findChild<QComboBox*>(QStringLiteral("cboFormat"));
    // The name offered follows the title and the chosen format.
    EXPECT_TRUE(dialog->findChild<QLineEdit*>(QStringLiteral("txtFile"))
                    ->text()
                    .endsWith(QStringLiteral("Evening Bell.mp3")));
    format->setCurrentIndex(format->findData(static_cast<int>(AudioFormat::M4r)));
    EXPECT_EQ(dialog->findChild<QSpinBox*>(QStringLiteral("txtLength"))->value(), 30);
    dialog->findChild<QSpinBox*>(QStringLiteral("txtLength"))->setValue(0);
    EXPECT_EQ(dialog->choice().maxSeconds, 0);
    format->setCurrentIndex(format->findData(static_cast<int>(AudioFormat::Mp3)));
    dialog->findChild<QRadioButton*>(QStringLiteral("optBuzzer"))->setChecked(true);
    dialog->findChild<QLineEdit*>(QStringLiteral("txtFile"))->setText(dir_.filePath("chosen"));
    barHidden = !dialog->findChild<QProgressBar*>(QStringLiteral("pbRender"))->isVisible();
    dialog->findChild<QPushButton*>(QStringLiteral("cmdExport"))->click();
  });
  trigger("mnuFileExportAudio");
  ASSERT_TRUE(sawDialog);
  EXPECT_TRUE(barHidden);
  EXPECT_TRUE(QFileInfo::exists(out));
  EXPECT_TRUE(window_->statusText().contains(QDir::toNativeSeparators(out)))
      << window_->statusText().toStdString();
  EXPECT_TRUE(window_->statusText().contains(QStringLiteral("1.0 s")))
      << window_->statusText().toStdString();
}

}  // namespace
