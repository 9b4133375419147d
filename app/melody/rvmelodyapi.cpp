#include "rvmelodyapi.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace {
QString& libraryDirectory() {
  static QString dir;
  return dir;
}
}  // namespace

RvMelodyApi& RvMelodyApi::instance() {
  static RvMelodyApi api;
  return api;
}

void RvMelodyApi::setLibraryDirectory(const QString& dir) { libraryDirectory() = dir; }

bool RvMelodyApi::load() {
  if (tried_) return loaded_;
  tried_ = true;
  QString dir = libraryDirectory();
  if (dir.isEmpty()) dir = QCoreApplication::applicationDirPath();
  static QLibrary library;
  library.setFileName(QDir(dir).filePath(QStringLiteral("librvmelody.so")));
  if (!library.load()) {
    error_ = QStringLiteral("Cannot load the melody library: %1").arg(library.errorString());
    return false;
  }
  bool missing = false;
  auto bind = [&](auto& fn, const char* name) {
    fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(library.resolve(name));
    if (!fn && !missing) {
      missing = true;
      error_ = QStringLiteral("The melody library lacks the function %1").arg(QLatin1String(name));
    }
  };
  bind(rvtVersion, "rvtVersion");
  bind(rvtMeloSupport, "rvtMeloSupport");
  bind(rvmReadMelo, "rvmReadMelo");
  bind(rvmMeloExport, "rvmMeloExport");
  bind(rvmMelo2String, "rvmMelo2String");
  bind(rvmModifyMelody, "rvmModifyMelody");
  bind(rvMVelo2iVol, "rvMVelo2iVol");
  bind(rviVol2MVelo, "rviVol2MVelo");
  bind(rvSetHostHooks, "rvSetHostHooks");
  loaded_ = !missing;
  return loaded_;
}
