#include "melody/rvtonehead.h"

#include <algorithm>
#include <array>

#include "melody/formatcatalogue.h"
#include "melody/rvmelodyapi.h"
#include "melody/titletext.h"

namespace rvTonehead {
namespace {

using rvresult::Call;

int gMaxEvents = 301;

// The control array: [0] its length, [1] source or target, [2] format, [3] tempo, [4] MIDI
// channel (or the writer's result value), [5] channel mask, [6..8] format options. The
// length is 9 so that the library sees all three option elements.
constexpr int kControlLength = 9;
using Control = std::array<int32_t, kControlLength>;

int at(const std::vector<int>& v, size_t i, int fallback = 0) {
  return i < v.size() ? v[i] : fallback;
}

bool bind(Outcome& o) {
  QString error;
  if (EnsureLoaded(&error)) return true;
  o.result = -1;
  o.loadError = error;
  return false;
}

void fail(Outcome& o, int code, int formatRes, int operationRes, Call call, int formatId) {
  o.result = -1;
  o.code = code;
  o.message = {code, formatRes, operationRes, ErrorTextRes(code, call, formatId)};
}

// How many events an input holds that gave more than the records could take: the read is
// repeated with room for more until it fits (the number is only told to the user).
int countEvents(const Control& first, const QByteArray& path, int kept) {
  constexpr int32_t kLargest = 1 << 22;
  for (int32_t capacity = std::max(kept, 1) * 8; capacity <= kLargest; capacity *= 8) {
    std::vector<EventRecord> records(static_cast<size_t>(capacity));
    int32_t count = capacity;
    char title[21] = {};
    uint32_t titleLength = 20;
    Control control = first;
    const int rc =
        RvMelodyApi::instance().rvmReadMelo(records.data(), &count, title, &titleLength,
                                            control.data(), path.constData(), nullptr, nullptr);
    if (rc == 1) return std::max(count, kept);
    if (rc != RV_READ_TRUNCATED) break;
  }
  return kept;  // unknown: more than kept
}

}  // namespace

int ReadFormatNameRes(int formatId) {
  const formatcatalogue::Format* f = formatcatalogue::ById(formatId);
  return f ? f->readNameRes : kResFormatOther;
}

int ErrorTextRes(int code, rvresult::Call call, int formatId) {
  return rvresult::textRes(code, call, formatId);
}

QString LibraryErrorTitle(const std::function<QString(int)>& res) {
  return QStringLiteral("Pealix - ") + res(kResTitle);
}

QString LibraryErrorText(const Outcome& o, const std::function<QString(int)>& res) {
  if (!o.loadError.isEmpty()) return o.loadError;
  const LibraryMessage& m = o.message;
  QString text;
  if (m.formatRes > 0) text += res(m.formatRes) + QStringLiteral(" - ");
  if (m.operationRes > 0) text += res(m.operationRes);
  text += QLatin1Char('\n') + res(kResTitle) + QStringLiteral(" #") + QString::number(m.code) +
          QStringLiteral(": ") + res(m.codeRes ? m.codeRes : ErrorTextRes(m.code));
  return text;
}

int FormatNameRes(int formatId) {
  const formatcatalogue::Format* f = formatcatalogue::ById(formatId);
  return f ? f->nameRes : kResFormatOther;
}

void setMaxEvents(int n) {
  gMaxEvents = std::clamp(n, 1, pxvbMelody::kHardLimit);
}
int maxEvents() {
  return gMaxEvents;
}

bool EnsureLoaded(QString* error) {
  RvMelodyApi& api = RvMelodyApi::instance();
  if (api.load()) return true;
  if (error) {
    *error = api.errorText();
    if (error->isEmpty()) *error = QStringLiteral("The melody library is not available");
  }
  return false;
}

std::vector<EventRecord> ToRecords(const pxvbMelody& melody, const QList<int>* rows) {
  std::vector<EventRecord> records;
  auto add = [&](int pos) {
    if (pos < 0 || pos >= melody.size()) return;
    records.push_back({melody.getSimpleLen(pos), melody.getDotLen(pos), melody.getEvent(pos),
                       melody.getEventVal1(pos), melody.getEventVal2(pos), melody.getEventVal3(pos),
                       melody.getEventVal4(pos)});
  };
  if (rows) {
    for (int pos : *rows) add(pos);
  } else {
    for (int pos = 0; pos < melody.size(); ++pos) add(pos);
  }
  return records;
}

void FromRecords(pxvbMelody& melody, const EventRecord* records, int count) {
  melody.resize(0);
  for (int i = 0; i < count; ++i) {
    const EventRecord& r = records[i];
    if (r.nEvent == RV_EVENT_PAUSE && (r.iSimpleLen > 128 || r.iSimpleLen < 1)) continue;
    melody.addevent(r.iSimpleLen, r.iDotLen, r.nEvent, r.EventVal1, r.EventVal2, r.EventVal3,
                    r.EventVal4);
  }
}

ReadRequest ReadRequestOf(const Request& request) {
  ReadRequest r;
  r.from = static_cast<Where>(at(request, 0));
  r.formatId = at(request, 1);
  r.channel = at(request, 4, RV_CHANNEL_FIRST_SEEN);
  return r;
}

WriteRequest WriteRequestOf(const Request& request) {
  WriteRequest w;
  w.to = static_cast<Where>(at(request, 0));
  w.formatId = at(request, 1);
  w.options = {at(request, 5), at(request, 6), at(request, 7)};
  return w;
}

Outcome ReadMelo(pxvbMelody& target, ReadRequest& request, const QString& input, bool setName) {
  Outcome o;
  if (!bind(o)) return o;
  const int operationRes = request.from == Where::Clipboard ? kResReadClipboard : kResReadFile;

  std::vector<EventRecord> records(static_cast<size_t>(gMaxEvents + 10));
  int32_t count = static_cast<int32_t>(records.size());
  char title[21] = {};
  uint32_t titleLength = 20;
  Control control{};
  control[RV_CONTROL_LENGTH] = kControlLength;
  control[RV_CONTROL_WHERE] = static_cast<int32_t>(request.from);
  control[RV_CONTROL_FORMAT] = request.formatId;
  control[RV_CONTROL_CHANNEL] = request.channel;
  const QByteArray path = input.toUtf8();
  const Control asked = control;
  const int rc =
      RvMelodyApi::instance().rvmReadMelo(records.data(), &count, title, &titleLength,
                                          control.data(), path.constData(), nullptr, nullptr);
  o.code = rc;
  if (rc != RV_OK && rc != RV_READ_TRUNCATED) {
    fail(o, rc, ReadFormatNameRes(request.formatId), operationRes, Call::Read, request.formatId);
    return o;
  }
  o.truncated = rc == RV_READ_TRUNCATED;
  count = std::clamp<int32_t>(count, 0, static_cast<int32_t>(records.size()));
  o.eventsKept = count;
  o.eventsInInput = o.truncated ? countEvents(asked, path, count) : count;
  titleLength = std::min<uint32_t>(titleLength, 20);

  request.channelUsed = control[RV_CONTROL_CHANNEL];
  request.channelMask = control[RV_CONTROL_CHANNEL_MASK];
  if (const formatcatalogue::Format* f = formatcatalogue::ById(request.formatId);
      f && f->readsRounded)
    request.roundedEvents = std::max(control[RV_CONTROL_CHANNEL], 0);
  FromRecords(target, records.data(), count);
  target.setbpm(control[RV_CONTROL_BPM]);
  if (setName)
    target.setsName(titletext::DecodeTitle(QByteArray(title, static_cast<qsizetype>(titleLength))));
  o.result = 1;
  return o;
}

Outcome ReadBuffer(pxvbMelody& target, int formatId, const QByteArray& data, BufferReport* report,
                   const BufferRequest& request) {
  Outcome o;
  if (!bind(o)) return o;
  // The readers stop unrolling loops and repeats at 20000 events.
  constexpr int32_t kMostEvents = 20000;
  std::vector<EventRecord> records(static_cast<size_t>(kMostEvents));
  int32_t count = kMostEvents;
  // A title or composer is at most the data again, each byte turned into two of UTF-8.
  const auto textRoom = static_cast<uint32_t>(std::min<qsizetype>(data.size(), 1 << 20) * 2 + 64);
  QByteArray title(static_cast<qsizetype>(textRoom) + 1, '\0');
  QByteArray composer(static_cast<qsizetype>(textRoom) + 1, '\0');
  uint32_t titleLength = textRoom;
  RvReadReport r{};
  r.rounded = -1;
  r.composer = composer.data();
  r.composerCapacity = textRoom + 1;
  r.delimiter = request.delimiter;
  r.readHeader = request.readHeader ? 1 : 0;
  const int rc = RvMelodyApi::instance().rvmReadBuffer(
      data.constData(), static_cast<uint32_t>(data.size()), formatId, records.data(), &count,
      title.data(), &titleLength, &r);
  o.code = rc;
  if (report) *report = {r.position, r.line, r.value, r.rounded};
  if (rc != RV_OK && rc != RV_READ_TRUNCATED) {
    fail(o, rc, ReadFormatNameRes(formatId), kResReadFile, Call::Read, formatId);
    return o;
  }
  o.truncated = rc == RV_READ_TRUNCATED;
  count = std::clamp<int32_t>(count, 0, kMostEvents);
  o.eventsKept = o.eventsInInput = count;
  FromRecords(target, records.data(), count);
  target.setbpm(r.bpm);
  target.setsName(QString::fromUtf8(title.constData(), static_cast<qsizetype>(titleLength)));
  if (r.hasComposer) target.setsComposer(QString::fromUtf8(composer.constData()));
  o.result = 1;
  return o;
}

int CountNotes(const QByteArray& data, int what) {
  if (!EnsureLoaded()) return -1;
  const int n = RvMelodyApi::instance().rvmCountNotes(data.constData(),
                                                      static_cast<uint32_t>(data.size()), what);
  return n < 0 ? -1 : n;
}

Outcome ReadMelo(pxvbMelody& target, Request& request, const QString& input, bool setName) {
  if (request.size() < 5) return Outcome{};
  ReadRequest typed = ReadRequestOf(request);
  const Outcome o = ReadMelo(target, typed, input, setName);
  if (o.result == 1) {
    if (request.size() < 6) request.resize(6, 0);
    request[4] = typed.channelUsed;
    request[5] = typed.channelMask;
  }
  return o;
}

Outcome MeloExport(const pxvbMelody& melody, const WriteRequest& request, const QString& fileName,
                   const QList<int>* rows, int formatRes) {
  Outcome o;
  const std::vector<EventRecord> records = ToRecords(melody, rows);
  if (records.empty()) {
    o.result = 0;
    return o;
  }
  if (!bind(o)) return o;
  Control control{};
  control[RV_CONTROL_LENGTH] = kControlLength;
  control[RV_CONTROL_WHERE] = static_cast<int32_t>(request.to);
  control[RV_CONTROL_FORMAT] = request.formatId;
  control[RV_CONTROL_BPM] = melody.bpm();
  for (size_t i = 0; i < request.options.size(); ++i)
    control[RV_CONTROL_OPTION1 + i] = request.options[i];
  const QByteArray name = titletext::TitleForWriter(melody.sName(), request.formatId);
  const QByteArray path = fileName.toUtf8();
  const int rc = RvMelodyApi::instance().rvmMeloExport(
      records.data(), static_cast<int32_t>(records.size()), name.constData(), path.constData(),
      nullptr, control.data());
  o.code = rc;
  o.writerValue = control[RV_CONTROL_WRITER_VALUE];
  if (rc != RV_OK) {
    fail(o, rc, formatRes, request.to == Where::Clipboard ? kResWriteClipboard : kResWriteFile,
         Call::Write, request.formatId);
    return o;
  }
  o.result = 1;
  return o;
}

Outcome MeloExport(const pxvbMelody& melody, const Request& request, const QString& fileName,
                   const QList<int>* rows, int formatRes) {
  if (request.size() < 2) return Outcome{};
  return MeloExport(melody, WriteRequestOf(request), fileName, rows, formatRes);
}

Outcome Melo2String(const pxvbMelody& melody, int formatId, const std::vector<int>& options,
                    QByteArray& out, const QList<int>* rows, int formatRes) {
  Outcome o;
  const std::vector<EventRecord> records = ToRecords(melody, rows);
  if (records.empty()) {
    o.result = 0;
    return o;
  }
  if (!bind(o)) return o;
  const QByteArray name = titletext::TitleForWriter(melody.sName(), formatId);
  QByteArray buffer(4096, '\0');
  int rc = 0;
  uint32_t length = 0;
  Control control{};
  // One retry with the length the library asks for.
  for (int round = 0; round < 2; ++round) {
    control = {};
    control[RV_CONTROL_LENGTH] = kControlLength;
    control[RV_CONTROL_WHERE] = RV_WHERE_STRING;
    control[RV_CONTROL_FORMAT] = formatId;
    control[RV_CONTROL_BPM] = melody.bpm();
    control[RV_CONTROL_CHANNEL] = RV_CHANNEL_FIRST_SEEN;
    for (size_t i = 0; i < 3; ++i) control[RV_CONTROL_OPTION1 + i] = at(options, i);
    length = static_cast<uint32_t>(buffer.size());
    rc = RvMelodyApi::instance().rvmMelo2String(records.data(),
                                                static_cast<int32_t>(records.size()), buffer.data(),
                                                &length, name.constData(), nullptr, control.data());
    if (rc != RV_BUFFER_TOO_SMALL || length <= static_cast<uint32_t>(buffer.size()) ||
        length > (64u << 20))
      break;
    buffer.resize(static_cast<qsizetype>(length));
  }
  o.code = rc;
  o.writerValue = control[RV_CONTROL_WRITER_VALUE];
  if (rc != RV_OK) {
    fail(o, rc, formatRes, kResWriteClipboard, Call::Write, formatId);
    return o;
  }
  out = buffer.left(static_cast<qsizetype>(std::min<uint32_t>(length, buffer.size())));
  o.result = 1;
  return o;
}

Outcome ModifyMelody(pxvbMelody& melody, Modify operation, int factor) {
  Outcome o;
  std::vector<EventRecord> records = ToRecords(melody);
  if (records.empty()) {
    o.result = 0;
    return o;
  }
  if (!bind(o)) return o;
  int32_t count = static_cast<int32_t>(records.size());
  // Room for the volume events that VelocityToVolume adds.
  records.resize(records.size() * 2 + static_cast<size_t>(gMaxEvents) + 10);
  const int rc =
      RvMelodyApi::instance().rvmModifyMelody(records.data(), static_cast<int32_t>(records.size()),
                                              &count, static_cast<int32_t>(operation), factor);
  o.code = rc;
  if (rc != RV_OK) {
    fail(o, rc, 0, 0, Call::Modify, 0);
    return o;
  }
  count = std::clamp<int32_t>(count, 0, static_cast<int32_t>(records.size()));
  FromRecords(melody, records.data(), count);
  o.result = 1;
  return o;
}

Outcome Version(int& major, int& minor, int& build, int& revision) {
  Outcome o;
  if (!bind(o)) return o;
  int32_t v[4] = {0, 0, 0, 0};
  o.code = RvMelodyApi::instance().rvtVersion(&v[0], &v[1], &v[2], &v[3]);
  major = v[0];
  minor = v[1];
  build = v[2];
  revision = v[3];
  o.result = o.code == 1 ? 1 : -1;
  return o;
}

int MeloSupport(int formatId) {
  if (!EnsureLoaded()) return -1;
  return RvMelodyApi::instance().rvtMeloSupport(formatId);
}

int MVelo2iVol(int velocity, int& out) {
  if (!EnsureLoaded()) return -1;
  out = RvMelodyApi::instance().rvMVelo2iVol(velocity);
  return 1;
}

int iVol2MVelo(int volume, int& out) {
  if (!EnsureLoaded()) return -1;
  out = RvMelodyApi::instance().rviVol2MVelo(volume);
  return 1;
}

}  // namespace rvTonehead
