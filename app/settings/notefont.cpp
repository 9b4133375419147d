#include "settings/notefont.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace notefont {
namespace {

QByteArray readAll(const QString& path, bool* ok) {
  QFile f(path);
  *ok = f.open(QIODevice::ReadOnly);
  return *ok ? f.readAll() : QByteArray();
}

}  // namespace

QString FontFileName() {
  return QStringLiteral("Pealix.ttf");
}

QString UserFontsDirectory() {
  QString base = qEnvironmentVariable("XDG_DATA_HOME");
  if (base.isEmpty() || QDir::isRelativePath(base))
    base = QDir::homePath() + QStringLiteral("/.local/share");
  return base + QStringLiteral("/fonts");
}

bool Ships(const QString& appDir) {
  return QFileInfo(QDir(appDir).filePath(FontFileName())).isFile();
}

Outcome Install(const QString& appDir, const QString& fontsDir) {
  Outcome o;
  const QString source = QDir(appDir).filePath(FontFileName());
  const QString target = QDir(fontsDir).filePath(FontFileName());
  o.fontPath = target;
  const bool haveSource = QFileInfo(source).isFile();
  const bool haveTarget = QFileInfo(target).isFile();
  if (!haveSource) {
    o.status = haveTarget ? Status::AlreadyInstalled : Status::NothingToInstall;
    if (!haveTarget) o.fontPath.clear();
    return o;
  }
  bool ok = false;
  const QByteArray font = readAll(source, &ok);
  if (!ok) {
    o.status = Status::Failed;
    return o;
  }
  if (haveTarget) {
    bool same = false;
    if (readAll(target, &same) == font && same) {
      o.status = Status::AlreadyInstalled;
      return o;
    }
  }
  // Written whole or not at all: a font folder never holds half a font.
  QSaveFile out(target);
  if (!QDir().mkpath(fontsDir) || !out.open(QIODevice::WriteOnly) ||
      out.write(font) != font.size() || !out.commit()) {
    o.status = Status::Failed;
    return o;
  }
  o.status = Status::Installed;
  return o;
}

int MessageRes(Status status) {
  switch (status) {
    case Status::Installed:
      return kResInstalled;
    case Status::AlreadyInstalled:
      return kResAlreadyInstalled;
    case Status::NothingToInstall:
      return kResNothingToInstall;
    case Status::Failed:
      return kResFailed;
  }
  return kResFailed;
}

}  // namespace notefont
