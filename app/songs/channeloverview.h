// The channels of a song that carry notes, each described and scored for how much it
// looks like the tune: the table the MIDI channel dialog and `pealix-cli info --channels`
// show, the automatic choice of the melody channel, and the path of the melody through
// the channels bar by bar (a tune that moves from one instrument to another).
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

#include "songs/smfscan.h"

namespace songs {

// What the score looks at, in the order of the weight table (scoreweights.inc).
enum Feature : int {
  kFeatKeyMean,       // (average key - 60) / 12
  kFeatKeyRelative,   // (average key - the other channels' average) / 12
  kFeatKeyHigh,       // (highest key - 72) / 12
  kFeatTopShare,      // share of its sounding time in which it holds the highest note
  kFeatInterval,      // mean step of its top line, in octaves
  kFeatSteps,         // share of steps of at most two semitones
  kFeatLeaps,         // share of leaps over an octave
  kFeatDensity,       // log2 of onsets a quarter note while it plays
  kFeatIrregularity,  // spread (standard deviation) of log2 of the onset gaps
  kFeatPolyphony,     // share of the sounding time with two or more notes
  kFeatCoverage,      // share of the song's time in which it sounds
  kFeatRepetition,    // share of four-step phrases that occur again
  kFeatOnsetShare,    // its onsets against those of the busiest channel
  kFeatName,          // +1 a melody word in a track name, -1 an accompaniment word
  kFeatProgram,       // the General MIDI family's hint, -1..+0.6
  kFeatureCount
};
using Features = std::array<double, kFeatureCount>;
// The feature names for the training script's table, in Feature order.
const char* FeatureName(int feature);

struct ChannelInfo {
  int channel = 0;  // 1..16
  bool drums = false;
  QStringList trackNames;
  int program = -1;  // first program change, -1 none
  QString instrument;
  int noteCount = 0;
  int lowKey = 0, highKey = 0;
  double averageKey = 0;
  double polyphony = 0;   // share of the sounding time with two or more notes at once
  double coverage = 0;    // share of the song's time in which the channel sounds
  double density = 0;     // note onsets per quarter note while the channel plays
  double repetition = 0;  // share of short phrases that occur more than once
  Features features{};
  double score = 0;  // 0..100, the learned melody likelihood; drums always 0
  QString bars;      // the bars (1-based) the melody path takes from it: "1-8, 17-32"
};

struct SongOverview {
  QList<ChannelInfo> channels;  // best score first, the drum channel last
  int best = 0;          // the channel giving most bars of the path 1..16, 0 when only drums play
  int64_t barTicks = 1;  // the length of a bar (the song's time signature, see SongBarTicks)
  std::vector<int> pathByBar;  // per bar the melody channel 1..16, 0 where none plays
};

// instrumentNames: the 128 program names (index = program), as the instrument list gives
// them; shorter lists name the rest "Program <n>".
SongOverview OverviewOf(const SongScan& song, const QStringList& instrumentNames);

// The bars of each channel along a path, as "1-8, 17-32" (empty when it gives none).
QString BarRanges(const std::vector<int>& pathByBar, int channel);

// The words of track names that point at a melody (+1), at an accompaniment (-1) or at
// neither (0), in English, German and French, in any case and with or without accents.
int NameHint(const QString& name);

// The share (0..1) of phrases of four steps, in pitch and rhythm, that occur again.
double PhraseRepetition(const std::vector<int>& keys, const std::vector<int64_t>& onsets);

// The melody likelihood 0..1 of a channel's features, by the trained weight table.
double MelodyLikelihood(const Features& f);

}  // namespace songs
