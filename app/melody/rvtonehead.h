// The bridge between the application's melodies and the melody library. A melody crosses
// as an array of 7-integer records with the library's control array. The exports are bound
// through RvMelodyApi on first use; when the library or an export is missing, every call
// fails with loadError set and nothing changes.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <array>
#include <functional>
#include <vector>

#include "melody/pxvbmelody.h"
#include "rvmelody.h"
#include "rvresulttexts.h"

namespace rvTonehead {

// Where a read comes from or a write goes.
enum class Where : int32_t { File = RV_WHERE_FILE, Clipboard = RV_WHERE_CLIPBOARD };

// A read through the library. On success channelUsed and channelMask hold what the MIDI
// reader reports (both 0 for the other formats).
struct ReadRequest {
  Where from = Where::File;
  int formatId = RV_FORMAT_MIDI;
  int channel = RV_CHANNEL_FIRST_SEEN;  // MIDI: the 0-based channel to read
  int channelUsed = 0;                  // out (MIDI)
  int channelMask = 0;                  // out (MIDI): bit n set when channel n has notes
  int roundedEvents = 0;  // out: notes and pauses read to the nearest length or key the
                          // melody holds (the formats whose readers say so)
};

// The writer's three options (control elements 6..8).
using FormatOptions = std::array<int, 3>;

// An export to a file or the clipboard.
struct WriteRequest {
  Where to = Where::File;
  int formatId = RV_FORMAT_MIDI;
  FormatOptions options{};
};

// The library's transformations.
enum class Modify : int32_t {
  ScaleDurations = RV_MODIFY_SCALE_DURATIONS,  // factor 2: all notes longer
  VelocityToVolume = RV_MODIFY_VELOCITY_TO_VOLUME,
  VolumeToVelocity = RV_MODIFY_VOLUME_TO_VELOCITY,
};

// The positional form of a request that the file commands still build: [0] where, [1]
// format id, [2], [3] 0, [4] MIDI channel choice, [5..7] format options.
using Request = std::vector<int>;
ReadRequest ReadRequestOf(const Request& request);
WriteRequest WriteRequestOf(const Request& request);

// What the caller needs to tell the user about a failed library call. The texts are
// resource strings of the language library; LibraryErrorText puts them together.
struct LibraryMessage {
  int code = 0;          // the library's result code
  int formatRes = 0;     // the format's name, 0 when the caller names none
  int operationRes = 0;  // what was being done
  int codeRes = 0;       // the text of the code (ErrorTextRes)
};

struct Outcome {
  int result = -1;         // 1 success, 0 nothing to do, -1 failure (target unchanged)
  int code = 0;            // the library's result code; 0 when it was not called
  bool truncated = false;  // read answered 100: show the notice (resource string 821)
  int eventsKept = 0;      // read: the events taken into the melody
  int eventsInInput = 0;   // read: the events the input holds (more than kept when truncated)
  int writerValue = 0;     // export and string: the writer's result value (control[4])
  QString loadError;       // the library or an export could not be bound
  LibraryMessage message;  // for result -1 after a library call
};

// Resource strings of the texts used in library messages.
enum : int {
  kResTitle = 2,            // title suffix and "error" word
  kResTruncated = 821,      // read: more events than the melody can hold
  kResReadOperation = 846,  // the leading text of every read
  kResReadFile = 842,
  kResReadClipboard = 844,
  kResWriteFile = 843,
  kResWriteClipboard = 845,
  kResFormatSagem = 846,
  kResFormatRtttl = 850,
  kResFormatAlcatel = 847,
  kResFormatNokiaSms = 831,
  kResFormatOther = 848,
};

// Text of a library result code as a resource string number (the one table of
// rvresulttexts.h), for the call it came back from and the format asked for.
int ErrorTextRes(int code, rvresult::Call call = rvresult::Call::Any, int formatId = 0);
// The message box text: "[format - ]operation\n<2> #code: text". res returns the text of a
// resource string. An outcome that failed to load gets the load error as its text.
QString LibraryErrorText(const Outcome& o, const std::function<QString(int)>& res);
QString LibraryErrorTitle(const std::function<QString(int)>& res);
// The format's name as used in write messages.
int FormatNameRes(int formatId);
// The format's name as used in read messages: the format the reader was asked for (a
// failed RTTTL read never says "Sagem").
int ReadFormatNameRes(int formatId);

// The largest melody the application handles (301); reads take up to this plus 10 events.
void setMaxEvents(int n);
int maxEvents();

// True when all exports are bound; otherwise error says why.
bool EnsureLoaded(QString* error = nullptr);

// Reads a melody into target; it changes only when the read succeeds. input is the file
// path for a file read. setName: the target is the main melody and takes the melody name
// read. Pauses with lengths outside 1..128 are dropped.
Outcome ReadMelo(pxvbMelody& target, ReadRequest& request, const QString& input, bool setName);
// The positional form: request needs at least five elements (otherwise -1, nothing read);
// on success its elements 4 and 5 receive the channel used and the channel mask.
Outcome ReadMelo(pxvbMelody& target, Request& request, const QString& input, bool setName);

// What a read from memory (ReadBuffer) reports besides the melody.
struct BufferReport {
  int position = 0;  // on failure: where, as the code says (rvmelody.h); 0 none
  int line = 0;      // on failure: the line, from 1; 0 none
  int value = 0;     // on failure: the number the code names
  int rounded = -1;  // notes and pauses read to the nearest length or key; -1 not said
};

// What a read from memory asks of readers that take options.
struct BufferRequest {
  int delimiter = 0;        // composer text: the tokens' delimiter (a character code); 0 ','
  bool readHeader = false;  // composer text: a first "Name:... BPM:..." line is read
};

// Reads a melody from the bytes with the library's reader of the format, also the readers
// the library uses only on memory (Nokia ringtones, iMelody, composer text). On success
// (result 1) the target's events, tempo and name are the data's, and its composer when the
// data names one; otherwise the target is unchanged and o.code is the library's result code.
Outcome ReadBuffer(pxvbMelody& target, int formatId, const QByteArray& data,
                   BufferReport* report = nullptr, const BufferRequest& request = {});

// What the library counts in a rendering (RV_COUNT_*): -1 when the data ends early, is
// no such rendering or the library is missing.
int CountNotes(const QByteArray& data, int what);

// Writes the melody, or only the events at rows (positions outside the melody are
// skipped; none selected writes nothing, result 0), to a file or the clipboard.
Outcome MeloExport(const pxvbMelody& melody, const WriteRequest& request, const QString& fileName,
                   const QList<int>* rows = nullptr, int formatRes = 0);
Outcome MeloExport(const pxvbMelody& melody, const Request& request, const QString& fileName,
                   const QList<int>* rows = nullptr, int formatRes = 0);

// Renders the melody into text (binary bytes for MIDI). options are the format options
// (elements 6..8 of the control array; missing ones are 0).
Outcome Melo2String(const pxvbMelody& melody, int formatId, const std::vector<int>& options,
                    QByteArray& out, const QList<int>* rows = nullptr, int formatRes = 0);

// Transforms the melody in place; factor is used by ScaleDurations.
Outcome ModifyMelody(pxvbMelody& melody, Modify operation, int factor);

// Library version numbers, and its support bits for a format (-1 unknown).
Outcome Version(int& major, int& minor, int& build, int& revision);
int MeloSupport(int formatId);

// Volume mapping; 1 on success with the answer in out, -1 when the library is missing.
int MVelo2iVol(int velocity, int& out);
int iVol2MVelo(int volume, int& out);

// The record form of one melody (all events, or the rows given).
std::vector<EventRecord> ToRecords(const pxvbMelody& melody, const QList<int>* rows = nullptr);
// Replaces the melody's events with the records, dropping pauses outside 1..128.
void FromRecords(pxvbMelody& melody, const EventRecord* records, int count);

}  // namespace rvTonehead
