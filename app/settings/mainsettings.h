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

  // Reads every value through the store's checks; newLang falls back to the default when
  // it is not below languageCount.
  void load(const pxsettings::SettingsStore& store, int languageCount);
  void save(pxsettings::SettingsStore& store) const;
};
