// The note view's editing: its own copy of a melody, clamped to the view's limits, the
// selected event and the tool buttons' actions on it. The window only forwards to this.
#pragma once

#include <QString>
#include <cstdint>

#include "melody/pxvbmelody.h"

class NoteviewEdit {
 public:
  // The view's limits: lengths 1/1..1/64, notes 0..127, every dot length.
  static constexpr int kLenLong = 1;
  static constexpr int kLenShort = 64;
  static constexpr int kNoteHigh = 127;
  static constexpr int kNoteLow = 0;
  static constexpr int kDotMax = 3;
  // Pitch and velocity of a note made from a pause or a control event.
  static constexpr int kDefaultNote = 69;
  static constexpr int kDefaultVelocity = 127;
  // The octave shown first: notes 93..121.
  static constexpr int kDefaultOctave = 8;
  static constexpr int kMaxOctave = 10;

  NoteviewEdit() = default;
  // A full copy of source, clamped to the view's limits.
  explicit NoteviewEdit(const pxvbMelody& source) { load(source); }
  void load(const pxvbMelody& source);

  pxvbMelody& melody() { return melody_; }
  const pxvbMelody& melody() const { return melody_; }

  // The selected event (0-based), -1 for none. select() ignores a position outside.
  int selected() const { return selected_; }
  bool select(int pos);
  bool hasSelection() const { return selected_ >= 0 && selected_ < melody_.size(); }

  // A tool button by its key: "n1".."n64" (a note of that length; a pause or a control
  // event becomes note 69 at velocity 127), "p1".."p64" (a pause of that length), "dott"
  // (dot 0 -> 1 -> 3 -> 2 -> 0), "newn"/"newnm" (a new eighth before the selection),
  // "newna" (after it), "del", "sn"/"sc"/"ss" (style change natural/continuous/staccato).
  // False when the key is unknown or nothing changed (no selection). On an empty melody
  // the insert keys add the first event.
  bool apply(const QString& key);
  // Turns the selection into an absolute volume change to velocity.
  bool setVolume(int velocity);
  // Inserts the events of src before the selection (at the start of an empty melody), as
  // many as fit into the longest melody. Inserts never grow the melody past that either.
  bool paste(const pxvbMelody& src);
  // The selected note one semitone up / down, within 0..127.
  bool higher();
  bool lower();

  // Whether the tool button with this key can act while nothing plays: the insert and
  // zoom keys always (any insert key on an empty melody), the others on a selection.
  // eventBar: the second tool bar, whose keys act on a selection only, apart from "newnm"
  // and "paste" on an empty melody.
  bool toolEnabled(const QString& key, bool eventBar) const;
  // The tempo typed into the BPM field: 1..999, 120 when it is not a positive number.
  static int TempoFromText(const QString& text);
  // The melody's playing time in milliseconds, as the player will schedule it.
  int64_t expectedMs() const;

  // The notes shown at octave o: o*12-3 .. o*12+25, clamped to 0..127.
  static void visibleRange(int octave, int& low, int& high);
  // The octave that shows note (the lowest whose range holds it).
  static int octaveFor(int note);
  // The octave to show the event at pos: the one shown while it holds the note (or the
  // event is no note), else octaveFor the note.
  int octaveShowing(int shown, int pos) const;
  // The octave whose range is centred on the melody's notes (kDefaultOctave without any).
  static int octaveForMelody(const pxvbMelody& melody);

 private:
  bool insertNew(int pos);

  pxvbMelody melody_;
  int selected_ = -1;
};
