// The window side of windowplacement: the screens there are now, and placing a tool window
// before it shows.
#pragma once

#include <QList>
#include <QRect>

#include <optional>

class QWidget;

// The available areas of the screens (scaled pixels).
QList<QRect> AvailableScreens();

// Moves window to its stored place, or centres it on owner's frame when there is none,
// keeping it on a screen. A window without an owner is centred on the primary screen.
void PlaceToolWindow(QWidget* window, const QWidget* owner, const std::optional<QPoint>& stored);

namespace pxsettings {
class SettingsStore;
}

// Places window by its stored geometry (section "Windows", its object name) or centred on
// owner the first time, and stores its geometry whenever it is hidden or closed.
void PlaceAndRemember(QWidget* window, const QWidget* owner, pxsettings::SettingsStore* store);
