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
  int64_t tick;      // the note's start in the line's ticks
  int64_t sounding;  // its sounding length in ticks
  int64_t gap = 0;   // ticks from its end to the next onset
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

// The onset grid: 1/32 when a fifth of the notes follow the one before closer than
// sixteenths can (the onsets decide: a detached note is short, not quick), else 1/16;
// never finer than the format's shortest value.
int chooseGrid(const std::vector<LineNote>& line, double quarter, const FitTarget& target) {
  size_t shortNotes = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    const int64_t span =
        i + 1 < line.size() ? line[i + 1].start - line[i].start : line[i].end - line[i].start;
    shortNotes += span < 0.75 * quarter / 4;
  }
  const int grid = shortNotes * 5 >= line.size() ? 32 : 16;
  return std::min(grid, std::max(1, target.shortest));
}

// The line on the grid: onsets and sounding lengths in units from the first note; of two
// onsets on one step the first stays.
std::vector<Slot> onGrid(const std::vector<LineNote>& line, double unit) {
  std::vector<Slot> cells;
  const int64_t origin = line.front().start;
  for (const LineNote& n : line) {
    const int64_t s = std::llround(static_cast<double>(n.start - origin) / unit);
    const int64_t e =
        std::max<int64_t>(s + 1, std::llround(static_cast<double>(n.end - origin) / unit));
    if (!cells.empty() && s <= cells.back().start) continue;
    if (!cells.empty()) {
      Slot& before = cells.back();
      before.next = s;
      before.gap = n.start - (before.tick + before.sounding);
    }
    cells.push_back({s, e - s, e, n.key, n.start, n.end - n.start});
  }
  return cells;
}

// A gap that leaves at most a 16th of rest on the grid, and no more than half the span
// from the note to the next one, is articulation (staccato, a breath between sung notes)
// and goes into that note: sung lines played detached leave gaps of a third of the note
// up to the note's own length, and a 16th rest for each would spend a phone's event
// limit on rests. A silence longer than a bar is shortened to one bar, moving every later
// onset by the same amount.
void tidyGaps(std::vector<Slot>& cells, int grid, FitReport& r) {
  const int64_t sixteenthUnits = std::max(1, grid / 16);
  int64_t moved = 0;
  for (size_t i = 0; i < cells.size(); ++i) {
    Slot& s = cells[i];
    s.start -= moved;
    s.next -= moved;
    s.sound = std::min(s.sound, s.next - s.start);
    const int64_t rest = s.next - s.start - s.sound;
    const int64_t span = s.next - s.start;
    const bool articulation = s.gap > 0 && rest <= sixteenthUnits && 2 * rest <= span;
    if (rest > 0 && articulation) {
      s.sound += rest;
      ++r.merged;
    } else if (rest > grid && i + 1 < cells.size()) {
      moved += rest - grid;
      s.next -= rest - grid;
      ++r.shortened;
    }
  }
}

// The largest value not above n units (n >= the smallest value).
const GridValue& largestWithin(const std::vector<GridValue>& values, int64_t n) {
  for (const GridValue& v : values)
    if (v.units <= n) return v;
  return values.back();
}

// The note value for a sounding length that no value may hold exactly: the nearest one
// that ends by the next onset, the longer of two as near (it leaves the smaller rest).
const GridValue& valueFor(const std::vector<GridValue>& values, int64_t sound, int64_t span) {
  const GridValue* best = &largestWithin(values, sound);
  for (const GridValue& v : values)
    if (v.units <= span && std::abs(v.units - sound) <= std::abs(best->units - sound) &&
        v.units > best->units)
      best = &v;
  return *best;
}

// The events, and for each whether it ends a phrase (a rest follows, or the note is at
// least a quarter long) and where it ends in units.
struct Written {
  std::vector<bool> phraseEnd;
  std::vector<int64_t> endUnits;
  std::vector<size_t> cellOf;  // the note (cell) an event belongs to
};
Written writeEvents(const std::vector<Slot>& cells, const std::vector<GridValue>& values, int grid,
                    pxvbMelody& out) {
  std::vector<GridValue> plain;
  for (const GridValue& v : values)
    if (v.dot == 0) plain.push_back(v);
  Written w;
  for (const Slot& s : cells) {
    const size_t cell = static_cast<size_t>(&s - cells.data());
    const GridValue& v = valueFor(values, s.sound, s.next - s.start);
    out.addevent(v.denominator, v.dot, 1, s.key, 127);
    const int before = out.size();
    int64_t at = s.start + v.units;
    w.endUnits.push_back(at);
    w.cellOf.push_back(cell);
    for (int64_t rest = s.next - at; rest >= plain.back().units;) {
      const GridValue& p = largestWithin(plain, rest);
      out.addevent(p.denominator, 0, 16);
      rest -= p.units;
      at += p.units;
      w.endUnits.push_back(at);
      w.cellOf.push_back(cell);
    }
    w.phraseEnd.push_back(v.units * 4 >= grid || out.size() > before);
    for (int k = before; k < out.size(); ++k) w.phraseEnd.push_back(true);
  }
  return w;
}

// Cuts to the event limit after a note that ends a phrase (in the last half of the limit,
// else at the limit), then drops trailing pauses.
// The events that fit into a bit budget: 12 bits a note or pause, 5 more for a note in
// another octave than the one before (a Nokia ringtone's instructions).
int eventsWithinBits(const pxvbMelody& out, int maxBits) {
  int bits = 0, octave = -1;
  for (int i = 0; i < out.size(); ++i) {
    bits += 12;
    if (out.getEvent(i) == RV_EVENT_NOTE && out.getEventVal1(i) / 12 != octave) {
      octave = out.getEventVal1(i) / 12;
      bits += 5;
    }
    if (bits > maxBits) return i;
  }
  return out.size();
}

void cutToLimit(const Written& w, const FitTarget& target, pxvbMelody& out, FitReport& r) {
  int limit = target.maxEvents > 0 ? target.maxEvents : out.size();
  if (target.maxBits > 0) limit = std::min(limit, eventsWithinBits(out, target.maxBits));
  if (limit >= 1 && out.size() > limit) {
    int keep = limit;
    for (int c = limit; c >= std::max(1, limit / 2); --c)
      if (w.phraseEnd[static_cast<size_t>(c - 1)] && out.getEvent(c - 1) == RV_EVENT_NOTE) {
        keep = c;
        break;
      }
    r.cutEvents = out.size() - keep;
    out.resize(keep);
  }
  while (out.size() > 1 && out.getEvent(out.last()) == 16) {
    out.resize(out.size() - 1);
    if (target.maxEvents > 0 || target.maxBits > 0) ++r.cutEvents;
  }
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
  // A Nokia ringtone (and RTTTL, checked by the same row) must fit one message: 134 bytes
  // after the user data header, less the fixed fields, a tempo and the end byte (the
  // title takes the room left).
  if (checkFormatId == 9) target.maxBits = 134 * 8 - 64 - 8 - 8;
  return true;
}

std::vector<GridValue> GridValues(int grid, const FitTarget& t) {
  std::vector<GridValue> values;
  for (int d = std::max(1, t.longest); d <= std::min(grid, t.shortest); d *= 2) {
    // A dotted value is longer than its plain one: never a dotted longest value.
    if (d < grid && d > t.longest) values.push_back({3 * grid / (2 * d), d, 1});
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

  r.grid = chooseGrid(line, quarter, target);
  const double unit = 4 * quarter / r.grid;
  std::vector<Slot> cells = onGrid(line, unit);
  tidyGaps(cells, r.grid, r);
  fitKeys(cells, target, r);
  const Written w = writeEvents(cells, GridValues(r.grid, target), r.grid, out);
  cutToLimit(w, target, out, r);

  r.events = out.size();
  for (int i = 0; i < out.size(); ++i) r.notes += out.getEvent(i) == RV_EVENT_NOTE;
  // Where the kept part ends in the song: the silences shortened before it count back in.
  const size_t last = static_cast<size_t>(out.size() - 1);
  const Slot& c = cells[w.cellOf[last]];
  r.endTick = c.tick + std::llround(static_cast<double>(w.endUnits[last] - c.start) * unit);
  return r;
}

std::vector<int64_t> NoteOnsets(const pxvbMelody& melody, int64_t* total) {
  std::vector<int64_t> onsets;
  int64_t at = 0;
  for (int i = 0; i < melody.size(); ++i) {
    const int kind = melody.getEvent(i);
    if (kind != 1 && kind != 16) continue;
    if (kind == 1) onsets.push_back(at);
    const int64_t len = std::max(1, melody.getSimpleLen(i));
    // Dot lengths: 1 three halves, 2 seven quarters, 3 five thirds.
    static constexpr int kTop[] = {1, 3, 7, 5}, kBottom[] = {1, 2, 4, 3};
    const int dot = std::clamp(melody.getDotLen(i), 0, 3);
    at += 384 * kTop[dot] / (len * kBottom[dot]);
  }
  if (total) *total = at;
  return onsets;
}

}  // namespace songs
