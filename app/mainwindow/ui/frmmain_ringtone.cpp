// File > Export audio ringtone: the dialog on the current melody; the status line then
// says where the file went and how long it plays.
#include <QFileInfo>

#include "mainwindow/ui/frmmain.h"
#include "playback/synthsettings.h"
#include "playback/ui/frmringtone.h"

void frmMain::onFileExportAudio() {
  const int program = state_.store ? state_.store->instrument() : 0;
  const QString soundFont =
      state_.store ? pxmidi::SynthSettings::load(*state_.store).soundFont : QString();
  pxplay::RingtoneExport exporter(state_.document.melody(), program, soundFont);
  frmRingtone dialog(exporter, state_.document.melody().sName(), state_.settings.lastDir, this);
  if (dialog.exec() == QDialog::Accepted) {
    state_.settings.lastDir = QFileInfo(exporter.path()).absolutePath();
    showStatus(dialog.statusText());
  }
}
