// The pictures of the main window's commands: the desktop's icon theme first, else the
// program's own drawings (resources :/icons/png/SIZE/NAME.png), so that a bare desktop
// without an icon theme still shows them.
#pragma once

#include <QIcon>
#include <QString>

// The freedesktop icon name of a command ("mnuFileNew" -> "document-new"); empty for a
// command without a picture.
QString CommandIconName(const char* command);

// The program's own drawing of an icon name, at every size it is drawn in; a null icon for
// a name it has none of.
QIcon FallbackIcon(const QString& iconName);

// The theme's icon of the command, falling back to the program's drawing; a null icon for a
// command without a picture.
QIcon CommandIcon(const char* command);
