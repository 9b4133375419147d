// The melody being edited in the main window, with everything that belongs to it: the
// main and paste melodies, the history of whole-melody snapshots behind Undo and Redo,
// the modified flag, the status text waiting for the next refresh and the current file.
// Every editing command of the main window is an operation here, so each can run and be
// checked without a window.
#pragma once

#include <QList>
#include <QString>
#include <deque>

#include "melody/pxvbmelody.h"
#include "melody/rvtonehead.h"

class MelodyDocument {
 public:
  // At least this many edits can be undone; the oldest snapshot goes first.
  static constexpr int kHistoryDepth = 200;

  // One fixed note range of the "move into range" command.
  struct Range {
    int high;
    int low;
    int nameRes;  // resource string of its name, 0 for the literal name
    const char* literalName;
  };
  static constexpr int kRangeCount = 5;
  // Entry 0 is the Sagem range of the tool button; -1 entries outside 0..4 give nullptr.
  static const Range* MoveRange(int entry);
  static QString MoveRangeName(int entry);

  pxvbMelody& melody() { return main_; }
  const pxvbMelody& melody() const { return main_; }
  pxvbMelody& pasteMelody() { return paste_; }
  const pxvbMelody& pasteMelody() const { return paste_; }

  // True once a melody was loaded or created; until then the editing commands are off.
  bool hasMelody() const { return hasMelody_; }
  void setHasMelody(bool on) { hasMelody_ = on; }

  // Modified: the melody differs from the state last marked unmodified (opened or saved).
  // Undoing back to that state makes it unmodified again.
  bool isModified() const { return state_ != cleanState_; }
  void setModified(bool on) { cleanState_ = on ? -1 : state_; }

  // A text shown once in the status line at the next refresh.
  QString pendingStatus() const { return pendingStatus_; }
  void setPendingStatus(const QString& text) { pendingStatus_ = text; }
  QString takePendingStatus();

  // The file the melody came from or was last saved to; type is the format id (-1 none).
  QString filePath() const { return filePath_; }
  int fileFormat() const { return fileFormat_; }
  void setFile(const QString& path, int formatId);
  // Why saving over the current file would lose part of it (events left out when it was
  // read, other tunes it holds); empty when the melody is the whole file. A new file
  // clears it.
  QString overwriteCaution() const { return overwriteCaution_; }
  void setOverwriteCaution(const QString& text) { overwriteCaution_ = text; }

  // History. takeUndoCopy() is the first step of every edit: the current state goes on the
  // undo history, Redo is forgotten, the status text is cleared and the melody counts as
  // modified.
  void takeUndoCopy();
  bool canUndo() const { return !undo_.empty(); }
  bool canRedo() const { return !redo_.empty(); }
  int undoCount() const { return static_cast<int>(undo_.size()); }
  int redoCount() const { return static_cast<int>(redo_.size()); }
  bool undo();
  bool redo();
  void clearHistory();

  // The refresh rule: an empty melody gets one eighth pause. True when one was added.
  bool ensureNotEmpty();

  // Editing commands on the whole melody.
  void changeNotes(int delta);
  void longer();
  void shorter();
  void deleteLeadingPauses();
  void deleteTrailingPauses();
  void deleteLeadingAndTrailingPauses();
  void deleteAllPauses();
  // Removes the events at rows (positions; order and duplicates do not matter). Nothing
  // happens, and false is returned, when no row inside the melody is given.
  bool deleteRows(const QList<int>& rows);
  // Removes every event whose row is not given; false when no row is selected.
  bool deleteOtherRows(const QList<int>& rows);
  // MoveToScale into range entry 0..4; the result (1 moved, 2 already inside, -1 does not
  // fit) also leaves its message as the pending status text. 0 for an unknown entry.
  int moveIntoRange(int entry);

  // The tempo field's text on leaving it: its numeric value, below 1 taken as 1. Returns
  // the text the field shows afterwards (empty for an empty melody, which is not changed).
  QString applyTempoText(const QString& text);
  // The title field's text on leaving it becomes the melody's name.
  void applyTitle(const QString& text);

  // The melody library's clipboard (standard MIDI as hex text, format 10).
  // Copy: the selected rows to the clipboard; the paste melody is emptied first.
  rvTonehead::Outcome copyRows(const QList<int>& rows);
  // Cut: copy, then delete the rows (only when the copy succeeded).
  rvTonehead::Outcome cutRows(const QList<int>& rows);
  // Paste: the clipboard's events go in before position pos (0 when pos is outside).
  rvTonehead::Outcome pasteAt(int pos);

  // A library transformation as one undoable step (ScaleDurations with factor 2: all notes
  // longer). The melody is unchanged when the library fails.
  rvTonehead::Outcome transform(rvTonehead::Modify operation, int param);

  // Reads a file into the melody as one undoable step. formatId: a format the library
  // reads (RTTTL, MIDI, Sagem); channel is the MIDI channel choice. On success the file
  // becomes the current file, the melody counts as unmodified and a name that is empty or
  // the MIDI reader's placeholder becomes the file's name. request receives the channel
  // used and the channel mask.
  rvTonehead::Outcome openFile(const QString& path, int formatId,
                               int channel = RV_CHANNEL_FIRST_SEEN,
                               rvTonehead::ReadRequest* request = nullptr);

  // Takes a melody that was read and checked elsewhere (the open command's channel round
  // and the application's own readers) as the melody of a file, with the same rules as
  // openFile: one undoable step, current file, unmodified, name from the file if none.
  void adoptFile(const pxvbMelody& read, const QString& path, int formatId);

  // The edits of the event editor, the note view and the clipboard import, each one
  // undoable step. Appends an event; false, and no step, when the melody is full.
  bool appendEvent(const pxvbNote& event);
  // Writes the event at index; false, and no step, outside the melody.
  bool replaceEvent(int index, const pxvbNote& event);
  // The melody edited as a whole elsewhere (the note view) comes back; false, and no
  // step, when it has the same events as the melody now.
  bool replaceMelody(const pxvbMelody& edited);
  // Same events, tempo and default style as the melody now.
  bool hasSameEvents(const pxvbMelody& other) const;
  // A melody read from clipboard text: it is named `source` when it has no name (cut to
  // 20 characters) and `source` becomes the current file, without a format.
  void adoptImport(const pxvbMelody& read, const QString& source);
  // The starting melody of the New command, unmodified, under the file name given.
  void newMelody(const QString& fileName);

  // A new melody name from a file path: the file name up to its first ".", right-trimmed
  // and cut to 20 characters (the whole name when it has no "." or starts with one).
  static QString NameFromFile(const QString& path);
  // Fills a melody with what File > New starts from.
  static void MakeNewMelody(pxvbMelody& melody);

 private:
  struct Snapshot {
    pxvbMelody melody;
    QString filePath;
    int fileFormat = -1;
    QString overwriteCaution;
    long long state = 0;
  };
  Snapshot current() const;
  void restore(const Snapshot& s);
  // Drops the snapshot takeUndoCopy() just pushed (an edit that did not happen).
  void dropUndoCopy();
  void removeRuns(const std::vector<bool>& remove);

  pxvbMelody main_;
  pxvbMelody paste_;
  std::deque<Snapshot> undo_;
  std::deque<Snapshot> redo_;
  bool hasMelody_ = false;
  // Every state of the melody gets a number; the history keeps them with the snapshots.
  long long state_ = 0;
  long long cleanState_ = 0;
  long long lastState_ = 0;
  QString pendingStatus_;
  QString filePath_;
  int fileFormat_ = -1;
  QString overwriteCaution_;
};

// What became of an export of the melody for listening.
struct PlayExport {
  enum Status { Ok, Nothing, CannotReplace, NotWritten, LibraryFailed };
  Status status = Nothing;
  QString path;
  rvTonehead::Outcome outcome;
};

// Exports the melody (or only the rows given) as a standard MIDI file at path, replacing
// the one there: CannotReplace when the old file cannot be removed (nothing is written),
// NotWritten when the file is missing after the export, LibraryFailed with the library's
// outcome, Nothing when there is no event to play.
PlayExport ExportForPlay(const pxvbMelody& melody, const QString& path,
                         const QList<int>* rows = nullptr);
