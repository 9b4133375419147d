// The EMS iMelody of a melody longer than one message: the melody goes as several iMelody
// objects, each complete from BEGIN:IMELODY to END:IMELODY and small enough for one
// user defined sound element, which the phone plays one after the other (the user prompt
// indicator in front of the first tells it how many belong together). The library's
// iMelody string export renders each object, so every object reads as the one-message
// iMelody of the same notes would.
#pragma once

#include <QByteArray>
#include <QList>

class pxvbMelody;

namespace emsIMelody {

// Moves the notes into keys 72..107 exactly as the library's iMelody string export does
// before it writes (by whole octaves where the range allows, else by the distance and
// then clamped). Done once on the whole melody, it keeps every object in the same
// octaves: the export of each object then finds its notes in range and leaves them.
void FitLikeStringExport(pxvbMelody& melody);

// The objects of the whole melody, in order. The title goes only into the first (and not
// even there when it leaves no room for a note); later objects start with the melody's
// last absolute volume so that they play as loud. Empty when the library fails or a
// single object cannot take even one note.
QList<QByteArray> Objects(const pxvbMelody& melody);

}  // namespace emsIMelody
