#include "songs/channeloverview.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <tuple>
#include <unordered_map>

#include "songs/scoreweights.inc"

namespace songs {
namespace {

// Words for names, compared without accents and case. Long words count anywhere in a
// name ("Hauptmelodie", "LeadVocals"), short ones only at the start of a word ("Lead 1"
// but not "misleading").
const char* const kMelodyWords[] = {"melod", "vocal", "voice",  "gesang", "stimme", "chant",
                                    "theme", "thema", "singer", "lead",   "solo",   "sing",
                                    "tune",  "voix",  "vox",    "lied",   "air"};
const char* const kAccompanimentWords[] = {
    "bass",   "drum",    "schlagzeug", "batterie", "percus",  "chord",  "akkord",  "accord",
    "accomp", "begleit", "rhythm",     "rythm",    "backing", "harmon", "strings", "streicher",
    "pad",    "perc",    "kick",       "snare",    "hihat",   "fx"};

QString plain(const QString& s) {
  QString out;
  for (const QChar c : s.normalized(QString::NormalizationForm_D))
    if (c.category() != QChar::Mark_NonSpacing) out += c.toLower();
  return out;
}

bool hasWord(const QString& name, const char* word) {
  const QString w = QString::fromLatin1(word);
  if (w.size() >= 5) return name.contains(w);
  static const QRegularExpression words(QStringLiteral("[a-z]+"));
  for (auto it = words.globalMatch(name); it.hasNext();)
    if (it.next().captured().startsWith(w)) return true;
  return false;
}

// General MIDI program families: melody instruments up, bass, pads, effects and
// percussive sounds down. Range -25..+15 (the feature is a 25th of it).
int programTerm(int p) {
  if (p < 0) return 0;
  if (p >= 80 && p <= 86) return 15;                       // synth leads
  if (p >= 72 && p <= 79) return 10;                       // flutes and pipes
  if (p == 56 || p == 59) return 8;                        // trumpets
  if ((p >= 64 && p <= 69) || p == 71) return 8;           // saxes, oboe, horn, clarinet
  if (p == 40 || p == 41 || p == 22 || p == 53) return 5;  // violin, viola, harmonica, voice
  if (p == 87 || p == 57 || p == 60 || (p >= 104 && p <= 111)) return 3;
  if (p >= 32 && p <= 39) return -25;             // basses
  if (p == 43 || p == 58 || p == 70) return -20;  // contrabass, tuba, bassoon
  if (p >= 88 && p <= 95) return -15;             // pads
  if (p >= 112 && p <= 119) return -15;           // percussive
  if (p >= 120) return -20;                       // sound effects
  if (p >= 96 && p <= 103) return -10;            // synth effects
  if (p >= 48 && p <= 51) return -8;              // string ensembles
  if (p == 42 || (p >= 44 && p <= 47) || p == 61 || p == 62 || p == 63) return -5;
  if (p >= 8 && p <= 15) return -3;  // chromatic percussion
  return 0;                          // pianos, organs, guitars
}

double clamp01(double v) {
  return std::clamp(v, 0.0, 1.0);
}

}  // namespace

int NameHint(const QString& name) {
  const QString n = plain(name);
  int hint = 0;
  for (const char* w : kAccompanimentWords)
    if (hasWord(n, w)) hint = -1;
  for (const char* w : kMelodyWords)
    if (hasWord(n, w)) return 1;
  return hint;
}

double PhraseRepetition(const std::vector<int>& keys, const std::vector<int64_t>& onsets) {
  constexpr size_t kSteps = 4;
  if (keys.size() < kSteps + 2) return 0;
  // A step: the interval to the next note and the ratio of the two onset gaps, rounded.
  std::vector<uint32_t> steps;
  steps.reserve(keys.size());
  for (size_t i = 1; i + 1 < keys.size(); ++i) {
    const int interval = std::clamp(keys[i] - keys[i - 1], -63, 63) + 64;
    const double a = static_cast<double>(onsets[i] - onsets[i - 1]);
    const double b = static_cast<double>(onsets[i + 1] - onsets[i]);
    const int ratio =
        a > 0 && b > 0
            ? std::clamp(static_cast<int>(std::lround(4 * std::log2(b / a))), -15, 15) + 16
            : 0;
    steps.push_back(static_cast<uint32_t>(interval << 5 | ratio));
  }
  if (steps.size() < kSteps) return 0;
  std::unordered_map<uint64_t, int> seen;
  seen.reserve(steps.size());
  std::vector<uint64_t> grams;
  grams.reserve(steps.size());
  for (size_t i = 0; i + kSteps <= steps.size(); ++i) {
    uint64_t g = 0;
    for (size_t k = 0; k < kSteps; ++k) g = g << 12 | steps[i + k];
    grams.push_back(g);
    ++seen[g];
  }
  size_t repeated = 0;
  for (uint64_t g : grams) repeated += seen[g] > 1 ? 1 : 0;
  return static_cast<double>(repeated) / static_cast<double>(grams.size());
}

const char* FeatureName(int feature) {
  static const char* const names[kFeatureCount] = {
      "key_mean", "key_relative", "key_high",    "top_share",    "interval",
      "steps",    "leaps",        "density",     "irregularity", "polyphony",
      "coverage", "repetition",   "onset_share", "name",         "program"};
  return feature >= 0 && feature < kFeatureCount ? names[feature] : "";
}

double MelodyLikelihood(const Features& f) {
  double z = kScoreBias;
  for (int i = 0; i < kFeatureCount; ++i)
    z += kScoreWeight[i] * (f[static_cast<size_t>(i)] - kScoreMean[i]) / kScoreScale[i];
  return 1 / (1 + std::exp(-z));
}

QString BarRanges(const std::vector<int>& pathByBar, int channel) {
  QStringList parts;
  const int n = static_cast<int>(pathByBar.size());
  for (int b = 0; b < n;) {
    if (pathByBar[static_cast<size_t>(b)] != channel) {
      ++b;
      continue;
    }
    int last = b;
    // Bars where nothing plays do not break a run of the channel.
    for (int k = b + 1; k < n; ++k) {
      const int c = pathByBar[static_cast<size_t>(k)];
      if (c == channel)
        last = k;
      else if (c != 0)
        break;
    }
    parts << (last > b ? QStringLiteral("%1-%2").arg(b + 1).arg(last + 1) : QString::number(b + 1));
    b = last + 1;
  }
  return parts.join(QStringLiteral(", "));
}

namespace {

struct Acc {
  int count = 0, low = 127, high = 0;
  double keySum = 0;
  std::vector<std::pair<int64_t, int>> edges;  // (tick, +1 start / -1 end)
  std::vector<int> topKeys;                    // highest key per onset
  std::vector<int64_t> onsets;
  int64_t topTime = 0;  // ticks in which it holds the song's highest sounding note
};

// The time each channel holds the highest sounding key of all channels but the drums.
void highestNoteTimes(const SongScan& song, std::array<Acc, 16>& acc) {
  std::vector<std::tuple<int64_t, int, int>> edges;  // (tick, -1 end / +1 start, note)
  edges.reserve(song.notes.size() * 2);
  for (uint32_t i = 0; i < song.notes.size(); ++i) {
    const SongNote& n = song.notes[i];
    if (n.channel == kDrumChannel - 1) continue;
    edges.emplace_back(n.start, 1, i);
    edges.emplace_back(n.end, -1, i);
  }
  std::sort(edges.begin(), edges.end());
  std::array<std::array<int, 16>, 128> sounding{};
  std::array<int, 128> perKey{};
  int top = -1;
  int64_t last = 0;
  for (const auto& [tick, delta, index] : edges) {
    if (top >= 0 && tick > last)
      for (int c = 0; c < 16; ++c)
        if (sounding[static_cast<size_t>(top)][static_cast<size_t>(c)] > 0)
          acc[static_cast<size_t>(c)].topTime += tick - last;
    last = tick;
    const SongNote& n = song.notes[static_cast<size_t>(index)];
    sounding[n.key][n.channel] += delta;
    perKey[n.key] += delta;
    if (delta > 0) top = std::max<int>(top, n.key);
    while (top >= 0 && perKey[static_cast<size_t>(top)] <= 0) --top;
  }
}

// Steps, leaps and rhythm of a channel's top line.
void lineFeatures(const Acc& a, int division, Features& f) {
  int steps = 0, leaps = 0, moves = 0;
  double sizes = 0;
  for (size_t i = 1; i < a.topKeys.size(); ++i) {
    const int d = std::abs(a.topKeys[i] - a.topKeys[i - 1]);
    sizes += d;
    steps += d <= 2;
    leaps += d > 12;
    ++moves;
  }
  f[kFeatInterval] = moves ? sizes / moves / 12 : 0;
  f[kFeatSteps] = moves ? static_cast<double>(steps) / moves : 0;
  f[kFeatLeaps] = moves ? static_cast<double>(leaps) / moves : 0;
  // Gaps longer than two bars are pauses of the part, not its rhythm.
  double sum = 0, squares = 0;
  int gaps = 0;
  for (size_t i = 1; i < a.onsets.size(); ++i) {
    const double g = static_cast<double>(a.onsets[i] - a.onsets[i - 1]) / division;
    if (g <= 0 || g > 8) continue;
    const double l = std::log2(g);
    sum += l;
    squares += l * l;
    ++gaps;
  }
  const double mean = gaps ? sum / gaps : 0;
  f[kFeatIrregularity] = gaps ? std::sqrt(std::max(0.0, squares / gaps - mean * mean)) : 0;
}

// Per bar the channel of the tune: each bar pays the channel's likelihood while it plays
// there and kSilentBar while it is silent, each change of channel kSwitchCost (Viterbi).
constexpr double kSilentBar = -0.5;
constexpr double kSwitchCost = 1.2;

std::vector<int> melodyPath(const SongScan& song, const QList<ChannelInfo>& channels,
                            int64_t barTicks, size_t bars) {
  std::vector<int> cands;
  std::vector<double> like;
  for (const ChannelInfo& c : channels)
    if (!c.drums && c.score > 0) {
      cands.push_back(c.channel);
      like.push_back(c.score / 100);
    }
  std::vector<int> path(bars, 0);
  if (cands.empty() || bars == 0) return path;
  const size_t k = cands.size();
  std::vector<uint8_t> active(bars * k, 0);
  std::array<int, 16> slot{};
  slot.fill(-1);
  for (size_t i = 0; i < k; ++i) slot[static_cast<size_t>(cands[i] - 1)] = static_cast<int>(i);
  for (const SongNote& n : song.notes) {
    const int s = slot[n.channel];
    if (s < 0) continue;
    const size_t b = std::min(bars - 1, static_cast<size_t>(n.start / barTicks));
    active[b * k + static_cast<size_t>(s)] = 1;
  }
  std::vector<double> cost(k, 0), next(k);
  std::vector<uint8_t> from(bars * k, 0);
  for (size_t b = 0; b < bars; ++b) {
    size_t bestPrev = 0;
    for (size_t i = 1; i < k; ++i)
      if (cost[i] > cost[bestPrev]) bestPrev = i;
    for (size_t i = 0; i < k; ++i) {
      const double stay = cost[i], move = cost[bestPrev] - kSwitchCost;
      const bool moves = b > 0 && move > stay;
      from[b * k + i] = static_cast<uint8_t>(moves ? bestPrev : i);
      next[i] = (moves ? move : stay) + (active[b * k + i] ? like[i] : kSilentBar);
    }
    cost.swap(next);
  }
  size_t at = 0;
  for (size_t i = 1; i < k; ++i)
    if (cost[i] > cost[at]) at = i;
  for (size_t b = bars; b-- > 0;) {
    bool any = false;
    for (size_t i = 0; i < k && !any; ++i) any = active[b * k + i];
    path[b] = any ? cands[at] : 0;
    at = from[b * k + at];
  }
  return path;
}

}  // namespace

namespace {

// Every channel's notes gathered: counts, range, edges, onsets with their highest key.
std::array<Acc, 16> gatherChannels(const SongScan& song, int64_t& songStart) {
  std::array<Acc, 16> acc;
  songStart = -1;
  for (const SongNote& n : song.notes) {
    Acc& a = acc[n.channel];
    ++a.count;
    a.low = std::min<int>(a.low, n.key);
    a.high = std::max<int>(a.high, n.key);
    a.keySum += n.key;
    a.edges.push_back({n.start, 1});
    a.edges.push_back({n.end, -1});
    // Notes come by start, then by key: the last of an onset is its highest.
    if (!a.onsets.empty() && a.onsets.back() == n.start) {
      a.topKeys.back() = n.key;
    } else {
      a.onsets.push_back(n.start);
      a.topKeys.push_back(n.key);
    }
    if (songStart < 0) songStart = n.start;
  }
  highestNoteTimes(song, acc);
  return acc;
}

// What the channels share, for features measured against the others.
struct SongContext {
  double songSpan = 1;  // ticks from the first onset to the end
  size_t busiest = 1;   // the most onsets of a channel
  double keyMeans = 0;  // the sum of the channels' average keys (drums left out)
  int tuned = 0;        // channels with notes, drums left out
};

SongContext contextOf(const SongScan& song, const std::array<Acc, 16>& acc, int64_t songStart) {
  SongContext c;
  c.songSpan =
      std::max<double>(1, static_cast<double>(song.endTick - std::max<int64_t>(songStart, 0)));
  for (int ch = 0; ch < 16; ++ch)
    if (acc[static_cast<size_t>(ch)].count > 0 && ch != kDrumChannel - 1) {
      c.busiest = std::max(c.busiest, acc[static_cast<size_t>(ch)].onsets.size());
      c.keyMeans += acc[static_cast<size_t>(ch)].keySum / acc[static_cast<size_t>(ch)].count;
      ++c.tuned;
    }
  return c;
}

// The track names' hint: a melody word anywhere wins over accompaniment words.
int namesHint(const QStringList& names) {
  int hint = 0;
  for (const QString& t : names) {
    const int h = NameHint(t);
    if (h > 0) return 1;
    if (h < 0) hint = -1;
  }
  return hint;
}

// The row of one channel (0-based ch, with notes): its description, features and score.
ChannelInfo describeChannel(const SongScan& song, int ch, Acc& a, const SongContext& ctx,
                            const QStringList& instrumentNames) {
  ChannelInfo info;
  info.channel = ch + 1;
  info.drums = info.channel == kDrumChannel;
  info.trackNames = song.trackNames[static_cast<size_t>(ch)];
  info.program = song.program[static_cast<size_t>(ch)];
  if (info.program >= 0 && !info.drums)  // on the drum channel a program is a drum kit
    info.instrument = info.program < instrumentNames.size()
                          ? instrumentNames[info.program]
                          : QStringLiteral("Program %1").arg(info.program);
  info.noteCount = a.count;
  info.lowKey = a.low;
  info.highKey = a.high;
  info.averageKey = a.keySum / a.count;

  std::sort(a.edges.begin(), a.edges.end());  // ends (-1) before starts at one tick
  int64_t sounding = 0, poly = 0, last = 0;
  int active = 0;
  for (const auto& [tick, delta] : a.edges) {
    if (active >= 1) sounding += tick - last;
    if (active >= 2) poly += tick - last;
    active += delta;
    last = tick;
  }
  info.polyphony = sounding > 0 ? static_cast<double>(poly) / static_cast<double>(sounding) : 0;
  info.coverage = clamp01(static_cast<double>(sounding) / ctx.songSpan);
  const double quarters =
      std::max(1.0, static_cast<double>(a.edges.back().first - a.onsets.front()) / song.division);
  info.density = static_cast<double>(a.onsets.size()) / quarters;
  info.repetition = PhraseRepetition(a.topKeys, a.onsets);

  if (!info.drums) {
    Features& f = info.features;
    const double others =
        ctx.tuned > 1 ? (ctx.keyMeans - info.averageKey) / (ctx.tuned - 1) : info.averageKey;
    f[kFeatKeyMean] = (info.averageKey - 60) / 12;
    f[kFeatKeyRelative] = (info.averageKey - others) / 12;
    f[kFeatKeyHigh] = (info.highKey - 72) / 12.0;
    f[kFeatTopShare] =
        sounding > 0 ? clamp01(static_cast<double>(a.topTime) / static_cast<double>(sounding)) : 0;
    lineFeatures(a, std::max(1, song.division), f);
    f[kFeatDensity] = std::log2(std::max(info.density, 1.0 / 64));
    f[kFeatPolyphony] = info.polyphony;
    f[kFeatCoverage] = info.coverage;
    f[kFeatRepetition] = info.repetition;
    f[kFeatOnsetShare] = static_cast<double>(a.onsets.size()) / static_cast<double>(ctx.busiest);
    f[kFeatName] = namesHint(info.trackNames);
    f[kFeatProgram] = programTerm(info.program) / 25.0;
    // A channel with fewer than 32 onsets is scaled down: a short fill is no tune.
    const double s =
        100 * MelodyLikelihood(f) * std::min(1.0, static_cast<double>(a.onsets.size()) / 32);
    info.score = std::clamp(s, 0.0, 100.0);
  }
  return info;
}

}  // namespace

SongOverview OverviewOf(const SongScan& song, const QStringList& instrumentNames) {
  int64_t songStart = -1;
  std::array<Acc, 16> acc = gatherChannels(song, songStart);
  const SongContext ctx = contextOf(song, acc, songStart);
  SongOverview out;
  for (int ch = 0; ch < 16; ++ch)
    if (acc[static_cast<size_t>(ch)].count > 0)
      out.channels << describeChannel(song, ch, acc[static_cast<size_t>(ch)], ctx, instrumentNames);
  std::stable_sort(out.channels.begin(), out.channels.end(),
                   [](const ChannelInfo& a, const ChannelInfo& b) {
                     if (a.drums != b.drums) return b.drums;
                     return a.score > b.score;
                   });

  // The song's own bars; a file spread over very many bars gets longer ones, so the path
  // stays bounded.
  constexpr int64_t kMaxBars = 20000;
  out.barTicks = SongBarTicks(song);
  out.barTicks = std::max(out.barTicks, song.endTick / kMaxBars + 1);
  const size_t bars = static_cast<size_t>(song.endTick / out.barTicks + 1);
  out.pathByBar = melodyPath(song, out.channels, out.barTicks, bars);
  std::array<int, 16> given{};
  for (int c : out.pathByBar)
    if (c > 0) ++given[static_cast<size_t>(c - 1)];
  for (ChannelInfo& c : out.channels) c.bars = BarRanges(out.pathByBar, c.channel);
  for (const ChannelInfo& c : out.channels)
    if (!c.drums && (out.best == 0 || given[static_cast<size_t>(c.channel - 1)] >
                                          given[static_cast<size_t>(out.best - 1)]))
      out.best = c.channel;
  return out;
}

}  // namespace songs
