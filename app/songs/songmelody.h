// From a song to a ringtone in one call: the melody (along the channel path, or a given
// channel's skyline), the part of it to play (the hook, the start or bars), and the
// fitting to the ringtone grid and, optionally, a target format.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "melody/pxvbmelody.h"
#include "songs/channeloverview.h"
#include "songs/ringtonefit.h"
#include "songs/smfscan.h"
#include "songs/songhook.h"

namespace songs {

// How a chosen MIDI channel becomes the melody.
enum class ReadMode {
  AsWritten,   // the channel's notes as the file has them (the library's reader)
  MelodyLine,  // its top line (or the melody path) on the ringtone grid
};

// Which part of the line the ringtone plays.
enum class ExcerptKind {
  Auto,   // the whole line; the hook when a target's event limit cannot hold it all
  Hook,   // the song's hook (its returning section that is not the verse)
  Start,  // from the start, cut at the target's limit
  Bars,   // the bars firstBar..lastBar (1-based, both included)
};
struct Excerpt {
  ExcerptKind kind = ExcerptKind::Auto;
  int firstBar = 0, lastBar = 0;  // with Bars
};

struct SongRequest {
  int channel = 0;      // 1..16; 0 follows the melody path (never the drums)
  int fitFormatId = 0;  // a range-check format id to fit into; 0 fits to the grid only
  ReadMode mode = ReadMode::MelodyLine;  // MelodyOfSong makes the line either way
  Excerpt excerpt;
};

// "hook", "start" or "bars:A-B" (A <= B, from 1); false for anything else.
bool ParseExcerpt(const QString& text, Excerpt& excerpt);

struct SongMelody {
  bool ok = false;
  QString error;    // when !ok
  int channel = 0;  // the channel that gives most of the line
  FitReport fit;
  ExcerptKind excerpt = ExcerptKind::Auto;  // what was taken: Hook, Start, Bars, or Auto
                                            // for the whole line
  int firstBar = 0, lastBar = 0;            // the bars of the song the ringtone plays (1-based)
  int64_t startTick = 0;                    // the song tick of its first note
  pxvbMelody melody;                        // named after the song, at its tempo
};

SongMelody MelodyOfSong(const SongScan& song, const SongOverview& overview,
                        const SongRequest& request);

// What the fitting did, for the window's status line, from the language table's texts
// (res gives a text by number): the channel and bars, the excerpt, the transposition,
// folded notes, merged gaps, shortened silences, the cut and a lowered tempo.
QString FitSummaryText(const SongMelody& m, const std::function<QString(int)>& res);

// The range-check format for a name: the command line's format names (sagem, keypress,
// rtttl, nokia, alcatel, composer, imelody, motorola, nokia61xx) or a range-check row's
// name ("Sagem SMS"), in any case; 0 for none.
int FitFormatIdByName(const QString& name);
// The names FitFormatIdByName knows, for help texts.
QStringList FitFormatNames();

}  // namespace songs

namespace songs {
// The 128 program names of the current language's instrument list; without a registered
// language (the command line) the English list of the application directory.
QStringList ProgramNames();
}  // namespace songs
