#include "files/filecommands.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>

#include "settings/mainsettings.h"
#include "songs/songmelody.h"

namespace filecmd {
namespace {

constexpr int kMidiFormat = 10;
// A MIDI read with no channel carrying notes answers like a file without notes; any other
// read that gives no event at all like a text the reader could not use.
constexpr int kCodeNoNotes = 153;
constexpr int kCodeUnreadable = -1;
constexpr int kResNotInFormat = 841;
constexpr int kChannelAny = 255;

QString joinFilters(const QStringList& texts) {
  return texts.join(QStringLiteral(";;"));
}

// Files larger than this are no ringtone of the formats the application reads itself.
constexpr qint64 kMaxAppReaderBytes = 1 << 20;
constexpr int kResReadFile = 842;
constexpr int kResCannotRead = 856;

}  // namespace

// The Nokia ringtone and iMelody files: read by the application's own readers.
Result ReadWithAppReader(pxvbMelody& target, const QString& path,
                         const filetables::OpenFilter& filter, const ResFn& res) {
  Result r;
  r.errorTitle = rvTonehead::LibraryErrorTitle(res);
  r.result = -1;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxAppReaderBytes) {
    r.errorText = res(kResReadFile) + QLatin1Char('\n') + res(rvTonehead::kResTitle) +
                  QStringLiteral(": ") + res(kResCannotRead);
    return r;
  }
  pxvbMelody read;
  QString error;
  if (!filter.read(file.readAll(), read, &error) || read.size() == 0) {
    r.errorText = res(kResReadFile) + QLatin1Char('\n') + res(rvTonehead::kResTitle) +
                  QStringLiteral(": ") + (error.isEmpty() ? res(841) : error);
    return r;
  }
  target.assign(read);
  r.errorTitle.clear();
  r.result = 1;
  return r;
}

QString ClipboardImportName() {
  return QStringLiteral("Clipboard Import");
}

QString TruncatedNoticeText(const ResFn& res) {
  return res(rvTonehead::kResTruncated);
}

QString FileNotFoundText(const QString& path, const ResFn& res) {
  return res(kResFileNotFound) + QStringLiteral(": ") + QLatin1Char('\n') + path;
}

void SetLibraryError(Result& r, const rvTonehead::Outcome& o, const ResFn& res) {
  r.result = -1;
  r.errorTitle = rvTonehead::LibraryErrorTitle(res);
  r.errorText = rvTonehead::LibraryErrorText(o, res);
}

void MakeNewMelody(pxvbMelody& melody) {
  melody.resize(0);
  melody.addevent(8, 0, 1, 72, 127);
  melody.setbpm(120);
  melody.setsName(QStringLiteral("Pealix"));
  melody.setsComposer(QStringLiteral("Pealix"));
  melody.setsCopyright(QStringLiteral("Pealix"));
}

QString NewMelodyFileName(const ResFn& res) {
  return res(kResNew) + res(kResMelodyWord);
}

QString OpenDialogFilters() {
  QStringList texts;
  for (const filetables::OpenFilter& f : filetables::OpenFilters()) texts << f.filterText;
  return joinFilters(texts);
}

QString SaveDialogFilters() {
  QStringList texts;
  for (const filetables::SaveFilter& f : filetables::SaveFilters()) texts << f.filterText;
  return joinFilters(texts);
}

int OpenFilterIndex(const QString& selectedFilter) {
  for (const filetables::OpenFilter& f : filetables::OpenFilters())
    if (f.filterText == selectedFilter) return f.index;
  return 1;
}

int SaveFilterIndex(const QString& selectedFilter) {
  for (const filetables::SaveFilter& f : filetables::SaveFilters())
    if (f.filterText == selectedFilter) return f.index;
  return 1;
}

QString OpenFilterText(int index) {
  const auto& filters = filetables::OpenFilters();
  for (const filetables::OpenFilter& f : filters)
    if (f.index == index) return f.filterText;
  return filters.first().filterText;
}

QString SaveFilterText(int index) {
  const auto& filters = filetables::SaveFilters();
  for (const filetables::SaveFilter& f : filters)
    if (f.index == index) return f.filterText;
  return filters.first().filterText;
}

int OpenFileType(int filterIndex) {
  for (const filetables::OpenFilter& f : filetables::OpenFilters())
    if (f.index == filterIndex) return f.fileType;
  return filetables::kTypeNone;
}

Result OpenMelodyFile(pxvbMelody& target, const QString& path, int fileType,
                      const MidiChooser& chooser, const ResFn& res) {
  Result r;
  if (path.isEmpty()) return r;
  const QFileInfo info(path);
  if (!info.exists() || !info.isFile()) {
    r.result = -1;
    r.errorTitle = rvTonehead::LibraryErrorTitle(res);
    r.errorText = FileNotFoundText(path, res);
    return r;
  }
  const filetables::OpenFilter* filter = nullptr;
  for (const filetables::OpenFilter& f : filetables::OpenFilters())
    if (f.fileType == fileType && !filter) filter = &f;
  if (!filter) return r;
  const int formatId = filter->formatId;
  if (filter->read) return ReadWithAppReader(target, path, *filter, res);

  // Read into a scratch melody: the target changes only after a complete read.
  pxvbMelody read;
  rvTonehead::Request request = {1, formatId, 0, 0, kChannelAny, 0};
  rvTonehead::Outcome o = rvTonehead::ReadMelo(read, request, path, true);
  if (o.result != 1) {
    SetLibraryError(r, o, res);
    return r;
  }
  auto refuse = [&](int code, int codeRes) {
    o.result = -1;
    o.code = code;
    o.message = {code, rvTonehead::kResReadOperation, rvTonehead::kResReadFile, codeRes};
    SetLibraryError(r, o, res);
    return r;
  };
  if (formatId == kMidiFormat) {
    const int mask = request[5] & 0xFFFF;
    if (mask == 0) return refuse(kCodeNoNotes, rvTonehead::ErrorTextRes(kCodeNoNotes));
    // One channel with notes needs no question.
    MidiAnswer answer{request[4] + 1, kFitAsWritten};
    songs::SongScan song;
    MidiQuestion question;
    question.mask = mask;
    if (chooser && (mask & (mask - 1)) != 0) {
      song = songs::ScanSongFile(path);
      if (song.ok) {
        question.overview = songs::OverviewOf(song, songs::ProgramNames());
        question.scanned = true;
      }
      answer = chooser.ask(question);
    }
    const int channel = answer.channel;
    if (channel < 1 || channel > 16) return r;  // cancelled
    r.partOfFile = (mask & (mask - 1)) != 0;
    if (answer.fit != kFitAsWritten && song.ok) {
      const songs::SongMelody line =
          songs::MelodyOfSong(song, question.overview, {channel, std::max(answer.fit, 0)});
      if (!line.ok) {
        r.result = -1;
        r.errorTitle = rvTonehead::LibraryErrorTitle(res);
        r.errorText = res(kResNoMelodyLine);
        return r;
      }
      target.assign(line.melody);
      if (target.sName().isEmpty()) target.setsName(read.sName());
      r.channel = channel;
      r.result = 1;
      return r;
    }
    request = {1, formatId, 0, 0, channel - 1, 0};
    o = rvTonehead::ReadMelo(read, request, path, true);
    if (o.result != 1) {
      SetLibraryError(r, o, res);
      return r;
    }
    r.channel = channel;
  }
  if (read.size() == 0) return refuse(kCodeUnreadable, kResNotInFormat);
  r.truncated = o.truncated;
  target.assign(read);
  r.result = 1;
  return r;
}

rvTonehead::Request SaveRequest(const filetables::SaveFilter& filter, const MainSettings& options) {
  rvTonehead::Request request = {1, filter.formatId, 0, 0, kChannelAny};
  for (const filetables::Option& opt : filter.options)
    request.push_back(opt.settingKey.isEmpty() ? opt.value : options.exportOption(opt.settingKey));
  while (request.size() < 8) request.push_back(0);
  return request;
}

QString SavePath(const QString& chosenPath, const filetables::SaveFilter& filter) {
  return filetables::WithExtension(chosenPath, filter.extension);
}

Result SaveMelodyFile(const pxvbMelody& melody, const QString& path,
                      const filetables::SaveFilter& filter, const MainSettings& options,
                      const ResFn& res) {
  Result r;
  if (path.isEmpty()) return r;
  const rvTonehead::Request request = SaveRequest(filter, options);
  const rvTonehead::Outcome o = rvTonehead::MeloExport(melody, request, path, nullptr,
                                                       rvTonehead::FormatNameRes(filter.formatId));
  r.writerValue = o.writerValue;
  if (o.result != 1) {
    if (o.result == 0) return r;  // an empty melody: nothing written
    SetLibraryError(r, o, res);
    return r;
  }
  r.result = 1;
  return r;
}

const filetables::SaveFilter* InPlaceSaveFilter(int fileType) {
  // The plain Sagem text, not the optimised SMS: a file keeps its whole melody.
  for (const filetables::SaveFilter& f : filetables::SaveFilters()) {
    if (f.recentType != fileType || fileType == filetables::kTypeNone) continue;
    if (f.formatId == 2 && !f.options.isEmpty() && f.options.first().settingKey == "SOpti")
      continue;
    return &f;
  }
  return nullptr;
}

QString WindowTitle(const QString& product, const QString& filePath, bool modified) {
  if (filePath.isEmpty()) return product;
  QString name = QFileInfo(filePath).fileName();
  if (name.isEmpty()) name = filePath;
  if (modified) name += QLatin1Char('*');
  return name + QStringLiteral(" - ") + product;
}

}  // namespace filecmd
