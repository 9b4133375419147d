// The range check's rows of indicators in the main window: per row a format choice, the
// row's background shape, four counters (too high, too low, too long, too short), the
// events left and the tempo shape. The counting is meloformatcheck::Run; this class only
// shows its result.
#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include "document/meloformatprops.h"
#include "melody/pxvbmelody.h"

class QComboBox;
class QFrame;
class QGridLayout;
class QLabel;
class QWidget;

class clCMeloFormatCheck : public QObject {
  Q_OBJECT
 public:
  explicit clCMeloFormatCheck(QObject* parent = nullptr) : QObject(parent) {}

  // Binds row 0 to its controls and fills its choice list. layout is where AddControl
  // places further rows (row r in grid row r + 1, under a header in grid row 0).
  void InitFormatCheck(QComboBox* choice, QFrame* shape, QLabel* high, QLabel* low, QLabel* longer,
                       QLabel* shorter, QLabel* remaining, QFrame* tempoShape, QGridLayout* layout);
  // Adds one row of controls below the last one; its choice list selects entry r.
  void AddControl();

  int size() const { return static_cast<int>(rows_.size()); }
  // The format id of the row's chosen entry, -1 for a row that does not exist.
  int List2FormatId(int row) const;
  void FillFormatList(int row);

  void SetRange1(int row, int a, int b, int c, int d);
  void SetRange2(int row, int n, bool empty);
  // A colour below 0 is chosen from the label's number; for the tempo shape it is silver.
  void SetRange1Color(int row, int high, int low, int longer, int shorter);
  void SetRange2Color(int row, int remaining, int tempo);
  // Empties the labels of rows first..last (last -1: to the end) and paints them neutral.
  void Set2GreyRange12(int first, int last = -1);

  // Runs the check for every row; nothing happens unless both texts are not empty.
  // False when nothing ran.
  bool Check(const clMeloFormatProps& formats, const pxvbMelody& melody,
             const QString& eventCountText, const QString& tempoText);

  // The controls of a row, for the window's layout and tests.
  QComboBox* choice(int row) const;
  QLabel* counter(int row, int which) const;  // 0 high, 1 low, 2 long, 3 short
  QLabel* remaining(int row) const;
  QFrame* tempoShape(int row) const;
  QFrame* rowShape(int row) const;

  // The row's result in words ("Too high: 3, Too low: 0, ... Tempo: fits"), as the row's
  // format choice gives it to a screen reader; each indicator also carries its own part as
  // accessible name and tool tip.
  QString RowText(int row) const;

  // Colour (0x00BBGGRR) an indicator shows, from its "BackColor" property.
  static int ColourOf(const QWidget* w);

 signals:
  // The user chose another format in a row.
  void formatChosen(int row);

 private:
  struct Row {
    QComboBox* choice = nullptr;
    QFrame* shape = nullptr;
    QLabel* counters[4] = {nullptr, nullptr, nullptr, nullptr};
    QLabel* remaining = nullptr;
    QFrame* tempo = nullptr;
  };
  static void paint(QWidget* w, int colour);
  void bind(int row);
  void describe(int row);
  bool valid(int row) const { return row >= 0 && row < size(); }

  QList<Row> rows_;
  QGridLayout* layout_ = nullptr;
};
