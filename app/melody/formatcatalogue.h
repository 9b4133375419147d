// The one table of melody formats: a row per format with everything the program knows
// about it. The command line (names, extensions, writer options, help, batch), the open
// and save dialogs' filters, the clipboard menus, the titles handed to writers, the
// one-message note counts and the range check all read it. A new format is a file pair in
// melodylib/formats/ plus one row here (docs/ARCHITECTURE.md).
#pragma once

#include <vector>

namespace formatcatalogue {

// Who reads and writes a format. Every format is read and written by the melody library;
// the two clipboard texts go through the application's glue (files/composertext.h with the
// delimiter setting and the import command, files/sagemhex.h with its messages and undo),
// and the command line reads and writes them as texts, not as files by extension.
enum class Converter {
  Library,       // the melody library, by the row's id, from files
  ComposerText,  // Nokia composer text, through files/composertext.h
  SagemHex,      // Sagem hex text, through files/sagemhex.h, read only
};

// How the notes a rendering sized for one message holds are counted (phonelink's
// cablemessage.h), to say what it left out.
enum class NoteCount {
  None,           // the format holds the whole melody
  NokiaRingtone,  // the instructions of the Nokia pattern, by the library (rvmCountNotes)
  SagemCodes,     // the codes the Sagem "Data:" line announces
  IMelody,        // the notes and rests of the melody part
};

// A format option (control element 6, 7 or 8): a fixed value, or the stored setting of
// that name (MainSettings::exportOption).
struct Option {
  const char* settingKey = nullptr;  // nullptr: value
  int value = 0;
};

// An entry of the open dialog: 1-based position, filter text, patterns, file type of the
// recent files (filetables::FileType).
struct OpenEntry {
  int index;
  const char* filterText;
  const char* patterns;  // "*.txt;*.rtx"
  int fileType;
  int nameRes = 0;  // the filter's name in the dialog (resource string); 0: filterText's
};

// An entry of the save dialog.
struct SaveEntry {
  int index;
  const char* filterText;
  const char* patterns;
  const char* extension;  // appended when the name does not end with it
  bool hasOptions;        // false: MIDI, written like the play command
  Option options[3];
  int recentType;   // -1: the file does not go to the recent files
  int nameRes = 0;  // the filter's name in the dialog (resource string); 0: filterText's
};

// A clipboard export of the File or Advanced menu: the menu entry's object name, its
// menu, its caption (Tag) and the options the rendering takes.
struct ClipExport {
  int kind;  // cliptransfer::Export
  const char* action;
  const char* menu;
  int tag;
  Option options[3];
};

// A clipboard import of the File or Advanced menu.
struct ClipImport {
  int kind;  // cliptransfer::Import
  const char* action;
  const char* menu;
  int tag;
};

// A command-line writer option: a flag sets element `element` to `value` (Motorola's flags
// are bits of one option word and add up), an option with a value name takes a number.
struct CliOption {
  const char* name;
  const char* valueName;  // nullptr: a flag
  int element;            // 6, 7 or 8
  int value;
  const char* help;
};

// A row of the target-format range check (clMeloFormatProps): its id, its name in the
// rows' choice list and the limits.
struct RangeRow {
  int checkId;
  const char* choiceName;
  int choicePosition;  // place in the range check's choice list; -1: a fit target only
  int highNote, lowNote, longest, shortest, maxEvents, highTempo, lowTempo;
};

struct Format {
  int id;  // the library's format id; 0 for the formats the application converts
  Converter converter;
  const char* cliName;
  const char* description;  // the command line's one line about it
  int nameRes;              // its name in write messages (resource string)
  int readNameRes;          // its name in read messages
  bool readable, writable;  // what the program does with it, whoever does it
  bool readsFromMemory;     // the library reads it from memory only: the program reads the
                            // file and hands its bytes over (files/memoryread.h)
  bool asciiTitle;          // the writer puts the title into ASCII-only text or octets
  NoteCount noteCount;
  int rangeCheckId;             // the range-check row its limits are checked against, 0 none
  bool hasString;               // the library renders it into a string (rvmMelo2String)
  bool stringIsFile;            // ... and that string is what a file holds
  int cliDefaults[3];           // elements 6..8 when only later ones are given
  const char* binaryExtension;  // batch output when element 7 asks for the bytes
                                // themselves (Nokia); nullptr: the save dialog's
  bool reportsTokens;           // the writer's result value is the tokens written
  bool readsRounded;            // the reader says in control element 4 how many notes
                                // and pauses it read to the nearest length or key
  bool countsEntries = false;   // the writer's result value is the entries written, no note
  bool writesRounded = false;   // a negative result value is minus the notes and pauses
                                // the writer put to the nearest length or key it holds
  std::vector<CliOption> cliOptions;
  std::vector<OpenEntry> open;
  std::vector<SaveEntry> save;
  std::vector<ClipExport> clipExports;
  std::vector<ClipImport> clipImports;
  std::vector<RangeRow> ranges;
};

// Every format, in the order the command line lists them.
const std::vector<Format>& Formats();
// By library id (not 0), by command-line name (case-insensitive); nullptr when none.
const Format* ById(int id);
const Format* ByName(const char* name);

// The entries of every row, in dialog, menu or choice-list order.
std::vector<const OpenEntry*> OpenEntries();
std::vector<const SaveEntry*> SaveEntries();
std::vector<const RangeRow*> RangeRows();
// The format that owns an entry.
const Format* OwnerOf(const OpenEntry* entry);
const Format* OwnerOf(const SaveEntry* entry);
const Format* OwnerOfClipExport(int kind);
const ClipExport* ClipExportOf(int kind);
const ClipExport* ClipExportByAction(const char* action);
const ClipImport* ClipImportByAction(const char* action);

}  // namespace formatcatalogue
