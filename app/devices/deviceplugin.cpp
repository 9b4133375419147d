#include "devices/deviceplugin.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

#include <mutex>

namespace pxdevices {
namespace {

struct PluginState {
  std::mutex mutex;
  QString directory;
  QLibrary library;
  bool tried = false;
  QString error;
};

PluginState& state() {
  // Never destroyed: objects the plugin made may still be alive while statics are torn down.
  static PluginState* s = new PluginState;
  return *s;
}

QString directoryLocked(const PluginState& s) {
  if (!s.directory.isEmpty()) return s.directory;
  if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath();
  // A program without an application object (a test) is still in its own folder.
  return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section('/', 0, -2);
}

}  // namespace

QString directory() {
  PluginState& s = state();
  std::lock_guard lock(s.mutex);
  return directoryLocked(s);
}

void setDirectory(const QString& dir) {
  PluginState& s = state();
  std::lock_guard lock(s.mutex);
  s.directory = dir;
}

QString pluginPath() {
  return QDir(directory()).filePath(QLatin1String(kPluginFile));
}

void* entry(const char* name, QString* error) {
  PluginState& s = state();
  std::lock_guard lock(s.mutex);
  if (!s.tried) {
    s.tried = true;
    const QString path = QDir(directoryLocked(s)).filePath(QLatin1String(kPluginFile));
    s.library.setFileName(path);
    if (!s.library.load())
      s.error = QStringLiteral(
                    "The sound and serial plugin %1 could not be loaded (%2); reinstall the "
                    "program to play, render or use the serial port.")
                    .arg(QDir::toNativeSeparators(path), s.library.errorString());
  }
  if (!s.error.isEmpty()) {
    if (error) *error = s.error;
    return nullptr;
  }
  void* fn = reinterpret_cast<void*>(s.library.resolve(name));
  if (!fn && error)
    *error = QStringLiteral("The sound and serial plugin %1 lacks the function %2.")
                 .arg(QDir::toNativeSeparators(s.library.fileName()), QLatin1String(name));
  return fn;
}

}  // namespace pxdevices
