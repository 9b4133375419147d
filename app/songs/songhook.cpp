#include "songs/songhook.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <iterator>
#include <utility>

#include "songs/hookweights.inc"

namespace songs {
namespace {

constexpr int kSlots = 16;          // a bar's 16ths
constexpr int kSectionBars = 4;     // the shortest section that counts as repeated
constexpr double kSimilar = 0.6;    // bars at least this alike are the same music
constexpr double kRoughly = 0.5;    // four bars this alike on average are a variant
constexpr double kVerseLike = 0.7;  // a bar this like one of the first section is its kin
constexpr size_t kMaxBars = 1500;   // longer tunes are searched in their first bars only

// What sounds on each 16th of a bar: the key (-1 silence) and whether a note starts; and
// the rest before the bar's first note, in beats.
struct Bar {
  std::array<int16_t, kSlots> key;
  std::array<bool, kSlots> onset;
  int notes = 0;
  int top = -1;
  double keySum = 0, velocitySum = 0;
  int firstSlot = kSlots;
  double restBefore = 0;
};

std::vector<Bar> barsOf(const std::vector<LineNote>& line, int64_t barTicks, size_t count) {
  std::vector<Bar> bars(count);
  for (Bar& b : bars) {
    b.key.fill(-1);
    b.onset.fill(false);
  }
  const double slot = static_cast<double>(barTicks) / kSlots;
  const double beat = static_cast<double>(barTicks) / 4;
  for (size_t k = 0; k < line.size(); ++k) {
    const LineNote& n = line[k];
    const int64_t first = static_cast<int64_t>(std::llround(static_cast<double>(n.start) / slot));
    const int64_t last =
        std::max<int64_t>(first + 1, std::llround(static_cast<double>(n.end) / slot));
    const size_t at = static_cast<size_t>(first / kSlots);
    if (at < count) {
      Bar& b = bars[at];
      if (b.notes == 0) {
        b.firstSlot = static_cast<int>(first % kSlots);
        b.restBefore = k == 0 ? 16.0 : static_cast<double>(n.start - line[k - 1].end) / beat;
      }
      ++b.notes;
      b.keySum += n.key;
      b.velocitySum += n.velocity;
      b.top = std::max(b.top, n.key);
    }
    for (int64_t s = first; s < last; ++s) {
      const size_t b = static_cast<size_t>(s / kSlots);
      if (b >= count) break;
      bars[b].key[static_cast<size_t>(s % kSlots)] = static_cast<int16_t>(n.key);
      if (s == first) bars[b].onset[static_cast<size_t>(s % kSlots)] = true;
    }
  }
  return bars;
}

// 0..1: the share of 16ths with the same key and the same onset, counted where either
// sounds (two sparse bars are not alike for their silences); with pitch false, whether
// both sound and both start a note. Bars without notes are like nothing.
double likeness(const Bar& a, const Bar& b, bool pitch) {
  if (a.notes == 0 || b.notes == 0) return 0;
  int same = 0, counted = 0;
  for (size_t s = 0; s < kSlots; ++s) {
    if (a.key[s] < 0 && b.key[s] < 0) continue;
    counted += 2;
    same += (pitch ? a.key[s] == b.key[s] : (a.key[s] < 0) == (b.key[s] < 0)) +
            (a.onset[s] == b.onset[s]);
  }
  return counted ? static_cast<double>(same) / counted : 0;
}

// The bars of a tune compared with each other, and its first melodic section.
class Sections {
 public:
  explicit Sections(std::vector<Bar> bars) : n_(bars.size()), bars_(std::move(bars)) {
    like_.assign(n_ * n_, 0);
    rhythm_.assign(n_ * n_, 0);
    for (size_t i = 0; i < n_; ++i)
      for (size_t j = i + 1; j < n_; ++j) {
        like_[i * n_ + j] = like_[j * n_ + i] =
            static_cast<float>(likeness(bars_[i], bars_[j], true));
        rhythm_[i * n_ + j] = rhythm_[j * n_ + i] =
            static_cast<float>(likeness(bars_[i], bars_[j], false));
      }
    findFirstSection();
  }

  size_t size() const { return n_; }
  const Bar& bar(size_t i) const { return bars_[i]; }
  double like(size_t i, size_t j) const { return like_[i * n_ + j]; }
  size_t first() const { return first_; }
  size_t firstEnd() const { return firstEnd_; }

  // The mean likeness of the four bars from i and from j (0 where they overlap or run out).
  double blockLike(size_t i, size_t j, bool pitch = true) const {
    if (i + kSectionBars > n_ || j + kSectionBars > n_) return 0;
    if (i < j ? j - i < kSectionBars : i - j < kSectionBars) return 0;
    const std::vector<float>& m = pitch ? like_ : rhythm_;
    double sum = 0;
    for (size_t k = 0; k < kSectionBars; ++k) sum += m[(i + k) * n_ + j + k];
    return sum / kSectionBars;
  }
  // The same over eight bars, overlapping allowed (a section sung twice in a row).
  double longLike(size_t i, size_t j) const {
    constexpr size_t kLong = 2 * kSectionBars;
    if (i + kLong > n_ || j + kLong > n_) return 0;
    if (i < j ? j - i < kSectionBars : i - j < kSectionBars) return 0;
    double sum = 0;
    for (size_t k = 0; k < kLong; ++k) sum += like_[(i + k) * n_ + j + k];
    return sum / kLong;
  }
  // Section i..i+3 returns at j: each bar alike enough.
  bool returns(size_t i, size_t j) const {
    if (i + kSectionBars > n_ || j + kSectionBars > n_) return false;
    if (i < j ? j - i < kSectionBars : i - j < kSectionBars) return false;
    for (size_t k = 0; k < kSectionBars; ++k)
      if (like(i + k, j + k) < kSimilar) return false;
    return true;
  }
  // How like a bar of the first section bar i is (0..1).
  double verseLike(size_t i) const {
    double best = 0;
    for (size_t f = first_; f < firstEnd_; ++f)
      if (f != i) best = std::max(best, like(i, f));
    return best;
  }
  // A bar is kin of the verse when it is like a bar of the first section.
  bool kin(size_t i) const { return i < n_ && verseKin_[i]; }
  // How like the first section the four bars from i are, at the best of its bars.
  double likeFirst(size_t i) const {
    double best = 0;
    for (size_t f = first_; f < firstEnd_; ++f) best = std::max(best, blockLike(i, f));
    return best;
  }

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
  std::vector<float> like_, rhythm_;
  size_t first_ = 0, firstEnd_ = 0;
  std::vector<bool> verseKin_;
};

// The checkerboard novelty at bar i: how alike the four bars before are among themselves
// and the four from i are, less how alike the two groups are to each other.
double novelty(const Sections& s, size_t i) {
  const size_t from = i >= kSectionBars ? i - kSectionBars : 0;
  const size_t to = std::min(s.size(), i + kSectionBars);
  double within = 0, across = 0;
  int w = 0, a = 0;
  for (size_t p = from; p < to; ++p)
    for (size_t q = p + 1; q < to; ++q) {
      if ((p < i) == (q < i)) {
        within += s.like(p, q);
        ++w;
      } else {
        across += s.like(p, q);
        ++a;
      }
    }
  return (w ? within / w : 0) - (a ? across / a : 0);
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
// that follows the end of the phrase before: a rest of an eighth or more, or a note held
// for half a bar; the bar's start without a note there.
int64_t phraseStartTick(const std::vector<LineNote>& line, int64_t barStart, int64_t barTicks) {
  const int64_t eighth = barTicks / 8;
  const auto from = std::lower_bound(line.begin(), line.end(), barStart - barTicks / 2,
                                     [](const LineNote& l, int64_t t) { return l.start < t; });
  for (auto it = from; it != line.end(); ++it) {
    const LineNote& l = *it;
    if (l.start >= barStart + barTicks) break;
    if (l.start >= barStart) return l.start;
    if (it == line.begin()) return l.start;
    const LineNote& before = *(it - 1);
    if (l.start - before.end >= eighth || before.end - before.start >= barTicks / 2) return l.start;
  }
  return barStart;
}

double logCount(int count) {
  return std::log1p(static_cast<double>(count));
}

// The tune's boundary evidence per bar: its novelty, and a rest of a beat or more before
// its first note.
std::vector<double> boundaries(const Sections& s) {
  std::vector<double> e(s.size(), 0);
  for (size_t i = 0; i < s.size(); ++i)
    e[i] = novelty(s, i) + (s.bar(i).notes > 0 && s.bar(i).restBefore >= 1 ? 0.5 : 0);
  return e;
}

// The phase (bar mod 4) on which the boundary evidence is largest.
size_t boundaryPhase(const std::vector<double>& e) {
  std::array<double, kSectionBars> sum{};
  for (size_t i = 0; i < e.size(); ++i) sum[i % kSectionBars] += e[i];
  return static_cast<size_t>(std::max_element(sum.begin(), sum.end()) - sum.begin());
}

// The whole song per bar: its onsets, the channels sounding, the velocity sum.
struct BandBar {
  int notes = 0;
  int voices = 0;
  double velocity = 0;
};

std::vector<BandBar> bandOf(const std::vector<SongNote>* band, int64_t barTicks, size_t count) {
  std::vector<BandBar> bars(count);
  if (!band) return bars;
  std::vector<uint16_t> channels(count, 0);
  for (const SongNote& n : *band) {
    const size_t b = static_cast<size_t>(n.start / barTicks);
    if (b >= count) continue;
    ++bars[b].notes;
    bars[b].velocity += n.velocity;
    channels[b] = static_cast<uint16_t>(channels[b] | (1u << (n.channel & 15)));
  }
  for (size_t b = 0; b < count; ++b) bars[b].voices = std::popcount(channels[b]);
  return bars;
}

struct Tune {
  double keyMean = 0, velocityMean = 0, notesPerBar = 1;
  size_t lastSung = 0, phase = 0;
  // Per bar: the best return of its four and of its eight bars, how often the eight return.
  std::vector<double> best4, best8;
  std::vector<int> returns8;
  std::vector<BandBar> band;
  double bandNotes = 0, bandVoices = 0, bandVelocity = 0;  // means over bars with notes
};

void bestReturns(const Sections& s, Tune& tune) {
  const size_t n = s.size();
  tune.best4.assign(n, 0);
  tune.best8.assign(n, 0);
  tune.returns8.assign(n, 0);
  for (size_t i = 0; i < n; ++i)
    for (size_t j = 0; j < n; ++j) {
      tune.best4[i] = std::max(tune.best4[i], s.blockLike(i, j));
      const double like = s.longLike(i, j);
      tune.best8[i] = std::max(tune.best8[i], like);
      tune.returns8[i] += like >= kRoughly;
    }
}

// 1 - the overlap of the distances at which the four bars from i return and those at
// which the four bars before i return: high where one section gives way to another, even
// inside a stretch that repeats as a whole (a verse and chorus sung twice).
double lagChange(const Sections& s, size_t i) {
  if (i < kSectionBars) return 1;
  const size_t n = s.size();
  int both = 0, either = 0;
  for (size_t j = kSectionBars; j + kSectionBars <= n; ++j) {
    if (j + kSectionBars > i && i + kSectionBars > j) continue;
    const bool ahead = s.blockLike(i, j) >= kRoughly;
    const bool behind = s.blockLike(i - kSectionBars, j - kSectionBars) >= kRoughly;
    both += ahead && behind;
    either += ahead || behind;
  }
  return either ? 1.0 - static_cast<double>(both) / either : 0;
}

// How much v[i] stands above its neighbours.
double peak(const std::vector<double>& v, size_t i) {
  double around = 0;
  if (i > 0) around = std::max(around, v[i - 1]);
  if (i + 1 < v.size()) around = std::max(around, v[i + 1]);
  return v[i] - around;
}

HookFeatures featuresAt(const Sections& s, size_t i, const Tune& tune, size_t length) {
  const double keyMean = tune.keyMean, velocityMean = tune.velocityMean;
  const double notesPerBar = tune.notesPerBar;
  const size_t lastSung = tune.lastSung;
  const size_t n = s.size();
  HookFeatures f{};
  int returns = 0, loose = 0, rhythm = 0, continues = 0, afterRest = 0, earlier = 0;
  int looseContinues = 0, back = 0;
  double best = 0;
  for (size_t j = 0; j + kSectionBars <= n; ++j) {
    const double like = s.blockLike(i, j);
    best = std::max(best, like);
    if (like >= kRoughly) {
      ++loose;
      if (i > 0 && j > 0 && s.like(i - 1, j - 1) >= kRoughly) ++looseContinues;
      for (size_t k = 1; k <= 8 && k <= std::min(i, j) && s.like(i - k, j - k) >= kRoughly; ++k)
        ++back;
    }
    rhythm += s.blockLike(i, j, false) >= 0.8;
    if (!s.returns(i, j)) continue;
    ++returns;
    earlier += j < i;
    if (i > 0 && j > 0 && s.like(i - 1, j - 1) >= kSimilar) ++continues;
    if (j == 0 || s.bar(j - 1).notes == 0 || s.bar(j).restBefore >= 0.5) ++afterRest;
  }
  double keys = 0, velocities = 0;
  int notes = 0, top = 0, kin = 0;
  for (size_t k = 0; k < kSectionBars; ++k) {
    const Bar& b = s.bar(i + k);
    keys += b.keySum;
    velocities += b.velocitySum;
    notes += b.notes;
    top = std::max(top, b.top);
    kin += s.kin(i + k);
  }
  f[kHookReturns] = logCount(returns);
  f[kHookReturnsLoose] = logCount(loose);
  f[kHookBestMatch] = best;
  f[kHookRhythmReturns] = logCount(rhythm);
  f[kHookLikeFirst] = s.likeFirst(i);
  f[kHookInFirst] = i < s.firstEnd();
  f[kHookKinShare] = static_cast<double>(kin) / kSectionBars;
  f[kHookAfterVerse] = i > 0 && s.kin(i - 1) && !s.kin(i) && !s.kin(i + 1);
  f[kHookHeight] = notes ? (keys / notes - keyMean) / 12 : 0;
  f[kHookTop] = (top - keyMean) / 12;
  f[kHookDensity] = notes / (kSectionBars * notesPerBar);
  f[kHookVelocity] = notes ? (velocities / notes - velocityMean) / 16 : 0;
  f[kHookPosition] = lastSung > s.first() ? static_cast<double>(i - s.first()) /
                                                static_cast<double>(lastSung - s.first())
                                          : 0;
  f[kHookNovelty] = novelty(s, i);
  f[kHookRestBefore] = std::log1p(std::min(16.0, std::max(0.0, s.bar(i).restBefore)));
  f[kHookEmptyBefore] = i == 0 || s.bar(i - 1).notes == 0;
  f[kHookContinues] = returns ? static_cast<double>(continues) / returns : 0;
  f[kHookReturnsAfterRest] = returns ? static_cast<double>(afterRest) / returns : 0;
  f[kHookOnsetSlot] = static_cast<double>(s.bar(i).firstSlot) / kSlots;
  f[kHookLength] = static_cast<double>(length) / 16;
  f[kHookEarlier] = logCount(earlier);
  f[kHookBeforeVerse] = i >= kSectionBars ? s.likeFirst(i - kSectionBars) : 0;
  f[kHookPhraseBar] = (i - s.first()) % 4 == 0;
  f[kHookPhrase8] = (i - s.first()) % 8 == 0;
  f[kHookBoundaryPhase] = i % kSectionBars == tune.phase;
  f[kHookStripeBack] = loose ? static_cast<double>(back) / (8.0 * loose) : 0;
  f[kHookContinuesLoose] = loose ? static_cast<double>(looseContinues) / loose : 0;
  f[kHookBestMatch8] = tune.best8[i];
  f[kHookReturns8] = logCount(tune.returns8[i]);
  f[kHookPeak8] = peak(tune.best8, i);
  f[kHookPeak4] = peak(tune.best4, i);
  const auto verse = [&](size_t b) { return b < n ? s.verseLike(b) : 0.0; };
  f[kHookVerseDrop] = i >= 2 ? (verse(i - 2) + verse(i - 1) - verse(i) - verse(i + 1)) / 2 : 0;
  f[kHookLagChange] = lagChange(s, i);
  if (!tune.band.empty() && tune.bandNotes > 0) {
    double here = 0, before = 0, voices = 0, velocity = 0;
    for (size_t k = 0; k < kSectionBars; ++k) {
      here += tune.band[i + k].notes;
      voices += tune.band[i + k].voices;
      velocity += tune.band[i + k].velocity;
      if (i >= k + 1) before += tune.band[i - k - 1].notes;
    }
    f[kHookBand] = std::log((here / kSectionBars + 1) / (tune.bandNotes + 1));
    f[kHookBandRise] = std::log((here + 4) / (before + 4));
    f[kHookBandVoices] = voices / kSectionBars - tune.bandVoices;
    f[kHookBandLoud] = here > 0 ? (velocity / here - tune.bandVelocity) / 16 : 0;
  }
  return f;
}

static_assert(std::size(kHookWeight) == kHookCount && std::size(kHookMean) == kHookCount &&
                  std::size(kHookScale) == kHookCount,
              "the hook weight table does not match the features; retrain");

double scoreOf(const HookFeatures& f) {
  double score = kHookBias;
  for (int k = 0; k < kHookCount; ++k)
    score += kHookWeight[k] * (f[static_cast<size_t>(k)] - kHookMean[k]) / kHookScale[k];
  return score;
}

}  // namespace

const char* HookFeatureName(int feature) {
  static const char* const names[kHookCount] = {
      "returns",      "returns_loose",   "best_match",         "rhythm_returns", "like_first",
      "in_first",     "kin_share",       "after_verse",        "height",         "top",
      "density",      "velocity",        "position",           "novelty",        "rest_before",
      "empty_before", "continues",       "returns_after_rest", "onset_slot",     "length",
      "earlier",      "before_verse",    "phrase_bar",         "phrase8",        "boundary_phase",
      "stripe_back",  "continues_loose", "best_match8",        "returns8",       "peak8",
      "peak4",        "verse_drop",      "lag_change",         "band",           "band_rise",
      "band_voices",  "band_loud"};
  return feature >= 0 && feature < kHookCount ? names[feature] : "";
}

std::vector<HookCandidate> HookCandidates(const std::vector<LineNote>& line, int64_t barTicks,
                                          const std::vector<SongNote>* band) {
  std::vector<HookCandidate> out;
  if (line.empty() || barTicks <= 0) return out;
  const size_t n =
      std::min(kMaxBars, static_cast<size_t>(BarOf(line.back().end - 1, barTicks)) + 1);
  const Sections sections(barsOf(line, barTicks, n));
  Tune tune;
  for (const LineNote& l : line) {
    tune.keyMean += l.key;
    tune.velocityMean += l.velocity;
  }
  tune.keyMean /= static_cast<double>(line.size());
  tune.velocityMean /= static_cast<double>(line.size());
  size_t sung = 0;
  int notes = 0;
  for (size_t i = 0; i < n; ++i)
    if (sections.bar(i).notes > 0) {
      ++sung;
      tune.lastSung = i;
      notes += sections.bar(i).notes;
    }
  tune.notesPerBar = sung ? static_cast<double>(notes) / static_cast<double>(sung) : 1;
  tune.phase = boundaryPhase(boundaries(sections));
  bestReturns(sections, tune);
  tune.band = bandOf(band, barTicks, n);
  int bandBars = 0;
  double bandNotes = 0;
  for (const BandBar& b : tune.band)
    if (b.notes > 0) {
      ++bandBars;
      bandNotes += b.notes;
      tune.bandVoices += b.voices;
      tune.bandVelocity += b.velocity;
    }
  if (bandBars > 0) {
    tune.bandNotes = bandNotes / bandBars;
    tune.bandVoices /= bandBars;
    tune.bandVelocity /= bandNotes;
  }
  for (size_t i = sections.first(); i + kSectionBars <= n; ++i) {
    if (sections.bar(i).notes == 0) continue;
    HookCandidate c;
    c.bar = static_cast<int>(i);
    c.bars = static_cast<int>(sectionLength(sections, i));
    c.startTick = phraseStartTick(line, static_cast<int64_t>(i) * barTicks, barTicks);
    c.features = featuresAt(sections, i, tune, static_cast<size_t>(c.bars));
    c.score = scoreOf(c.features);
    out.push_back(c);
  }
  return out;
}

Hook FindHook(const std::vector<LineNote>& line, int64_t barTicks,
              const std::vector<SongNote>* band) {
  Hook hook;
  const std::vector<HookCandidate> candidates = HookCandidates(line, barTicks, band);
  // A tune has a hook when some four bars return note for note (the same rhythm on other
  // keys is not the same music); the hook is then the best section that returns at least
  // roughly (a chorus's first bar often varies).
  const bool repeats =
      std::any_of(candidates.begin(), candidates.end(),
                  [](const HookCandidate& c) { return c.features[kHookReturns] > 0; });
  const HookCandidate* best = nullptr;
  for (const HookCandidate& c : candidates) {
    if (!repeats || c.features[kHookReturnsLoose] <= 0) continue;
    if (!best || c.score > best->score) best = &c;
  }
  if (!best) return hook;
  hook.found = true;
  hook.firstBar = best->bar;
  hook.bars = best->bars;
  hook.startTick = best->startTick;
  hook.endTick = static_cast<int64_t>(best->bar + best->bars) * barTicks;
  return hook;
}

}  // namespace songs
