#include "songs/songhook.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

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

// The bars of a tune compared with each other, and its first melodic section.
class Sections {
 public:
  explicit Sections(std::vector<Bar> bars) : n_(bars.size()), bars_(std::move(bars)) {
    like_.assign(n_ * n_, 0);
    for (size_t i = 0; i < n_; ++i)
      for (size_t j = i + 1; j < n_; ++j)
        like_[i * n_ + j] = like_[j * n_ + i] = static_cast<float>(likeness(bars_[i], bars_[j]));
    findFirstSection();
  }

  size_t size() const { return n_; }
  const Bar& bar(size_t i) const { return bars_[i]; }
  double like(size_t i, size_t j) const { return like_[i * n_ + j]; }
  size_t first() const { return first_; }
  size_t firstEnd() const { return firstEnd_; }

  // Section i..i+3 returns at j: each bar alike enough.
  bool returns(size_t i, size_t j) const {
    if (i + kSectionBars > n_ || j + kSectionBars > n_ || i == j) return false;
    if (i < j ? j - i < kSectionBars : i - j < kSectionBars) return false;
    for (size_t k = 0; k < kSectionBars; ++k)
      if (like(i + k, j + k) < kSimilar) return false;
    return true;
  }
  bool returnsAnywhere(size_t i) const {
    for (size_t j = 0; j + kSectionBars <= n_; ++j)
      if (returns(i, j)) return true;
    return false;
  }
  // A bar is kin of the verse when it is like a bar of the first section.
  bool kin(size_t i) const { return i < n_ && verseKin_[i]; }

 private:
  // The first melodic section: from the first bar with notes to where it first returns
  // (at most eight bars).
  void findFirstSection() {
    while (first_ < n_ && bars_[first_].notes == 0) ++first_;
    firstEnd_ = std::min(n_, first_ + 8);
    for (size_t j = first_ + kSectionBars; j < std::min(n_, first_ + 8); ++j)
      if (returns(first_, j)) {
        firstEnd_ = j;
        break;
      }
    verseKin_.assign(n_, false);
    for (size_t i = 0; i < n_; ++i)
      for (size_t f = first_; f < firstEnd_ && !verseKin_[i]; ++f)
        verseKin_[i] = i != f && like(i, f) >= kVerseLike;
  }

  size_t n_;
  std::vector<Bar> bars_;
  std::vector<float> like_;
  size_t first_ = 0, firstEnd_ = 0;
  std::vector<bool> verseKin_;
};

// How much the section starting at bar i sounds like the hook: how often it returns, how
// high it sits above the tune's mean key, whether it starts a phrase and follows the verse
// (and is not the verse, nor the middle of a section); below -1e8 when it does not return.
double sectionScore(const Sections& s, size_t i, double keyMean) {
  const size_t n = s.size();
  if (s.bar(i).notes == 0) return -1e9;
  int count = 0;
  bool continues = false;  // the bar before returns along with it: not a section start
  for (size_t j = 0; j + kSectionBars <= n; ++j)
    if (s.returns(i, j)) {
      ++count;
      if (i > 0 && j > 0 && s.like(i - 1, j - 1) >= kSimilar) continues = true;
    }
  if (count == 0) return -1e9;
  const bool verse = i < s.firstEnd() || (s.kin(i) && s.kin(i + 1));
  // The chorus follows the verse: the bar before is verse-like, these are not.
  const bool afterVerse = i > 0 && s.kin(i - 1) && !s.kin(i) && !s.kin(i + 1);
  // A section starts a phrase: the bar before is silent or ends in a rest.
  const Bar* before = i > 0 ? &s.bar(i - 1) : nullptr;
  const bool phraseStart =
      !before || before->notes == 0 || before->key[kSlots - 1] < 0 || before->key[kSlots - 2] < 0;
  double keys = 0;
  int notes = 0;
  for (size_t k = 0; k < kSectionBars; ++k) {
    keys += s.bar(i + k).keySum;
    notes += s.bar(i + k).notes;
  }
  const double height = notes ? keys / notes - keyMean : 0;
  return std::min(count, 3) + 0.25 * height - (verse ? 3 : 0) - (continues ? 1.5 : 0) +
         (phraseStart ? 1 : 0) + (afterVerse ? 1.5 : 0) - 0.002 * static_cast<double>(i);
}

// Inside a section, back to where it starts: while the bar before sings, is not the
// verse's kin and returns somewhere too (at most twelve bars).
size_t sectionStart(const Sections& s, size_t i) {
  for (int back = 0; back < 12; ++back) {
    if (i == 0 || i - 1 < s.firstEnd() || s.bar(i - 1).notes == 0 || s.kin(i - 1) ||
        !s.returnsAnywhere(i - 1))
      break;
    --i;
  }
  return i;
}

// The section runs as long as it keeps returning somewhere (at most 16 bars).
size_t sectionLength(const Sections& s, size_t start) {
  const size_t n = s.size();
  size_t length = kSectionBars;
  for (size_t j = 0; j + kSectionBars <= n; ++j) {
    if (!s.returns(start, j)) continue;
    size_t k = kSectionBars;
    while (k < 16 && start + k < n && j + k < n && j + k != start &&
           s.like(start + k, j + k) >= kSimilar)
      ++k;
    length = std::max(length, k);
  }
  return length;
}

// A phrase starts on the first note in the bar, or on a pick-up in the half bar before
// that follows a rest of an eighth or more; the bar's start without a note there.
int64_t phraseStartTick(const std::vector<LineNote>& line, int64_t barStart, int64_t barTicks) {
  const int64_t eighth = barTicks / 8;
  for (size_t k = 0; k < line.size(); ++k) {
    const LineNote& l = line[k];
    if (l.start >= barStart + barTicks) break;
    if (l.start >= barStart) return l.start;
    if (l.start >= barStart - barTicks / 2 && (k == 0 || l.start - line[k - 1].end >= eighth))
      return l.start;
  }
  return barStart;
}

}  // namespace

Hook FindHook(const std::vector<LineNote>& line, int64_t barTicks) {
  Hook hook;
  if (line.empty() || barTicks <= 0) return hook;
  const size_t n =
      std::min(kMaxBars, static_cast<size_t>(BarOf(line.back().end - 1, barTicks)) + 1);
  const Sections sections(barsOf(line, barTicks, n));
  double keyMean = 0;
  for (const LineNote& l : line) keyMean += l.key;
  keyMean /= static_cast<double>(line.size());

  double bestScore = -1e8;
  size_t best = 0;
  for (size_t i = sections.first(); i + kSectionBars <= n; ++i) {
    const double score = sectionScore(sections, i, keyMean);
    if (score > bestScore) {
      bestScore = score;
      best = i;
    }
  }
  if (bestScore <= -1e8) return hook;
  const size_t start = sectionStart(sections, best);
  const size_t length = sectionLength(sections, start);
  hook.found = true;
  hook.firstBar = static_cast<int>(start);
  hook.bars = static_cast<int>(length);
  hook.startTick = phraseStartTick(line, static_cast<int64_t>(start) * barTicks, barTicks);
  hook.endTick = static_cast<int64_t>(start + length) * barTicks;
  return hook;
}

}  // namespace songs
