#include "files/filetables.h"

#include <QFileInfo>

#include "files/imelodyreader.h"
#include "files/nokiaringtone.h"

namespace filetables {

const QList<OpenFilter>& OpenFilters() {
  static const QList<OpenFilter> filters = {
      {1, QStringLiteral("RTTTL/Nokring (*.txt;*.rtx)"), QStringLiteral("*.txt;*.rtx"), kTypeRtttl,
       RV_FORMAT_RTTTL},
      {2, QStringLiteral("Midi (*.mid;*.midi)"), QStringLiteral("*.mid;*.midi"), kTypeMidi,
       RV_FORMAT_MIDI},
      {3, QStringLiteral("SagemMelodie (*.srt;*.txt)"), QStringLiteral("*.srt;*.txt"), kTypeSagem,
       RV_FORMAT_SAGEM},
      {4, QStringLiteral("Nokia ringtone (*.ota;*.ott;*.rng)"), QStringLiteral("*.ota;*.ott;*.rng"),
       kTypeNokia, RV_FORMAT_NOKIA, readNokiaRingtone},
      {5, QStringLiteral("iMelody (*.imy)"), QStringLiteral("*.imy"), kTypeImelody,
       RV_FORMAT_IMELODY, readIMelody},
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
       RV_FORMAT_SAGEM,
       true,
       {setting("SOpti"), setting("SOptiLF"), fixed(0)},
       kTypeSagem},
      {2,
       QStringLiteral("SagemMelodie (*.srt)"),
       QStringLiteral("*.srt"),
       QStringLiteral(".srt"),
       RV_FORMAT_SAGEM,
       true,
       {fixed(0), setting("SOptiLF"), fixed(0)},
       kTypeSagem},
      {3,
       QStringLiteral("RTTTL/Nokring (*.rtx;*.txt)"),
       QStringLiteral("*.rtx;*.txt"),
       QStringLiteral(".rtx"),
       RV_FORMAT_RTTTL,
       true,
       {fixed(0), fixed(0), fixed(0)},
       kTypeRtttl},
      {4,
       QStringLiteral("Midi (*.mid;*.midi)"),
       QStringLiteral("*.mid;*.midi"),
       QStringLiteral(".mid"),
       RV_FORMAT_MIDI,
       false,
       {},
       kTypeMidi},
      {5,
       QStringLiteral("Pealix Keypress (*.pkp;*.txt)"),
       QStringLiteral("*.pkp;*.txt"),
       QStringLiteral(".pkp"),
       RV_FORMAT_KEYPRESS,
       true,
       {fixed(1), fixed(1), fixed(0)},
       kTypeNone},
      {6,
       QStringLiteral("Alcatel 300 (*.txt)"),
       QStringLiteral("*.txt"),
       QStringLiteral(".txt"),
       RV_FORMAT_ALCATEL,
       true,
       {fixed(0), fixed(0), fixed(0)},
       kTypeNone},
      {7,
       QStringLiteral("Nokia SMS (*.ota;*.txt)"),
       QStringLiteral("*.ota;*.txt"),
       QStringLiteral(".ota"),
       RV_FORMAT_NOKIA,
       true,
       {setting("NokiaExport"), setting("NokiaUDH"), setting("NokiaOpti")},
       kTypeNone},
      {8,
       QStringLiteral("iMelody (*.imy)"),
       QStringLiteral("*.imy"),
       QStringLiteral(".imy"),
       RV_FORMAT_IMELODY,
       true,
       {fixed(0), fixed(0), fixed(0)},
       kTypeNone},
      {9,
       QStringLiteral("Pealix Test-XML (*.xml)"),
       QStringLiteral("*.xml"),
       QStringLiteral(".xml"),
       RV_FORMAT_TEST_XML,
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
