#include "songs/channeloverview.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <unordered_map>

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
// percussive sounds down. Range -25..+15.
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

// 1 for 0.5..3 onsets a quarter (a sung line), falling to 0 at 0.1 (held chords) and at
// 8 (drum rolls, arpeggios).
double densityTerm(double d) {
  if (d < 0.5) return clamp01((d - 0.1) / 0.4);
  if (d > 3) return clamp01((8 - d) / 5);
  return 1;
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

// The melody score of a channel, 0..100, from what melody-track identification relies on:
//   names     +25 for a melody word in a track name, -25 for an accompaniment word
//   program   -25..+15 by instrument family (programTerm)
//   pitch     +20 x (average key - 48) / 30, +5 x (highest key - 60) / 30, each 0..1
//   monophony +20 x (1 - polyphony)
//   coverage  +10 x the share of the song's time in which the channel sounds
//   density   +10 x densityTerm (onsets a quarter note)
//   phrases   +10 x the share of repeated four-step phrases
// A channel with fewer than 32 onsets is scaled down in proportion: a short fill is no tune.
SongOverview OverviewOf(const SongScan& song, const QStringList& instrumentNames) {
  struct Acc {
    int count = 0, low = 127, high = 0;
    double keySum = 0;
    std::vector<std::pair<int64_t, int>> edges;  // (tick, +1 start / -1 end)
    std::vector<int> topKeys;                    // highest key per onset
    std::vector<int64_t> onsets;
  };
  std::array<Acc, 16> acc;
  int64_t songStart = -1;
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
  const double songSpan =
      std::max<double>(1, static_cast<double>(song.endTick - std::max<int64_t>(songStart, 0)));

  SongOverview out;
  for (int ch = 0; ch < 16; ++ch) {
    Acc& a = acc[ch];
    if (a.count == 0) continue;
    ChannelInfo info;
    info.channel = ch + 1;
    info.drums = info.channel == kDrumChannel;
    info.trackNames = song.trackNames[ch];
    info.program = song.program[ch];
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
    info.coverage = clamp01(static_cast<double>(sounding) / songSpan);
    const double quarters =
        std::max(1.0, static_cast<double>(a.edges.back().first - a.onsets.front()) / song.division);
    info.density = static_cast<double>(a.onsets.size()) / quarters;
    info.repetition = PhraseRepetition(a.topKeys, a.onsets);

    if (!info.drums) {
      int names = 0;
      for (const QString& t : info.trackNames) {
        const int h = NameHint(t);
        if (h > 0)
          names = 1;
        else if (h < 0 && names == 0)
          names = -1;
      }
      double s = 25.0 * names + programTerm(info.program) +
                 20 * clamp01((info.averageKey - 48) / 30) +
                 5 * clamp01((info.highKey - 60) / 30.0) + 20 * (1 - info.polyphony) +
                 10 * info.coverage + 10 * densityTerm(info.density) + 10 * info.repetition;
      s *= std::min(1.0, static_cast<double>(a.onsets.size()) / 32);
      info.score = std::clamp(s, 0.0, 100.0);
    }
    out.channels << info;
  }
  std::stable_sort(out.channels.begin(), out.channels.end(),
                   [](const ChannelInfo& a, const ChannelInfo& b) {
                     if (a.drums != b.drums) return b.drums;
                     return a.score > b.score;
                   });
  for (const ChannelInfo& c : out.channels)
    if (!c.drums) {
      out.best = c.channel;
      break;
    }
  return out;
}

}  // namespace songs
