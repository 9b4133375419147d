// The channels of a song that carry notes, each described and scored for how much it
// looks like the tune: the table the MIDI channel dialog and `pealix-cli info --channels`
// show, and the automatic choice of the melody channel.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "songs/smfscan.h"

namespace songs {

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
  double score = 0;       // 0..100; drums always 0
};

struct SongOverview {
  QList<ChannelInfo> channels;  // best score first, the drum channel last
  int best = 0;                 // the melody channel 1..16, 0 when only drums carry notes
};

// instrumentNames: the 128 program names (index = program), as the instrument list gives
// them; shorter lists name the rest "Program <n>".
SongOverview OverviewOf(const SongScan& song, const QStringList& instrumentNames);

// The words of track names that point at a melody (+1), at an accompaniment (-1) or at
// neither (0), in English, German and French, in any case and with or without accents.
int NameHint(const QString& name);

// The share (0..1) of phrases of four steps, in pitch and rhythm, that occur again.
double PhraseRepetition(const std::vector<int>& keys, const std::vector<int64_t>& onsets);

}  // namespace songs
