#include "files/sagemhex.h"

#include <algorithm>

namespace {

constexpr int kResTooLong = 825;

bool isHexDigit(QChar c) {
  return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
         (c >= QLatin1Char('a') && c <= QLatin1Char('f')) ||
         (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}

int hexValue(const QString& s, qsizetype from, qsizetype count) {
  bool ok = false;
  const int v = s.mid(from, count).toInt(&ok, 16);
  return ok ? v : 0;
}

// Length code -> (denominator, dot).
void lengthFromCode(int code, int& len, int& dot) {
  dot = 0;
  if (code <= 6) {
    len = 16;
  } else if (code == 7) {
    len = 8;
  } else if (code <= 9) {
    len = 8;
    dot = 1;
  } else if (code <= 12) {
    len = 4;
    dot = code - 10;
  } else if (code <= 15) {
    len = 2;
    dot = code - 13;
  } else if (code == 16) {
    len = 1;
  } else {
    len = 8;
  }
}

}  // namespace

QString SagemHexNonHexMessage() {
  return QStringLiteral("Clipbord includes non Hex chars - converting aborted");
}

SagemHexOutcome SagemHexImport(pxvbMelody& target, const QString& clipboardText, pxvbMelody* undo) {
  SagemHexOutcome o;
  if (clipboardText.size() >= 1401) {
    o.result = -1;
    o.messageRes = kResTooLong;
    o.textLength = static_cast<int>(clipboardText.size());
    return o;
  }
  QString text = clipboardText;
  text.removeIf([](QChar c) { return c == QLatin1Char(' ') || c.unicode() < 29; });
  o.textLength = static_cast<int>(text.size());
  if (text.size() > 640) {
    o.result = -1;
    o.messageRes = kResTooLong;
    return o;
  }
  if (!std::all_of(text.begin(), text.end(), isHexDigit)) {
    o.result = -1;
    o.messageText = SagemHexNonHexMessage();
    return o;
  }
  // Header: count at 1-2, 3-4 unused, 5-6 checked, tempo at 7-8 (1-based positions).
  if (text.size() < 8) return o;
  const int count = hexValue(text, 0, 2);
  const int tempo = hexValue(text, 6, 2);
  if (count < 1 || tempo < 5) return o;

  if (undo) undo->assign(target, -1);
  target.setsName(QStringLiteral("Pealix"));
  target.setbpm(tempo);
  target.resize(0);
  for (int k = 0; k < count; ++k) {
    const qsizetype at = 8 + 6 * static_cast<qsizetype>(k);
    if (at + 6 > text.size()) break;  // the text ended early: no group left
    const int p = hexValue(text, at, 2);
    int len = 0, dot = 0;
    lengthFromCode(hexValue(text, at + 4, 2), len, dot);
    if (p == 0)
      target.addevent(len, dot, RV_EVENT_PAUSE);
    else
      target.addevent(len, dot, RV_EVENT_NOTE, std::min(p + 47, 127), 127);  // keys stay MIDI keys
  }
  o.result = 1;
  return o;
}
