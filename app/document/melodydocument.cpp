#include "document/melodydocument.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "languages/reslang.h"

namespace {

constexpr int kPause = RV_EVENT_PAUSE;

QList<int> sortedRows(const QList<int>& rows, int size) {
  QList<int> out;
  for (int r : rows)
    if (r >= 0 && r < size) out.append(r);
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

}  // namespace

const MelodyDocument::Range* MelodyDocument::MoveRange(int entry) {
  static const Range kRanges[kRangeCount] = {
      {85, 57, 863, nullptr},     {107, 60, 830, nullptr}, {83, 60, 864, nullptr},
      {107, 69, 0, "Nokia 61xx"}, {107, 72, 866, nullptr},
  };
  return entry >= 0 && entry < kRangeCount ? &kRanges[entry] : nullptr;
}

QString MelodyDocument::MoveRangeName(int entry) {
  const Range* r = MoveRange(entry);
  if (!r) return {};
  return r->nameRes > 0 ? GetResString(r->nameRes) : QString::fromLatin1(r->literalName);
}

QString MelodyDocument::takePendingStatus() {
  QString s = pendingStatus_;
  pendingStatus_.clear();
  return s;
}

void MelodyDocument::setFile(const QString& path, int formatId) {
  filePath_ = path;
  fileFormat_ = formatId;
  overwriteCaution_.clear();
}

MelodyDocument::Snapshot MelodyDocument::current() const {
  Snapshot s;
  s.melody.assign(main_);
  s.filePath = filePath_;
  s.fileFormat = fileFormat_;
  s.overwriteCaution = overwriteCaution_;
  s.state = state_;
  return s;
}

void MelodyDocument::restore(const Snapshot& s) {
  main_.assign(s.melody);
  filePath_ = s.filePath;
  fileFormat_ = s.fileFormat;
  overwriteCaution_ = s.overwriteCaution;
  state_ = s.state;
}

void MelodyDocument::takeUndoCopy() {
  undo_.push_back(current());
  while (static_cast<int>(undo_.size()) > kHistoryDepth) undo_.pop_front();
  redo_.clear();
  pendingStatus_.clear();
  state_ = ++lastState_;
}

void MelodyDocument::dropUndoCopy() {
  if (undo_.empty()) return;
  state_ = undo_.back().state;
  undo_.pop_back();
}

bool MelodyDocument::undo() {
  if (undo_.empty()) return false;
  redo_.push_back(current());
  restore(undo_.back());
  undo_.pop_back();
  return true;
}

bool MelodyDocument::redo() {
  if (redo_.empty()) return false;
  undo_.push_back(current());
  restore(redo_.back());
  redo_.pop_back();
  return true;
}

void MelodyDocument::clearHistory() {
  undo_.clear();
  redo_.clear();
}

bool MelodyDocument::ensureNotEmpty() {
  if (main_.size() > 0) return false;
  main_.addevent(8, 0, kPause);
  return true;
}

void MelodyDocument::changeNotes(int delta) {
  takeUndoCopy();
  main_.ChangeNote(delta);
}

void MelodyDocument::longer() {
  takeUndoCopy();
  main_.LongerLen();
}

void MelodyDocument::shorter() {
  takeUndoCopy();
  main_.ShorterLen();
}

// Pauses from the first event up to the first event that is anything else.
static void dropLeadingPauses(pxvbMelody& m) {
  int n = 0;
  while (n < m.size() && m.getEvent(n) == kPause) ++n;
  if (n > 0) m.merase(0, n);
}

// The run of pauses at the end of the melody.
static void dropTrailingPauses(pxvbMelody& m) {
  int count = 0;
  for (int pos = m.last(); pos >= 0 && m.getEvent(pos) == kPause; --pos) ++count;
  if (count >= 1) m.merase(m.size() - count, count);
}

void MelodyDocument::deleteLeadingPauses() {
  takeUndoCopy();
  dropLeadingPauses(main_);
}

void MelodyDocument::deleteTrailingPauses() {
  takeUndoCopy();
  dropTrailingPauses(main_);
}

void MelodyDocument::deleteLeadingAndTrailingPauses() {
  takeUndoCopy();
  dropLeadingPauses(main_);
  dropTrailingPauses(main_);
}

void MelodyDocument::deleteAllPauses() {
  takeUndoCopy();
  dropTrailingPauses(main_);
  std::vector<bool> remove(static_cast<size_t>(main_.size()));
  for (int pos = 0; pos < main_.size(); ++pos) remove[pos] = main_.getEvent(pos) == kPause;
  removeRuns(remove);
}

// Each maximal run of events to remove goes with one erase, its start moved down by the
// events already removed before it.
void MelodyDocument::removeRuns(const std::vector<bool>& remove) {
  int removed = 0;
  const int n = static_cast<int>(remove.size());
  for (int pos = 0; pos < n;) {
    if (!remove[pos]) {
      ++pos;
      continue;
    }
    int end = pos;
    while (end < n && remove[end]) ++end;
    main_.merase(pos - removed, end - pos);
    removed += end - pos;
    pos = end;
  }
}

bool MelodyDocument::deleteRows(const QList<int>& rows) {
  const QList<int> sel = sortedRows(rows, main_.size());
  if (sel.isEmpty()) return false;
  takeUndoCopy();
  std::vector<bool> remove(static_cast<size_t>(main_.size()), false);
  for (int r : sel) remove[r] = true;
  removeRuns(remove);
  return true;
}

bool MelodyDocument::deleteOtherRows(const QList<int>& rows) {
  const QList<int> sel = sortedRows(rows, main_.size());
  if (sel.isEmpty()) return false;
  takeUndoCopy();
  std::vector<bool> remove(static_cast<size_t>(main_.size()), true);
  for (int r : sel) remove[r] = false;
  removeRuns(remove);
  return true;
}

int MelodyDocument::moveIntoRange(int entry) {
  const Range* r = MoveRange(entry);
  if (!r) return 0;
  takeUndoCopy();
  const int result = main_.MoveToScale(r->high, r->low);
  if (result == 1) return result;
  // Nothing moved: no step to undo.
  dropUndoCopy();
  if (result == 2)
    pendingStatus_ = GetResString(992);
  else
    pendingStatus_ = MoveRangeName(entry) + QLatin1Char(' ') + GetResString(991);
  return result;
}

QString MelodyDocument::applyTempoText(const QString& text) {
  if (main_.size() == 0) return {};
  // The field's number, as a 16-bit value: digits only, so at most 32767.
  long long v = 0;
  for (QChar c : text.trimmed()) {
    if (!c.isDigit()) break;
    v = std::min<long long>(v * 10 + c.digitValue(), 32767);
  }
  const int bpm = v < 1 ? 1 : static_cast<int>(v);
  if (bpm != main_.bpm()) {
    takeUndoCopy();
    main_.setbpm(bpm);
  }
  return QString::number(bpm);
}

void MelodyDocument::applyTitle(const QString& text) {
  if (text == main_.sName()) return;
  takeUndoCopy();
  main_.setsName(text);
}

rvTonehead::Outcome MelodyDocument::copyRows(const QList<int>& rows) {
  paste_.resize(0);
  const QList<int> sel = sortedRows(rows, main_.size());
  rvTonehead::Outcome o;
  if (sel.isEmpty()) {
    o.result = 0;
    return o;
  }
  return rvTonehead::MeloExport(
      main_, rvTonehead::WriteRequest{rvTonehead::Where::Clipboard, RV_FORMAT_MIDI}, QString(),
      &sel, 0);
}

rvTonehead::Outcome MelodyDocument::cutRows(const QList<int>& rows) {
  rvTonehead::Outcome o = copyRows(rows);
  if (o.result == 1) deleteRows(rows);
  return o;
}

rvTonehead::Outcome MelodyDocument::pasteAt(int pos) {
  rvTonehead::ReadRequest request{rvTonehead::Where::Clipboard, RV_FORMAT_MIDI};
  rvTonehead::Outcome o = rvTonehead::ReadMelo(paste_, request, QString(), false);
  if (o.result != 1) return o;
  if (paste_.size() < 1) {
    o.result = 0;
    return o;
  }
  if (pos < 0 || pos > main_.size()) pos = 0;
  takeUndoCopy();
  main_.insert(paste_, pos, paste_.size());
  return o;
}

rvTonehead::Outcome MelodyDocument::transform(rvTonehead::Modify operation, int param) {
  pxvbMelody work;
  work.assign(main_);
  rvTonehead::Outcome o = rvTonehead::ModifyMelody(work, operation, param);
  if (o.result != 1) return o;
  takeUndoCopy();
  main_.assign(work);
  return o;
}

rvTonehead::Outcome MelodyDocument::openFile(const QString& path, int formatId, int channel,
                                             rvTonehead::ReadRequest* request) {
  rvTonehead::ReadRequest req{rvTonehead::Where::File, formatId, channel};
  pxvbMelody work;
  work.assign(main_);
  rvTonehead::Outcome o = rvTonehead::ReadMelo(work, req, path, true);
  if (request) *request = req;
  if (o.result != 1) return o;
  adoptFile(work, path, formatId);
  return o;
}

void MelodyDocument::adoptFile(const pxvbMelody& read, const QString& path, int formatId) {
  takeUndoCopy();
  main_.assign(read);
  if (main_.sName().isEmpty() || main_.sName() == QLatin1String("midi2Pealix"))
    main_.setsName(NameFromFile(path));
  filePath_ = path;
  fileFormat_ = formatId;
  overwriteCaution_.clear();
  setModified(false);
  hasMelody_ = true;
}

bool MelodyDocument::appendEvent(const pxvbNote& e) {
  if (main_.size() >= pxvbMelody::kHardLimit) return false;
  takeUndoCopy();
  main_.addevent(e.iSimpleLen(), e.iDotLen(), e.nEvent(), e.getEventVal1(), e.getEventVal2(),
                 e.getEventVal3(), e.getEventVal4());
  return true;
}

bool MelodyDocument::replaceEvent(int index, const pxvbNote& e) {
  if (index < 0 || index >= main_.size()) return false;
  takeUndoCopy();
  main_.setclNote(index, e);
  return true;
}

bool MelodyDocument::hasSameEvents(const pxvbMelody& other) const {
  if (other.size() != main_.size() || other.bpm() != main_.bpm() ||
      other.DefStyle() != main_.DefStyle())
    return false;
  for (int i = 0; i < main_.size(); ++i)
    if (!(*other.at(i) == *main_.at(i))) return false;
  return true;
}

bool MelodyDocument::replaceMelody(const pxvbMelody& edited) {
  if (hasSameEvents(edited)) return false;
  takeUndoCopy();
  main_.assign(edited);
  return true;
}

void MelodyDocument::adoptImport(const pxvbMelody& read, const QString& source) {
  takeUndoCopy();
  main_.assign(read);
  if (main_.sName().isEmpty()) main_.setsName(source.left(20));
  setFile(source, -1);
}

// A new melody: one C6 eighth at 120 BPM, named after the program.
void MelodyDocument::MakeNewMelody(pxvbMelody& melody) {
  melody.resize(0);
  melody.addevent(8, 0, RV_EVENT_NOTE, 72, 127);
  melody.setbpm(120);
  melody.setsName(QStringLiteral("Pealix"));
  melody.setsComposer(QStringLiteral("Pealix"));
  melody.setsCopyright(QStringLiteral("Pealix"));
}

void MelodyDocument::newMelody(const QString& fileName) {
  takeUndoCopy();
  MakeNewMelody(main_);
  setFile(fileName, -1);
  setModified(false);
}

QString MelodyDocument::NameFromFile(const QString& path) {
  QString name = QFileInfo(path).fileName();
  const qsizetype dot = name.indexOf(QLatin1Char('.'));
  if (dot > 0) name = name.left(dot);
  while (!name.isEmpty() && name.back().isSpace()) name.chop(1);
  return name.left(20);
}

PlayExport ExportForPlay(const pxvbMelody& melody, const QString& path, const QList<int>* rows) {
  PlayExport e;
  e.path = path;
  if (path.isEmpty()) {
    e.status = PlayExport::NotWritten;
    return e;
  }
  if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) QFile::remove(path);
  if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
    e.status = PlayExport::CannotReplace;
    return e;
  }
  e.outcome = rvTonehead::MeloExport(
      melody, rvTonehead::WriteRequest{rvTonehead::Where::File, RV_FORMAT_MIDI}, path, rows,
      rvTonehead::FormatNameRes(RV_FORMAT_MIDI));
  if (e.outcome.result == 0) {
    e.status = PlayExport::Nothing;
  } else if (e.outcome.result != 1) {
    e.status = PlayExport::LibraryFailed;
  } else {
    e.status = QFileInfo::exists(path) ? PlayExport::Ok : PlayExport::NotWritten;
  }
  return e;
}
