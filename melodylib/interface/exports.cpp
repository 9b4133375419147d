// The exported C functions: argument checks first, then one guarded body that builds a
// Melody, runs one reader or writer from the format table and hands the result back.
#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "../formats/format_api.h"
#include "../formats/imelody.h"
#include "../formats/midihex.h"
#include "../formats/nokia.h"
#include "../formats/registry.h"
#include "../formats/sagem.h"
#include "../model/errors.h"
#include "../model/melody.h"
#include "../model/modify.h"
#include "../model/records.h"
#include "filewrite.h"
#include "host.h"
#include "readrecords.h"
#include "rvmelody.h"

namespace rv {
namespace {

constexpr char kMessageCaption[] = "rvmelody.dll";
constexpr int kMidiFormat = 10;

// The caller's control array, elements 1..min(N-1, 10) copied; elements it lacks read 0.
struct Control {
  int32_t n = 0;
  int32_t v[11] = {};
  bool has(int index) const { return index >= 1 && index < n && index <= 10; }
  int32_t at(int index) const { return has(index) ? v[index] : 0; }

  explicit Control(const int32_t* control) : n(control[0]) {
    for (int i = 1; i < n && i <= 10; ++i) v[i] = control[i];
  }

  FormatOptions options() const {
    FormatOptions o;
    o.has6 = has(6);
    o.has7 = has(7);
    o.has8 = has(8);
    o.option6 = at(6);
    o.option7 = at(7);
    o.option8 = at(8);
    return o;
  }
};

// Cuts text to at most n bytes without splitting a UTF-8 sequence at the end.
std::size_t utf8Cut(const std::string& text, std::size_t n) {
  if (text.size() <= n) return text.size();
  std::size_t start = n;
  while (start > 0 && n - start < 3 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80)
    --start;
  const unsigned char lead = static_cast<unsigned char>(text[start]);
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  return (lead >= 0xC0 && start + length > n) ? start : n;
}

// The melody the export and string functions hand to a writer.
void buildMelody(Melody& melody, const EventRecord* records, int32_t count, const char* title,
                 const Control& control) {
  melody.title = title ? title : "";
  if (control.at(3) > 0) melody.setBPM(control.at(3));
  addRecords(melody, records, count);
}

// Runs body and turns what it throws into the exports' result codes: the library's error
// classes show their message and return their code (-1 becomes -2), other runtime errors
// show theirs and return -3, anything else (a standard allocation failure too) returns -4
// without a message.
template <typename Body>
int32_t guarded(Body body) {
  try {
    return body();
  } catch (const rt_erri& e) {
    hostShowMessage(kMessageCaption, e.what());
    return e.code() == -1 ? -2 : e.code();
  } catch (const std::runtime_error& e) {
    hostShowMessage(kMessageCaption, e.what());
    return -3;
  } catch (...) {
    return -4;
  }
}

// Runs a reader; any exception inside it is a failed read (-1).
int runReader(const FormatEntry& format, std::istream& in, Melody& melody, ReadRequest& request) {
  try {
    return format.read(in, melody, request);
  } catch (...) {
    return -1;
  }
}

// The read melody's events into the records (as many as they hold) and its title, cut
// at titleLength bytes. 100 when the records could not hold every event.
int32_t handBack(const Melody& melody, EventRecord* records, int32_t* recordCount, char* title,
                 uint32_t* titleLength) {
  const int32_t capacity = *recordCount;
  const int32_t available = melody.count();
  const int32_t filled = std::min(capacity, available);
  for (int32_t i = 0; i < filled; ++i) fillReadRecord(melody, melody.event(i), records[i]);

  const std::size_t length = utf8Cut(melody.title, *titleLength);
  std::memcpy(title, melody.title.data(), length);
  title[length] = '\0';
  *titleLength = static_cast<uint32_t>(length);
  *recordCount = filled;
  return available > filled ? 100 : 1;
}

int32_t readMelody(EventRecord* records, int32_t* recordCount, char* title, uint32_t* titleLength,
                   int32_t* control, const char* fileName) {
  const Control c(control);
  Melody melody;
  ReadRequest request;
  request.channelChoice = c.has(4) ? c.at(4) : 255;
  const int32_t formatId = c.at(2);

  int result = -1;
  if (c.at(1) == 2) {
    const std::optional<std::string> text = hostGetClipboardText();
    if (!text) return 30;
    if (text->empty()) return 31;
    std::string data;
    if (formatId == kMidiFormat) {
      const std::size_t markerLength = sizeof(kClipboardMidiMarker) - 1;
      if (text->size() < 20 || text->compare(0, markerLength, kClipboardMidiMarker) != 0) return 39;
      data = decodeClipboardMidi(std::string_view(*text).substr(markerLength));
    } else {
      data = *text;
    }
    const FormatEntry* format = findFormat(formatId);
    if (!format || !format->read) return 213;
    request.fromClipboard = true;
    std::istringstream in(std::move(data), std::ios::binary);
    result = runReader(*format, in, melody, request);
  } else if (c.at(1) == 1) {
    if (!fileName) return 213;
    if (!*fileName) return 210;
    std::ifstream in(fileName, std::ios::binary);
    if (!in.is_open()) return 51;
    const FormatEntry* format = findFormat(formatId);
    if (!format || !format->read) return 213;
    result = runReader(*format, in, melody, request);
  } else {
    return 213;
  }

  if (formatId == kMidiFormat) {
    if (c.n >= 5) control[4] = request.channelUsed;
    if (c.n >= 6) control[5] = request.channelMask;
  }
  if (result != 1) return result;
  if (request.roundedEvents >= 0 && c.n >= 5) control[4] = request.roundedEvents;
  control[3] = melody.getBPM();
  return handBack(melody, records, recordCount, title, titleLength);
}

int32_t readBuffer(const char* data, uint32_t dataLength, int32_t formatId, EventRecord* records,
                   int32_t* recordCount, char* title, uint32_t* titleLength, RvReadReport* report) {
  const FormatEntry* format = findFormat(formatId);
  const ReadFn read = format ? memoryReader(*format) : nullptr;
  if (!read) return 213;
  Melody melody;
  ReadRequest request;
  if (report) {
    if (report->delimiter > 0 && report->delimiter <= 0x10FFFF)
      request.delimiter = static_cast<char32_t>(report->delimiter);
    request.readHeader = report->readHeader == 1;
  }
  std::istringstream in(std::string(data ? data : "", data ? dataLength : 0), std::ios::binary);
  int result = -1;
  try {
    result = read(in, melody, request);
  } catch (...) {
    result = -1;
  }
  if (report) {
    report->position = result == 1 ? 0 : request.failPosition;
    report->line = result == 1 ? 0 : request.failLine;
    report->value = result == 1 ? 0 : request.failValue;
  }
  if (result != 1) return result;
  const int32_t handed = handBack(melody, records, recordCount, title, titleLength);
  if (report) {
    report->bpm = melody.getBPM();
    report->rounded = request.roundedEvents;
    report->hasComposer = request.hasComposer ? 1 : 0;
    if (report->composer && report->composerCapacity > 0) {
      const std::size_t length = utf8Cut(request.composer, report->composerCapacity - 1);
      std::memcpy(report->composer, request.composer.data(), length);
      report->composer[length] = '\0';
    }
  }
  return handed;
}

}  // namespace
}  // namespace rv

using namespace rv;

extern "C" {

RVMELODY_API int32_t rvtVersion(int32_t* major, int32_t* minor, int32_t* build, int32_t* revision) {
  if (!major || !minor || !build || !revision) return 213;
  *major = 1;
  *minor = 2;
  *build = 10;
  *revision = 3;
  return 1;
}

// A format's bits appear once its reader or writer is part of the library.
RVMELODY_API int32_t rvtMeloSupport(int32_t formatId) {
  return formatSupport(formatId);
}

RVMELODY_API int32_t rvmReadMelo(EventRecord* records, int32_t* recordCount, char* title,
                                 uint32_t* titleLength, int32_t* control, const char* fileName,
                                 void* /*reserved1*/, void* /*reserved2*/) {
  if (!records || !control || !titleLength || !recordCount || !title) return 213;
  if (*recordCount <= 0 || *titleLength == 0) return 210;
  if (control[0] < 4) return 213;
  return guarded(
      [&] { return readMelody(records, recordCount, title, titleLength, control, fileName); });
}

RVMELODY_API int32_t rvmReadBuffer(const char* data, uint32_t dataLength, int32_t formatId,
                                   EventRecord* records, int32_t* recordCount, char* title,
                                   uint32_t* titleLength, RvReadReport* report) {
  if (!records || !titleLength || !recordCount || !title || (!data && dataLength > 0)) return 213;
  if (*recordCount <= 0 || *titleLength == 0) return 210;
  return guarded([&] {
    return readBuffer(data, dataLength, formatId, records, recordCount, title, titleLength, report);
  });
}

RVMELODY_API int32_t rvmCountNotes(const char* data, uint32_t dataLength, int32_t what) {
  if (!data && dataLength > 0) return -2;
  const std::string_view bytes(data ? data : "", data ? dataLength : 0);
  switch (what) {
    case RV_COUNT_NOKIA_NOTES:
    case RV_COUNT_NOKIA_NOTES_BEHIND_HEADER:
      return countNokiaNotes(bytes, what == RV_COUNT_NOKIA_NOTES_BEHIND_HEADER);
    case RV_COUNT_IMELODY_NOTES:
    case RV_COUNT_IMELODY_TOKENS:
      return countImelodyTokens(bytes, what == RV_COUNT_IMELODY_TOKENS);
    case RV_COUNT_SAGEM_CODES:
      return countSagemCodes(bytes);
    default:
      return -2;
  }
}

RVMELODY_API int32_t rvmMeloExport(const EventRecord* records, int32_t recordCount,
                                   const char* title, const char* fileName, void* /*reserved*/,
                                   int32_t* control) {
  if (!records || !control) return 213;
  if (recordCount <= 0) return 216;
  if (control[0] < 5) return 213;
  control[4] = 0;
  const Control c(control);
  const int32_t target = c.at(1);
  if (target == 1) {
    if (!fileName || !*fileName) return 213;
  } else if (target != 2) {
    return 213;
  }
  // The format is checked before anything is written, so an unsupported one leaves an
  // existing file untouched.
  const FormatEntry* format = findFormat(c.at(2));
  if (!format || !format->write) return 213;

  return guarded([&]() -> int32_t {
    Melody melody;
    buildMelody(melody, records, recordCount, title, c);
    WriteResult out;
    format->write(melody, target == 1 ? WriteTarget::File : WriteTarget::Clipboard, c.options(),
                  out);
    if (target == 1) {
      const int written = writeFileReplacing(fileName, out.bytes);
      if (written != 1) return written;
    } else {
      hostSetClipboardText(format->id == kMidiFormat ? encodeClipboardMidi(out.bytes) : out.bytes);
    }
    control[4] = out.resultValue;
    return 1;
  });
}

RVMELODY_API int32_t rvmMelo2String(const EventRecord* records, int32_t recordCount, char* buffer,
                                    uint32_t* bufferLength, const char* title, void* /*reserved*/,
                                    int32_t* control) {
  if (!records || !control || !buffer || !bufferLength || *bufferLength == 0) return 213;
  if (recordCount <= 0) return 216;
  if (control[0] < 5) return 213;
  control[4] = 0;
  const Control c(control);
  if (c.at(1) != 0) return 213;
  const FormatEntry* format = findFormat(c.at(2));
  if (!format || !format->write || !format->toStringAllowed) return 213;

  return guarded([&]() -> int32_t {
    Melody melody;
    buildMelody(melody, records, recordCount, title, c);
    WriteResult out;
    format->write(melody, WriteTarget::String, c.options(), out);
    if (out.bytes.size() > *bufferLength) {
      *bufferLength = static_cast<uint32_t>(out.bytes.size());
      return 217;
    }
    std::memcpy(buffer, out.bytes.data(), out.bytes.size());
    *bufferLength = static_cast<uint32_t>(out.bytes.size());
    control[4] = out.resultValue;
    return out.returnValue;
  });
}

RVMELODY_API int32_t rvmModifyMelody(EventRecord* records, int32_t capacity, int32_t* recordCount,
                                     int32_t operation, int32_t factor) {
  if (!records || !recordCount) return 213;
  return guarded([&] { return modifyRecords(records, capacity, recordCount, operation, factor); });
}

RVMELODY_API int32_t rvMVelo2iVol(int32_t velocity) {
  return velocityToVolumeLevel(velocity);
}

RVMELODY_API int32_t rviVol2MVelo(int32_t volume) {
  return volumeLevelToVelocity(volume);
}

}  // extern "C"
