// The tune of one channel as a single line of notes ("skyline"): where notes overlap the
// highest one sounds and the lower ones are cut; what is left shorter than a 64th note
// is dropped.
#pragma once

#include <cstdint>
#include <vector>

#include "songs/channeloverview.h"
#include "songs/smfscan.h"

namespace songs {

struct LineNote {
  int64_t start = 0;  // file ticks
  int64_t end = 0;
  int key = 0;
  int velocity = 0;
};

// channel 1..16. Notes in order, never overlapping.
std::vector<LineNote> Skyline(const SongScan& song, int channel);

// The tune along the overview's path: in each bar the skyline of that bar's melody
// channel (the notes that start in the bar), a note cut where the next one starts.
std::vector<LineNote> PathLine(const SongScan& song, const SongOverview& overview);

}  // namespace songs
