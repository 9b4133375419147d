// The per-user folder for the program's temporary files ("play.mid", "input.mid",
// "temp.pxm"). The application directory may be read-only once installed, and two users
// on one machine must not share or overwrite each other's files.
#pragma once

#include <QString>
#include <QStringList>

// The folder, created on first use with access for the user only:
// $XDG_RUNTIME_DIR/pealix when that is usable, else <system temp>/pealix-<uid>. A folder of
// that name owned by someone else is never used; a private folder of another name is
// created instead. Empty when no folder could be created.
QString pxTempDir();

// Full path of one temporary file in that folder (empty when there is no folder).
QString pxTempFile(const QString& name);

// The names of the program's temporary files.
QStringList pxTempFileNames();

// Removes the program's temporary files; true when none of them is left.
bool pxRemoveTempFiles();

// Tests point the folder elsewhere; an empty path returns to the per-user default.
void pxSetTempDir(const QString& dir);
