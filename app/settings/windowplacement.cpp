#include "settings/windowplacement.h"

#include <QStringList>

#include <algorithm>

#include "settings/settingsstore.h"

namespace windowplacement {

namespace {
const QString kSection = QStringLiteral("Windows");

long long overlap(const QRect& a, const QRect& b) {
  const QRect i = a.intersected(b);
  return i.isValid() ? static_cast<long long>(i.width()) * i.height() : 0;
}
}  // namespace

QRect KeepOnScreen(const QRect& frame, const QList<QRect>& screens) {
  if (screens.isEmpty()) return frame;
  QRect area = screens.first();
  long long best = -1;
  for (const QRect& s : screens) {
    const long long o = overlap(frame, s);
    if (o > best) {
      best = o;
      area = s;
    }
  }
  QRect r = frame;
  r.setWidth(std::min(r.width(), area.width()));
  r.setHeight(std::min(r.height(), area.height()));
  r.moveLeft(std::clamp(r.left(), area.left(), area.right() - r.width() + 1));
  r.moveTop(std::clamp(r.top(), area.top(), area.bottom() - r.height() + 1));
  return r;
}

QPoint CentredOn(const QSize& size, const QRect& owner) {
  return {owner.x() + (owner.width() - size.width()) / 2,
          owner.y() + (owner.height() - size.height()) / 2};
}

QSize FitScreen(const QSize& wanted, const QRect& screen) {
  if (screen.isEmpty()) return wanted;
  return {std::min(wanted.width(), screen.width() * 9 / 10),
          std::min(wanted.height(), screen.height() * 9 / 10)};
}

QRect ToolWindowRect(const std::optional<QPoint>& stored, const QSize& size, const QRect& owner,
                     const QList<QRect>& screens) {
  const QPoint at = stored ? *stored : CentredOn(size, owner);
  return KeepOnScreen(QRect(at, size), screens);
}

QString GeometryText(const QRect& r) {
  return QStringLiteral("%1,%2,%3,%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

std::optional<QRect> ParseGeometry(const QString& text) {
  const QStringList parts = text.split(QLatin1Char(','));
  if (parts.size() != 4) return std::nullopt;
  int v[4];
  for (int i = 0; i < 4; ++i) {
    bool ok = false;
    v[i] = parts[i].trimmed().toInt(&ok);
    if (!ok) return std::nullopt;
  }
  if (v[2] <= 0 || v[3] <= 0) return std::nullopt;
  return QRect(v[0], v[1], v[2], v[3]);
}

std::optional<QRect> StoredGeometry(const pxsettings::SettingsStore& store, const QString& name) {
  return ParseGeometry(store.read(kSection, name, QString()));
}

void StoreGeometry(pxsettings::SettingsStore& store, const QString& name, const QRect& r) {
  store.write(kSection, name, GeometryText(r));
}

}  // namespace windowplacement
