// The options window: a tab strip over the import, export, play, style, data-cable and
// SMS preferences. It edits the program-wide values it is given; OK and Apply copy the
// controls back (the serial and SMS objects also save themselves), Cancel drops them.
#pragma once

#include <QDialog>

#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QTabWidget;
class RecentFiles;
class SynthOptionsBox;
class clCommProps;
class clSMSProps;
struct MainSettings;

namespace pxsettings {
class SettingsStore;
}

class frmOptions : public QDialog {
  Q_OBJECT
 public:
  // recentCleared runs after the recent-files list was deleted (the menu is rebuilt).
  frmOptions(MainSettings& options, clCommProps& comm, clSMSProps& sms, RecentFiles& recent,
             pxsettings::SettingsStore& store, std::function<void()> recentCleared,
             QWidget* parent = nullptr);
  ~frmOptions() override;

  // The controls back into the program-wide values (OK and Apply).
  void SaveProps();
  // The standard values into the import, export, play and style controls.
  void SetProDefaults();
  // The data-cable standard values into the serial controls.
  void SetDataDefaults();
  // The SMS standard values into the SMS controls.
  void SetSMSDefaults();
  // The code page a code-page combo box stands for.
  static int GetListCodepage(const QComboBox* combo);

  // Shows a message (the font and code-page checks); a test may replace it.
  std::function<void(const QString& text)> showMessage;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* buildImportTab();
  QWidget* buildExportTab();
  QWidget* buildPlayTab();
  QWidget* buildStyleTab();
  QWidget* buildDataTab();
  QWidget* buildSmsTab();
  void loadValues();
  void fillSerial(const clCommProps& comm);
  void fillSms(const clSMSProps& sms);
  void fillProgram(const MainSettings& o);
  void checkCodepage(const QComboBox* combo);
  void deleteRecentFiles();
  void installFont();
  void stepTab(int delta);
  static void setCodepage(QComboBox* combo, int codePage);

  MainSettings& options_;
  clCommProps& comm_;
  clSMSProps& sms_;
  RecentFiles& recent_;
  pxsettings::SettingsStore& store_;
  std::function<void()> recentCleared_;

  QTabWidget* tbsOptions_;
  // Import
  QCheckBox* cbNewLine_;
  QCheckBox* cbSpace_;
  QCheckBox* cbStopat_;
  QLineEdit* tfDelimiter_;
  // Export
  QLineEdit* tfNokCExpDelimiter_;
  QLineEdit* tffrExpSagemOptiChars_;
  QButtonGroup* optfrExpSagemOptiLF_;
  QCheckBox* chkExpNokiaringUDH_;
  QButtonGroup* optExpNokiaringBinHex_;
  QLineEdit* tffrExpNokiaOptiBytes_;
  QCheckBox* chkExpMotoSpace_;
  QCheckBox* chkExpMotoSMS_;
  QListWidget* liInstrument_;
  // Play and style
  QButtonGroup* optPlayAction_;  // 0 optOpen, 1 optPlay
  QCheckBox* chbStyleMainGridLines_;
  QCheckBox* chbStyleMainFullSelect_;
  QCheckBox* chbStyleNViewFlatBar_;
  SynthOptionsBox* synthOptions_;  // on the play tab; saved straight into the store
  // Data cable
  QComboBox* cboPort_;
  QComboBox* cboBaud_;
  QComboBox* cboDataBits_;
  QComboBox* cboParity_;
  QComboBox* cboStopBits_;
  QComboBox* cboSMSATLineSize_;
  QButtonGroup* optEcho_;
  QButtonGroup* optFlow_;
  // SMS
  QComboBox* cboSMSCAdrDef_;
  QCheckBox* chkSMSCNoType_;
  QComboBox* cboSMSInCodepage_;
  QComboBox* cboSMSOutCodepage_;
  QButtonGroup* optSMSOutTextType_;
  int smscType_ = 0;
  int maxLine_ = 0;
};
