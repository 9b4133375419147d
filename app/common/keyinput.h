// What a digits-only field takes from the keyboard (the event editor's velocity, the
// options window's number fields and code pages): editing and moving keys, Ctrl
// shortcuts and single digits. The window beeps at anything else and drops it.
#pragma once

#include <QtCore/qnamespace.h>
#include <QString>

namespace keyinput {

// Keys that edit or move instead of typing a character.
inline bool IsEditingKey(int key) {
  switch (key) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Up:
    case Qt::Key_Down:
      return true;
    default:
      return false;
  }
}

inline bool DigitsOnlyAccepts(int key, Qt::KeyboardModifiers modifiers, const QString& text) {
  if (IsEditingKey(key) || (modifiers & Qt::ControlModifier)) return true;
  return text.size() == 1 && text.at(0).isDigit();
}

}  // namespace keyinput
