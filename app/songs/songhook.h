// The hook of a song's tune: the repeated section a ringtone should play. Bars are
// compared by pitch and rhythm (which key sounds on each 16th, and where notes start);
// a section is a run of at least four bars that returns later. Every bar that starts a
// section of four sung bars is a candidate, described by what tells a chorus from a verse
// (how often and how exactly it returns, how unlike the song's first section it is, how
// high, dense and loud it sits, whether a boundary and a rest come before it and before
// its returns, where it lies in the song); a weight table fitted on labelled songs
// (tools/songs/train_hook.py) scores them, and the best one is the hook.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "songs/melodyline.h"

namespace songs {

struct Hook {
  bool found = false;
  int firstBar = 0;       // 0-based bar (from tick 0) where its first note lies
  int bars = 0;           // its length in bars
  int64_t startTick = 0;  // the first note of its phrase
  int64_t endTick = 0;    // the end of the section
};

// line: the tune in song ticks; barTicks: the length of a bar; band: every note of the
// song (the arrangement grows fuller at the chorus), or null.
Hook FindHook(const std::vector<LineNote>& line, int64_t barTicks,
              const std::vector<SongNote>* band = nullptr);

// The bar (0-based) of a tick.
inline int BarOf(int64_t tick, int64_t barTicks) {
  return static_cast<int>(tick / (barTicks > 0 ? barTicks : 1));
}

// What the hook search knows of a candidate section start (for training and measuring).
enum HookFeature {
  kHookReturns,           // how many places the four bars return (log)
  kHookReturnsLoose,      // the same, counting rougher likeness (log)
  kHookBestMatch,         // the likeness of its best return
  kHookRhythmReturns,     // returns of its rhythm alone, at any pitch (log)
  kHookLikeFirst,         // likeness to the song's first section
  kHookInFirst,           // it lies in the first section
  kHookKinShare,          // share of its bars like a bar of the first section
  kHookAfterVerse,        // the bar before is like the first section, its own bars are not
  kHookHeight,            // its mean key above the tune's mean (octaves)
  kHookTop,               // its highest key above the tune's mean (octaves)
  kHookDensity,           // notes a bar against the tune's sung bars
  kHookVelocity,          // mean velocity against the tune's
  kHookPosition,          // where it starts between the first and the last sung bar
  kHookNovelty,           // how unlike the four bars before it are (checkerboard)
  kHookRestBefore,        // the rest before its first note (log of beats)
  kHookEmptyBefore,       // the bar before has no note
  kHookContinues,         // share of its returns whose bar before returns along with it
  kHookReturnsAfterRest,  // share of its returns that follow a rest or an empty bar
  kHookOnsetSlot,         // where in its bar its first note starts
  kHookLength,            // how many bars it keeps returning
  kHookEarlier,           // it was heard before (log of earlier returns)
  kHookBeforeVerse,       // the four bars before it are like the first section
  kHookPhraseBar,         // a multiple of four bars after the first sung bar
  kHookPhrase8,           // a multiple of eight bars after the first sung bar
  kHookBoundaryPhase,     // on the four-bar phase where the tune's boundaries fall most
  kHookStripeBack,        // how far back its returns keep matching (share of eight bars)
  kHookContinuesLoose,    // share of its rough returns whose bar before is alike as well
  kHookBestMatch8,        // the likeness of the best return of its eight bars
  kHookReturns8,          // how many places its eight bars return roughly (log)
  kHookPeak8,             // how much better its eight bars return than those a bar before or after
  kHookPeak4,             // the same for four bars
  kHookVerseDrop,         // how much less like the first section its bars are than the two before
  kHookLagChange,         // how unlike the places where its four bars return are those where
                          // the four before return (at the same distance)
  kHookBand,              // the song's notes a bar against its mean (log)
  kHookBandRise,          // the song's notes a bar against the four bars before (log)
  kHookBandVoices,        // channels sounding a bar against the song's mean
  kHookBandLoud,          // the song's mean velocity against its whole mean
  kHookCount
};
using HookFeatures = std::array<double, kHookCount>;
const char* HookFeatureName(int feature);

struct HookCandidate {
  int bar = 0;            // 0-based bar of the grid from tick 0
  int64_t startTick = 0;  // where its phrase's first note starts
  int bars = 0;           // how long it keeps returning
  HookFeatures features{};
  double score = 0;
};

std::vector<HookCandidate> HookCandidates(const std::vector<LineNote>& line, int64_t barTicks,
                                          const std::vector<SongNote>* band = nullptr);

}  // namespace songs
