#include "rtttl.h"

#include <array>
#include <cctype>
#include <climits>
#include <streambuf>

namespace rv {
namespace {

constexpr std::array<int32_t, 32> kTempoTable = {
    25,  28,  31,  35,  40,  45,  50,  56,  63,  70,  80,  90,  100, 112, 125, 140,
    160, 180, 200, 225, 250, 285, 320, 355, 400, 450, 500, 565, 635, 715, 800, 900};

}  // namespace

// Plain pitch fitting: a span that fits is moved as a whole (down when keys lie above hi,
// else up); a span wider than lo..hi is only clamped.
void plainPitchFit(Melody& melody, int32_t lo, int32_t hi) {
  RangeStats stats;
  const int r = melody.rangeStatistics(lo, hi, stats);
  if (r == 3) {
    melody.clampNotes(lo, hi);
  } else if (r == 2) {
    if (stats.nAbove > 0)
      melody.transpose(hi - stats.maxKey);
    else
      melody.transpose(lo - stats.minKey);
  }
}

// Snaps a tempo to the nearest of the 32 codes; a tempo exactly at the midpoint of two
// entries takes the higher one, a tempo of 0 or below takes code 8 (63).
int32_t tempoToCode(int32_t bpm) {
  if (bpm <= 0) return 8;
  if (bpm <= kTempoTable.front()) return 0;
  if (bpm >= kTempoTable.back()) return 31;
  int32_t i = 0;
  while (kTempoTable[i] < bpm) ++i;
  if (i > 0 && bpm < kTempoTable[i - 1] + (kTempoTable[i] - kTempoTable[i - 1]) / 2) return i - 1;
  return i;
}

int32_t codeToTempo(int32_t code) {
  if (code < 0) return kTempoTable.front();
  if (code > 31) return kTempoTable.back();
  return kTempoTable[code];
}

}  // namespace rv
