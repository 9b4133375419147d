// Where the windows go on the screens: a tool window opens centred on the main window the
// first time and where it was left afterwards, but always on a screen that is there now;
// the main window's default size fits a small or strongly scaled screen. Geometry is kept
// in the settings store as "x,y,width,height".
#pragma once

#include <QList>
#include <QRect>
#include <QString>

#include <optional>

namespace pxsettings {
class SettingsStore;
}

namespace windowplacement {

// The rect moved (and shrunk when it is larger) into the available area of the screen it
// overlaps most, or of the first screen when it overlaps none. No screens: unchanged.
QRect KeepOnScreen(const QRect& frame, const QList<QRect>& screens);

// The top-left corner that centres a window of size on owner.
QPoint CentredOn(const QSize& size, const QRect& owner);

// wanted, limited to 90% of the screen's available area (which Qt gives in scaled pixels,
// so a 1366x768 screen at 1.5 leaves 910x512).
QSize FitScreen(const QSize& wanted, const QRect& screen);

// Where a tool window of size goes: stored (its last place) when there is one, else
// centred on owner; either way kept on a screen.
QRect ToolWindowRect(const std::optional<QPoint>& stored, const QSize& size, const QRect& owner,
                     const QList<QRect>& screens);

// "x,y,width,height" and back; nullopt for anything else or an empty size.
QString GeometryText(const QRect& r);
std::optional<QRect> ParseGeometry(const QString& text);

// A window's stored geometry, section "Windows", key = the window's name.
std::optional<QRect> StoredGeometry(const pxsettings::SettingsStore& store, const QString& name);
void StoreGeometry(pxsettings::SettingsStore& store, const QString& name, const QRect& r);

}  // namespace windowplacement
