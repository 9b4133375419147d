// The event list of the main window as a table model over the main melody: row i is
// event i, with four columns (number, length, event, warnings). The texts of a row come
// from the functions below, so they can be checked without a view.
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <functional>

#include "melody/pxvbmelody.h"

namespace eventrows {

using ResFn = std::function<QString(int)>;

// "  <i + 1>  "
QString NumberText(int row);
// The denominator as a number is printed by the runtime (a leading space unless it is
// negative), then " ." for dot 1, " .." for dot 2, " .:" for dot 3.
QString LengthText(int simpleLen, int dotLen);
// Note name and octave ("C5" for key 60), the pause word (string 14), "Style:N|C|S",
// "Tempo:<bpm>", "Vol:<velocity>" or "Vol:+" / "Vol:-", "Loop:<id> repeat:<n>", "n/a".
QString EventText(const pxvbMelody& melody, int pos, const ResFn& res);
// The name of a key as the program writes it everywhere (list, command line, ranges):
// the note letter and the octave key / 12, so key 60 is "C5" and key 76 "E6".
QString NoteName(int key);
// The fixed phone ranges a note leaves: string 800 with the too-high names, then string
// 801 with the too-low names, each part only when it names something.
QString WarningText(int key, const ResFn& res);

}  // namespace eventrows

class EventListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { kNumber, kLength, kEvent, kWarning, kColumnCount };

  // res gives resource strings; the default is the current language's.
  explicit EventListModel(const pxvbMelody* melody, QObject* parent = nullptr,
                          eventrows::ResFn res = {});

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  // Rebuilds every row from the melody (one reset; the view keeps no stale rows).
  void refill();
  // New header texts after a change of language.
  void retranslate();

 private:
  const pxvbMelody* melody_;
  eventrows::ResFn res_;
  int rows_ = 0;
};
