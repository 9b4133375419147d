#include "files/filetables.h"

#include <QFileInfo>

#include "files/memoryread.h"
#include "melody/formatcatalogue.h"

namespace filetables {

namespace {

namespace fc = formatcatalogue;

AppReader appReaderOf(const fc::Format& format) {
  return format.readsFromMemory ? memoryread::Read : nullptr;
}

Option optionOf(const fc::Option& o) {
  return o.settingKey ? Option{QString::fromLatin1(o.settingKey), 0} : Option{QString(), o.value};
}

}  // namespace

// Both dialogs' tables come from the format catalogue, in its filter order.
const QList<OpenFilter>& OpenFilters() {
  static const QList<OpenFilter> filters = [] {
    QList<OpenFilter> out;
    for (const fc::OpenEntry* e : fc::OpenEntries()) {
      const fc::Format* f = fc::OwnerOf(e);
      out.append({e->index, QString::fromLatin1(e->filterText), QString::fromLatin1(e->patterns),
                  e->fileType, f->id, appReaderOf(*f), e->nameRes});
    }
    return out;
  }();
  return filters;
}

const QList<SaveFilter>& SaveFilters() {
  static const QList<SaveFilter> filters = [] {
    QList<SaveFilter> out;
    for (const fc::SaveEntry* e : fc::SaveEntries()) {
      SaveFilter s{e->index,
                   QString::fromLatin1(e->filterText),
                   QString::fromLatin1(e->patterns),
                   QString::fromLatin1(e->extension),
                   fc::OwnerOf(e)->id,
                   e->hasOptions,
                   {},
                   e->recentType,
                   e->nameRes};
      if (e->hasOptions)
        for (const fc::Option& o : e->options) s.options.append(optionOf(o));
      out.append(s);
    }
    return out;
  }();
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
  // An extension names a file type when exactly one open filter lists it (".txt" is in
  // two, so it names none).
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix.isEmpty()) return kTypeNone;
  const QString wanted = QStringLiteral("*.") + suffix;
  int type = kTypeNone;
  int filters = 0;
  for (const OpenFilter& f : OpenFilters())
    if (f.pattern.split(QLatin1Char(';')).contains(wanted)) {
      type = f.fileType;
      ++filters;
    }
  return filters == 1 ? type : kTypeNone;
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
