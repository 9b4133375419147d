#include "files/filecommands.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <iterator>

#include "document/melodydocument.h"
#include "files/filedetect.h"
#include "files/writechanges.h"
#include "melody/formatcatalogue.h"
#include "melody/titletext.h"
#include "settings/mainsettings.h"
#include "songs/songmelody.h"

namespace filecmd {
namespace {

constexpr int kMidiFormat = RV_FORMAT_MIDI;
// A MIDI read with no channel carrying notes answers like a Sagem text without a note code
// (the library's code for "the header was read, but no note"); any other read that gives
// no event at all like a text the reader could not use.
constexpr int kCodeNoNotes = RV_SAGEM_NO_CODE;
constexpr int kCodeUnreadable = RV_READ_FAILED;
constexpr int kResNotInFormat = rvresult::textRes(RV_READ_FAILED, rvresult::Call::Read);
constexpr int kChannelAny = RV_CHANNEL_FIRST_SEEN;

QString joinFilters(const QStringList& texts) {
  return texts.join(QStringLiteral(";;"));
}

// Files larger than this are no ringtone of the formats the application reads itself.
constexpr qint64 kMaxAppReaderBytes = 1 << 20;
constexpr int kResReadFile = 842;
constexpr int kResCannotRead = 856;
constexpr int kResTruncatedCount = 2500;
constexpr int kResOverwriteQuestion = 2502;
constexpr int kResTunesRead = 2503;
constexpr int kResTunesCaution = 2504;
constexpr int kResAllMelodies = 2510;
constexpr int kResAllFiles = 2511;
constexpr int kResTempoWritten = 2515;
constexpr int kResTitleWritten = 2516;
constexpr int kResNotesWritten = 2522;
constexpr int kResTitleWrittenAs = 2806;
constexpr int kResTruncatedMore = 2811;
constexpr int kResExported = 2822;
constexpr int kResExportedNoFile = 2823;
// The library's text readers (RTTTL, Sagem) take the first 65,536 characters of a file.
constexpr qint64 kLibraryTextLimit = 65536;
constexpr int kResRoundedEvents = 2651;
constexpr int kResWriterRounded = 2830;

// "<format> - reading the file\n<Error>: <problem>", the library message's shape.
// A format id below 0 (not recognised) names no format.
QString readProblemText(int formatId, const QString& problem, const ResFn& res) {
  const QString format = formatId < 0
                             ? QString()
                             : res(rvTonehead::ReadFormatNameRes(formatId)) + QStringLiteral(" - ");
  return format + res(kResReadFile) + QLatin1Char('\n') + res(rvTonehead::kResTitle) +
         QStringLiteral(": ") + problem;
}

}  // namespace

// The Nokia ringtone and iMelody files: the program reads the file, the library its
// bytes.
Result ReadWithAppReader(pxvbMelody& target, const QString& path,
                         const filetables::OpenFilter& filter, const ResFn& res) {
  Result r;
  r.errorTitle = rvTonehead::LibraryErrorTitle(res);
  r.result = -1;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxAppReaderBytes) {
    r.errorText = readProblemText(filter.formatId, res(kResCannotRead), res);
    return r;
  }
  pxvbMelody read;
  QString error;
  if (!filter.read(filter.formatId, file.readAll(), read, &error, res) || read.size() == 0) {
    r.errorText =
        readProblemText(filter.formatId, error.isEmpty() ? res(kResNotInFormat) : error, res);
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

QString TruncatedNoticeText(const Result& r, const ResFn& res) {
  if (r.eventsInFile <= r.eventsKept) return TruncatedNoticeText(res);
  return res(r.moreInFile ? kResTruncatedMore : kResTruncatedCount)
      .arg(r.eventsInFile)
      .arg(r.eventsKept)
      .arg(r.eventsInFile - r.eventsKept);
}

QString OverwriteCaution(const Result& r, const ResFn& res) {
  QStringList parts;
  if (r.truncated) parts << TruncatedNoticeText(r, res);
  if (r.tuneCount > 1) parts << res(kResTunesCaution).arg(r.tuneCount);
  return parts.join(QLatin1Char('\n'));
}

QString TuneStatusText(const Result& r, const ResFn& res) {
  if (r.tuneCount < 2) return {};
  return res(kResTunesRead).arg(r.tuneCount).arg(r.tuneIndex + 1).arg(r.tuneName);
}

QString RoundedStatusText(const Result& r, const ResFn& res) {
  return r.roundedEvents > 0 ? res(kResRoundedEvents).arg(r.roundedEvents) : QString();
}

QString OverwriteQuestion(const QString& path, const QString& caution, const ResFn& res) {
  return res(kResOverwriteQuestion).arg(QFileInfo(path).fileName(), caution);
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
  MelodyDocument::MakeNewMelody(melody);
}

QString NewMelodyFileName(const ResFn& res) {
  return res(kResNew) + res(kResMelodyWord);
}

QString DialogFilterText(const QString& tableText) {
  const qsizetype open = tableText.lastIndexOf(QLatin1Char('('));
  if (open < 0) return tableText;
  QString patterns = tableText.mid(open);
  patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
  return tableText.left(open) + patterns;
}

namespace {

QString allMelodiesFilter(const ResFn& res) {
  QStringList patterns;
  for (const filetables::OpenFilter& f : filetables::OpenFilters())
    for (const QString& p : f.pattern.split(QLatin1Char(';')))
      if (!patterns.contains(p)) patterns << p;
  const QString name = res ? res(kResAllMelodies) : QStringLiteral("All melodies");
  return name + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

QString allFilesFilter(const ResFn& res) {
  return (res ? res(kResAllFiles) : QStringLiteral("All files")) + QStringLiteral(" (*)");
}

}  // namespace

namespace {

// "<name> (<patterns>)" in the current language; the table's text without res or name.
template <class Filter>
QString shownFilter(const Filter& f, const ResFn& res) {
  const QString dialogText = DialogFilterText(f.filterText);
  if (!res || f.nameRes == 0) return dialogText;
  const qsizetype open = dialogText.lastIndexOf(QLatin1Char('('));
  return res(f.nameRes) + QLatin1Char(' ') + dialogText.mid(open);
}

// A selected filter in any of its forms: the table's, the dialog's, the shown one.
template <class Filter>
bool isFilter(const Filter& f, const QString& selected, const QString& shown) {
  return f.filterText == selected || DialogFilterText(f.filterText) == selected ||
         shown == selected;
}

}  // namespace

QString OpenDialogFilters(const ResFn& res) {
  QStringList texts{allMelodiesFilter(res)};
  for (const filetables::OpenFilter& f : filetables::OpenFilters()) texts << shownFilter(f, res);
  texts << allFilesFilter(res);
  return joinFilters(texts);
}

QString SaveDialogFilters(const ResFn& res) {
  QStringList texts;
  for (const filetables::SaveFilter& f : filetables::SaveFilters()) texts << shownFilter(f, res);
  return joinFilters(texts);
}

int OpenFilterIndex(const QString& selectedFilter, const ResFn& res) {
  const auto& filters = filetables::OpenFilters();
  if (selectedFilter == allMelodiesFilter(res)) return 0;
  if (selectedFilter == allFilesFilter(res)) return static_cast<int>(filters.size()) + 1;
  for (const filetables::OpenFilter& f : filters)
    if (isFilter(f, selectedFilter, shownFilter(f, res))) return f.index;
  return 1;
}

int SaveFilterIndex(const QString& selectedFilter, const ResFn& res) {
  for (const filetables::SaveFilter& f : filetables::SaveFilters())
    if (isFilter(f, selectedFilter, shownFilter(f, res))) return f.index;
  return 1;
}

QString OpenFilterText(int index, const ResFn& res) {
  const auto& filters = filetables::OpenFilters();
  if (index == 0) return allMelodiesFilter(res);
  if (index == filters.size() + 1) return allFilesFilter(res);
  for (const filetables::OpenFilter& f : filters)
    if (f.index == index) return shownFilter(f, res);
  return shownFilter(filters.first(), res);
}

QString SaveFilterText(int index, const ResFn& res) {
  const auto& filters = filetables::SaveFilters();
  for (const filetables::SaveFilter& f : filters)
    if (f.index == index) return shownFilter(f, res);
  return shownFilter(filters.first(), res);
}

int OpenFileType(int filterIndex) {
  for (const filetables::OpenFilter& f : filetables::OpenFilters())
    if (f.index == filterIndex) return f.fileType;
  return filetables::kTypeNone;
}

namespace {

// The first bytes that tell a file's format.
constexpr qint64 kDetectBytes = 512;

// An RTTTL collection: the chosen tune is read on its own from a scratch file, so that
// neither the next tune's name nor its notes run into it.
bool readOneTune(const QString& path, pxvbMelody& read, rvTonehead::Outcome& o, Result& r,
                 const TuneChooser& tuneChooser) {
  QFile file(path);
  if (file.size() > kMaxAppReaderBytes || !file.open(QIODevice::ReadOnly)) return false;
  const QList<filedetect::RtttlTune> tunes = filedetect::SplitRtttlTunes(file.readAll());
  if (tunes.size() < 2) return false;
  QStringList names;
  for (const filedetect::RtttlTune& t : tunes) names << t.name;
  const int index = tuneChooser ? tuneChooser(names) : 0;
  r.tuneCount = static_cast<int>(tunes.size());
  r.tuneIndex = index;
  if (index < 0 || index >= tunes.size()) {
    o.result = 0;
    return true;
  }
  r.tuneName = tunes[index].name;
  QTemporaryDir dir;
  QFile tune(dir.filePath(QStringLiteral("tune.rtx")));
  if (!dir.isValid() || !tune.open(QIODevice::WriteOnly) || tune.write(tunes[index].text) < 0) {
    o.result = -1;
    o.code = -1;
    o.message = {-1, rvTonehead::kResFormatRtttl, kResReadFile, kResCannotRead};
    return true;
  }
  tune.close();
  rvTonehead::ReadRequest request{rvTonehead::Where::File, RV_FORMAT_RTTTL};
  o = rvTonehead::ReadMelo(read, request, tune.fileName(), true);
  return true;
}

}  // namespace

namespace {

// What the file holds decides how it is read, not its name or the dialog's filter: sets
// fileType to what it holds, or r to the failure and returns false.
bool detectOpenedType(const QString& path, const QFileInfo& info, int& fileType, Result& r,
                      const ResFn& res) {
  if (!info.exists() || !info.isFile()) {
    r.result = -1;
    r.errorTitle = rvTonehead::LibraryErrorTitle(res);
    r.errorText = FileNotFoundText(path, res);
    return false;
  }
  QFile file(path);
  const QByteArray head = file.open(QIODevice::ReadOnly) ? file.read(kDetectBytes) : QByteArray();
  const filedetect::Detected d = filedetect::DetectFileType(head, info.size(), fileType);
  if (d.problemRes != 0) {
    r.result = -1;
    r.errorTitle = rvTonehead::LibraryErrorTitle(res);
    r.errorText =
        readProblemText(filetables::FormatIdForFileType(d.fileType), res(d.problemRes), res);
    return false;
  }
  fileType = d.fileType;
  return true;
}

// A read the library did not fail that gives the melody nothing: the library's error box
// for the code, with the text codeRes.
Result refuseRead(Result& r, rvTonehead::Outcome& o, int formatId, int code, int codeRes,
                  const ResFn& res) {
  o.result = -1;
  o.code = code;
  o.message = {code, rvTonehead::ReadFormatNameRes(formatId), rvTonehead::kResReadFile, codeRes};
  SetLibraryError(r, o, res);
  return r;
}

// A MIDI file: the channel to read, asked for when several carry notes, then read as
// written into read, or as the song's melody line straight into target. True when read
// goes on like any other format's read; false when r is the whole answer (the melody line
// taken, cancelled, or failed).
bool readMidiChannel(pxvbMelody& target, pxvbMelody& read, const QString& path,
                     rvTonehead::ReadRequest& request, rvTonehead::Outcome& o, Result& r,
                     const MidiChooser& chooser, const ResFn& res) {
  const int formatId = request.formatId;
  const int mask = request.channelMask & 0xFFFF;
  if (mask == 0) {
    r = refuseRead(r, o, formatId, kCodeNoNotes, rvTonehead::ErrorTextRes(kCodeNoNotes), res);
    return false;
  }
  // One channel with notes needs no question.
  MidiAnswer answer{request.channelUsed + 1};
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
  if (channel < 1 || channel > 16) return false;  // cancelled
  r.partOfFile = (mask & (mask - 1)) != 0;
  if (answer.song.mode == songs::ReadMode::MelodyLine && song.ok) {
    songs::SongRequest how = answer.song;
    how.channel = channel;
    const songs::SongMelody line = songs::MelodyOfSong(song, question.overview, how);
    if (!line.ok) {
      r.result = -1;
      r.errorTitle = rvTonehead::LibraryErrorTitle(res);
      r.errorText = res(kResNoMelodyLine);
      return false;
    }
    target.assign(line.melody);
    if (target.sName().isEmpty()) target.setsName(read.sName());
    r.songStatus = songs::FitSummaryText(line, res);
    r.channel = channel;
    r.result = 1;
    return false;
  }
  request = {rvTonehead::Where::File, formatId, channel - 1};
  o = rvTonehead::ReadMelo(read, request, path, true);
  if (o.result != 1) {
    SetLibraryError(r, o, res);
    return false;
  }
  r.channel = channel;
  return true;
}

}  // namespace

Result OpenMelodyFile(pxvbMelody& target, const QString& path, int fileType,
                      const MidiChooser& chooser, const ResFn& res,
                      const TuneChooser& tuneChooser) {
  Result r;
  if (path.isEmpty()) return r;
  const QFileInfo info(path);
  if (!detectOpenedType(path, info, fileType, r, res)) return r;
  const filetables::OpenFilter* filter = nullptr;
  for (const filetables::OpenFilter& f : filetables::OpenFilters())
    if (f.fileType == fileType && !filter) filter = &f;
  if (!filter) return r;
  const int formatId = filter->formatId;
  r.fileType = fileType;
  if (filter->read) {
    Result app = ReadWithAppReader(target, path, *filter, res);
    app.fileType = fileType;
    return app;
  }

  // Read into a scratch melody: the target changes only after a complete read.
  pxvbMelody read;
  rvTonehead::ReadRequest request{rvTonehead::Where::File, formatId};
  rvTonehead::Outcome o;
  if (formatId != RV_FORMAT_RTTTL || !readOneTune(path, read, o, r, tuneChooser))
    o = rvTonehead::ReadMelo(read, request, path, true);
  if (o.result == 0) return r;  // no tune chosen
  if (o.result != 1) {
    SetLibraryError(r, o, res);
    return r;
  }
  if (formatId == kMidiFormat && !readMidiChannel(target, read, path, request, o, r, chooser, res))
    return r;
  if (read.size() == 0) return refuseRead(r, o, formatId, kCodeUnreadable, kResNotInFormat, res);
  r.roundedEvents = request.roundedEvents;
  r.truncated = o.truncated;
  r.eventsKept = o.eventsKept;
  r.eventsInFile = o.eventsInInput;
  r.moreInFile = o.truncated && (formatId == RV_FORMAT_RTTTL || formatId == RV_FORMAT_SAGEM) &&
                 r.tuneCount < 2 && info.size() > kLibraryTextLimit;
  target.assign(read);
  r.result = 1;
  return r;
}

rvTonehead::Request SaveRequest(const filetables::SaveFilter& filter, const MainSettings& options) {
  rvTonehead::Request request = {RV_WHERE_FILE, filter.formatId, 0, 0, kChannelAny};
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

QString SaveChangesText(const pxvbMelody& melody, const QString& path,
                        const filetables::SaveFilter& filter, const ResFn& res, int writerValue) {
  const formatcatalogue::Format* row = formatcatalogue::ById(filter.formatId);
  const QString rounded = row && row->writesRounded && writerValue < 0
                              ? res(kResWriterRounded).arg(res(row->nameRes)).arg(-writerValue)
                              : QString();
  int fileType = filetables::kTypeNone;
  for (const filetables::OpenFilter& f : filetables::OpenFilters())
    if (f.formatId == filter.formatId && fileType == filetables::kTypeNone) fileType = f.fileType;
  if (fileType == filetables::kTypeNone)
    return writechanges::OutsideRangeText(filter.formatId, writechanges::NoteKeys(melody), res);
  QStringList changes;
  changes << rounded;
  pxvbMelody back;
  const auto firstChannel = [](int mask) {
    for (int c = 0; c < 16; ++c)
      if (mask & (1 << c)) return c + 1;
    return 1;
  };
  const Result r = OpenMelodyFile(back, path, fileType, firstChannel, res);
  if (r.result != 1) return rounded;
  if (back.bpm() != melody.bpm())
    changes << res(kResTempoWritten).arg(back.bpm()).arg(melody.bpm());
  // A reader that keeps no title (MIDI without a name) says nothing about it. The phone
  // text formats take ASCII only ("Café" is written "Cafe"), some a few characters only.
  const QString title = melody.sName();
  const QString written = back.sName();
  if (!written.isEmpty() && written != title) {
    const bool shortened = title.startsWith(written) ||
                           (titletext::IsAsciiTitleFormat(filter.formatId) &&
                            QString::fromLatin1(titletext::AsciiTitle(title)).startsWith(written));
    if (shortened)
      changes << res(written.size() < title.size() ? kResTitleWritten : kResTitleWrittenAs)
                     .arg(written.trimmed());
  }
  changes << writechanges::PitchChangeText(
      filter.formatId,
      writechanges::ComparePitches(writechanges::NoteKeys(melody), writechanges::NoteKeys(back)),
      res);
  // A format sized for one message (the optimised Sagem SMS) stops where it is full.
  auto notes = [](const pxvbMelody& m) {
    int n = 0;
    for (int i = 0; i < m.size(); ++i) n += m.getEvent(i) == RV_EVENT_NOTE ? 1 : 0;
    return n;
  };
  if (notes(back) < notes(melody))
    changes << res(kResNotesWritten).arg(notes(back)).arg(notes(melody));
  changes.removeAll(QString());
  return changes.join(QLatin1Char(' '));
}

const filetables::SaveFilter* InPlaceSaveFilter(int fileType) {
  // The plain Sagem text, not the optimised SMS: a file keeps its whole melody.
  for (const filetables::SaveFilter& f : filetables::SaveFilters()) {
    if (f.recentType != fileType || fileType == filetables::kTypeNone) continue;
    if (f.formatId == RV_FORMAT_SAGEM && !f.options.isEmpty() &&
        f.options.first().settingKey == "SOpti")
      continue;
    return &f;
  }
  return nullptr;
}

SaveAsStart SaveAsProposal(const QString& filePath, int fileFormat, int lastFilter,
                           const QString& title, const QString& dir) {
  SaveAsStart start;
  const QFileInfo file(filePath);
  int fileType = filetables::kTypeNone;
  for (const filetables::OpenFilter& f : filetables::OpenFilters())
    if (f.formatId == fileFormat && fileType == filetables::kTypeNone) fileType = f.fileType;
  const filetables::SaveFilter* own = file.isAbsolute() ? InPlaceSaveFilter(fileType) : nullptr;
  const filetables::SaveFilter* native = filetables::SaveFilterForFormat(kMidiFormat);
  start.filterIndex = own ? own->index : lastFilter > 0 ? lastFilter : native ? native->index : 1;
  const filetables::SaveFilter* chosen = nullptr;
  for (const filetables::SaveFilter& f : filetables::SaveFilters())
    if (f.index == start.filterIndex) chosen = &f;
  // A title may hold characters no file name takes.
  QString name = file.isAbsolute() ? file.completeBaseName() : title.trimmed();
  static const QString kUnsafe = QStringLiteral("/\\:*?\"<>|");
  for (QChar& c : name)
    if (kUnsafe.contains(c) || c.unicode() < 0x20) c = QLatin1Char('_');
  const QString folder = file.isAbsolute() ? file.absolutePath() : dir;
  if (name.isEmpty() || !chosen) {
    start.path = folder;
    return start;
  }
  start.path = QDir(folder).filePath(name + chosen->extension);
  return start;
}

QString NameForSaveFilter(const QString& name, const QString& selectedFilter, const ResFn& res) {
  const filetables::SaveFilter& picked =
      filetables::SaveFilters()[SaveFilterIndex(selectedFilter, res) - 1];
  for (const filetables::SaveFilter& f : filetables::SaveFilters())
    if (name.endsWith(f.extension, Qt::CaseInsensitive) && name.size() > f.extension.size())
      return name.left(name.size() - f.extension.size()) + picked.extension;
  return name;
}

QString ExportStatusText(const QString& written, const QString& currentFile, const ResFn& res) {
  const QFileInfo current(currentFile);
  if (!current.isAbsolute()) return res(kResExportedNoFile).arg(QFileInfo(written).fileName());
  return res(kResExported).arg(QFileInfo(written).fileName(), current.fileName());
}

QString WindowTitle(const QString& product, const QString& filePath, bool modified) {
  if (filePath.isEmpty()) return product;
  QString name = QFileInfo(filePath).fileName();
  if (name.isEmpty()) name = filePath;
  if (modified) name += QLatin1Char('*');
  return name + QStringLiteral(" - ") + product;
}

}  // namespace filecmd
