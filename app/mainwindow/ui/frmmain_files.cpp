// The main window's file, clipboard, event editor and options commands: New, Open, Save,
// Save As, the recent files, every clipboard export and import, the event editor and the
// options window. The work is done by the file and clipboard functions of the core; this
// file asks, shows and refreshes.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTableView>
#include <QUrl>

#include "eventeditor/ui/frmnewevent.h"
#include "files/cliptransfer.h"
#include "files/filecommands.h"
#include "files/ui/frmlistchoice.h"
#include "files/ui/frmmidiopendlg.h"
#include "languages/reslang.h"
#include "mainwindow/ui/frmmain.h"
#include "phonelink/modpdu.h"
#include "settings/ui/frmoptions.h"

namespace {

QString res(int id) {
  return GetResString(id);
}

constexpr int kResChooseTune = 2508;
constexpr int kResWhichTune = 2509;
constexpr int kResReplaceQuestion = 2512;
// The clipboard status of a kind sized for one SMS that left notes out.
constexpr int kResClipboardCut = 2109;

// The file type (1 RTTTL, 2 MIDI, 3 Sagem) of a format id that the open command reads.
int FileTypeOfFormat(int formatId) {
  for (const filetables::OpenFilter& f : filetables::OpenFilters())
    if (f.formatId == formatId) return f.fileType;
  return filetables::kTypeNone;
}

QString RunFileDialog(QWidget* parent, bool save, const QString& title, const QString& dir,
                      const QString& filters, QString* selectedFilter) {
  QFileDialog dialog(parent, title, dir, filters);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::ReadOnly, false);
  if (selectedFilter && !selectedFilter->isEmpty()) dialog.selectNameFilter(*selectedFilter);
  // Another filter picked in Save As changes the proposed name's extension with it.
  if (save)
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& f) {
      if (auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        edit->setText(filecmd::NameForSaveFilter(edit->text(), f, res));
    });
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  if (selectedFilter) *selectedFilter = dialog.selectedNameFilter();
  return dialog.selectedFiles().first();
}

}  // namespace

void frmMain::initFileCommands() {
  openFileDialog = [this](const QString& title, const QString& dir, const QString& filters,
                          QString* selected) {
    return RunFileDialog(this, false, title, dir, filters, selected);
  };
  saveFileDialog = [this](const QString& title, const QString& dir, const QString& filters,
                          QString* selected) {
    return RunFileDialog(this, true, title, dir, filters, selected);
  };
  midiChannelChooser = [this](const filecmd::MidiQuestion& q) {
    return frmMidiOpenDlg::ask(q, this);
  };
  tuneChooser = [this](const QStringList& names) {
    return frmListChoice::choose(res(kResChooseTune), res(kResWhichTune).arg(names.size()), names,
                                 this);
  };
  saveAsCommand = [this] { return saveAs(); };
  openWithDesktop = [](const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
  };
  // The SMS library's errors (the PDU export) go through the window's message box while
  // the window lives.
  pduErrors_ = modPDU::ShowErrorsWith([this](const QString& title, const QString& text) {
    ask(QMessageBox::Warning, title, text, QMessageBox::Ok);
  });

  // The File menu's submenus sit between Save As and the Sagem import.
  if (QMenu* file = menuNamed("mnuFile")) {
    QAction* before = command("mnuFileImportSagem");
    for (const char* name : {"mnuFileRecent", "mnuFileClipEx", "mnuFileClipImport"}) {
      if (QMenu* sub = menuNamed(name)) {
        file->removeAction(sub->menuAction());
        if (before) file->insertMenu(before, sub);
      }
    }
    if (before) file->insertSeparator(before);
  }
  if (QMenu* adv = menuNamed("mnuAdvanced")) {
    QAction* before = command("mnuAdvCheckNow");
    for (const char* name : {"mnuAdvClipEx", "mnuAdvClipImp"}) {
      if (QMenu* sub = menuNamed(name)) {
        adv->removeAction(sub->menuAction());
        if (before) adv->insertMenu(before, sub);
      }
    }
  }
  connect(list_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
    if (!index.isValid() || !state_.document.hasMelody()) return;
    commitFields();
    ensureEventEditor();
    eventEditor_->openForEdit(index.row());
  });
  rebuildRecentMenu();
}

void frmMain::updateWindowTitle() {
  const MelodyDocument& doc = state_.document;
  setWindowTitle(filecmd::WindowTitle(res(1000), doc.filePath(), doc.isModified()));
}

bool frmMain::openChecked(const QString& path, int formatId, bool askFirst) {
  commitFields();
  if (askFirst && !confirmDiscard(filecmd::kResOpenTitle)) return false;
  // The format is only a hint: the file's content decides how it is read.
  const int fileType = FileTypeOfFormat(formatId);
  if (path.isEmpty()) return false;

  // The file is checked and read (with the MIDI channel question, or from its bytes by the
  // library's memory read) into a scratch melody first; only a good read goes into the document, as
  // one step of its history.
  pxvbMelody scratch;
  const filecmd::Result r =
      filecmd::OpenMelodyFile(scratch, path, fileType, midiChannelChooser, res, tuneChooser);
  if (r.result == 0) return false;
  if (r.result != 1) {
    ask(QMessageBox::Warning, r.errorTitle, r.errorText, QMessageBox::Ok);
    return false;
  }
  MelodyDocument& doc = state_.document;
  // One channel of a song is not the whole file: Save then asks for a name (Save As).
  doc.adoptFile(scratch, path, r.partOfFile ? -1 : filetables::FormatIdForFileType(r.fileType));
  // A melody that is only part of its file must not pass for the file: it counts as
  // changed, and saving over the file asks first.
  doc.setOverwriteCaution(filecmd::OverwriteCaution(r, res));
  if (r.truncated) {
    doc.setModified(true);
    ask(QMessageBox::Information, res(1000), filecmd::TruncatedNoticeText(r, res), QMessageBox::Ok);
  }
  if (state_.recent.add(path, r.fileType)) rebuildRecentMenu();
  const QString tunes = filecmd::TuneStatusText(r, res);
  QString status = tunes.isEmpty() ? res(filecmd::kResOpened) + QFileInfo(path).fileName() : tunes;
  if (!r.songStatus.isEmpty()) status += QStringLiteral(" – ") + r.songStatus;
  doc.setPendingStatus((status + QLatin1Char(' ') + filecmd::RoundedStatusText(r, res)).trimmed());
  list_->clearSelection();
  enableEditing();
  return true;
}

void frmMain::onFileNew() {
  commitFields();
  if (!confirmDiscard()) return;
  state_.document.newMelody(filecmd::NewMelodyFileName(res));
  list_->clearSelection();
  enableEditing();
}

void frmMain::onFileOpen() {
  commitFields();
  if (!confirmDiscard(filecmd::kResOpenTitle)) return;
  QString filter = filecmd::OpenFilterText(lastOpenFilter_, res);
  const QString path = openFileDialog(res(filecmd::kResOpenTitle), state_.settings.lastDir,
                                      filecmd::OpenDialogFilters(res), &filter);
  if (path.isEmpty()) return;
  lastOpenFilter_ = filecmd::OpenFilterIndex(filter, res);
  state_.settings.lastDir = QFileInfo(path).absolutePath();
  // The extension hints at the format, then the chosen filter; the content decides.
  const filetables::OpenFilter* byName = filetables::OpenFilterForFile(path);
  const int fileType = byName ? byName->fileType : filecmd::OpenFileType(lastOpenFilter_);
  openChecked(path, filetables::FormatIdForFileType(fileType), false);
}

void frmMain::onRecentFile(int index) {
  const RecentFiles::Entry* e = state_.recent.at(index);
  if (!e) return;
  const RecentFiles::Entry entry = *e;
  openChecked(entry.path, filetables::FormatIdForFileType(entry.fileType), true);
}

void frmMain::rebuildRecentMenu() {
  QMenu* menu = menuNamed("mnuFileRecent");
  if (!menu) return;
  menu->clear();
  const auto& entries = state_.recent.entries();
  for (int i = 0; i < entries.size(); ++i) {
    auto* a = menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(entries[i].path));
    a->setObjectName(QStringLiteral("mnuFileMRU"));
    a->setProperty("Index", i);
    a->setStatusTip(entries[i].path);
    connect(a, &QAction::triggered, this, [this, i] { onRecentFile(i); });
  }
  menu->setEnabled(!entries.isEmpty());
}

void frmMain::onFileSave() {
  commitFields();
  const MelodyDocument& doc = state_.document;
  const filetables::SaveFilter* filter =
      filecmd::InPlaceSaveFilter(FileTypeOfFormat(doc.fileFormat()));
  if (!filter || doc.filePath().isEmpty() || !QFileInfo(doc.filePath()).isAbsolute()) {
    saveAs();
    return;
  }
  const QString path = doc.filePath();
  if (!doc.overwriteCaution().isEmpty()) {
    const QMessageBox::StandardButton b =
        ask(QMessageBox::Warning, res(filecmd::kResSaveTitle),
            filecmd::OverwriteQuestion(path, doc.overwriteCaution(), res),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::No);
    if (b == QMessageBox::No) saveAs();
    if (b != QMessageBox::Yes) return;
  }
  const filecmd::Result r =
      filecmd::SaveMelodyFile(doc.melody(), path, *filter, state_.settings, res);
  if (r.result != 1) {
    if (r.result == -1) ask(QMessageBox::Warning, r.errorTitle, r.errorText, QMessageBox::Ok);
    return;
  }
  state_.document.setModified(false);
  state_.document.setOverwriteCaution(QString());
  showStatus((res(filecmd::kResSaved) + QFileInfo(path).fileName() + QLatin1Char(' ') +
              filecmd::SaveChangesText(doc.melody(), path, *filter, res, r.writerValue))
                 .trimmed());
  updateCommandStates();
}

void frmMain::onFileSaveAs() {
  saveAs();
}

bool frmMain::saveAs() {
  commitFields();
  MelodyDocument& doc = state_.document;
  // The dialog starts on the current file's format with its name; No to "Replace it?"
  // goes back to the dialog.
  filecmd::SaveAsStart start =
      filecmd::SaveAsProposal(doc.filePath(), doc.fileFormat(), lastSaveFilter_,
                              doc.melody().sName(), state_.settings.lastDir);
  QString path;
  const filetables::SaveFilter* f = nullptr;
  for (;;) {
    QString filter = filecmd::SaveFilterText(start.filterIndex, res);
    const QString chosen = saveFileDialog(res(filecmd::kResSaveTitle), start.path,
                                          filecmd::SaveDialogFilters(res), &filter);
    if (chosen.isEmpty()) return false;
    lastSaveFilter_ = filecmd::SaveFilterIndex(filter, res);
    f = &filetables::SaveFilters()[lastSaveFilter_ - 1];
    path = filecmd::SavePath(chosen, *f);
    // The dialog asked about the name it returned; a name the extension was added to is
    // asked about here.
    if (path == chosen || !QFileInfo::exists(path) ||
        ask(QMessageBox::Warning, res(filecmd::kResSaveTitle),
            res(kResReplaceQuestion).arg(QFileInfo(path).fileName()),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes)
      break;
    start = {lastSaveFilter_, path};
  }
  state_.settings.lastDir = QFileInfo(path).absolutePath();
  const filecmd::Result r = filecmd::SaveMelodyFile(doc.melody(), path, *f, state_.settings, res);
  if (r.result != 1) {
    if (r.result == -1) ask(QMessageBox::Warning, r.errorTitle, r.errorText, QMessageBox::Ok);
    return false;
  }
  if (f->recentType != filetables::kTypeNone && state_.recent.add(path, f->recentType))
    rebuildRecentMenu();
  // Only a file that holds the whole melody in a format the program reads back becomes
  // the current file; the other formats are exports and the melody stays as it was.
  const bool becomesCurrent = filecmd::InPlaceSaveFilter(f->recentType) == f;
  if (becomesCurrent) {
    doc.setFile(path, f->formatId);
    doc.setModified(false);
  }
  const QString saved = becomesCurrent ? res(filecmd::kResSaved) + QFileInfo(path).fileName()
                                       : filecmd::ExportStatusText(path, doc.filePath(), res);
  showStatus((saved + QLatin1Char(' ') +
              filecmd::SaveChangesText(doc.melody(), path, *f, res, r.writerValue))
                 .trimmed());
  updateCommandStates();
  return true;
}

void frmMain::clipExport(int kind) {
  commitFields();
  const cliptransfer::TextResult t =
      cliptransfer::ExportText(state_.document.melody(), static_cast<cliptransfer::Export>(kind),
                               state_.settings, state_.sms, res);
  if (t.status.result == 0) {
    showStatus(res(1566));
    return;
  }
  if (t.status.result != 1) {
    if (!t.status.errorText.isEmpty())
      ask(QMessageBox::Warning, t.status.errorTitle, t.status.errorText, QMessageBox::Ok);
    return;
  }
  QGuiApplication::clipboard()->setText(t.text);
  // A kind sized for one SMS that left notes out says so.
  showStatus(t.notesWritten >= 0 ? res(kResClipboardCut).arg(t.notesWritten).arg(t.notesInMelody)
                                 : res(filecmd::kResClipboardDone));
}

void frmMain::clipImport(int kind) {
  commitFields();
  std::optional<QString> text;
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  if (mime && mime->hasText()) text = mime->text();
  pxvbMelody read;
  read.assign(state_.document.melody());
  const filecmd::Result r = cliptransfer::ImportText(read, static_cast<cliptransfer::Import>(kind),
                                                     text, state_.settings, res);
  if (r.result == 0) return;
  if (r.result != 1) {
    ask(QMessageBox::Warning, r.errorTitle, r.errorText, QMessageBox::Ok);
    return;
  }
  if (r.truncated)
    ask(QMessageBox::Information, res(1000), filecmd::TruncatedNoticeText(res), QMessageBox::Ok);
  state_.document.adoptImport(read, filecmd::ClipboardImportName());
  state_.document.setPendingStatus(res(1567));
  list_->clearSelection();
  enableEditing();
}

void frmMain::onFileImportSagem() {
  // Open with the Sagem filter chosen; the file's content still decides how it is read.
  commitFields();
  if (!confirmDiscard(filecmd::kResOpenTitle)) return;
  QString filter = filecmd::OpenFilterText(filetables::kTypeSagem, res);
  const QString path = openFileDialog(res(filecmd::kResOpenTitle), state_.settings.lastDir,
                                      filecmd::OpenDialogFilters(res), &filter);
  if (path.isEmpty()) return;
  state_.settings.lastDir = QFileInfo(path).absolutePath();
  openChecked(path, filetables::FormatIdForFileType(filetables::kTypeSagem), false);
}

frmNewEvent* frmMain::eventEditor() const {
  return eventEditor_;
}

void frmMain::ensureEventEditor() {
  if (eventEditor_) return;
  eventEditor_ = new frmNewEvent(
      state_.document, [this] { enableEditing(); }, state_.store.get(), this);
}

void frmMain::onAddEvent() {
  commitFields();
  ensureEventEditor();
  eventEditor_->openForNew();
}

void frmMain::onEditEvent() {
  commitFields();
  const QList<int> rows = selectedRows();
  if (rows.isEmpty() || state_.document.melody().size() == 0) return;
  ensureEventEditor();
  eventEditor_->openForEdit(rows.first());
}

void frmMain::onOptions() {
  if (!state_.store) return;
  frmOptions options(
      state_.settings, state_.comm, state_.sms, state_.recent, *state_.store,
      [this] { rebuildRecentMenu(); }, this);
  options.exec();
  applyListStyle();
}
