// The file commands without their windows: a new melody, opening a melody file (with the
// second round that reads a chosen MIDI channel), saving through a dialog filter, and the
// texts of their messages. The target melody changes only when a command succeeds.
#pragma once

#include <QString>

#include <functional>
#include <type_traits>

#include "files/filetables.h"
#include "melody/pxvbmelody.h"
#include "melody/rvtonehead.h"
#include "songs/channeloverview.h"
#include "songs/songmelody.h"

struct MainSettings;

namespace filecmd {

// The text of a resource string (the current language's GetResString in the program).
using ResFn = std::function<QString(int)>;

// Resource strings of the file commands.
enum : int {
  kResNew = 4,             // "New"
  kResMelodyWord = 103,    // " melody"
  kResOpenTitle = 658,     // open dialog title
  kResSaveTitle = 659,     // save dialog title
  kResSaveQuestion = 826,  // "The melody has been changed. Save it first?"
  kResSaveQuestionTitle = 827,
  kResFileNotFound = 1550,   // "File not found"
  kResSaved = 1551,          // status text after a save
  kResClipboardDone = 1552,  // status text after a clipboard export
  kResOpened = 1553,         // status text after an open
  kResNoMelodyLine = 2011,   // the chosen channel has no note long enough for a ringtone
};

// The name of the clipboard imports' melody.
QString ClipboardImportName();

// What a command tells its window.
struct Result {
  int result = 0;      // 1 done, 0 cancelled or nothing to do, -1 failed (melody unchanged)
  QString errorTitle;  // for -1: the message box (exclamation icon)
  QString errorText;
  bool truncated = false;   // a read dropped events: show the notice (NoticeText)
  int channel = 0;          // MIDI: the channel read (1..16)
  bool partOfFile = false;  // MIDI: one of several channels, so saving over the file
                            // would lose the others

  int writerValue = 0;      // save: the writer's result value
  int fileType = -1;        // open: the type the file was read as (its content decides)
  int eventsKept = 0;       // open, truncated: the events taken into the melody
  int eventsInFile = 0;     // open, truncated: the events the file holds
  bool moreInFile = false;  // open, truncated: the file holds more than eventsInFile (a
                            // text longer than the library's reader takes)
  int tuneCount = 0;        // open, RTTTL: the tunes the file holds (more than 1: one read)
  int tuneIndex = 0;        // open, RTTTL: the 0-based tune read
  QString tuneName;
  int roundedEvents = 0;  // open: notes and pauses read to the nearest length or key
  QString songStatus;     // open, MIDI melody line: what the fitting did (FitSummaryText)
};

// The notice after a read that dropped events.
QString TruncatedNoticeText(const ResFn& res);
// The same with the numbers of a file read: how many events were left out.
QString TruncatedNoticeText(const Result& r, const ResFn& res);
// After a good open: why saving over the file would lose part of it (events left out,
// the other tunes of an RTTTL collection); empty when the melody is the whole file.
QString OverwriteCaution(const Result& r, const ResFn& res);
// The status text after opening one tune of several, empty otherwise.
QString TuneStatusText(const Result& r, const ResFn& res);
// After an open that read some lengths or keys to the nearest the melody holds: how
// many; empty otherwise.
QString RoundedStatusText(const Result& r, const ResFn& res);
// The question before saving over a file the caution is about (Yes overwrites, No goes
// to Save As).
QString OverwriteQuestion(const QString& path, const QString& caution, const ResFn& res);
// The file-not-found text: "<text>: ", a line break and the file name.
QString FileNotFoundText(const QString& path, const ResFn& res);
// Title and text of the library error box for an outcome.
void SetLibraryError(Result& r, const rvTonehead::Outcome& o, const ResFn& res);

// The melody after New: one eighth note 72 at velocity 127, tempo 120, name, composer and
// copyright "Pealix".
void MakeNewMelody(pxvbMelody& melody);
// The current file name of a new melody (resource strings 4 and 103).
QString NewMelodyFileName(const ResFn& res);

// The filters of the dialogs joined for QFileDialog (";;"), in table order, with the
// patterns blank-separated as the dialog needs them ("MIDI file (*.mid *.midi)") and the
// names in the current language (without res: the tables' own texts). The open dialog's
// list starts with "All melodies" (every readable extension, index 0) and ends with "All
// files" (index OpenFilters().size() + 1).
QString OpenDialogFilters(const ResFn& res = {});
QString SaveDialogFilters(const ResFn& res = {});
// A filter text as the dialog shows it: the ";" between patterns become blanks.
QString DialogFilterText(const QString& tableText);
// The index of a selected filter text (the table's, the dialog's or the shown form): 1-based for
// the table's filters, 0 and size + 1 for the open dialog's two catch-all filters; 1 for
// a text that is not offered.
int OpenFilterIndex(const QString& selectedFilter, const ResFn& res = {});
int SaveFilterIndex(const QString& selectedFilter, const ResFn& res = {});
// The dialog's filter text of an index (the first table filter for one not offered).
QString OpenFilterText(int index, const ResFn& res = {});
QString SaveFilterText(int index, const ResFn& res = {});
// The file type of an open filter, or the file type a path's extension implies when the
// filter is unknown.
int OpenFileType(int filterIndex);

// Asks which MIDI channel to read: mask has bit 0 for channel 1 ... bit 15 for channel 16.
// Returns the channel 1..16; anything else cancels the open.
using ChannelChooser = std::function<int(int mask)>;
// Asks which tune of an RTTTL collection to read: names in file order. Returns the 0-based
// tune; anything outside the list cancels the open.
using TuneChooser = std::function<int(const QStringList& names)>;

// The MIDI channel question: the channels with notes, and (scanned) the table of them
// with their melody scores, best first.
struct MidiQuestion {
  int mask = 0;
  bool scanned = false;
  songs::SongOverview overview;
};
struct MidiAnswer {
  int channel = 999;  // 1..16; anything else cancels
  // How the channel becomes the melody (its channel field is not used): as written, or
  // the melody line, fitted to a format and cut to an excerpt.
  songs::SongRequest song{0, 0, songs::ReadMode::AsWritten, {}};
};
// Asks the question either way: a plain channel chooser (reads as written) or one that
// answers the whole question. Empty: the channel the library picked, as written.
class MidiChooser {
 public:
  MidiChooser() = default;
  MidiChooser(std::nullptr_t) {}
  template <class F, std::enable_if_t<std::is_invocable_r_v<int, F, int>, int> = 0>
  MidiChooser(F f) : byMask_(std::move(f)) {}
  template <class F,
            std::enable_if_t<std::is_invocable_r_v<MidiAnswer, F, const MidiQuestion&>, int> = 0>
  MidiChooser(F f) : full_(std::move(f)) {}
  explicit operator bool() const { return byMask_ || full_; }
  MidiAnswer ask(const MidiQuestion& q) const {
    if (full_) return full_(q);
    return {byMask_(q.mask)};
  }

 private:
  std::function<int(int)> byMask_;
  std::function<MidiAnswer(const MidiQuestion&)> full_;
};

// Reads a file of an open filter that has the application's own reader (Nokia ringtone,
// iMelody) into target; target is unchanged unless the result is 1.
Result ReadWithAppReader(pxvbMelody& target, const QString& path,
                         const filetables::OpenFilter& filter, const ResFn& res);

// Opens a melody file into target. fileType (1 RTTTL, 2 MIDI, 3 Sagem; 4 Nokia ringtone
// and 5 iMelody through the application's readers) is what the name or the chosen filter
// suggests; the file's content decides (filedetect), and a problem found there (an empty
// file, a .mid without a MIDI header) is reported with the real format's name. An RTTTL
// file of several tunes reads the one the tune chooser picks (none: the first). A missing
// file gives the file-not-found text; a library failure the library error box; a MIDI file
// is read a second time with the channel the chooser picks (cancel: result 0), or, when
// the answer asks for the melody line, turned into a ringtone by songs::MelodyOfSong. A
// file with one channel of notes is read as written without a question. A MIDI file
// without notes on any channel fails like a library read. On success target holds the
// melody read (its name from the file) and the result is 1.
Result OpenMelodyFile(pxvbMelody& target, const QString& path, int fileType,
                      const MidiChooser& chooser, const ResFn& res,
                      const TuneChooser& tuneChooser = {});

// The request of a save filter: file, format id, the filter's options (stored ones from
// options).
rvTonehead::Request SaveRequest(const filetables::SaveFilter& filter, const MainSettings& options);
// The path a save writes: the filter's extension appended unless the name ends with it.
QString SavePath(const QString& chosenPath, const filetables::SaveFilter& filter);

// Writes the melody to path (the extension already applied) with the filter's format and
// options. A failure shows the library error box and leaves an existing file as it was.
Result SaveMelodyFile(const pxvbMelody& melody, const QString& path,
                      const filetables::SaveFilter& filter, const MainSettings& options,
                      const ResFn& res);

// What the writer changed on the way, found by reading the written file back (formats the
// program reads): a tempo the format has no code for, a title it shortens; and, from the
// save's writer value, the notes a writer put to the nearest length it holds (Flipper Zero
// music). Empty when the file holds the melody's tempo and title, or cannot be read back.
QString SaveChangesText(const pxvbMelody& melody, const QString& path,
                        const filetables::SaveFilter& filter, const ResFn& res,
                        int writerValue = 1);

// Where Save As starts: the filter of the current file's own format (else the one chosen
// last; 0 for none yet: MIDI, the native format) and the name it proposes: the current
// file's (for a melody without a file its title's) with that filter's extension, in the
// file's folder (else dir).
struct SaveAsStart {
  int filterIndex = 1;
  QString path;
};
SaveAsStart SaveAsProposal(const QString& filePath, int fileFormat, int lastFilter,
                           const QString& title, const QString& dir);

// The file name Save As shows after the user picked another filter: a name that ends
// with the extension of one of the save filters takes the picked filter's instead
// ("OdeToJoy.rtx" under iMelody: "OdeToJoy.imy"); any other name stays as typed.
QString NameForSaveFilter(const QString& name, const QString& selectedFilter,
                          const ResFn& res = {});

// The status after Save As wrote a file that does not become the current one (a format
// Save does not write back): "Exported to x.imy; Ctrl+S still saves y.rtx." (with no
// current file: Ctrl+S asks for a name).
QString ExportStatusText(const QString& written, const QString& currentFile, const ResFn& res);

// The save filter that writes a file of an open file type back in its own format (RTTTL,
// MIDI, Sagem text), or nullptr when the file cannot be saved in place.
const filetables::SaveFilter* InPlaceSaveFilter(int fileType);

// The main window's title: "<file name>[*] - <product>" (the mark while modified), or the
// product title alone when there is no file name.
QString WindowTitle(const QString& product, const QString& filePath, bool modified);

}  // namespace filecmd
