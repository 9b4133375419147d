// The target-format range check without its widgets: per row the four counts, the
// remaining events and the colour of every indicator. clCMeloFormatCheck puts the result
// into the main window's controls.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "document/meloformatprops.h"
#include "melody/pxvbmelody.h"

namespace meloformatcheck {

// Colours as stored, 0x00BBGGRR.
enum Colour : int {
  kGreen = 0x00FF00,
  kYellow = 0x00FFFF,
  kRed = 0x0000FF,
  kNeutral = 0xFCD8DB,
  kSilver = 0xC0C0C0,
};

// The choice list of every row and the format id of each entry, in list order.
QStringList FormatChoiceNames();
QList<int> FormatChoiceIds();
// Every row a song can be fitted to: the choice list's, then the formats that are fit
// targets only (the full MIDI range of a player without an event limit).
QStringList FitTargetNames();
QList<int> FitTargetIds();
// Id of choice list entry k, -1 outside the list.
int ChoiceToFormatId(int entry);
// The entry a new row r selects (row 0 "Sagem SMS", row 1 "Nokia / RTX", ...).
int DefaultChoiceForRow(int row);

// Automatic colour of a label from the text it shows: empty or 0 green, 1 or 2 yellow,
// above 2 green for the remaining-events label and red for the counters, negative red.
int AutoLabelColour(const QString& text, bool remainingLabel);
// Tempo shape: up to the highest tempo green, below 1.1 times it yellow, else red.
int TempoColour(int tempo, int highTempo);
// Numeric value of a field's text: leading blanks, an optional sign and digits; 0 for none.
int FieldValue(const QString& text);

struct RowResult {
  int formatId = -1;
  // Counts and their colours; valid is false when the format is not registered (the row
  // then keeps what it showed).
  bool countsValid = false;
  int tooHigh = 0, tooLow = 0, tooLong = 0, tooShort = 0;
  int colourHigh = kNeutral, colourLow = kNeutral, colourLong = kNeutral, colourShort = kNeutral;
  // Remaining events (empty text when the format has no limit) and the tempo shape.
  bool limitsValid = false;
  QString remainingText;
  int remaining = 0;
  int colourRemaining = kNeutral;
  int colourTempo = kNeutral;
};

// Runs the check of the melody against the format of each row. Nothing happens (nullopt)
// unless both the event-count text and the tempo text hold text.
std::optional<QList<RowResult>> Run(const clMeloFormatProps& formats, const pxvbMelody& melody,
                                    const QString& eventCountText, const QString& tempoText,
                                    const QList<int>& rowFormatIds);

// A row in words: "fits" (all green), "close" (worst is yellow) or "does not fit".
QString Verdict(const RowResult& row);

// The check against every choice-list format as text lines: a header, then per format
// its name, the four counts, the events left ("-" without a limit), the tempo colour and
// the verdict.
QStringList ReportAllFormats(const clMeloFormatProps& formats, const pxvbMelody& melody);

}  // namespace meloformatcheck
