// The rules behind the phone link's fields in the windows: what the data-cable window's
// phone-number field takes, and how the options window turns its line-size choice and
// its service-centre box into the stored values.
#pragma once

#include <QtCore/qnamespace.h>
#include <QString>

namespace linkfields {

// Characters a key may type into a phone number: digits, blank, ( ) - and /. A "+" is
// taken as well (see NumberKey).
bool IsNumberCharacter(QChar c);
// The text with everything dropped that a phone number may not hold here ("+" stays).
QString CleanNumber(const QString& text);

// What the phone-number field does with a key press.
struct NumberKeyVerdict {
  bool accept = false;         // the key goes to the field
  bool beep = false;           // a refused character
  bool international = false;  // a "+" that starts the number: the international box goes on
  bool pasting = false;        // Ctrl+V: the next change is a paste
};
// replacesAll: the field is empty or all of it is selected, so the key starts the number.
NumberKeyVerdict NumberKey(int key, Qt::KeyboardModifiers modifiers, const QString& text,
                           bool replacesAll);
// After a paste the number is international when it starts with "+".
bool PastedInternational(const QString& cleaned);

// The AT line size to store for the options window's choice: choice 1 ("60") keeps a
// stored size of 1 or more and is 60 otherwise; the other choice ("default") is 0, the
// whole PDU in one line.
int AtLineSizeForChoice(int choice, int storedLineSize);
// The service centre's number type to store: 0 when "no number type" is ticked;
// otherwise the stored type, and international (1) when the stored one was none.
int SmscTypeForChoice(bool noType, int storedType);

}  // namespace linkfields
