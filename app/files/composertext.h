// Nokia composer text: tokens such as 8#f2 or 4.- separated by a delimiter.
#pragma once

#include <QString>

#include "melody/pxvbmelody.h"

// Renders the melody: a first line "Name:<name> BPM:<bpm> No.:<tokens>" ended by CR LF,
// then the tokens joined by the first character of delimiter. -1 when at least one token
// was written, else 0.
int ComposerTextFromMelody(const pxvbMelody& melody, QString& out, const QString& delimiter);

// Reads tokens into the melody (emptied first), keys in composer numbering (12 x octave +
// semitone + 12). False when the text has no delimiter within its first seven characters
// or ends in an undelimited rest of 17 characters or more; unusable tokens are skipped.
bool MelodyFromComposerText(pxvbMelody& melody, const QString& text, const QString& delimiter);

// A text that starts with the rendering's first line ("Name:... BPM:... No.:...") is split
// after it: name and bpm receive the values found (bpm 0 when none) and the tokens after
// the line are returned. Any other text comes back unchanged.
QString SplitComposerHeader(const QString& text, QString* name, int* bpm);

// Resource strings of the import failure message.
enum : int { kResComposerImportFailed = 834, kResComposerImportFailed2 = 836 };

// The delimiter of the import: the setting when it is exactly one character, else ",".
QString ComposerImportDelimiter(const QString& setting);

// The import command: reads the text into a temporary melody, raises every note by 48
// semitones and makes target a copy of it. False (target unchanged) when the read failed.
bool ImportComposerText(pxvbMelody& target, const QString& text, const QString& delimiterSetting);
