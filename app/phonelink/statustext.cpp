#include "statustext.h"

void StatusText::append(const QString& incoming) {
  // A flood of received data may arrive in large pieces: trim until the box is short again.
  while (text_.size() > kMaxChars) text_.remove(0, kTrimChars);

  // A backspace takes back the character before it; at the start of the text it takes
  // back the last character in the box (a whole CR LF line break counts as one).
  QString piece;
  piece.reserve(incoming.size());
  int removedTail = 0;
  for (const QChar c : incoming) {
    if (c.unicode() != 8) {
      piece.append(c);
    } else if (!piece.isEmpty()) {
      piece.chop(1);
    } else if (!text_.isEmpty()) {
      const int n = text_.endsWith(QStringLiteral("\r\n")) ? 2 : 1;
      text_.chop(n);
      removedTail += n;
    }
  }
  piece.remove(QChar('\n'));
  piece.replace(QChar('\r'), QStringLiteral("\r\n"));
  text_.append(piece);
  if (removedTail > 0 || !piece.isEmpty()) emit appendedText(removedTail, piece);
}

void StatusText::clear() {
  text_.clear();
  emit cleared();
}
