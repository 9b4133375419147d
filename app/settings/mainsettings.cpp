#include "settings/mainsettings.h"

#include "settings/settingsstore.h"

using pxsettings::Key;

void MainSettings::load(const pxsettings::SettingsStore& store, int languageCount) {
  playAction = store.midiplay().trimmed().toLower() == QLatin1String("play")
                   ? QStringLiteral("play")
                   : QStringLiteral("open");
  newLang = store.newLang(languageCount);
  lastDir = store.lastDir();
  sagemOpti = store.sagemOpti();
  sagemOptiLF = store.sagemOptiLF();
  nokiaExport = store.nokiaExport();
  nokiaUDH = store.nokiaUDH();
  nokiaOpti = store.nokiaOpti();
  midExInstr = store.midExInstr();
  gridLines = store.mainGridLines() == 1;
  fullSelect = store.mainFullSelect() == 1;
  noteViewFlatBar = store.nvFlatbar() == 1;
  stopAtSb = store.stopAtSb();
  moreLines = store.moreLines();
  nokCImp = store.nokiaComposerImportDelimiter();
  nokCExp = store.nokiaComposerExportDelimiter();
}

void MainSettings::save(pxsettings::SettingsStore& store) const {
  store.setText(Key::Midiplay, playAction);
  store.setInteger(Key::NewLang, newLang);
  store.setText(Key::LDir, lastDir);
  store.setInteger(Key::SOpti, sagemOpti);
  store.setInteger(Key::SOptiLF, sagemOptiLF);
  store.setInteger(Key::NokiaExport, nokiaExport);
  store.setInteger(Key::NokiaUDH, nokiaUDH);
  store.setInteger(Key::NokiaOpti, nokiaOpti);
  store.setInteger(Key::MidExInstr, midExInstr);
  store.setInteger(Key::MainGirdLines, gridLines ? 1 : 0);
  store.setInteger(Key::MainFullSelect, fullSelect ? 1 : 0);
  store.setInteger(Key::NVFlatbar, noteViewFlatBar ? 1 : 0);
  store.setInteger(Key::Stopatsb, stopAtSb);
  store.setInteger(Key::MoreLines, moreLines);
  store.setText(Key::NokCImp, nokCImp);
  store.setText(Key::NokCExp, nokCExp);
}

void MainSettings::setStandard() {
  MainSettings standard;
  standard.newLang = newLang;
  standard.lastDir = lastDir;
  standard.midExInstr = midExInstr;
  *this = standard;
}

int MainSettings::exportOption(const QString& key) const {
  if (key == QLatin1String("SOpti")) return sagemOpti;
  if (key == QLatin1String("SOptiLF")) return sagemOptiLF;
  if (key == QLatin1String("NokiaExport")) return nokiaExport;
  if (key == QLatin1String("NokiaUDH")) return nokiaUDH;
  if (key == QLatin1String("NokiaOpti")) return nokiaOpti;
  if (key == QLatin1String("MotoSMS")) return motoSMS ? 1 : 0;
  if (key == QLatin1String("MotoSpace")) return motoSpace ? 1 : 0;
  return 0;
}
