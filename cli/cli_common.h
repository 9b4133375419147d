// Shared pieces of pealix-cli: the format names (cli_formats.cpp), argument parsing
// (cli_args.cpp), the melody as it crosses the library boundary and the library's loading
// and hooks (cli_library.cpp), reading and writing melodies (cli_io.cpp), what a writer did
// to the notes (cli_write_notes.cpp), the application's own formats (app_formats.cpp) and
// the words printed for codes and events (cli_texts.cpp).
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <QByteArray>

#include "files/filetables.h"
#include "melody/formatcatalogue.h"
#include "melody/pxvbmelody.h"
#include "rvmelody.h"

namespace cli {

// One melody format as the command line names it: its row of the format catalogue.
struct CliFormat {
  const char* name;
  int32_t id;                 // library format id; 0 for formats converted by the application
  int32_t defaultOptions[3];  // control elements 6, 7, 8 when only later ones are given
  const char* description;
  const formatcatalogue::Format* row;
};

const std::vector<CliFormat>& formats();
const CliFormat* formatByName(const std::string& name);
const CliFormat* formatById(int32_t id);
// The format a file name's extension stands for, by the open and save dialogs' tables;
// null when none. For reading, an existing file's content decides over its name (a MIDI
// file named .rtx, an RTTTL text named .mid); what makes it unreadable (an Alcatel text,
// bytes that are no text) goes to problem when given.
const CliFormat* formatForRead(const std::string& path, std::string* problem = nullptr);
const CliFormat* formatForWrite(const std::string& path);
// The extensions that choose a format when reading or writing.
std::string extensionsOf(const CliFormat& format);
// The format named by --from/--to, else the one the path's extension stands for; prints
// why (as "pealix-cli COMMAND: ...") and returns null when there is none.
const CliFormat* chooseFormat(const char* command, const std::optional<std::string>& named,
                              const std::string& path, bool reading);
// Control elements 6..8 from the --option6..8 values. They are positional in the control
// array: a later one given alone brings the format's defaults for the earlier ones.
std::vector<int32_t> composeOptions(const CliFormat& format,
                                    const std::optional<int32_t> (&given)[3]);

// A melody as records, the form in which it crosses to the library.
struct Document {
  std::vector<EventRecord> records;
  std::string title;
  int32_t bpm = 120;
  int32_t channelUsed = -1;   // MIDI reads: the channel read (0-based)
  int32_t channelMask = 0;    // MIDI reads: bit n = channel n+1 carries notes
  int32_t roundedEvents = 0;  // notes and pauses read to the nearest length or key
};

// Simple "--name value" / "--flag" argument list; "--" ends the options.
class Args {
 public:
  Args(int argc, char** argv, int first);
  bool flag(const std::string& name);
  std::optional<std::string> value(const std::string& name);
  std::optional<int32_t> intValue(const std::string& name, bool& bad);
  const std::vector<std::string>& positional() const { return positional_; }
  // Options left that were never asked for; the caller reports them as unknown.
  std::vector<std::string> unknown() const;

 private:
  void collectPositional();

  std::vector<std::string> items_;
  std::vector<bool> used_;
  std::vector<std::string> positional_;
  std::set<size_t> valueTaken_;  // items taken as an option's value
  size_t optionsEnd_ = 0;        // index of "--", or the item count
};

// Loads librvmelody.so; on failure prints the reason and returns false.
bool loadLibrary();

// Reads a melody file with a library format; prints a message and returns false on failure.
bool readMelody(const std::string& path, const CliFormat& format, int32_t channel, Document& doc);

// Reads a file (or standard input, "-") in any readable format: the library's, the phone
// formats the application reads (Nokia ringtone, iMelody) and the application's text
// formats. On failure the reason goes to *error, or to standard error when error is null.
// Safe to call from several threads at once (files only, not standard input).
bool readInput(const std::string& path, const CliFormat& format, int32_t channel,
               const std::string& delimiter, Document& doc, std::string* error = nullptr);

// Reads one RTTTL tune given as text. Thread-safe.
bool readRtttlText(const std::string& text, Document& doc, std::string& error);

// For a rendering of a format sized for one message (Nokia with its size limit, Sagem with
// one, the iMelody string): "holds K of the melody's N notes and pauses" when the writer
// left some out, else empty. bytes: what was written. Thread-safe.
std::string notesLeftOut(const Document& doc, const CliFormat& format,
                         const std::vector<int32_t>& options, const std::string& bytes);

// What the format's writer does to the notes: "rtttl moved the melody up 3 semitones into
// its range", or empty when it writes every key as it is. Thread-safe.
std::string pitchNote(const Document& doc, const CliFormat& format);

// Renders the melody as a file in this format would hold it (options: control elements
// 6..8). Thread-safe; false with the reason in error when the library refuses.
bool renderMelody(const Document& doc, const CliFormat& format, const std::vector<int32_t>& options,
                  std::string& bytes, std::string& error);

// Writes to a file, or to standard output when path is "-". options: control elements 6..8.
bool writeMelody(const Document& doc, const std::string& path, const CliFormat& format,
                 const std::vector<int32_t>& options, bool stringForm);

// Formats the application converts itself (id 0): Nokia composer text and Sagem hex text
// (app_formats.cpp). Composer text reads with the notes raised by 48 semitones, as the
// window's import does; delimiter: one character, else ",".
bool isAppFormat(const CliFormat& format);
int32_t appFormatSupport(const CliFormat& format);
bool readAppText(const std::string& path, const CliFormat& format, const std::string& delimiter,
                 Document& doc);
// The reader of a format whose file read the library does not offer (Nokia ringtone, read
// from memory by the library; iMelody), from the open dialog's table; null when the
// library reads the format's files or none does.
using AppReaderFn = filetables::AppReader;
AppReaderFn appReaderFor(const CliFormat& format);
// Reads a file with the application's own converters (app formats and app readers); the
// reason goes to error. Thread-safe for files.
bool readAppInput(const std::string& path, const CliFormat& format, const std::string& delimiter,
                  Document& doc, std::string& error);
bool writeComposerText(const Document& doc, const std::string& path, const std::string& delimiter);
// The range check against all eight target formats, as the main window shows it.
void printRangeCheck(const Document& doc);

// The readable text of a library result code.
std::string resultText(int32_t code);
// Why a library call failed, for the CLI's one line about it: the message the library
// showed during the call (taken, so it is reported once), else the result code's text and
// number. Each thread keeps its own message.
std::string failureText(int32_t code);
// The library's pending message, taken; empty when there is none.
std::string takeLibraryMessage();
// Prints a pending library message as a note after a call that succeeded.
void reportLibraryNote();

// Where status lines ("wrote ...") go: standard error when the output itself goes to
// standard output ("-"), so they never mix with the data.
std::ostream& statusStream(const std::string& outputPath);

// "quarter", "dotted eighth" ...
std::string lengthWords(int32_t simpleLen, int32_t dotLen);
std::string eventWords(const EventRecord& record);

}  // namespace cli
