#include "settings/tempfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <unistd.h>

namespace {

QString& overrideDir() {
  static QString dir;
  return dir;
}

QString& chosenDir() {
  static QString dir;
  return dir;
}

constexpr QFileDevice::Permissions kPrivate =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

// A folder we may use: ours, a real folder (not a link) and closed to everybody else.
bool usable(const QString& path) {
  const QFileInfo fi(path);
  if (!fi.exists() || fi.isSymLink() || !fi.isDir()) return false;
  if (fi.ownerId() != static_cast<uint>(::getuid())) return false;
  if (fi.permissions() & (QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                          QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther))
    return QFile::setPermissions(path, kPrivate);
  return true;
}

bool makePrivate(const QString& path) {
  if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) return usable(path);
  if (!QDir().mkpath(path)) return false;
  QFile::setPermissions(path, kPrivate);
  return usable(path);
}

}  // namespace

QString pxTempDir() {
  if (!overrideDir().isEmpty()) {
    QDir().mkpath(overrideDir());
    return overrideDir();
  }
  QString& dir = chosenDir();
  if (!dir.isEmpty() && usable(dir)) return dir;
  dir.clear();
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QFileInfo(runtime).isDir() &&
      makePrivate(runtime + QStringLiteral("/pealix"))) {
    dir = runtime + QStringLiteral("/pealix");
    return dir;
  }
  const QString shared = QDir::tempPath() + QStringLiteral("/pealix-") +
                         QString::number(static_cast<qulonglong>(::getuid()));
  if (makePrivate(shared)) {
    dir = shared;
    return dir;
  }
  // Someone else holds the usual name: a fresh private folder of our own.
  QTemporaryDir fresh(QDir::tempPath() + QStringLiteral("/pealix-XXXXXX"));
  if (fresh.isValid()) {
    fresh.setAutoRemove(false);
    QFile::setPermissions(fresh.path(), kPrivate);
    dir = fresh.path();
  }
  return dir;
}

QString pxTempFile(const QString& name) {
  const QString dir = pxTempDir();
  return dir.isEmpty() ? QString() : dir + QLatin1Char('/') + name;
}

QStringList pxTempFileNames() {
  return {QStringLiteral("play.mid"), QStringLiteral("input.mid"), QStringLiteral("temp.pxm")};
}

bool pxRemoveTempFiles() {
  const QString dir = pxTempDir();
  if (dir.isEmpty()) return true;
  bool clean = true;
  for (const QString& name : pxTempFileNames()) {
    const QString path = dir + QLatin1Char('/') + name;
    if (QFileInfo::exists(path) && !QFile::remove(path)) clean = false;
  }
  return clean;
}

void pxSetTempDir(const QString& dir) {
  overrideDir() = dir;
  chosenDir().clear();
}
