#include "files/composertext.h"

#include <QStringList>
#include <algorithm>

namespace {

bool isNoteValue(int v) {
  return v == 1 || v == 2 || v == 4 || v == 8 || v == 16 || v == 32 || v == 64;
}

// Semitone of a composer note name, -1 for an unknown name.
int semitone(const QString& name) {
  static const struct {
    const char* name;
    int semitone;
  } kNames[] = {{"c", 0},  {"c#", 1}, {"d", 2},   {"d#", 3}, {"e", 4}, {"e#", 5},
                {"f", 5},  {"f#", 6}, {"g", 7},   {"g#", 8}, {"a", 9}, {"a#", 10},
                {"b", 11}, {"h", 11}, {"b#", 11}, {"h#", 11}};
  for (const auto& n : kNames)
    if (name == QLatin1String(n.name)) return n.semitone;
  return -1;
}

bool isDigit(QChar c) {
  return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// One token: length, optional "." and "#" anywhere, then "-"/"p" for a pause or a note
// letter with its octave digit. Anything else is dropped.
void parseToken(pxvbMelody& melody, QString token) {
  if (token.size() >= 8) return;
  const bool dotted = token.contains(QLatin1Char('.'));
  const bool sharp = token.contains(QLatin1Char('#'));
  token.remove(QLatin1Char('.'));
  token.remove(QLatin1Char('#'));
  // Checked after the marks are gone, so that the rendering's own 16.#C2 reads back.
  if (token.size() < 2 || token.size() > 5) return;
  if (!isDigit(token[0])) return;
  int len = token[0].unicode() - '0';
  qsizetype i = 1;
  if (isDigit(token[1])) {
    len = len * 10 + (token[1].unicode() - '0');
    i = 2;
  }
  if (!isNoteValue(len) || i >= token.size()) return;
  const QChar c = token[i].toLower();
  if (c == QLatin1Char('-') || c == QLatin1Char('p')) {
    melody.addevent(len, dotted ? 1 : 0, RV_EVENT_PAUSE);
    return;
  }
  if (i + 1 >= token.size() || !isDigit(token[i + 1])) return;
  const int octave = token[i + 1].unicode() - '0';
  QString name(c);
  if (sharp) name += QLatin1Char('#');
  const int s = semitone(name);
  if (s < 0) return;
  melody.addevent(len, dotted ? 1 : 0, RV_EVENT_NOTE, 12 * octave + s + 12, 127);
}

}  // namespace

int ComposerTextFromMelody(const pxvbMelody& melody, QString& out, const QString& delimiter) {
  static const char* const kNames[12] = {"C",  "C#", "D",  "D#", "E",  "F",
                                         "F#", "G",  "G#", "A",  "A#", "B"};
  const QString delim = delimiter.left(1);
  QStringList tokens;
  for (int pos = 0; pos < melody.size(); ++pos) {
    const int len = melody.getSimpleLen(pos);
    if (!isNoteValue(len)) continue;
    QString token = QString::number(len);
    if (melody.getEvent(pos) == RV_EVENT_NOTE) {
      if (melody.getDotLen(pos) > 0) token += QLatin1Char('.');
      const int k = std::clamp(melody.getEventVal1(pos), 72, 107) - 60;
      const QString name = QLatin1String(kNames[k % 12]);
      if (name.size() == 2) token += QLatin1Char('#');
      token += name[0];
      token += QString::number(k / 12);
    } else {
      token += QLatin1Char('-');
    }
    tokens.append(token);
  }
  out = QStringLiteral("Name:") + melody.sName() + QStringLiteral(" BPM:") +
        QString::number(melody.bpm()) + QStringLiteral(" No.:") + QString::number(tokens.size()) +
        QStringLiteral("\r\n") + tokens.join(delim);
  return tokens.isEmpty() ? 0 : -1;
}

bool MelodyFromComposerText(pxvbMelody& melody, const QString& text, const QString& delimiter) {
  melody.resize(0);
  if (delimiter.isEmpty()) return false;
  const qsizetype first = text.indexOf(delimiter);
  if (first < 0 || first >= 7) return false;
  qsizetype pos = 0;
  for (;;) {
    const qsizetype next = text.indexOf(delimiter, pos);
    QString token;
    const bool last = next < 0;
    if (last) {
      token = text.mid(pos);
      if (token.size() >= 17) {
        melody.resize(0);
        return false;
      }
    } else {
      token = text.mid(pos, next - pos);
      pos = next + delimiter.size();
    }
    token.removeIf([](QChar c) { return c.unicode() < 29; });
    parseToken(melody, token);
    if (last) return true;
  }
}

QString SplitComposerHeader(const QString& text, QString* name, int* bpm) {
  if (bpm) *bpm = 0;
  if (!text.startsWith(QLatin1String("Name:"))) return text;
  const qsizetype eol = text.indexOf(QLatin1Char('\n'));
  if (eol < 0) return text;
  QString line = text.left(eol);
  if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
  const qsizetype bpmAt = line.lastIndexOf(QLatin1String(" BPM:"));
  if (bpmAt >= 0) {
    if (name) *name = line.mid(5, bpmAt - 5);
    const qsizetype noAt = line.indexOf(QLatin1String(" No.:"), bpmAt);
    bool ok = false;
    const int v = line.mid(bpmAt + 5, noAt < 0 ? -1 : noAt - bpmAt - 5).toInt(&ok);
    if (bpm && ok) *bpm = v;
  } else if (name) {
    *name = line.mid(5);
  }
  return text.mid(eol + 1);
}

QString ComposerImportDelimiter(const QString& setting) {
  return setting.size() == 1 ? setting : QStringLiteral(",");
}

bool ImportComposerText(pxvbMelody& target, const QString& text, const QString& delimiterSetting) {
  pxvbMelody temp;
  if (!MelodyFromComposerText(temp, text, ComposerImportDelimiter(delimiterSetting))) return false;
  temp.ChangeNote(48);
  target.assign(temp, -1);
  return true;
}
