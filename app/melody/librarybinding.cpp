#include "librarybinding.h"

#include <QCoreApplication>
#include <QDir>

bool LibraryBinding::load() {
  if (tried_) return loaded_;
  tried_ = true;
  const QString dir = directory_.isEmpty() ? QCoreApplication::applicationDirPath() : directory_;
  library_.setFileName(QDir(dir).filePath(QLatin1String(fileName_)));
  if (!library_.load()) {
    error_ = QStringLiteral("Cannot load the %1: %2")
                 .arg(QLatin1String(description_), library_.errorString());
    return false;
  }
  loaded_ = true;
  bindExports();
  return loaded_;
}

void LibraryBinding::missingExport(const char* name) {
  if (!loaded_) return;  // the first missing export names the problem
  loaded_ = false;
  error_ = QStringLiteral("The %1 lacks the function %2")
               .arg(QLatin1String(description_), QLatin1String(name));
}
