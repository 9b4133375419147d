#include "songs/ringtonefit.h"

#include <algorithm>
#include <cmath>

namespace songs {
namespace {

struct Slot {
  int64_t start;  // grid units from the first note
  int64_t sound;  // sounding length in units
  int64_t next;   // start of the next note (or the end)
  int key;
};

// Moves the keys into low..high: the whole line by octaves where that fits, else by the
// smallest shift; a line wider than the range goes where most notes fit and the notes
// left outside are folded in by octaves.
void fitKeys(std::vector<Slot>& cells, const FitTarget& t, FitReport& r) {
  if (cells.empty()) return;
  int lo = 127, hi = 0;
  for (const Slot& s : cells) {
    lo = std::min(lo, s.key);
    hi = std::max(hi, s.key);
  }
  if (lo >= t.lowKey && hi <= t.highKey) return;
  int shift = 0;
  if (hi - lo <= t.highKey - t.lowKey) {
    bool found = false;
    for (int k = 0; k <= 10 && !found; ++k)
      for (int sign : {1, -1}) {
        const int s = sign * 12 * k;
        if (lo + s >= t.lowKey && hi + s <= t.highKey) {
          shift = s;
          found = true;
          break;
        }
      }
    if (!found) shift = lo < t.lowKey ? t.lowKey - lo : t.highKey - hi;
  } else {
    int bestInside = -1;
    for (int k = -10; k <= 10; ++k) {
      int inside = 0;
      for (const Slot& s : cells)
        inside += (s.key + 12 * k >= t.lowKey && s.key + 12 * k <= t.highKey);
      if (inside > bestInside || (inside == bestInside && std::abs(k) < std::abs(shift / 12))) {
        bestInside = inside;
        shift = 12 * k;
      }
    }
  }
  r.transpose = shift;
  for (Slot& s : cells) {
    int key = s.key + shift;
    if (key < t.lowKey || key > t.highKey) {
      ++r.folded;
      while (key > t.highKey) key -= 12;
      while (key < t.lowKey) key += 12;
      key = std::clamp(key, t.lowKey, t.highKey);  // a range narrower than an octave
    }
    s.key = std::clamp(key, 0, 127);
  }
}

// The largest value not above n units (n >= the smallest value).
const GridValue& largestWithin(const std::vector<GridValue>& values, int64_t n) {
  for (const GridValue& v : values)
    if (v.units <= n) return v;
  return values.back();
}

}  // namespace

bool TargetForFormat(const clMeloFormatProps& formats, int checkFormatId, FitTarget& target) {
  int high = 0, low = 0, longest = 0, shortest = 0, maxEvents = 0, highTempo = 0;
  if (formats.FGetRange1(checkFormatId, high, low, longest, shortest) != 1 ||
      formats.FGetRange2(checkFormatId, maxEvents, highTempo) != 1)
    return false;
  target.highKey = high;
  target.lowKey = low;
  target.longest = std::max(1, longest);
  target.shortest = std::clamp(shortest, target.longest, 32);
  target.maxEvents = maxEvents;
  // The Alcatel row counts its tempo as a code, not beats per minute.
  target.highTempo = highTempo >= 25 ? highTempo : 0;
  return true;
}

std::vector<GridValue> GridValues(int grid, const FitTarget& t) {
  std::vector<GridValue> values;
  for (int d = std::max(1, t.longest); d <= std::min(grid, t.shortest); d *= 2) {
    if (d < grid) values.push_back({3 * grid / (2 * d), d, 1});
    values.push_back({grid / d, d, 0});
  }
  std::sort(values.begin(), values.end(),
            [](const GridValue& a, const GridValue& b) { return a.units > b.units; });
  return values;
}

FitReport FitLine(const std::vector<LineNote>& line, int ticksPerQuarter, uint32_t usPerQuarter,
                  const FitTarget& target, pxvbMelody& out) {
  FitReport r;
  out.resize(0);
  const double quarter = std::max(1, ticksPerQuarter);
  r.bpm =
      std::clamp(static_cast<int>(std::lround(60e6 / std::max<uint32_t>(usPerQuarter, 1))), 1, 999);
  if (target.highTempo > 0 && r.bpm > target.highTempo) {
    r.bpm = target.highTempo;
    r.tempoCapped = true;
  }
  out.setbpm(r.bpm);
  if (line.empty()) return r;

  // A 1/32 grid when a fifth of the notes are too short for sixteenths, else 1/16; never
  // finer than the format's shortest value.
  int shortNotes = 0;
  for (const LineNote& n : line) shortNotes += (n.end - n.start) < 0.75 * quarter / 4;
  int grid = shortNotes * 5 >= static_cast<int>(line.size()) ? 32 : 16;
  grid = std::min(grid, std::max(1, target.shortest));
  r.grid = grid;
  const double unit = 4 * quarter / grid;
  const std::vector<GridValue> values = GridValues(grid, target);
  // Rests shorter than a sixteenth (or one grid step, when that is longer) go to the note
  // before: they are articulation, not rests.
  const int64_t shortestRest = std::max(1, grid / 16);

  std::vector<Slot> cells;
  const int64_t origin = line.front().start;
  for (const LineNote& n : line) {
    const int64_t s = std::llround((n.start - origin) / unit);
    const int64_t e = std::max<int64_t>(s + 1, std::llround((n.end - origin) / unit));
    if (!cells.empty() && s <= cells.back().start) continue;  // two onsets on one step
    if (!cells.empty()) cells.back().next = s;
    cells.push_back({s, e - s, e, n.key});
  }
  for (size_t i = 0; i < cells.size(); ++i) {
    Slot& s = cells[i];
    s.sound = std::min(s.sound, s.next - s.start);
    const int64_t rest = s.next - s.start - s.sound;
    if (rest > 0 && rest < shortestRest) {
      s.sound += rest;
      ++r.merged;
    }
  }
  fitKeys(cells, target, r);

  auto addRest = [&](int64_t units) {
    while (units >= values.back().units) {
      const GridValue& v = largestWithin(values, units);
      out.addevent(v.denominator, v.dot, RV_EVENT_PAUSE);
      units -= v.units;
    }
  };
  // Each event knows whether it ends a phrase (a rest follows, or the note is at least a
  // quarter long), for the cut below.
  std::vector<bool> phraseEnd;
  for (const Slot& s : cells) {
    const GridValue& v = largestWithin(values, s.sound);
    out.addevent(v.denominator, v.dot, RV_EVENT_NOTE, s.key, 127);
    const bool longNote = v.units * 4 >= grid;
    const int before = out.size();
    addRest(s.next - s.start - v.units);
    phraseEnd.push_back(longNote || out.size() > before);
    for (int k = before; k < out.size(); ++k) phraseEnd.push_back(true);
  }

  if (target.maxEvents > 0 && out.size() > target.maxEvents) {
    int keep = target.maxEvents;
    for (int c = target.maxEvents; c >= std::max(1, target.maxEvents / 2); --c)
      if (phraseEnd[c - 1] && out.getEvent(c - 1) == RV_EVENT_NOTE) {
        keep = c;
        break;
      }
    r.cutEvents = out.size() - keep;
    out.resize(keep);
  }
  while (out.size() > 1 && out.getEvent(out.last()) == RV_EVENT_PAUSE) {
    out.resize(out.size() - 1);
    if (target.maxEvents > 0) ++r.cutEvents;
  }
  r.events = out.size();
  return r;
}

}  // namespace songs
