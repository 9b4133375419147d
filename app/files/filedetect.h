// What a melody file really holds, told from its first bytes and its name: the open
// command reads a file with the format it is in, not the one the dialog's filter or the
// extension suggests. Also the tunes of an RTTTL collection (one tune a line).
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace filedetect {

// Resource strings of the problems found before any reader runs.
enum : int {
  kResEmpty = 2505,          // "The file is empty."
  kResNotMidi = 2506,        // "... not a standard MIDI file (no MThd header)."
  kResNotRecognised = 2507,  // "The format of the file was not recognised."
  kResAlcatelText = 2808,    // an Alcatel text: written, not read
  kResNotText = 2809,        // binary bytes where a text format was expected
  kResNoTune = 2810,         // text without a "name:defaults:notes" tune
};

struct Detected {
  int fileType;        // filetables::FileType; the hint when nothing better is known
  int problemRes = 0;  // set: the file cannot be read, this says why
};

// head: the file's first bytes (a few hundred are enough); size: the file's size;
// hintType: the type its extension or the chosen filter stands for (kTypeNone: none).
// The content wins over the hint: a standard MIDI header, the Sagem magic line, an
// iMelody header or an RTTTL "name:defaults:notes" line decide the type. An Alcatel text,
// bytes that are no text (for any hint but the binary Nokia ringtone) and a text without
// a tune for the RTTTL hint are problems.
Detected DetectFileType(const QByteArray& head, qint64 size, int hintType);

struct RtttlTune {
  QString name;     // the text before the first ":"
  QByteArray text;  // the whole tune on one line
};

// The tunes of an RTTTL text: every line with a "name:defaults:notes" shape starts a
// tune; other non-blank lines continue the tune before them. A text of one tune gives
// one entry; a text without any tune gives none.
QList<RtttlTune> SplitRtttlTunes(const QByteArray& text);

}  // namespace filedetect
