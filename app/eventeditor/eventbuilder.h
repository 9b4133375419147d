// The event editor's rules without the window: the lists it offers, building one event
// from the chosen entries and filling the entries back from an event.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

#include "melody/pxvbnote.h"

namespace eventbuilder {

enum Group { kNote = 0, kPause = 1, kStyle = 2, kVolume = 3 };

QStringList NoteNames();    // "C" ... "B"
QStringList OctaveNames();  // "0" ... "10"
QStringList LengthNames();  // " 1", " 2", " 4", " 8", "16", "32", "64"
QStringList DotNames();     // "0", "1", "2/3", "2"
QStringList VolumeSteps();  // "0" ... "15"

// Dot list position 0, 1, 2, 3 stands for the dot length 0, 1, 3, 2 (shortest first).
int DotFromIndex(int index);
int IndexFromDot(int dot);
// The length list position of a denominator (the nearest shorter entry), and back.
int LengthFromIndex(int index);
int IndexFromLength(int length);

// The velocity field's value when it is left: below 1 gives 1, above 127 gives 127, an
// empty or unreadable text gives 1.
int VelocityFromText(const QString& text);
// True when the text is a whole number 1..127: only such a velocity builds a note (a 0 or
// 200 is refused rather than quietly made 1 or 127).
bool VelocityAccepted(const QString& text);

// What the window's controls hold.
struct Choice {
  int group = kNote;
  int noteIndex = 0;   // 0..11
  int octave = 5;      // 0..10
  int noteLength = 3;  // length list position
  int noteDot = 0;     // dot list position
  QString velocity = QStringLiteral("127");
  int pauseLength = 3;
  int pauseDot = 0;
  int style = 0;        // 0 natural, 1 continuous, 2 staccato
  int volumeStep = 15;  // 0..15
};

// The event the controls describe; volumeVelocity maps a volume step to a MIDI velocity
// (the melody library's rviVol2MVelo). A note above key 127 is kept at 127.
pxvbNote Build(const Choice& c, const std::function<int(int)>& volumeVelocity);

// Sets the controls for an event: the group of its kind and its values; volumeStep is the
// melody's getiMelVolume for it. False (c unchanged) for kinds the editor cannot build
// (tempo, loop and others).
bool Fill(const pxvbNote& event, int volumeStep, Choice& c);

}  // namespace eventbuilder
