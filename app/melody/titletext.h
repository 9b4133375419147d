// Melody titles between files and writers. Titles arrive as bytes: UTF-8 from our own
// files, often Windows-1252 from older MIDI files. The phone text formats hold ASCII
// only, so their writers get a title reduced to ASCII rather than bytes no phone reads.
#pragma once

#include <QByteArray>
#include <QString>

namespace titletext {

// Valid UTF-8 as it is; anything else as Windows-1252 (the code page older sequencers
// wrote track names in). A UTF-8 character cut at the end is dropped, not misread.
QString DecodeTitle(const QByteArray& bytes);

// Letters with accents lose them (é -> e, ß -> ss, Æ -> AE), other characters outside
// printable ASCII are removed; blanks around the result are trimmed.
QByteArray AsciiTitle(const QString& title);

// True for the library formats whose writers put the title into ASCII-only text or
// octets (the catalogue's title rule): Sagem, key presses, RTTTL, Alcatel, Nokia smart
// messaging, Motorola.
bool IsAsciiTitleFormat(int formatId);

// The title bytes handed to a library writer of formatId: ASCII for the formats above,
// UTF-8 for the others (MIDI, iMelody, test XML).
QByteArray TitleForWriter(const QString& title, int formatId);

}  // namespace titletext
