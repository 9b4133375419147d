#include "mainwindow/ui/meloformatrows.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

#include "document/meloformatcheck.h"
#include "languages/reslang.h"

using namespace meloformatcheck;

void clCMeloFormatCheck::paint(QWidget* w, int colour) {
  if (!w) return;
  w->setProperty("BackColor", colour);
  const int r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
  const QString name = QStringLiteral("#%1%2%3")
                           .arg(r, 2, 16, QLatin1Char('0'))
                           .arg(g, 2, 16, QLatin1Char('0'))
                           .arg(b, 2, 16, QLatin1Char('0'));
  w->setStyleSheet(QStringLiteral("background-color: %1; color: black;").arg(name));
}

int clCMeloFormatCheck::ColourOf(const QWidget* w) {
  return w ? w->property("BackColor").toInt() : -1;
}

void clCMeloFormatCheck::InitFormatCheck(QComboBox* choice, QFrame* shape, QLabel* high,
                                         QLabel* low, QLabel* longer, QLabel* shorter,
                                         QLabel* remaining, QFrame* tempoShape,
                                         QGridLayout* layout) {
  rows_.clear();
  layout_ = layout;
  Row r;
  r.choice = choice;
  r.shape = shape;
  r.counters[0] = high;
  r.counters[1] = low;
  r.counters[2] = longer;
  r.counters[3] = shorter;
  r.remaining = remaining;
  r.tempo = tempoShape;
  rows_.append(r);
  bind(0);
}

void clCMeloFormatCheck::bind(int row) {
  Row& r = rows_[row];
  for (QObject* o : {static_cast<QObject*>(r.choice), static_cast<QObject*>(r.shape),
                     static_cast<QObject*>(r.counters[0]), static_cast<QObject*>(r.counters[1]),
                     static_cast<QObject*>(r.counters[2]), static_cast<QObject*>(r.counters[3]),
                     static_cast<QObject*>(r.remaining), static_cast<QObject*>(r.tempo)})
    if (o) o->setProperty("Index", row);
  FillFormatList(row);
  if (r.choice)
    connect(r.choice, &QComboBox::activated, this, [this, row](int) { emit formatChosen(row); });
  if (r.tempo && !r.tempo->findChild<QLabel*>()) {
    // The tempo verdict as a sign too, not by colour alone.
    auto* mark = new QLabel(r.tempo);
    mark->setObjectName(QStringLiteral("lbMvFBPMMark"));
    mark->setAlignment(Qt::AlignCenter);
    auto* box = new QHBoxLayout(r.tempo);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(mark);
  }
  Set2GreyRange12(row, row);
}

void clCMeloFormatCheck::describe(int row) {
  if (!valid(row)) return;
  Row& r = rows_[row];
  const auto said = [](int heading, const QString& value) {
    return GetResString(heading) + QStringLiteral(": ") +
           (value.isEmpty() ? GetResString(2408) : value);
  };
  QStringList parts;
  static constexpr int kHeadings[4] = {1079, 1080, 1081, 1082};
  for (int i = 0; i < 4; ++i) {
    QLabel* l = r.counters[i];
    if (!l) continue;
    parts << said(kHeadings[i], l->text());
    l->setAccessibleName(parts.back());
    l->setToolTip(parts.back());
  }
  if (r.remaining) {
    parts << said(1083, r.remaining->text());
    r.remaining->setAccessibleName(parts.back());
    r.remaining->setToolTip(parts.back());
  }
  if (r.tempo) {
    QString verdict, sign;
    switch (ColourOf(r.tempo)) {
      case kGreen:
        verdict = GetResString(2404);
        sign = QString(QChar(0x2713));
        break;
      case kYellow:
        verdict = GetResString(2405);
        sign = QStringLiteral("!");
        break;
      case kRed:
        verdict = GetResString(2406);
        sign = QString(QChar(0x2717));
        break;
      default:
        break;
    }
    parts << said(1084, verdict);
    r.tempo->setAccessibleName(parts.back());
    r.tempo->setToolTip(parts.back());
    if (auto* mark = r.tempo->findChild<QLabel*>()) mark->setText(sign);
  }
  // The choice is what the keyboard reaches: it carries the whole row's result.
  if (r.choice) {
    r.choice->setAccessibleName(GetResString(2407).arg(row + 1));
    r.choice->setAccessibleDescription(parts.join(QStringLiteral(", ")));
  }
}

QString clCMeloFormatCheck::RowText(int row) const {
  return valid(row) && rows_[row].choice ? rows_[row].choice->accessibleDescription() : QString();
}

void clCMeloFormatCheck::AddControl() {
  if (rows_.isEmpty()) return;
  const Row& first = rows_.front();
  QWidget* parent = first.choice ? first.choice->parentWidget() : nullptr;
  const int row = size();
  Row r;
  r.choice = new QComboBox(parent);
  r.choice->setObjectName(first.choice->objectName());
  r.choice->setProperty("ToolTipText", first.choice->property("ToolTipText"));
  r.choice->setToolTip(first.choice->toolTip());
  r.shape = new QFrame(parent);
  r.shape->setObjectName(first.shape ? first.shape->objectName() : QString());
  for (int i = 0; i < 4; ++i) {
    r.counters[i] = new QLabel(parent);
    if (first.counters[i]) {
      r.counters[i]->setObjectName(first.counters[i]->objectName());
      r.counters[i]->setAlignment(first.counters[i]->alignment());
      r.counters[i]->setMinimumSize(first.counters[i]->minimumSize());
    }
  }
  r.remaining = new QLabel(parent);
  r.remaining->setObjectName(first.remaining->objectName());
  r.remaining->setAlignment(first.remaining->alignment());
  r.remaining->setMinimumSize(first.remaining->minimumSize());
  r.tempo = new QFrame(parent);
  r.tempo->setObjectName(first.tempo->objectName());
  r.tempo->setFrameShape(first.tempo->frameShape());
  r.tempo->setMinimumSize(first.tempo->minimumSize());
  r.tempo->setMaximumSize(first.tempo->maximumSize());
  if (layout_) {
    const int g = row + 1;
    layout_->addWidget(r.shape, g, 0, 1, layout_->columnCount());
    layout_->addWidget(r.choice, g, 0);
    for (int i = 0; i < 4; ++i) layout_->addWidget(r.counters[i], g, 1 + i);
    layout_->addWidget(r.remaining, g, 5);
    layout_->addWidget(r.tempo, g, 6, Qt::AlignCenter);
    r.shape->lower();
  }
  rows_.append(r);
  bind(row);
  if (r.choice) r.choice->setCurrentIndex(DefaultChoiceForRow(row));
}

int clCMeloFormatCheck::List2FormatId(int row) const {
  if (!valid(row) || !rows_[row].choice) return -1;
  return ChoiceToFormatId(rows_[row].choice->currentIndex());
}

void clCMeloFormatCheck::FillFormatList(int row) {
  if (!valid(row) || !rows_[row].choice) return;
  QComboBox* c = rows_[row].choice;
  c->clear();
  c->addItems(FormatChoiceNames());
  c->setCurrentIndex(DefaultChoiceForRow(row));
}

void clCMeloFormatCheck::SetRange1(int row, int a, int b, int c, int d) {
  if (!valid(row)) return;
  const int v[4] = {a, b, c, d};
  for (int i = 0; i < 4; ++i)
    if (rows_[row].counters[i]) rows_[row].counters[i]->setText(QString::number(v[i]));
  describe(row);
}

void clCMeloFormatCheck::SetRange2(int row, int n, bool empty) {
  if (!valid(row) || !rows_[row].remaining) return;
  rows_[row].remaining->setText(empty ? QString() : QString::number(n));
  describe(row);
}

void clCMeloFormatCheck::SetRange1Color(int row, int high, int low, int longer, int shorter) {
  if (!valid(row)) return;
  const int colours[4] = {high, low, longer, shorter};
  for (int i = 0; i < 4; ++i) {
    QLabel* l = rows_[row].counters[i];
    if (!l) continue;
    paint(l, colours[i] >= 0 ? colours[i] : AutoLabelColour(l->text(), false));
  }
}

void clCMeloFormatCheck::SetRange2Color(int row, int remaining, int tempo) {
  if (!valid(row)) return;
  QLabel* l = rows_[row].remaining;
  if (l) paint(l, remaining >= 0 ? remaining : AutoLabelColour(l->text(), true));
  paint(rows_[row].tempo, tempo >= 0 ? tempo : kSilver);
  describe(row);
}

void clCMeloFormatCheck::Set2GreyRange12(int first, int last) {
  if (last < 0 || last >= size()) last = size() - 1;
  for (int row = std::max(first, 0); row <= last; ++row) {
    Row& r = rows_[row];
    for (QLabel* l : r.counters) {
      if (!l) continue;
      l->clear();
      paint(l, kNeutral);
    }
    if (r.remaining) {
      r.remaining->clear();
      paint(r.remaining, kNeutral);
    }
    paint(r.tempo, kNeutral);
    paint(r.shape, kNeutral);
    describe(row);
  }
}

bool clCMeloFormatCheck::Check(const clMeloFormatProps& formats, const pxvbMelody& melody,
                               const QString& eventCountText, const QString& tempoText) {
  QList<int> ids;
  for (int row = 0; row < size(); ++row) ids.append(List2FormatId(row));
  const auto result = Run(formats, melody, eventCountText, tempoText, ids);
  if (!result) return false;
  for (int row = 0; row < size() && row < result->size(); ++row) {
    const RowResult& r = result->at(row);
    if (r.countsValid) {
      SetRange1(row, r.tooHigh, r.tooLow, r.tooLong, r.tooShort);
      SetRange1Color(row, -1, -1, -1, -1);
    }
    if (r.limitsValid) {
      SetRange2(row, r.remaining, r.remainingText.isEmpty());
      SetRange2Color(row, -1, r.colourTempo);
    }
  }
  return true;
}

QComboBox* clCMeloFormatCheck::choice(int row) const {
  return valid(row) ? rows_[row].choice : nullptr;
}
QLabel* clCMeloFormatCheck::counter(int row, int which) const {
  return valid(row) && which >= 0 && which < 4 ? rows_[row].counters[which] : nullptr;
}
QLabel* clCMeloFormatCheck::remaining(int row) const {
  return valid(row) ? rows_[row].remaining : nullptr;
}
QFrame* clCMeloFormatCheck::tempoShape(int row) const {
  return valid(row) ? rows_[row].tempo : nullptr;
}
QFrame* clCMeloFormatCheck::rowShape(int row) const {
  return valid(row) ? rows_[row].shape : nullptr;
}
