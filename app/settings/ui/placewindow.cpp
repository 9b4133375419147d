#include "settings/ui/placewindow.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "settings/windowplacement.h"

QList<QRect> AvailableScreens() {
  QList<QRect> areas;
  for (const QScreen* s : QGuiApplication::screens()) areas << s->availableGeometry();
  return areas;
}

void PlaceToolWindow(QWidget* window, const QWidget* owner, const std::optional<QPoint>& stored) {
  if (!window) return;
  QRect ownerFrame;
  if (owner && owner->isVisible())
    ownerFrame = owner->frameGeometry();
  else if (const QScreen* s = QGuiApplication::primaryScreen())
    ownerFrame = s->availableGeometry();
  // The size the first show would give, so that the centre is the window's.
  if (!window->isVisible() && !window->testAttribute(Qt::WA_Resized)) window->adjustSize();
  const QSize size = window->size();
  const QRect r = windowplacement::ToolWindowRect(stored, size, ownerFrame, AvailableScreens());
  window->move(r.topLeft());
  if (r.size() != size) window->resize(r.size());
}

namespace {

// Stores the window's geometry when it goes away.
class PlaceKeeper : public QObject {
 public:
  PlaceKeeper(QWidget* window, pxsettings::SettingsStore* store)
      : QObject(window), window_(window), store_(store) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == window_ && (event->type() == QEvent::Hide || event->type() == QEvent::Close))
      windowplacement::StoreGeometry(*store_, window_->objectName(),
                                     QRect(window_->pos(), window_->size()));
    return false;
  }

 private:
  QWidget* window_;
  pxsettings::SettingsStore* store_;
};

}  // namespace

void PlaceAndRemember(QWidget* window, const QWidget* owner, pxsettings::SettingsStore* store) {
  if (!window) return;
  std::optional<QPoint> at;
  if (store) {
    if (const auto r = windowplacement::StoredGeometry(*store, window->objectName())) {
      window->resize(r->size());
      at = r->topLeft();
    }
  }
  PlaceToolWindow(window, owner, at);
  if (store && !window->findChild<PlaceKeeper*>(QString(), Qt::FindDirectChildrenOnly))
    window->installEventFilter(new PlaceKeeper(window, store));
}
