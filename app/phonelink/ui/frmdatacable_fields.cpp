// The data-cable window's fields: the lists it offers, the state it keeps in the settings,
// the serial and SMS properties taken from its controls before every session, and the
// phone-number field, whose rules are in linkfields.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include "phonelink/clcommprops.h"
#include "phonelink/clsmsprops.h"
#include "phonelink/linkfields.h"
#include "phonelink/ui/frmdatacable.h"
#include "settings/settingsstore.h"

void frmDataCable::fillLists() {
  for (const CommPort::Device& d : CommPort::Devices()) {
    QString text = QStringLiteral("%1: %2").arg(d.number).arg(d.path);
    if (!d.description.isEmpty()) text += QStringLiteral(" (%1)").arg(d.description);
    cboPort_->addItem(text, d.path);
  }
  if (!comm_.PortPath().isEmpty())
    cboPort_->setEditText(comm_.PortPath());
  else if (comm_.Port() >= 1 && comm_.Port() <= cboPort_->count())
    cboPort_->setCurrentIndex(comm_.Port() - 1);

  auto fill = [](QComboBox* box, const QStringList& items, const QString& current) {
    box->addItems(items);
    if (!current.isEmpty() && box->findText(current) < 0) box->addItem(current);
    box->setCurrentIndex(current.isEmpty() ? -1 : box->findText(current));
  };
  fill(cboBaud_, clCommProps::BaudList(), comm_.Baud());
  fill(cboMemRead_, clCommProps::ReadMemList(), comm_.SMSMemRead());
  fill(cboMemOut_, clCommProps::SendMemList(), comm_.SMSMemOut());
  fill(cboMemIn_, clCommProps::ReceiveMemList(), comm_.SMSMemIn());
  chkEcho_->setChecked(comm_.LocalEcho());
}

void frmDataCable::loadState() {
  optSendSave_[store_.sendSMS() ? 1 : 0]->setChecked(true);
  chbNoType_->setChecked(store_.intNumbers());
  chbFlashSMS_->setChecked(sms_.FlashSMS() == 1);
  chbStatusSMS_->setChecked(sms_.StatusSMS() != 0);
  // Settings the serial port cannot take give way to the data-cable standard.
  if (!CommPort::AcceptsSettings(comm_.getmsoptions()))
    comm_.setmsoptions(clCommProps::FallbackSettings());
  session_.setLocalEcho(comm_.LocalEcho());
}

void frmDataCable::saveState() {
  store_.setFlag(pxsettings::Key::SendSMS, optSendSave_[1]->isChecked());
  store_.setFlag(pxsettings::Key::IntNumbers, chbNoType_->isChecked());
}

void frmDataCable::takeControls() {
  const QString portText = cboPort_->currentText().trimmed();
  const int index = cboPort_->findText(portText);
  if (index >= 0) {
    comm_.setPort(static_cast<int16_t>(index + 1));
    comm_.setPortPath(QString());
  } else if (!portText.isEmpty()) {
    comm_.setPortPath(portText);
  }
  if (!cboBaud_->currentText().isEmpty()) comm_.setBaud(cboBaud_->currentText());
  comm_.setSMSMemRead(cboMemRead_->currentText());
  comm_.setSMSMemOut(cboMemOut_->currentText());
  comm_.setLocalEcho(chkEcho_->isChecked());

  sms_.SetDestAdr(tfTelNumber_->text(), chbNoType_->isChecked() ? 1 : 0);
  sms_.setFlashSMS(chbFlashSMS_->isChecked() ? 1 : 0);
  sms_.setStatusSMS(chbStatusSMS_->isChecked() ? 1 : 0);
}

bool frmDataCable::tfTelNumber_KeyPress(int key, Qt::KeyboardModifiers modifiers,
                                        const QString& text) {
  const QString current = tfTelNumber_->text();
  const linkfields::NumberKeyVerdict v = linkfields::NumberKey(
      key, modifiers, text, current.isEmpty() || tfTelNumber_->selectedText() == current);
  if (v.pasting) pasteFlag_ = true;
  if (v.international) chbNoType_->setChecked(true);
  if (v.beep) QApplication::beep();
  return v.accept;
}

void frmDataCable::tfTelNumber_Change() {
  const QString text = tfTelNumber_->text();
  const QString kept = linkfields::CleanNumber(text);
  if (pasteFlag_) {
    if (linkfields::PastedInternational(kept)) chbNoType_->setChecked(true);
    pasteFlag_ = false;
  }
  // Text that came in some other way (a drop, the context menu) is cleaned as well.
  if (kept != text) tfTelNumber_->setText(kept);
}
