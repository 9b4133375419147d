// The note view's pitch display: one column per event, the visible notes on a grid of
// semitones with a line at every C, note heads by length with stems, flags and dots,
// pause symbols, and a labelled box for each control event. Clicking selects an event.
#pragma once

#include <QWidget>

class pxvbMelody;
class QPainter;

class NoteDisplay : public QWidget {
  Q_OBJECT
 public:
  explicit NoteDisplay(QWidget* parent = nullptr);

  void setMelody(const pxvbMelody* melody);
  void setRange(int lowNote, int highNote);
  void setSelected(int pos);
  int selected() const { return selected_; }
  // Column width in pixels (zoom), 20..80.
  void setColumnWidth(int px);
  int columnWidth() const { return column_; }
  // Left edge of an event's column.
  int columnX(int pos) const;
  // The event whose column holds x and that can be clicked: a note outside the visible
  // range cannot. -1 for none.
  int eventAt(const QPoint& p) const;
  // Refits the width to the melody and repaints.
  void refresh();
  // The selected event in words ("Event 3 of 30: E5, length 4"), as the display's
  // accessible description gives it to a screen reader.
  QString selectionText() const;

  QSize sizeHint() const override;

  // A note or pause symbol of length denominator len in rect (also used for tool icons).
  static void paintSymbol(QPainter& p, const QRectF& rect, int len, bool pause);

 signals:
  void eventClicked(int pos);
  // Left / Right (-1 / +1), Home / End (a large step) while the display has the focus.
  void stepRequested(int step);

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  double yOf(int note) const;
  void describeSelection();
  void paintEventColumn(QPainter& p, int pos, double x);

  const pxvbMelody* melody_ = nullptr;
  int low_ = 93;
  int high_ = 121;
  int selected_ = -1;
  int column_ = 36;
  int yOffset_ = 0;
  static constexpr int kStep = 7;   // pixels per semitone
  static constexpr int kTop = 28;   // room for control-event boxes
  static constexpr int kLeft = 34;  // room for the octave labels
  static constexpr int kBottom = 14;
};
