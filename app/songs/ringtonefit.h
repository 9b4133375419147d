// A line of notes in file ticks turned into ringtone events: onsets on the ringtone length
// grid (whole to 1/32), notes plain or dotted, rests plain (a dotted rest is two rests, as
// many phones read no dot on a pause); articulation gaps merged into the note before,
// silences longer than a bar shortened to a bar, and optionally moved into a target
// format's note range and cut to its event limit at the end of a phrase.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "document/meloformatprops.h"
#include "melody/pxvbmelody.h"
#include "songs/melodyline.h"

namespace songs {

struct FitTarget {
  int longest = 1;    // longest note value (denominator) allowed
  int shortest = 32;  // shortest note value
  int lowKey = 0, highKey = 127;
  int maxEvents = -1;  // below 1: no limit
  int maxBits = 0;     // the Nokia ringtone's room for instructions in bits; 0 none
  int highTempo = 0;   // 0: none
};

// The limits of a range-check format id (2 Sagem SMS, 9 Nokia / RTX ...); false for an
// id that is not registered.
bool TargetForFormat(const clMeloFormatProps& formats, int checkFormatId, FitTarget& target);

struct FitReport {
  int grid = 16;  // denominator of the onset grid
  int bpm = 120;
  bool tempoCapped = false;  // the tempo was lowered to the format's highest
  int transpose = 0;         // semitones the whole line was moved
  int folded = 0;            // notes moved by octaves (or clamped) into the range on their own
  int merged = 0;            // gaps given to the note before: a 16th of rest at most, half its span
  int shortened = 0;         // silences longer than a bar shortened to one bar
  int cutEvents = 0;         // events left out at the end for the event limit
  int events = 0;            // events written
  int notes = 0;             // notes among them
  int64_t endTick = 0;       // where the last event kept ends, in the line's ticks
};

// Writes the line into out (its events replaced; name untouched, tempo set) and says
// what was changed. ticksPerQuarter: the file's division; usPerQuarter: its tempo. Bars
// are four quarters.
FitReport FitLine(const std::vector<LineNote>& line, int ticksPerQuarter, uint32_t usPerQuarter,
                  const FitTarget& target, pxvbMelody& out);

// Where each note of a melody starts, in 384ths of a whole note from its start, and
// (total) where its last event ends: what a writer and its reader must keep.
std::vector<int64_t> NoteOnsets(const pxvbMelody& melody, int64_t* total = nullptr);

// The note values the grid can give, in grid units, longest first: (units, denominator,
// dot).
struct GridValue {
  int units;
  int denominator;
  int dot;
};
std::vector<GridValue> GridValues(int grid, const FitTarget& target);

}  // namespace songs
