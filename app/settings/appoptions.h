// The program-wide preferences that the options window edits and the file, clipboard and
// play commands read. They live in memory for the whole run; load() takes them from the
// settings store when the main window loads and save() writes them back when it unloads.
#pragma once

#include <QString>

namespace pxsettings {
class SettingsStore;
}

struct AppOptions {
  // RTTTL import (kept for the options window; the reader takes no options).
  int moreLines = 0;
  int space = 1;  // not stored: 1 at every start
  int stopAt = 1;
  // Nokia composer text delimiters (one character each).
  QString nokCImp = QStringLiteral(" ");
  QString nokCExp = QStringLiteral(" ");
  // System action for an exported MIDI file: "open" or "play".
  QString midiplay = QStringLiteral("open");
  // List styles.
  int mainGridLines = 0;
  int mainFullSelect = 0;
  int nvFlatbar = 0;
  // Export options.
  int sOpti = 160;
  int sOptiLF = 1;
  int nokiaUDH = 1;
  int nokiaExport = 1;
  int nokiaOpti = 140;
  int motoSpace = 0;  // not stored
  int motoSMS = 0;    // not stored
  int midExInstr = 0;
  // Last folder of the file dialogs.
  QString lastDir;

  // The standard values of the import, export, play and style options (the options
  // window's Standard button); the last folder and the instrument stay.
  void setStandard();

  // The value of a stored export option by its settings key ("SOpti", "SOptiLF",
  // "NokiaExport", "NokiaUDH", "NokiaOpti"); 0 for any other key.
  int exportOption(const QString& key) const;

  void load(const pxsettings::SettingsStore& store);
  void save(pxsettings::SettingsStore& store) const;
};
