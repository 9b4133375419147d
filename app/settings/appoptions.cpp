#include "settings/appoptions.h"

#include "settings/settingsstore.h"

using pxsettings::Key;

void AppOptions::setStandard() {
  const QString keepDir = lastDir;
  const int keepInstrument = midExInstr;
  *this = AppOptions();
  lastDir = keepDir;
  midExInstr = keepInstrument;
}

int AppOptions::exportOption(const QString& key) const {
  if (key == QLatin1String("SOpti")) return sOpti;
  if (key == QLatin1String("SOptiLF")) return sOptiLF;
  if (key == QLatin1String("NokiaExport")) return nokiaExport;
  if (key == QLatin1String("NokiaUDH")) return nokiaUDH;
  if (key == QLatin1String("NokiaOpti")) return nokiaOpti;
  return 0;
}

void AppOptions::load(const pxsettings::SettingsStore& store) {
  midiplay = store.midiplay();
  lastDir = store.lastDir();
  sOpti = store.sagemOpti();
  sOptiLF = store.sagemOptiLF();
  nokiaExport = store.nokiaExport();
  nokiaUDH = store.nokiaUDH();
  nokiaOpti = store.nokiaOpti();
  midExInstr = store.midExInstr();
  mainGridLines = store.mainGridLines();
  mainFullSelect = store.mainFullSelect();
  nvFlatbar = store.nvFlatbar();
  stopAt = store.stopAtSb();
  moreLines = store.moreLines();
  nokCImp = store.nokiaComposerImportDelimiter();
  nokCExp = store.nokiaComposerExportDelimiter();
  space = 1;
  motoSpace = 0;
  motoSMS = 0;
}

void AppOptions::save(pxsettings::SettingsStore& store) const {
  store.setText(Key::Midiplay, midiplay);
  store.setText(Key::LDir, lastDir);
  store.setInteger(Key::SOpti, sOpti);
  store.setInteger(Key::SOptiLF, sOptiLF);
  store.setInteger(Key::NokiaExport, nokiaExport);
  store.setInteger(Key::NokiaUDH, nokiaUDH);
  store.setInteger(Key::NokiaOpti, nokiaOpti);
  store.setInteger(Key::MidExInstr, midExInstr);
  store.setInteger(Key::MainGirdLines, mainGridLines);
  store.setInteger(Key::MainFullSelect, mainFullSelect);
  store.setInteger(Key::NVFlatbar, nvFlatbar);
  store.setInteger(Key::Stopatsb, stopAt);
  store.setInteger(Key::MoreLines, moreLines);
  store.setText(Key::NokCImp, nokCImp);
  store.setText(Key::NokCExp, nokCExp);
}
