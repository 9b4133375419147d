#include "document/meloformatcheck.h"

#include <climits>

#include "melody/formatcatalogue.h"

namespace meloformatcheck {

QStringList FormatChoiceNames() {
  QStringList names;
  for (const formatcatalogue::RangeRow* r : formatcatalogue::RangeRows())
    if (r->choicePosition >= 0) names << QString::fromLatin1(r->choiceName);
  return names;
}

QList<int> FormatChoiceIds() {
  QList<int> ids;
  for (const formatcatalogue::RangeRow* r : formatcatalogue::RangeRows())
    if (r->choicePosition >= 0) ids << r->checkId;
  return ids;
}

QStringList FitTargetNames() {
  QStringList names;
  for (const formatcatalogue::RangeRow* r : formatcatalogue::RangeRows())
    names << QString::fromLatin1(r->choiceName);
  return names;
}

QList<int> FitTargetIds() {
  QList<int> ids;
  for (const formatcatalogue::RangeRow* r : formatcatalogue::RangeRows()) ids << r->checkId;
  return ids;
}

int ChoiceToFormatId(int entry) {
  const QList<int> ids = FormatChoiceIds();
  return entry >= 0 && entry < ids.size() ? ids[entry] : -1;
}

int DefaultChoiceForRow(int row) {
  const int n = static_cast<int>(FormatChoiceIds().size());
  return row >= 0 && row < n ? row : 0;
}

int FieldValue(const QString& text) {
  qsizetype i = 0;
  while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
    negative = text[i] == QLatin1Char('-');
    ++i;
  }
  long long v = 0;
  for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
    v = v * 10 + (text[i].unicode() - '0');
    if (v > INT_MAX) v = INT_MAX;
  }
  return static_cast<int>(negative ? -v : v);
}

int AutoLabelColour(const QString& text, bool remainingLabel) {
  if (text.trimmed().isEmpty()) return kGreen;
  const int v = FieldValue(text);
  if (v == 0) return kGreen;
  if (v == 1 || v == 2) return kYellow;
  if (v > 2) return remainingLabel ? kGreen : kRed;
  return kRed;
}

int TempoColour(int tempo, int highTempo) {
  if (tempo <= highTempo) return kGreen;
  // tempo < 1.1 * highTempo, in integers so that 330 against 300 is not "below".
  if (static_cast<long long>(tempo) * 10 < static_cast<long long>(highTempo) * 11) return kYellow;
  return kRed;
}

std::optional<QList<RowResult>> Run(const clMeloFormatProps& formats, const pxvbMelody& melody,
                                    const QString& eventCountText, const QString& tempoText,
                                    const QList<int>& rowFormatIds) {
  if (eventCountText.isEmpty() || tempoText.isEmpty()) return std::nullopt;
  QList<RowResult> rows;
  const int eventCount = FieldValue(eventCountText);
  const int tempo = FieldValue(tempoText);
  for (int id : rowFormatIds) {
    RowResult r;
    r.formatId = id;
    int high = 0, low = 0, longest = 0, shortest = 0;
    if (formats.FGetRange1(id, high, low, longest, shortest) == 1) {
      r.countsValid = true;
      for (int pos = 0; pos < melody.size(); ++pos) {
        const int kind = melody.getEvent(pos);
        if (kind == RV_EVENT_NOTE) {
          const int key = melody.getEventVal1(pos);
          if (key > high)
            ++r.tooHigh;
          else if (key < low)
            ++r.tooLow;
        }
        if (kind == RV_EVENT_NOTE || kind == RV_EVENT_PAUSE) {
          // Only the denominator counts: a dotted half is not longer than a half here.
          const int len = melody.getSimpleLen(pos);
          if (len < longest)
            ++r.tooLong;
          else if (len > shortest)
            ++r.tooShort;
        }
      }
      r.colourHigh = AutoLabelColour(QString::number(r.tooHigh), false);
      r.colourLow = AutoLabelColour(QString::number(r.tooLow), false);
      r.colourLong = AutoLabelColour(QString::number(r.tooLong), false);
      r.colourShort = AutoLabelColour(QString::number(r.tooShort), false);
    }
    int maxEvents = 0, highTempo = 0;
    if (formats.FGetRange2(id, maxEvents, highTempo) == 1) {
      r.limitsValid = true;
      if (maxEvents >= 1) {
        r.remaining = maxEvents - eventCount;
        r.remainingText = QString::number(r.remaining);
      }
      r.colourRemaining = AutoLabelColour(r.remainingText, true);
      r.colourTempo = TempoColour(tempo, highTempo);
    }
    rows.append(r);
  }
  return rows;
}

QString Verdict(const RowResult& row) {
  if (!row.countsValid || !row.limitsValid) return QStringLiteral("unknown format");
  int worst = 0;  // 0 green, 1 yellow, 2 red
  for (int c : {row.colourHigh, row.colourLow, row.colourLong, row.colourShort, row.colourRemaining,
                row.colourTempo}) {
    if (c == kRed)
      worst = 2;
    else if (c == kYellow && worst < 1)
      worst = 1;
  }
  return worst == 0   ? QStringLiteral("fits")
         : worst == 1 ? QStringLiteral("close")
                      : QStringLiteral("does not fit");
}

namespace {
QString colourWord(int colour) {
  switch (colour) {
    case kGreen:
      return QStringLiteral("ok");
    case kYellow:
      return QStringLiteral("close");
    case kRed:
      return QStringLiteral("too fast");
    default:
      return QStringLiteral("-");
  }
}
}  // namespace

QStringList ReportAllFormats(const clMeloFormatProps& formats, const pxvbMelody& melody) {
  QStringList lines;
  const auto rows = Run(formats, melody, QString::number(melody.size()),
                        QString::number(melody.bpm()), FormatChoiceIds());
  if (!rows) return lines;
  const QStringList names = FormatChoiceNames();
  lines << QStringLiteral("%1 %2 %3 %4 %5 %6  %7  %8")
               .arg(QStringLiteral("format"), -15)
               .arg(QStringLiteral("high"), 5)
               .arg(QStringLiteral("low"), 5)
               .arg(QStringLiteral("long"), 5)
               .arg(QStringLiteral("short"), 5)
               .arg(QStringLiteral("left"), 5)
               .arg(QStringLiteral("tempo"), -8)
               .arg(QStringLiteral("verdict"));
  for (qsizetype i = 0; i < rows->size(); ++i) {
    const RowResult& r = rows->at(i);
    lines << QStringLiteral("%1 %2 %3 %4 %5 %6  %7  %8")
                 .arg(names.value(i), -15)
                 .arg(r.tooHigh, 5)
                 .arg(r.tooLow, 5)
                 .arg(r.tooLong, 5)
                 .arg(r.tooShort, 5)
                 .arg(r.remainingText.isEmpty() ? QStringLiteral("-") : r.remainingText, 5)
                 .arg(colourWord(r.colourTempo), -8)
                 .arg(Verdict(r));
  }
  return lines;
}

}  // namespace meloformatcheck
