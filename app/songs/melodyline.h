// The tune of one channel as a single line of notes ("skyline"): where notes overlap the
// highest one sounds and the lower ones are cut; what is left shorter than a 64th note
// is dropped.
#pragma once

#include <cstdint>
#include <vector>

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

}  // namespace songs
