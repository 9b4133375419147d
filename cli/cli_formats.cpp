// The formats as the command line names them, and how a file name or --from/--to picks one.
#include <algorithm>
#include <cctype>
#include <iostream>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "cli_common.h"
#include "files/filedetect.h"
#include "files/filetables.h"
#include "languages/reslang.h"

namespace cli {
namespace {

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

}  // namespace

const std::vector<CliFormat>& formats() {
  static const std::vector<CliFormat> table = [] {
    std::vector<CliFormat> out;
    for (const formatcatalogue::Format& f : formatcatalogue::Formats())
      out.push_back({f.cliName,
                     f.id,
                     {f.cliDefaults[0], f.cliDefaults[1], f.cliDefaults[2]},
                     f.description,
                     &f});
    return out;
  }();
  return table;
}

const CliFormat* formatByName(const std::string& name) {
  const std::string n = lower(name);
  for (const CliFormat& f : formats())
    if (n == f.name) return &f;
  return nullptr;
}

const CliFormat* formatById(int32_t id) {
  for (const CliFormat& f : formats())
    if (f.id == id && id != 0) return &f;
  return nullptr;
}

const CliFormat* formatForRead(const std::string& path, std::string* problem) {
  const QString fileName = QFileInfo(QString::fromStdString(path)).fileName();
  const filetables::OpenFilter* byName = nullptr;
  for (const filetables::OpenFilter& f : filetables::OpenFilters())
    if (!byName && QDir::match(f.pattern, fileName)) byName = &f;
  QFile file(QString::fromStdString(path));
  if (path == "-" || !QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly))
    return byName ? formatById(byName->formatId) : nullptr;
  const filedetect::Detected d = filedetect::DetectFileType(
      file.read(512), file.size(), byName ? byName->fileType : filetables::kTypeNone);
  if (d.problemRes != 0 && problem) *problem = GetResString(d.problemRes).toStdString();
  const int formatId =
      d.problemRes != 0 && byName ? byName->formatId : filetables::FormatIdForFileType(d.fileType);
  return formatById(formatId);
}

const CliFormat* formatForWrite(const std::string& path) {
  const filetables::SaveFilter* f =
      filetables::SaveFilterForFile(QFileInfo(QString::fromStdString(path)).fileName());
  return f ? formatById(f->formatId) : nullptr;
}

std::string extensionsOf(const CliFormat& format) {
  QStringList extensions;
  for (const filetables::OpenFilter& f : filetables::OpenFilters())
    if (f.formatId == format.id) extensions << f.pattern.split(';');
  if (const filetables::SaveFilter* f = filetables::SaveFilterForFormat(format.id))
    if (format.id != 0) extensions << "*" + f->extension;
  extensions.removeDuplicates();
  // Only the extensions that pick this format (".txt" is RTTTL's, not Sagem's).
  std::string out;
  for (const QString& pattern : extensions) {
    const std::string file = "x" + pattern.mid(1).toStdString();
    if (formatForRead(file) != &format && formatForWrite(file) != &format) continue;
    out += (out.empty() ? "" : " ") + pattern.mid(1).toStdString();
  }
  return out;
}

const CliFormat* chooseFormat(const char* command, const std::optional<std::string>& named,
                              const std::string& path, bool reading) {
  const CliFormat* format =
      named ? formatByName(*named) : (reading ? formatForRead(path) : formatForWrite(path));
  if (!format)
    std::cerr << "pealix-cli " << command << ": "
              << (named ? "unknown format '" + *named + "'"
                        : "cannot tell the format of " + path + "; name it with " +
                              (reading ? "--from" : "--to"))
              << "\n";
  return format;
}

std::vector<int32_t> composeOptions(const CliFormat& format,
                                    const std::optional<int32_t> (&given)[3]) {
  int last = -1;
  for (int i = 0; i < 3; ++i)
    if (given[i]) last = i;
  std::vector<int32_t> options;
  for (int i = 0; i <= last; ++i)
    options.push_back(given[i] ? *given[i] : format.defaultOptions[i]);
  return options;
}

}  // namespace cli
