// From a song to a ringtone in one call: the melody channel (chosen by score or given),
// its skyline, and the fitting to the ringtone grid and, optionally, a target format.
#pragma once

#include <QString>
#include <QStringList>

#include "melody/pxvbmelody.h"
#include "songs/channeloverview.h"
#include "songs/ringtonefit.h"
#include "songs/smfscan.h"

namespace songs {

struct SongRequest {
  int channel = 0;      // 1..16; 0 takes the best-scored channel (never the drums)
  int fitFormatId = 0;  // a range-check format id to fit into; 0 fits to the grid only
};

struct SongMelody {
  bool ok = false;
  QString error;  // when !ok
  int channel = 0;
  FitReport fit;
  pxvbMelody melody;  // named after the song, at its tempo
};

SongMelody MelodyOfSong(const SongScan& song, const SongOverview& overview,
                        const SongRequest& request);

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
