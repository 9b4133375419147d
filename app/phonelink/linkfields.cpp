#include "phonelink/linkfields.h"

namespace linkfields {

bool IsNumberCharacter(QChar c) {
  return (c >= '0' && c <= '9') || c == ' ' || c == '(' || c == ')' || c == '-' || c == '/';
}

QString CleanNumber(const QString& text) {
  QString kept;
  for (const QChar c : text)
    if (IsNumberCharacter(c) || c == '+') kept.append(c);
  return kept;
}

NumberKeyVerdict NumberKey(int key, Qt::KeyboardModifiers modifiers, const QString& text,
                           bool replacesAll) {
  NumberKeyVerdict v;
  if (modifiers & Qt::ControlModifier) {
    // Copy, cut and paste only; other shortcuts are dropped without a beep.
    v.pasting = key == Qt::Key_V;
    v.accept = v.pasting || key == Qt::Key_C || key == Qt::Key_X;
    return v;
  }
  if (key == Qt::Key_Backspace || key == Qt::Key_Escape || text.isEmpty() ||
      IsNumberCharacter(text[0])) {
    v.accept = true;
    return v;
  }
  if (text[0] == '+') {
    v.accept = true;
    v.international = replacesAll;
    return v;
  }
  v.beep = true;
  return v;
}

bool PastedInternational(const QString& cleaned) {
  return cleaned.startsWith('+');
}

int AtLineSizeForChoice(int choice, int storedLineSize) {
  if (choice == 1) return storedLineSize >= 1 ? storedLineSize : 60;
  return 0;
}

int SmscTypeForChoice(bool noType, int storedType) {
  if (noType) return 0;
  return storedType == 0 ? 1 : storedType;
}

}  // namespace linkfields
