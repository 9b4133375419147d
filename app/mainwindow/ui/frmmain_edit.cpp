// The main window's editing, clipboard, play and help commands. Each forwards to the
// melody document and refreshes the window.
#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "document/melodydocument.h"
#include "languages/reslang.h"
#include "languages/ui/formtexts.h"
#include "mainwindow/ui/frmmain.h"
#include "settings/tempfiles.h"

void frmMain::runEdit(const std::function<void()>& operation) {
  auto* trigger = qobject_cast<QAction*>(sender());
  QList<QAbstractButton*> buttons;
  if (trigger)
    for (QObject* w : trigger->associatedObjects())
      if (auto* b = qobject_cast<QAbstractButton*>(w)) buttons.append(b);
  const bool hadFocus = !buttons.isEmpty() && buttons.front()->hasFocus();
  for (QAbstractButton* b : buttons) b->setEnabled(false);
  commitFields();
  showStatus(QString());
  operation();
  refresh();
  for (QAbstractButton* b : buttons) b->setEnabled(trigger->isEnabled());
  if (hadFocus) buttons.front()->setFocus();
}

void frmMain::onQuit() {
  close();
}

void frmMain::onUndo() {
  commitFields();
  if (!state_.document.undo()) return;
  showStatus(QString());
  refresh();
}

void frmMain::onRedo() {
  commitFields();
  if (!state_.document.redo()) return;
  showStatus(QString());
  refresh();
}

void frmMain::onCut() {
  const QList<int> rows = selectedRows();
  if (rows.isEmpty()) return;
  rvTonehead::Outcome o;
  runEdit([&] { o = state_.document.cutRows(rows); });
  if (o.result == -1) showLibraryError(o);
}

void frmMain::onCopy() {
  const QList<int> rows = selectedRows();
  if (rows.isEmpty()) return;
  commitFields();
  const rvTonehead::Outcome o = state_.document.copyRows(rows);
  if (o.result == -1) showLibraryError(o);
}

void frmMain::onPaste() {
  const QList<int> rows = selectedRows();
  const int at = rows.isEmpty() ? 0 : rows.front();
  rvTonehead::Outcome o;
  runEdit([&] { o = state_.document.pasteAt(at); });
  if (o.result == -1) showLibraryError(o);
}

namespace {
constexpr int kResWholeMelody = 2513;
constexpr int kResNoTextViewer = 2517;
constexpr int kResVersion = 2518;
}  // namespace

void frmMain::runWholeMelodyEdit(const std::function<void()>& operation) {
  // These commands change every event however many rows are selected; with only some
  // selected the status line says so.
  const int selected = static_cast<int>(selectedRows().size());
  const bool partial = selected > 0 && selected < state_.document.melody().size();
  runEdit(operation);
  if (!partial) return;
  const QString shown = statusText();
  showStatus(shown.isEmpty() ? GetResString(kResWholeMelody)
                             : shown + QLatin1Char(' ') + GetResString(kResWholeMelody));
}

void frmMain::onNotesHigher() {
  runWholeMelodyEdit([this] { state_.document.changeNotes(1); });
}
void frmMain::onNotesLower() {
  runWholeMelodyEdit([this] { state_.document.changeNotes(-1); });
}
void frmMain::onOctaveHigher() {
  runWholeMelodyEdit([this] { state_.document.changeNotes(12); });
}
void frmMain::onOctaveLower() {
  runWholeMelodyEdit([this] { state_.document.changeNotes(-12); });
}
void frmMain::onLonger() {
  runWholeMelodyEdit([this] { state_.document.longer(); });
}
void frmMain::onShorter() {
  runWholeMelodyEdit([this] { state_.document.shorter(); });
}
void frmMain::onDelPausesFirst() {
  runEdit([this] { state_.document.deleteLeadingPauses(); });
}
void frmMain::onDelPausesEnd() {
  runEdit([this] { state_.document.deleteTrailingPauses(); });
}
void frmMain::onDelPausesFirstEnd() {
  runEdit([this] { state_.document.deleteLeadingAndTrailingPauses(); });
}
void frmMain::onDelPausesAll() {
  runEdit([this] { state_.document.deleteAllPauses(); });
}

void frmMain::onDelSelected() {
  const QList<int> rows = selectedRows();
  if (rows.isEmpty()) return;
  runEdit([&] { state_.document.deleteRows(rows); });
}

void frmMain::onDelNotSelected() {
  const QList<int> rows = selectedRows();
  if (rows.isEmpty()) return;
  runEdit([&] { state_.document.deleteOtherRows(rows); });
}

void frmMain::moveIntoRange(int entry) {
  runWholeMelodyEdit([&] { state_.document.moveIntoRange(entry); });
}

namespace {
void transformWith(frmMain* w, rvTonehead::Modify operation, int param) {
  const rvTonehead::Outcome o = w->document().transform(operation, param);
  if (o.result == -1) w->showLibraryError(o);
}
}  // namespace

void frmMain::onAllNotesLonger() {
  runWholeMelodyEdit([this] { transformWith(this, rvTonehead::Modify::ScaleDurations, 2); });
}
void frmMain::onVolumeToVelocity() {
  runWholeMelodyEdit([this] { transformWith(this, rvTonehead::Modify::VolumeToVelocity, 0); });
}
void frmMain::onVelocityToVolume() {
  runWholeMelodyEdit([this] { transformWith(this, rvTonehead::Modify::VelocityToVolume, 0); });
}

void frmMain::onPlayAll() {
  playMelody(false);
}

void frmMain::onPlaySelected() {
  playMelody(true);
}

void frmMain::playMelody(bool selectedOnly) {
  const QList<int> rows = selectedRows();
  if (selectedOnly && rows.isEmpty()) return;
  QAction* play = command("mnuPlayMidi");
  if (play) play->setEnabled(false);
  commitFields();
  const PlayExport e =
      ExportForPlay(state_.document.melody(), pxTempFile(QStringLiteral("play.mid")),
                    selectedOnly ? &rows : nullptr);
  switch (e.status) {
    case PlayExport::CannotReplace:
      ask(QMessageBox::Warning, GetResString(1000), GetResString(807), QMessageBox::Ok);
      break;
    case PlayExport::NotWritten:
      ask(QMessageBox::Warning, GetResString(1000), GetResString(811), QMessageBox::Ok);
      break;
    case PlayExport::LibraryFailed:
      showLibraryError(e.outcome);
      break;
    case PlayExport::Nothing:
      break;
    case PlayExport::Ok:
      if (state_.settings.playAction == QLatin1String("play") && playFileCommand)
        playFileCommand(e.path);
      else if (!openWithDesktop(e.path))
        ask(QMessageBox::Information, GetResString(1000),
            GetResString(1098) + QLatin1Char('\n') + QDir::toNativeSeparators(e.path),
            QMessageBox::Ok);
      break;
  }
  updateCommandStates();
}

void frmMain::onCheckNow() {
  commitFields();
  runFormatCheck();
}

void frmMain::onReadme() {
  const QString path = ReadmePath();
  if (path.isEmpty()) {
    ask(QMessageBox::Warning, GetResString(1000),
        GetResString(818) + QLatin1Char(' ') + GetResString(817), QMessageBox::Ok);
    return;
  }
  // Without a program for text files the key must not do nothing at all.
  if (!openWithDesktop(path))
    ask(QMessageBox::Information, GetResString(1000),
        GetResString(kResNoTextViewer).arg(QDir::toNativeSeparators(path)), QMessageBox::Ok);
}

void frmMain::onAbout() {
  int major = 0, minor = 0, build = 0, revision = 0;
  QString text = GetResString(1000);
  if (const QString version = QCoreApplication::applicationVersion(); !version.isEmpty())
    text += QLatin1Char('\n') + GetResString(kResVersion).arg(version);
  if (rvTonehead::Version(major, minor, build, revision).result == 1)
    text += QStringLiteral("\n\n%1: %2.%3.%4.%5")
                .arg(GetResString(1411))
                .arg(major)
                .arg(minor)
                .arg(build)
                .arg(revision);
  ask(QMessageBox::Information, GetResString(1410), text, QMessageBox::Ok);
}

void frmMain::onListStyleToggle() {
  const bool on = !(state_.settings.gridLines && state_.settings.fullSelect);
  state_.settings.gridLines = on;
  state_.settings.fullSelect = on;
  applyListStyle();
}
