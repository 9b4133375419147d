#include "files/filetables.h"

#include <QFileInfo>

#include "files/imelodyreader.h"
#include "files/nokiaringtone.h"

namespace filetables {

const QList<OpenFilter>& OpenFilters() {
  static const QList<OpenFilter> filters = {
      {1, QStringLiteral("RTTTL/Nokring (*.txt;*.rtx)"), QStringLiteral("*.txt;*.rtx"), kTypeRtttl,
       7},
      {2, QStringLiteral("Midi (*.mid;*.midi)"), QStringLiteral("*.mid;*.midi"), kTypeMidi, 10},
      {3, QStringLiteral("SagemMelodie (*.srt;*.txt)"), QStringLiteral("*.srt;*.txt"), kTypeSagem,
       2},
      {4, QStringLiteral("Nokia ringtone (*.ota;*.ott;*.rng)"), QStringLiteral("*.ota;*.ott;*.rng"),
       kTypeNokia, 9, readNokiaRingtone},
      {5, QStringLiteral("iMelody (*.imy)"), QStringLiteral("*.imy"), kTypeImelody, 14,
       readIMelody},
  };
  return filters;
}

const QList<SaveFilter>& SaveFilters() {
  auto fixed = [](int v) { return Option{QString(), v}; };
  auto setting = [](const char* key) { return Option{QString::fromLatin1(key), 0}; };
  static const QList<SaveFilter> filters = {
      {1,
       QStringLiteral("Sagem SMS opti. (*.srt)"),
       QStringLiteral("*.srt"),
       QStringLiteral(".srt"),
       2,
       true,
       {setting("SOpti"), setting("SOptiLF"), fixed(0)},
       kTypeSagem},
      {2,
       QStringLiteral("SagemMelodie (*.srt)"),
       QStringLiteral("*.srt"),
       QStringLiteral(".srt"),
       2,
       true,
       {fixed(0), setting("SOptiLF"), fixed(0)},
       kTypeSagem},
      {3,
       QStringLiteral("RTTTL/Nokring (*.rtx;*.txt)"),
       QStringLiteral("*.rtx;*.txt"),
       QStringLiteral(".rtx"),
       7,
       true,
       {fixed(0), fixed(0), fixed(0)},
       kTypeRtttl},
      {4,
       QStringLiteral("Midi (*.mid;*.midi)"),
       QStringLiteral("*.mid;*.midi"),
       QStringLiteral(".mid"),
       10,
       false,
       {},
       kTypeMidi},
      {5,
       QStringLiteral("Pealix Keypress (*.pkp;*.txt)"),
       QStringLiteral("*.pkp;*.txt"),
       QStringLiteral(".pkp"),
       3,
       true,
       {fixed(1), fixed(1), fixed(0)},
       kTypeNone},
      {6,
       QStringLiteral("Alcatel 300 (*.txt)"),
       QStringLiteral("*.txt"),
       QStringLiteral(".txt"),
       8,
       true,
       {fixed(0), fixed(0), fixed(0)},
       kTypeNone},
      {7,
       QStringLiteral("Nokia SMS (*.ota;*.txt)"),
       QStringLiteral("*.ota;*.txt"),
       QStringLiteral(".ota"),
       9,
       true,
       {setting("NokiaExport"), setting("NokiaUDH"), setting("NokiaOpti")},
       kTypeNone},
      {8,
       QStringLiteral("iMelody (*.imy)"),
       QStringLiteral("*.imy"),
       QStringLiteral(".imy"),
       14,
       true,
       {fixed(0), fixed(0), fixed(0)},
       kTypeNone},
      {9,
       QStringLiteral("Pealix Test-XML (*.xml)"),
       QStringLiteral("*.xml"),
       QStringLiteral(".xml"),
       19,
       true,
       {fixed(0), fixed(0), fixed(0)},
       kTypeNone},
      {10,
       QStringLiteral("Arduino header (*.h)"),
       QStringLiteral("*.h"),
       QStringLiteral(".h"),
       22,
       true,
       {fixed(0), fixed(0), fixed(0)},
       kTypeNone},
  };
  return filters;
}

const OpenFilter* OpenFilterForFile(const QString& fileName) {
  const QString suffix = QFileInfo(fileName).suffix().toLower();
  if (suffix.isEmpty()) return nullptr;
  const QString wanted = QStringLiteral("*.") + suffix;
  for (const OpenFilter& f : OpenFilters())
    if (f.pattern.split(QLatin1Char(';')).contains(wanted)) return &f;
  return nullptr;
}

const SaveFilter* SaveFilterForFile(const QString& fileName) {
  const QString suffix = QFileInfo(fileName).suffix().toLower();
  if (suffix.isEmpty()) return nullptr;
  const QString wanted = QStringLiteral("*.") + suffix;
  // Dialog order: ".txt" lands on RTTTL, ".srt" on the optimised Sagem SMS filter.
  for (const SaveFilter& f : SaveFilters())
    if (f.pattern.split(QLatin1Char(';')).contains(wanted)) return &f;
  return nullptr;
}

const SaveFilter* SaveFilterForFormat(int formatId) {
  for (const SaveFilter& f : SaveFilters())
    if (f.formatId == formatId) return &f;
  return nullptr;
}

int FileTypeFromPath(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QLatin1String("rtx")) return kTypeRtttl;
  if (suffix == QLatin1String("mid") || suffix == QLatin1String("midi")) return kTypeMidi;
  if (suffix == QLatin1String("srt")) return kTypeSagem;
  // The formats the application reads itself open the same way as the library's.
  if (suffix == QLatin1String("ota") || suffix == QLatin1String("ott") ||
      suffix == QLatin1String("rng"))
    return kTypeNokia;
  if (suffix == QLatin1String("imy")) return kTypeImelody;
  return kTypeNone;
}

int FormatIdForFileType(int fileType) {
  for (const OpenFilter& f : OpenFilters())
    if (f.fileType == fileType) return f.formatId;
  return -1;
}

QString WithExtension(const QString& fileName, const QString& extension) {
  if (fileName.endsWith(extension, Qt::CaseInsensitive)) return fileName;
  return fileName + extension;
}

}  // namespace filetables
