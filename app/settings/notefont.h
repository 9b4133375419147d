// The note font: the note view draws its symbols itself, so the font is a convenience for
// other programs. When the application directory ships it, installing copies it into the
// user's font folder; the window then registers it with the font database.
#pragma once

#include <QString>

namespace notefont {

enum class Status {
  Installed,         // copied into the font folder now
  AlreadyInstalled,  // the font folder already holds the same file
  NothingToInstall,  // no font file in the application directory or the font folder
  Failed,            // the font folder could not be created or written
};

struct Outcome {
  Status status = Status::NothingToInstall;
  QString fontPath;  // the installed file (also when it was there already)
};

// The file name of the note font.
QString FontFileName();
// The user's font folder: $XDG_DATA_HOME/fonts (~/.local/share/fonts).
QString UserFontsDirectory();

// True when the application directory holds the font file (an installation may ship
// without it).
bool Ships(const QString& appDir);

// Puts the application directory's font file into fontsDir. A font folder that already
// holds a file of that name with the same contents is left alone; a different one is
// replaced. When only the font folder has the file, it counts as installed.
Outcome Install(const QString& appDir, const QString& fontsDir);

// Resource strings of the outcome messages.
enum : int {
  kResInstalled = 1228,
  kResFailed = 1229,
  kResNothingToInstall = 1245,
  kResAlreadyInstalled = 1246,
};
int MessageRes(Status status);

}  // namespace notefont
