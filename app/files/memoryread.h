// Files the melody library reads from memory only (Nokia ringtones, iMelody): the program
// reads the file, hands its bytes to the library and tells why a read failed.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

#include "melody/pxvbmelody.h"

namespace memoryread {

// Reads data in the format into melody: its events, tempo and name are replaced (and the
// composer when the data names one), the rest is kept. Returns false, melody unchanged and
// *error (when given) saying why, for anything that is not in the format. res gives the
// window's texts (resource strings); without it the error is the command line's English,
// after "not a Nokia ringtone: " and the like. In the texts %1 is the number the reason
// names, %2 the place, %3 the line and %4 the character.
bool Read(int formatId, const QByteArray& data, pxvbMelody& melody, QString* error = nullptr,
          const std::function<QString(int)>& res = {});

}  // namespace memoryread
