// iMelody files (BEGIN:IMELODY ... END:IMELODY): the header lines and the melody line with
// notes, rests, volume changes and repeat blocks of iMelody 1.2.
#pragma once

#include <QByteArray>
#include <QString>

#include "melody/pxvbmelody.h"

// Reads an iMelody text into melody: its events, tempo (BEAT, else 120) and name are
// replaced, and COMPOSER when the file has one; the rest is kept. STYLE and VOLUME lines
// become a style and a volume change before the first note. Folded lines (a line break
// followed by a blank) are joined; LED, vibration and backlight elements are skipped; a
// repeat block "(...@n)" is played n times (n = 0, endless, plays it once). Returns false,
// melody unchanged and *error (when given) saying why and where, for anything else.
bool readIMelody(const QByteArray& data, pxvbMelody& melody, QString* error = nullptr);
