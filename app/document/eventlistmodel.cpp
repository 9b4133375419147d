#include "document/eventlistmodel.h"

#include <QStringList>

#include "languages/reslang.h"

namespace eventrows {

namespace {

constexpr int kResPause = 14;
constexpr int kResTooHigh = 800;
constexpr int kResTooLow = 801;
constexpr int kResNokia = 993;
constexpr int kResSagem = 994;
constexpr int kResIMelody = 996;
constexpr int kResAlcatelRange = 864;
constexpr int kResComposerRange = 866;

QString number(int v) {
  return v >= 0 ? QLatin1Char(' ') + QString::number(v) : QString::number(v);
}

}  // namespace

QString NumberText(int row) {
  return QStringLiteral("  ") + QString::number(row + 1) + QStringLiteral("  ");
}

QString LengthText(int simpleLen, int dotLen) {
  static const char* const kDots[] = {"", " .", " ..", " .:"};
  QString t = number(simpleLen);
  if (dotLen >= 1 && dotLen <= 3) t += QLatin1String(kDots[dotLen]);
  return t;
}

QString NoteName(int key) {
  static const char* const kNames[] = {"C",  "C#", "D",  "D#", "E",  "F",
                                       "F#", "G",  "G#", "A",  "A#", "B"};
  // Floor division keeps a stray negative key readable.
  const int octave = key >= 0 ? key / 12 : -((11 - key) / 12);
  return QLatin1String(kNames[key - octave * 12]) + QString::number(octave);
}

QString EventText(const pxvbMelody& m, int pos, const ResFn& res) {
  const int v1 = m.getEventVal1(pos);
  const int v2 = m.getEventVal2(pos);
  switch (m.getEvent(pos)) {
    case RV_EVENT_NOTE:
      return NoteName(v1);
    case RV_EVENT_PAUSE:
      return res(kResPause);
    case RV_EVENT_STYLE:
      return QStringLiteral("Style:") + (v1 == 0   ? QStringLiteral("N")
                                         : v1 == 1 ? QStringLiteral("C")
                                         : v1 == 2 ? QStringLiteral("S")
                                                   : QString::number(v1));
    case RV_EVENT_TEMPO:
      return QStringLiteral("Tempo:") + QString::number(v1);
    case RV_EVENT_VOLUME:
      if (v1 == 1)
        return QStringLiteral("Vol:") + (v2 == 1 ? QStringLiteral("+") : QStringLiteral("-"));
      return QStringLiteral("Vol:") + QString::number(v2);
    case RV_EVENT_LOOP:
      return QStringLiteral("Loop:") + QString::number(v1) + QStringLiteral(" repeat:") +
             QString::number(v2);
    default:
      return QStringLiteral("n/a");
  }
}

QString WarningText(int key, const ResFn& res) {
  QStringList high, low;
  if (key > 107) high << res(kResIMelody) << res(kResNokia);
  if (key > 85) high << res(kResSagem);
  if (key > 83) high << res(kResAlcatelRange);
  if (key < 57) low << res(kResSagem);
  if (key < 60) low << res(kResAlcatelRange) << res(kResNokia) << res(kResIMelody);
  if (key >= 60 && key <= 68) low << res(kResNokia) + QStringLiteral(" 61xx");
  if (key >= 60 && key <= 71) low << res(kResComposerRange);
  QString t;
  if (!high.isEmpty()) t += res(kResTooHigh) + high.join(QStringLiteral(", "));
  if (!low.isEmpty()) t += res(kResTooLow) + low.join(QStringLiteral(", "));
  return t;
}

}  // namespace eventrows

EventListModel::EventListModel(const pxvbMelody* melody, QObject* parent, eventrows::ResFn res)
    : QAbstractTableModel(parent), melody_(melody), res_(std::move(res)) {
  if (!res_) res_ = [](int id) { return GetResString(id); };
  rows_ = melody_ ? melody_->size() : 0;
}

int EventListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int EventListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant EventListModel::data(const QModelIndex& index, int role) const {
  if (!melody_ || !index.isValid() || index.row() >= rows_ || index.row() >= melody_->size())
    return {};
  const int pos = index.row();
  const bool note = melody_->getEvent(pos) == RV_EVENT_NOTE;
  if (role == Qt::DisplayRole || (role == Qt::ToolTipRole && index.column() == kWarning)) {
    switch (index.column()) {
      case kNumber:
        return eventrows::NumberText(pos);
      case kLength:
        return eventrows::LengthText(melody_->getSimpleLen(pos), melody_->getDotLen(pos));
      case kEvent:
        return eventrows::EventText(*melody_, pos, res_);
      case kWarning:
        return note ? eventrows::WarningText(melody_->getEventVal1(pos), res_) : QString();
      default:
        return {};
    }
  }
  if (role == Qt::TextAlignmentRole && index.column() == kNumber)
    return int(Qt::AlignRight | Qt::AlignVCenter);
  // A screen reader hears an empty cell (a note without warnings) as "none", not silence.
  if (role == Qt::AccessibleTextRole) {
    const QString shown = data(index, Qt::DisplayRole).toString().trimmed();
    return shown.isEmpty() ? res_(2411) : shown;
  }
  return {};
}

QVariant EventListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section < 0 || section >= kColumnCount) return {};
  return res_(1041 + section);
}

void EventListModel::refill() {
  beginResetModel();
  rows_ = melody_ ? melody_->size() : 0;
  endResetModel();
}

void EventListModel::retranslate() {
  emit headerDataChanged(Qt::Horizontal, 0, kColumnCount - 1);
}
