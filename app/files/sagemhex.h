// Sagem melodies as a string of hexadecimal digits (count of notes, tempo, then one group
// of six digits a note): the melody library reads them (format 24); here the clipboard
// import's side, its messages and the undo copy.
#pragma once

#include <QString>

#include "melody/pxvbmelody.h"

struct SagemHexOutcome {
  int result = 0;       // 1 imported; 0 nothing to import (no change); -1 refused with a message
  int messageRes = 0;   // resource string of the message (825 too long), 0 when none
  QString messageText;  // a fixed message (the hex check), empty when none
  int textLength = 0;   // the cleaned text's length, shown with 825 when it is too long
};

// The fixed text of the hex check.
QString SagemHexNonHexMessage();

// Imports the clipboard text into target. Texts of 1401 characters or more, and cleaned
// texts of more than 640, are refused. When undo is given, target is copied into it just
// before target changes.
SagemHexOutcome SagemHexImport(pxvbMelody& target, const QString& clipboardText,
                               pxvbMelody* undo = nullptr);
