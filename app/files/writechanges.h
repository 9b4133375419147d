// What a writer did to the notes of a melody on the way into its format: the RTTTL and
// Nokia writers move the whole melody into keys 60..107 (or clamp it when its span is
// wider), the Sagem and key-press writers into 57..85, the Alcatel writer clamps into
// 60..83 and the Motorola writer fits into 59..89. The file keeps what the writer made;
// these functions only tell the user about it.
#pragma once

#include <QList>
#include <QString>

#include <functional>

#include "rvmelody.h"

namespace writechanges {

// The keys of the notes as given and as written.
struct PitchChange {
  int shift = 0;    // every note moved by this many semitones (0: none or not the same)
  int changed = 0;  // notes written with another key
};

// Compares the keys of the notes given with those read back from the written file, note
// by note. Lists of different length compare only their common start.
PitchChange ComparePitches(const QList<int>& given, const QList<int>& written);

// For the writers whose output is not read back (key presses, Alcatel, Motorola): the
// notes outside the keys the writer takes, or 0 for any other format.
int NotesOutsideWriterRange(int formatId, const QList<int>& keys);

// The keys of the note events of a melody in order, from its kinds and first values.
template <class Melody>
QList<int> NoteKeys(const Melody& m) {
  QList<int> keys;
  for (int i = 0; i < m.size(); ++i)
    if (m.getEvent(i) == RV_EVENT_NOTE) keys << m.getEventVal1(i);
  return keys;
}

// "RTTTL moved the melody up 3 semitones into its range." and the like; empty when
// nothing changed. res gives resource strings.
QString PitchChangeText(int formatId, const PitchChange& change,
                        const std::function<QString(int)>& res);

// For the writers counted by NotesOutsideWriterRange: "Alcatel moved the notes into its
// range: 2 of them lay outside it." Empty when every note lies inside.
QString OutsideRangeText(int formatId, const QList<int>& keys,
                         const std::function<QString(int)>& res);

// The name of a writer's format in the texts above.
int WriterNameRes(int formatId);

}  // namespace writechanges
