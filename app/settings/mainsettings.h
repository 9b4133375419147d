// The program-wide values the main window reads from the settings store while it loads
// and writes back, all of them, when it closes: the "Properties", "Style" and
// "RTTLImport" sections. The options window edits these values.
#pragma once

#include <QString>

namespace pxsettings {
class SettingsStore;
}

struct MainSettings {
  // "Properties"
  QString playAction = QStringLiteral("open");  // "open" or "play"
  int newLang = 1;                              // language index for the next start
  QString lastDir;
  int sagemOpti = 160;
  int sagemOptiLF = 1;
  int nokiaExport = 1;
  int nokiaUDH = 1;
  int nokiaOpti = 140;
  int midExInstr = 0;
  // "Style"
  bool gridLines = false;
  bool fullSelect = false;
  bool noteViewFlatBar = false;
  // "RTTLImport"
  int stopAtSb = 1;
  int moreLines = 0;
  QString nokCImp = QStringLiteral(" ");
  QString nokCExp = QStringLiteral(" ");
  // Not stored: the RTTTL blank option is on at every start, the two Motorola clipboard
  // options off.
  int space = 1;
  int motoSpace = 0;
  int motoSMS = 0;

  // The standard values of the import, export, play and style options (the options
  // window's Standard button); the language, the last folder and the instrument stay.
  void setStandard();
  // An export option by its settings key ("SOpti", "SOptiLF", "NokiaExport", "NokiaUDH",
  // "NokiaOpti"; "MotoSMS" and "MotoSpace", which are not stored, as 0 or 1); 0 for any
  // other key.
  int exportOption(const QString& key) const;

  // Reads every value through the store's checks; newLang falls back to the default when
  // it is not below languageCount.
  void load(const pxsettings::SettingsStore& store, int languageCount);
  void save(pxsettings::SettingsStore& store) const;
};
