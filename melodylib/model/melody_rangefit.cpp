// Range fitting: the notes' range statistics, moving a melody into a key range by
// transposing (by octaves where asked) and clamping, and the note checks and names
// against a format's range.
#include "melody.h"

#include <algorithm>
#include <limits>

namespace rv {

int Melody::fitToFormatRange(int octaveMode) {
  return fitToRange(formatLowestNote, formatHighestNote, octaveMode);
}

int Melody::formatRangeStatistics(RangeStats& stats) {
  return rangeStatistics(formatLowestNote, formatHighestNote, stats);
}

int Melody::noteName(uint32_t index, int32_t& letter, int32_t& sharp, int32_t& octave,
                     int substitute) {
  if (index >= events_.size()) return 0;
  const MelodyEvent& e = events_[index];
  if (e.EID != Note) {
    letter = sharp = octave = 0;
    return 1;
  }
  int32_t key = e.EventVal1;
  if (substitute == 1) {
    const int check = checkNote(index, 0);
    if (check == 2) {
      key = formatLowestNote;
    } else if (check == 3) {
      key = formatHighestNote;
    } else if (check != 1) {
      letter = sharp = octave = 0;
      return 0;
    }
  }
  static constexpr int32_t kLetters[12] = {1, 1, 2, 2, 3, 4, 4, 5, 5, 6, 6, 7};
  static constexpr int32_t kSharps[12] = {0, 1, 0, 1, 0, 0, 1, 0, 1, 0, 1, 0};
  // Keys below 0 are kept on creation; their semitone is still taken inside 0..11.
  const int32_t semitone = ((key % 12) + 12) % 12;
  octave = key / 12;
  letter = kLetters[semitone];
  sharp = kSharps[semitone];
  return 1;
}

void Melody::transpose(int32_t semitones) {
  for (uint32_t i = 0; i < events_.size(); ++i) {
    if (events_[i].EID != Note) continue;
    setNoteAt(i, clampToInt32(static_cast<int64_t>(events_[i].EventVal1) + semitones));
  }
}

int Melody::clampNotes(int32_t lo, int32_t hi) {
  if (events_.empty()) return 1;
  if (lo > highestNote || hi > highestNote || lo < lowestNote || hi < lowestNote || lo >= hi)
    return -1;
  for (MelodyEvent& e : events_) {
    if (e.EID != Note) continue;
    if (e.EventVal1 < lo) e.EventVal1 = lo;
    if (e.EventVal1 > hi) e.EventVal1 = hi;
  }
  return 1;
}

int Melody::rangeStatistics(int32_t lo, int32_t hi, RangeStats& stats) const {
  if (events_.empty()) return 0;
  if (lo >= hi || formatHighestNote < lo || formatHighestNote < hi) return -1;
  size_t first = 0;
  while (first < events_.size() && events_[first].EID != Note) ++first;
  if (first + 1 >= events_.size()) return 0;
  RangeStats s;
  s.maxKey = std::numeric_limits<int32_t>::min();
  s.minKey = std::numeric_limits<int32_t>::max();
  for (size_t i = first; i < events_.size(); ++i) {
    if (events_[i].EID != Note) continue;
    const int32_t key = events_[i].EventVal1;
    if (key < lo) ++s.nBelow;
    if (key > hi) ++s.nAbove;
    s.maxKey = std::max(s.maxKey, key);
    s.minKey = std::min(s.minKey, key);
  }
  s.span = clampToInt32(static_cast<int64_t>(s.maxKey) - s.minKey);
  stats = s;
  if (static_cast<int64_t>(hi) - lo < s.span) return 3;
  if (s.nAbove != 0 || s.nBelow != 0) return 2;
  return 1;
}

int Melody::fitToRange(int32_t lo, int32_t hi, int octaveMode) {
  if (events_.empty()) return 1;
  int32_t top = hi;
  if (highestNote < hi) top = highestNote;
  if (lo < lowestNote || top < lowestNote || lo >= top) return -1;
  RangeStats s;
  const int r = rangeStatistics(lo, top, s);
  if (r == 0 || r == 1) return 1;
  if (r == -1) return -1;
  const int64_t maxKey = s.maxKey, minKey = s.minKey;
  if (static_cast<int64_t>(top) - lo >= s.span) {
    if (s.nAbove != 0) {
      const int64_t g = (maxKey - top + 11) / 12;
      if (octaveMode == 1 && (minKey - lo) / 12 >= g)
        transpose(clampToInt32(-12 * g));
      else
        transpose(clampToInt32(top - maxKey));
      return 2;
    }
    const int64_t u = lo - minKey;
    const int64_t f = (u + 11) / 12;
    if (octaveMode == 1 && (top - maxKey) / 12 >= f)
      transpose(clampToInt32(12 * f));
    else
      transpose(clampToInt32(u));
    return 2;
  }
  if (s.nAbove < s.nBelow)
    transpose(clampToInt32(lo - minKey));
  else
    transpose(clampToInt32(top - maxKey));
  clampNotes(lo, top);
  return 3;
}

int Melody::fitToOctaves(int32_t octave, int32_t octaveCount, int octaveMode) {
  if (octave < 0 || octave > 8) return -1;
  if (octaveCount == 0) octaveCount = 9;
  if (octaveCount < 1 || octaveCount > 9) return -1;
  return fitToRange(12 * octave + 24, 12 * octave + 12 * octaveCount + 23, octaveMode);
}

int Melody::checkNote(uint32_t index, int nonNoteResult) const {
  if (index >= events_.size()) return -1;
  const MelodyEvent& e = events_[index];
  if (e.EID != Note) return nonNoteResult == 0 ? 1 : 0;
  if (e.EventVal1 > formatHighestNote) return 2;
  if (e.EventVal1 < formatLowestNote) return 3;
  return 1;
}

}  // namespace rv
