#include "rvsmsapi.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

#include <type_traits>

namespace {
QString& libraryDirectory() {
  static QString dir;
  return dir;
}
}  // namespace

RvSmsApi& RvSmsApi::instance() {
  static RvSmsApi api;
  return api;
}

void RvSmsApi::setLibraryDirectory(const QString& dir) {
  libraryDirectory() = dir;
}

bool RvSmsApi::load() {
  if (tried_) return loaded_;
  tried_ = true;
  QString dir = libraryDirectory();
  if (dir.isEmpty()) dir = QCoreApplication::applicationDirPath();
  static QLibrary library;
  library.setFileName(QDir(dir).filePath(QStringLiteral("librvsms.so")));
  if (!library.load()) {
    error_ = QStringLiteral("Cannot load the SMS library: %1").arg(library.errorString());
    return false;
  }
  bool missing = false;
  auto bind = [&](auto& fn, const char* name) {
    fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(library.resolve(name));
    if (!fn && !missing) {
      missing = true;
      error_ = QStringLiteral("The SMS library lacks the function %1").arg(QLatin1String(name));
    }
  };
  bind(rvPduVersion, "rvPduVersion");
  bind(Ansi2UniLong, "Ansi2UniLong");
  bind(rvMakeUniPduData, "rvMakeUniPduData");
  bind(rvMakeSubmitPDU, "rvMakeSubmitPDU");
  bind(rvConvertString, "rvConvertString");
  bind(rvMake7BitPduData, "rvMake7BitPduData");
  bind(rvConvert27BitGSM, "rvConvert27BitGSM");
  loaded_ = !missing;
  return loaded_;
}
