#include "mainwindow/ui/commandicons.h"

#include <QFile>

#include <utility>

static void initCommandIconResources() {
  // The resources live in a static library: nothing would pull them in otherwise.
  Q_INIT_RESOURCE(commandicons);
}

QString CommandIconName(const char* command) {
  static const std::pair<const char*, const char*> kNames[] = {
      {"mnuFileNew", "document-new"},         {"mnuFileOpen", "document-open"},
      {"mnuFileSave", "document-save"},       {"mnuFileSaveAs", "document-save-as"},
      {"mnuFileExit", "application-exit"},    {"mnuEditUndo", "edit-undo"},
      {"mnuEditRedo", "edit-redo"},           {"mnuEditCut", "edit-cut"},
      {"mnuEditCopy", "edit-copy"},           {"mnuEditPaste", "edit-paste"},
      {"mnuEditDelNotesSel", "edit-delete"},  {"mnuPlayMidi", "media-playback-start"},
      {"mnuPlayStop", "media-playback-stop"}, {"mnuHelpReadme", "help-contents"},
      {"mnuHelpAbout", "help-about"},
  };
  for (const auto& [name, icon] : kNames)
    if (qstrcmp(name, command) == 0) return QLatin1String(icon);
  return {};
}

QIcon FallbackIcon(const QString& iconName) {
  static bool initialised = false;
  if (!initialised) {
    initCommandIconResources();
    initialised = true;
  }
  QIcon icon;
  if (iconName.isEmpty()) return icon;
  for (int size : {16, 24, 32, 48}) {
    const QString file = QStringLiteral(":/icons/png/%1/%2.png").arg(size).arg(iconName);
    if (QFile::exists(file)) icon.addFile(file, QSize(size, size));
  }
  return icon;
}

QIcon CommandIcon(const char* command) {
  const QString name = CommandIconName(command);
  if (name.isEmpty()) return {};
  return QIcon::fromTheme(name, FallbackIcon(name));
}
