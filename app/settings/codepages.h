// Code pages as the options window offers them: code page 0 is the system default (the
// locale's character set), any other number is a Windows code page number that iconv
// knows under a name of the SMS library's table.
#pragma once

#include <QString>

namespace codepages {

// True for 0 and for every number the system can convert from and to.
bool IsValidCodePage(int codePage);

// The code page a combo box stands for: its one list entry (the system default) gives 0,
// a typed text its numeric value (0 when it holds no number).
int FromComboText(const QString& text, bool isListEntry);

}  // namespace codepages
