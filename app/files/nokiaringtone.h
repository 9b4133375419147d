// Nokia smart-messaging ringtones (OTT): the binary message and its hex text, with or
// without the user data header that addresses port 0x1581, as phones send them and as the
// melody library's writer writes them.
#pragma once

#include <QByteArray>
#include <QString>

#include "melody/pxvbmelody.h"

// Reads a ringtone into melody: its events, tempo and name are replaced by the
// ringtone's (one event per note, pause, style, tempo and volume instruction), the rest
// is kept. The input may be the binary message or its hex text (blanks and line breaks
// allowed, a line may begin with the text-mode header "//SCKL<ports> "); a leading user
// data header is skipped. A pattern's loop plays it loop value + 1 times (an endless
// loop, 15, plays it once). Returns false, melody unchanged and *error (when given)
// saying why, for anything that is not a complete basic-song ringtone.
bool readNokiaRingtone(const QByteArray& data, pxvbMelody& melody, QString* error = nullptr);
