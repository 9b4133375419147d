// Nokia composer text (tokens such as 8#f2 or 4.- separated by a delimiter): the melody
// library reads and writes it (format 23); here the clipboard's side of it, the delimiter
// setting and the import command.
#pragma once

#include <QString>

#include "melody/pxvbmelody.h"

// Renders the melody through the library: a first line "Name:<name> BPM:<bpm> No.:<tokens>"
// ended by CR LF, then the tokens joined by the first character of delimiter (',' when it
// is empty). -1 when at least one token was written, else 0 (an empty melody, or the
// library missing, gives no text at all).
int ComposerTextFromMelody(const pxvbMelody& melody, QString& out, const QString& delimiter);

// Resource strings of the import failure message.
enum : int { kResComposerImportFailed = 834, kResComposerImportFailed2 = 836 };

// The delimiter of the import: the setting when it is exactly one character, else ",".
QString ComposerImportDelimiter(const QString& setting);

// The import command: the library reads the text into a new melody (keys as the composer
// names them: 4c1 is key 72) and target becomes a copy of it. With withHeader, a first line
// as the rendering writes it gives the name (when not empty) and the tempo (when above 0).
// False (target unchanged) when the text is no composer text.
bool ImportComposerText(pxvbMelody& target, const QString& text, const QString& delimiterSetting,
                        bool withHeader = false);
