// The hook of a song's tune: the repeated section a ringtone should play. Bars are
// compared by pitch and rhythm (which key sounds on each 16th, and where notes start);
// a section is a run of at least four bars that returns later. Of the repeated sections
// the one that is not the song's first melodic section (the verse comes first, the chorus
// returns) and that sits higher and returns more often is the hook.
#pragma once

#include <cstdint>
#include <vector>

#include "songs/melodyline.h"

namespace songs {

struct Hook {
  bool found = false;
  int firstBar = 0;       // 0-based bar where the section starts
  int bars = 0;           // its length in bars
  int64_t startTick = 0;  // the first note of its phrase
  int64_t endTick = 0;    // the end of the section
};

// line: the tune in song ticks; barTicks: the length of a bar.
Hook FindHook(const std::vector<LineNote>& line, int64_t barTicks);

// The bar (0-based) of a tick.
inline int BarOf(int64_t tick, int64_t barTicks) {
  return static_cast<int>(tick / (barTicks > 0 ? barTicks : 1));
}

}  // namespace songs
