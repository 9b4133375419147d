#include "playback/ui/notedisplay.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "document/eventlistmodel.h"
#include "languages/reslang.h"
#include "melody/pxvbmelody.h"

namespace {

bool isWhiteKey(int note) {
  static constexpr bool kWhite[12] = {true,  false, true,  false, true,  true,
                                      false, true,  false, true,  false, true};
  return kWhite[((note % 12) + 12) % 12];
}

int flagCount(int len) {
  int flags = 0;
  for (int l = len; l >= 8; l /= 2) ++flags;
  return flags;
}

// A head centred at c; hollow for whole and half notes.
void paintHead(QPainter& p, QPointF c, double w, int len) {
  p.save();
  p.translate(c);
  p.rotate(-20);
  p.setBrush(len >= 4 ? p.pen().color() : Qt::transparent);
  p.drawEllipse(QRectF(-w / 2, -w * 0.35, w, w * 0.7));
  p.restore();
}

void paintDots(QPainter& p, QPointF head, double w, int dot) {
  if (dot <= 0) return;
  const double r = std::max(1.2, w * 0.12);
  p.save();
  p.setBrush(p.pen().color());
  const int dots = dot == 2 ? 2 : 1;
  for (int i = 0; i < dots; ++i)
    p.drawEllipse(QPointF(head.x() + w * 0.8 + i * r * 3, head.y() - r), r, r);
  if (dot == 3) {  // x5/3: a dot with a small 3
    QFont f = p.font();
    f.setPixelSize(std::max(7, static_cast<int>(w * 0.7)));
    p.setFont(f);
    p.drawText(QPointF(head.x() + w * 0.8 + r * 2.5, head.y() - r), QStringLiteral("3"));
  }
  p.restore();
}

}  // namespace

NoteDisplay::NoteDisplay(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("pbNotes"));
  setFocusPolicy(Qt::StrongFocus);
  setBackgroundRole(QPalette::Base);
  setAutoFillBackground(true);
  // A picture only: a screen reader hears its name and the selected event in words.
  setAccessibleName(GetResString(2400));
  describeSelection();
}

QString NoteDisplay::selectionText() const {
  const int count = melody_ ? melody_->size() : 0;
  if (selected_ < 0 || selected_ >= count) return GetResString(2403);
  const eventrows::ResFn res = [](int id) { return GetResString(id); };
  return GetResString(2402)
      .arg(selected_ + 1)
      .arg(count)
      .arg(eventrows::EventText(*melody_, selected_, res))
      .arg(eventrows::LengthText(melody_->getSimpleLen(selected_), melody_->getDotLen(selected_))
               .trimmed());
}

void NoteDisplay::describeSelection() {
  setAccessibleDescription(GetResString(2401) + QStringLiteral(". ") + selectionText());
}

void NoteDisplay::setMelody(const pxvbMelody* melody) {
  melody_ = melody;
  refresh();
}

void NoteDisplay::setRange(int lowNote, int highNote) {
  low_ = lowNote;
  high_ = std::max(lowNote, highNote);
  refresh();
}

void NoteDisplay::setSelected(int pos) {
  if (pos == selected_) return;
  selected_ = pos;
  describeSelection();
  update();
}

void NoteDisplay::setColumnWidth(int px) {
  column_ = std::clamp(px, 20, 80);
  refresh();
}

void NoteDisplay::refresh() {
  // Never smaller than the melody needs; a scroll area may make it larger.
  setMinimumSize(sizeHint());
  updateGeometry();
  describeSelection();  // the event under the selection may have changed
  update();
}

void NoteDisplay::resizeEvent(QResizeEvent* e) {
  // The grid sits in the middle of any extra height.
  yOffset_ = std::max(0, (height() - sizeHint().height()) / 2);
  QWidget::resizeEvent(e);
}

int NoteDisplay::columnX(int pos) const {
  return kLeft + pos * column_;
}

QSize NoteDisplay::sizeHint() const {
  const int n = melody_ ? melody_->size() : 0;
  return {kLeft + (n + 1) * column_, kTop + (high_ - low_ + 2) * kStep + kBottom};
}

double NoteDisplay::yOf(int note) const {
  return yOffset_ + kTop + (high_ - note + 1) * kStep;
}

int NoteDisplay::eventAt(const QPoint& pt) const {
  if (!melody_ || pt.x() < kLeft) return -1;
  const int pos = (pt.x() - kLeft) / column_;
  if (pos >= melody_->size()) return -1;
  if (melody_->getEvent(pos) == RV_EVENT_NOTE) {
    const int note = melody_->getEventVal1(pos);
    if (note < low_ || note > high_) return -1;
  }
  return pos;
}

void NoteDisplay::mousePressEvent(QMouseEvent* e) {
  const int pos = eventAt(e->position().toPoint());
  if (pos >= 0) emit eventClicked(pos);
  QWidget::mousePressEvent(e);
}

void NoteDisplay::keyPressEvent(QKeyEvent* e) {
  // Taken here, before the surrounding scroll area would scroll with them.
  switch (e->key()) {
    case Qt::Key_Left:
      emit stepRequested(-1);
      return;
    case Qt::Key_Right:
      emit stepRequested(1);
      return;
    case Qt::Key_Home:
      emit stepRequested(-1'000'000);
      return;
    case Qt::Key_End:
      emit stepRequested(1'000'000);
      return;
    default:
      QWidget::keyPressEvent(e);
  }
}

void NoteDisplay::paintSymbol(QPainter& p, const QRectF& r, int len, bool pause) {
  const double w = std::min(r.width() * 0.45, r.height() * 0.3);
  if (!pause) {
    const QPointF head(r.center().x() - w * 0.2, r.bottom() - w * 0.6);
    paintHead(p, head, w, len);
    if (len >= 2) {
      const double sx = head.x() + w * 0.45, top = r.top() + r.height() * 0.1;
      p.drawLine(QPointF(sx, head.y()), QPointF(sx, top));
      for (int i = 0; i < flagCount(len); ++i)
        p.drawLine(QPointF(sx, top + i * w * 0.45),
                   QPointF(sx + w * 0.7, top + i * w * 0.45 + w * 0.6));
    }
    return;
  }
  const QPointF c = r.center();
  p.save();
  p.setBrush(p.pen().color());
  if (len <= 2) {  // whole: hangs below the line, half: sits on it
    const double y = c.y();
    p.drawLine(QPointF(c.x() - w, y), QPointF(c.x() + w, y));
    p.drawRect(len == 1 ? QRectF(c.x() - w * 0.6, y, w * 1.2, w * 0.5)
                        : QRectF(c.x() - w * 0.6, y - w * 0.5, w * 1.2, w * 0.5));
  } else if (len == 4) {
    QPainterPath z;
    z.moveTo(c.x() - w * 0.2, c.y() - w * 1.4);
    z.lineTo(c.x() + w * 0.3, c.y() - w * 0.6);
    z.lineTo(c.x() - w * 0.3, c.y() + w * 0.1);
    z.lineTo(c.x() + w * 0.3, c.y() + w * 0.8);
    z.lineTo(c.x() - w * 0.2, c.y() + w * 1.3);
    p.setBrush(Qt::NoBrush);
    p.drawPath(z);
  } else {
    const QPointF top(c.x() + w * 0.4, c.y() - w * 1.2), bottom(c.x() - w * 0.2, c.y() + w * 1.3);
    p.drawLine(top, bottom);
    for (int i = 0; i < flagCount(len); ++i) {
      const QPointF at(top.x() - i * w * 0.12, top.y() + i * w * 0.55);
      p.drawEllipse(QPointF(at.x() - w * 0.55, at.y() + w * 0.1), w * 0.18, w * 0.18);
      p.drawLine(at, QPointF(at.x() - w * 0.55, at.y() + w * 0.1));
    }
  }
  p.restore();
}

void NoteDisplay::paintEventColumn(QPainter& p, int pos, double x) {
  const int kind = melody_->getEvent(pos);
  const int len = melody_->getSimpleLen(pos);
  const int dot = melody_->getDotLen(pos);
  const double w = std::min(column_ * 0.38, kStep * 1.6);
  const double cx = x + column_ / 2.0;
  if (kind == RV_EVENT_NOTE) {
    const int note = melody_->getEventVal1(pos);
    if (note < low_ || note > high_) {  // out of sight: a small arrow at the edge
      const double y = note > high_ ? yOffset_ + kTop + 4.0 : yOf(low_) + kStep;
      const double d = note > high_ ? -4.0 : 4.0;
      p.drawLine(QPointF(cx, y - d), QPointF(cx, y + d));
      p.drawLine(QPointF(cx - 3, y + d * 0.2), QPointF(cx, y + d));
      p.drawLine(QPointF(cx + 3, y + d * 0.2), QPointF(cx, y + d));
      return;
    }
    const QPointF head(cx - w * 0.2, yOf(note));
    if (!isWhiteKey(note)) {  // sharp
      QFont f = p.font();
      f.setPixelSize(std::max(8, kStep * 2));
      p.save();
      p.setFont(f);
      p.drawText(QPointF(head.x() - w * 1.5, head.y() + kStep * 0.6), QStringLiteral("#"));
      p.restore();
    }
    paintHead(p, head, w, len);
    if (len >= 2) {
      const double sx = head.x() + w * 0.45, top = head.y() - kStep * 5;
      p.drawLine(QPointF(sx, head.y()), QPointF(sx, top));
      for (int i = 0; i < flagCount(len); ++i)
        p.drawLine(QPointF(sx, top + i * w * 0.5),
                   QPointF(sx + w * 0.7, top + i * w * 0.5 + w * 0.7));
    }
    paintDots(p, head, w, dot);
    return;
  }
  if (kind == RV_EVENT_PAUSE) {
    const double mid = yOf((low_ + high_) / 2);
    paintSymbol(p, QRectF(cx - w * 1.2, mid - w * 1.6, w * 2.4, w * 3.2), len, true);
    paintDots(p, QPointF(cx, mid), w, dot);
    return;
  }
  // Control events: a small labelled box at the top.
  QString label;
  switch (kind) {
    case RV_EVENT_STYLE: {
      static const char* const kStyles[] = {"N", "C", "S"};
      const int s = melody_->getEventVal1(pos);
      label = QStringLiteral("S:") + (s >= 0 && s <= 2 ? kStyles[s] : "?");
      break;
    }
    case RV_EVENT_TEMPO:
      label = QStringLiteral("T%1").arg(melody_->getEventVal1(pos));
      break;
    case RV_EVENT_VOLUME:
      label = melody_->getEventVal1(pos) == 1
                  ? (melody_->getEventVal2(pos) == 1 ? QStringLiteral("V+") : QStringLiteral("V-"))
                  : QStringLiteral("V%1").arg(melody_->getEventVal2(pos));
      break;
    case RV_EVENT_LOOP:
      label = QStringLiteral("L%1").arg(melody_->getEventVal1(pos));
      break;
    default:
      label = QStringLiteral("?%1").arg(kind);
  }
  const QRectF box(x + 2, yOffset_ + 4, column_ - 4, kTop - 8);
  p.save();
  p.setBrush(palette().color(QPalette::AlternateBase));
  p.drawRoundedRect(box, 3, 3);
  QFont f = p.font();
  f.setPixelSize(std::max(8, std::min(11, column_ / 3)));
  p.setFont(f);
  p.drawText(box, Qt::AlignCenter, label);
  p.restore();
}

void NoteDisplay::paintEvent(QPaintEvent* e) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor ink = palette().color(QPalette::Text);
  const QColor grid = palette().color(QPalette::Mid);
  const int n = melody_ ? melody_->size() : 0;
  const QRect area = e->rect();

  // Selection first, under everything.
  if (selected_ >= 0 && selected_ < n) {
    QColor h = palette().color(QPalette::Highlight);
    h.setAlpha(70);
    p.fillRect(QRectF(columnX(selected_), 0, column_, height()), h);
  }
  // The grid: a faint line per white key, a strong one with its name at every C.
  QFont small = font();
  small.setPixelSize(9);
  p.setFont(small);
  for (int note = low_; note <= high_; ++note) {
    if (!isWhiteKey(note)) continue;
    const double y = yOf(note);
    const bool c = note % 12 == 0;
    p.setPen(QPen(grid, c ? 1.0 : 0.3));
    p.drawLine(QPointF(kLeft - (c ? 6 : 0), y), QPointF(width(), y));
    if (c) {
      p.setPen(ink);
      p.drawText(QRectF(0, y - 7, kLeft - 7, 14), Qt::AlignRight | Qt::AlignVCenter,
                 QStringLiteral("C%1").arg(note / 12));
    }
  }
  p.setPen(QPen(ink, 1.2));
  p.setFont(font());
  const int first = std::max(0, (area.left() - kLeft) / column_ - 1);
  const int last = std::min(n - 1, (area.right() - kLeft) / column_ + 1);
  for (int pos = first; pos <= last; ++pos) paintEventColumn(p, pos, columnX(pos));
  // Event numbers along the bottom, every fifth.
  p.setPen(grid);
  p.setFont(small);
  for (int pos = first; pos <= last; ++pos)
    if ((pos + 1) % 5 == 0 || pos == 0)
      p.drawText(QRectF(columnX(pos), height() - kBottom, column_, kBottom), Qt::AlignCenter,
                 QString::number(pos + 1));
}
