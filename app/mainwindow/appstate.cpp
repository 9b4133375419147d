#include "mainwindow/appstate.h"

#include <QFileInfo>

#include "files/filetables.h"
#include "melody/rvtonehead.h"
#include "languages/reslang.h"

CommandLineFile ParseCommandLine(const QStringList& arguments) {
  CommandLineFile f;
  if (arguments.isEmpty() || arguments.front().isEmpty()) return f;
  const QString& arg = arguments.front();
  const int type = filetables::FileTypeFromPath(arg);
  if (type == filetables::kTypeNone) return f;
  f.path = QFileInfo(arg).absoluteFilePath();
  f.fileType = type;
  f.formatId = filetables::FormatIdForFileType(type);
  return f;
}

void StartUp(AppState& state, const QStringList& arguments,
             std::unique_ptr<pxsettings::SettingsStore> store) {
  // Program-wide defaults.
  state.settings = MainSettings();
  rvTonehead::setMaxEvents(AppState::kMaxEvents);
  state.document.setPendingStatus(QString());
  state.document.setModified(false);
  state.store = store ? std::move(store) : std::make_unique<pxsettings::SettingsStore>();
  // The melodies live in the document; the serial properties.
  state.comm.Init();
  // Languages: English is current, default and saved until the stored choice is read.
  reslang& langs = AppLanguages();
  if (langs.size() == 0) RegisterLanguages(langs);
  langs.SetLang(1);
  langs.SetDefaultLang(1);
  langs.SetSaveLang(1);
  state.sms.Init();
  state.formats.RegisterDefaultFormats();
  state.commandLine = ParseCommandLine(arguments);
}
