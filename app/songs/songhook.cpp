#include "songs/songhook.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace songs {
namespace {

constexpr int kSlots = 16;          // a bar's 16ths
constexpr int kSectionBars = 4;     // the shortest section that counts as repeated
constexpr double kSimilar = 0.6;    // bars at least this alike are the same music
constexpr double kVerseLike = 0.7;  // a section this like the first one is the verse again
constexpr size_t kMaxBars = 1500;   // longer tunes are searched in their first bars only

// What sounds on each 16th of a bar: the key (-1 silence) and whether a note starts.
struct Bar {
  std::array<int16_t, kSlots> key;
  std::array<bool, kSlots> onset;
  int notes = 0;
  double keySum = 0;
};

std::vector<Bar> barsOf(const std::vector<LineNote>& line, int64_t barTicks, size_t count) {
  std::vector<Bar> bars(count);
  for (Bar& b : bars) {
    b.key.fill(-1);
    b.onset.fill(false);
  }
  const double slot = static_cast<double>(barTicks) / kSlots;
  for (const LineNote& n : line) {
    const int64_t first = static_cast<int64_t>(std::llround(static_cast<double>(n.start) / slot));
    const int64_t last =
        std::max<int64_t>(first + 1, std::llround(static_cast<double>(n.end) / slot));
    for (int64_t s = first; s < last; ++s) {
      const size_t b = static_cast<size_t>(s / kSlots);
      if (b >= count) break;
      bars[b].key[static_cast<size_t>(s % kSlots)] = static_cast<int16_t>(n.key);
      if (s == first) {
        bars[b].onset[static_cast<size_t>(s % kSlots)] = true;
        ++bars[b].notes;
        bars[b].keySum += n.key;
      }
    }
  }
  return bars;
}

// 0..1: the share of 16ths with the same key (or both silent) and the same onset; bars
// without notes are like nothing.
double likeness(const Bar& a, const Bar& b) {
  if (a.notes == 0 || b.notes == 0) return 0;
  // Only where either sounds: two sparse bars are not alike for their silences.
  int same = 0, counted = 0;
  for (size_t s = 0; s < kSlots; ++s) {
    if (a.key[s] < 0 && b.key[s] < 0) continue;
    counted += 2;
    same += (a.key[s] == b.key[s]) + (a.onset[s] == b.onset[s]);
  }
  return counted ? static_cast<double>(same) / counted : 0;
}

}  // namespace

Hook FindHook(const std::vector<LineNote>& line, int64_t barTicks) {
  Hook hook;
  if (line.empty() || barTicks <= 0) return hook;
  const size_t n =
      std::min(kMaxBars, static_cast<size_t>(BarOf(line.back().end - 1, barTicks)) + 1);
  const std::vector<Bar> bars = barsOf(line, barTicks, n);
  std::vector<float> like(n * n, 0);
  for (size_t i = 0; i < n; ++i)
    for (size_t j = i + 1; j < n; ++j)
      like[i * n + j] = like[j * n + i] = static_cast<float>(likeness(bars[i], bars[j]));
  // Section i..i+3 returns at j: each bar alike enough.
  auto returns = [&](size_t i, size_t j) {
    if (i + kSectionBars > n || j + kSectionBars > n || i == j) return false;
    if (i < j ? j - i < kSectionBars : i - j < kSectionBars) return false;
    for (size_t k = 0; k < kSectionBars; ++k)
      if (like[(i + k) * n + j + k] < kSimilar) return false;
    return true;
  };

  // The first melodic section: from the first bar with notes to where it first returns
  // (at most eight bars); a section like any bar of it is the verse's kin.
  size_t first = 0;
  while (first < n && bars[first].notes == 0) ++first;
  size_t firstEnd = std::min(n, first + 8);
  for (size_t j = first + kSectionBars; j < std::min(n, first + 8); ++j)
    if (returns(first, j)) {
      firstEnd = j;
      break;
    }

  // A bar is kin of the verse when it is like a bar of the first section.
  std::vector<bool> verseKin(n, false);
  for (size_t i = 0; i < n; ++i)
    for (size_t f = first; f < firstEnd && !verseKin[i]; ++f)
      verseKin[i] = i != f && like[i * n + f] >= kVerseLike;
  auto kin = [&](size_t i) { return i < n && verseKin[i]; };

  double keyMean = 0;
  for (const LineNote& l : line) keyMean += l.key;
  keyMean /= static_cast<double>(line.size());

  double bestScore = -1e9;
  for (size_t i = first; i + kSectionBars <= n; ++i) {
    if (bars[i].notes == 0) continue;
    int count = 0;
    bool continues = false;  // the bar before returns along with it: not a section start
    for (size_t j = 0; j + kSectionBars <= n; ++j)
      if (returns(i, j)) {
        ++count;
        if (i > 0 && j > 0 && like[(i - 1) * n + j - 1] >= kSimilar) continues = true;
      }
    if (count == 0) continue;
    const bool verse = i < firstEnd || (kin(i) && kin(i + 1));
    // The chorus follows the verse: the bar before is verse-like, these are not.
    const bool afterVerse = i > 0 && kin(i - 1) && !kin(i) && !kin(i + 1);
    // A section starts a phrase: the bar before is silent or ends in a rest.
    const bool phraseStart = i == 0 || bars[i - 1].notes == 0 || bars[i - 1].key[kSlots - 1] < 0 ||
                             bars[i - 1].key[kSlots - 2] < 0;
    double keys = 0;
    int notes = 0;
    for (size_t k = 0; k < kSectionBars; ++k) {
      keys += bars[i + k].keySum;
      notes += bars[i + k].notes;
    }
    const double height = notes ? keys / notes - keyMean : 0;
    const double score = std::min(count, 3) + 0.25 * height - (verse ? 3 : 0) -
                         (continues ? 1.5 : 0) + (phraseStart ? 1 : 0) + (afterVerse ? 1.5 : 0) -
                         0.002 * static_cast<double>(i);
    if (score > bestScore) {
      bestScore = score;
      hook.firstBar = static_cast<int>(i);
    }
  }
  if (bestScore <= -1e9) return hook;
  // Inside a section, go back to where it starts: while the bar before sings, is not the
  // verse's kin and returns somewhere too.
  auto returnsAnywhere = [&](size_t i) {
    for (size_t j = 0; j + kSectionBars <= n; ++j)
      if (returns(i, j)) return true;
    return false;
  };
  for (int back = 0; back < 12; ++back) {
    const size_t i = static_cast<size_t>(hook.firstBar);
    if (i == 0 || i - 1 < firstEnd || bars[i - 1].notes == 0 || kin(i - 1) ||
        !returnsAnywhere(i - 1))
      break;
    --hook.firstBar;
  }

  // The section runs as long as it keeps returning somewhere (at most 16 bars).
  const size_t start = static_cast<size_t>(hook.firstBar);
  size_t length = kSectionBars;
  for (size_t j = 0; j + kSectionBars <= n; ++j) {
    if (!returns(start, j)) continue;
    size_t k = kSectionBars;
    while (k < 16 && start + k < n && j + k < n && j + k != start &&
           like[(start + k) * n + j + k] >= kSimilar)
      ++k;
    length = std::max(length, k);
  }
  hook.bars = static_cast<int>(length);
  hook.found = true;
  // Its phrase starts on the first note in the bar, or on a pick-up in the half bar before
  // that follows a rest of an eighth or more.
  const int64_t barStart = static_cast<int64_t>(start) * barTicks;
  const int64_t eighth = barTicks / 8;
  hook.startTick = -1;
  for (size_t k = 0; k < line.size(); ++k) {
    const LineNote& l = line[k];
    if (l.start >= barStart + barTicks) break;
    if (l.start >= barStart) {
      hook.startTick = l.start;
      break;
    }
    if (l.start >= barStart - barTicks / 2 && (k == 0 || l.start - line[k - 1].end >= eighth)) {
      hook.startTick = l.start;
      break;
    }
  }
  if (hook.startTick < 0) hook.startTick = barStart;
  hook.endTick = static_cast<int64_t>(start + length) * barTicks;
  return hook;
}

}  // namespace songs
