// frmDataCable: the data-cable window. It sends or stores a text or ringtone SMS, types
// the melody into the phone's composer, transfers it to a Siemens phone as a MIDI file and
// sets the phone's clock, all through DataCableSession over its own serial port. The
// window only gathers the user's choices into the serial and SMS properties and shows the
// session's status text.
#pragma once

#include <QDialog>
#include <QMessageBox>

#include <functional>

#include "phonelink/commport.h"
#include "phonelink/datacablesession.h"
#include "phonelink/modpdu.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTabWidget;
class clCommProps;
class clSMSProps;
class pxvbMelody;
namespace pxsettings {
class SettingsStore;
}

class frmDataCable : public QDialog {
  Q_OBJECT

 public:
  frmDataCable(const pxvbMelody& melody, clCommProps& comm, clSMSProps& sms,
               pxsettings::SettingsStore& store, QWidget* parent = nullptr);
  ~frmDataCable() override;

  // Message boxes go through this (tests answer them): icon, text, buttons → the button.
  using MessageFn = std::function<QMessageBox::StandardButton(QMessageBox::Icon, const QString&,
                                                              QMessageBox::StandardButtons)>;
  void setMessageBox(MessageFn fn) { message_ = std::move(fn); }

  DataCableSession& session() { return session_; }
  int SendMode() const { return sendMode_; }
  bool PasteFlag() const { return pasteFlag_; }

 public slots:
  void cbSend_Click();
  void cbStop_Click();
  void cbHex_Click();
  void cbSyncTime_Click();
  void cbtoMain_Click();
  void optSend_Click(int index);
  void optRingTypes_Click(int index);
  // Escape: as closing the window.
  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildWindow();
  void fillLists();
  void loadState();
  void saveState();
  // The controls into the serial and message properties (before every session).
  void takeControls();
  void updateEnabled();
  void refreshStatus();
  void tfTelNumber_Change();
  void tfSMSText_Change();
  bool tfTelNumber_KeyPress(int key, Qt::KeyboardModifiers modifiers, const QString& text);
  QByteArray melodyFor(int mode, bool* ok);
  void showStatusBar(const QString& text);
  QMessageBox::StandardButton ask(QMessageBox::Icon icon, const QString& text,
                                  QMessageBox::StandardButtons buttons);

  const pxvbMelody& melody_;
  clCommProps& comm_;
  clSMSProps& sms_;
  pxsettings::SettingsStore& store_;
  CommPort port_;
  DataCableSession session_;
  modPDU::ErrorScope pduErrors_;
  MessageFn message_;
  int sendMode_ = 1;
  bool pasteFlag_ = false;
  bool busy_ = false;
  bool closePending_ = false;
  bool statusQueued_ = false;
  bool ucs2Shown_ = false;

  QRadioButton* optSend_[3] = {};
  QRadioButton* optRingTypes_[4] = {};
  QRadioButton* optSendSave_[2] = {};
  QGroupBox* fraRingTypes_ = nullptr;
  QLineEdit* tfTelNumber_ = nullptr;
  QCheckBox* chbNoType_ = nullptr;
  QPlainTextEdit* tfSMSText_ = nullptr;
  QLineEdit* tfCharsLeft_ = nullptr;
  QCheckBox* chbFlashSMS_ = nullptr;
  QCheckBox* chbStatusSMS_ = nullptr;
  QComboBox* cboPort_ = nullptr;
  QComboBox* cboBaud_ = nullptr;
  QCheckBox* chkEcho_ = nullptr;
  QComboBox* cboMemRead_ = nullptr;
  QComboBox* cboMemOut_ = nullptr;
  QComboBox* cboMemIn_ = nullptr;
  QPlainTextEdit* tfStatus_ = nullptr;
  QTabWidget* tbsWindow_ = nullptr;
  QPushButton* cbSend_ = nullptr;
  QPushButton* cbStop_ = nullptr;
  QPushButton* cbHex_ = nullptr;
  QPushButton* cbSyncTime_ = nullptr;
  QPushButton* cbtoMain_ = nullptr;
  QStatusBar* statusBar_ = nullptr;
};
