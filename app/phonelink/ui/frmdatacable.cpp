#include "frmdatacable.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "languages/reslang.h"
#include "languages/ui/formtexts.h"
#include "melody/pxvbmelody.h"
#include "phonelink/cablemessage.h"
#include "phonelink/clcommprops.h"
#include "phonelink/clsmsprops.h"
#include "phonelink/modpdu.h"
#include "settings/settingsstore.h"

namespace {

// Resource strings of the window's own texts.
enum : int {
  kResSendRingtone = 401,
  kResSendSms = 402,
  kResEmptyMelody = 461,
  kResNumberFirst = 2521,
  kResSendKeys = 462,
  kResRingAsSms = 859,
  kResRingKind = 860,
  kResKeysQuestion = 869,
  kResContinue = 870,
};

}  // namespace

frmDataCable::frmDataCable(const pxvbMelody& melody, clCommProps& comm, clSMSProps& sms,
                           pxsettings::SettingsStore& store, QWidget* parent)
    : QDialog(parent),
      melody_(melody),
      comm_(comm),
      sms_(sms),
      store_(store),
      session_(port_, comm_, sms_) {
  setObjectName(QStringLiteral("frmDataCable"));
  setProperty("Tag", 1100);
  setWindowTitle(QStringLiteral("Send by data cable"));
  buildWindow();
  fillLists();
  loadState();
  LoadFormTexts(this);

  session_.setTakeControls([this] { takeControls(); });
  session_.setPortErrorHandler(
      [this](const QString& text) { ask(QMessageBox::Warning, text, QMessageBox::Ok); });
  pduErrors_ = modPDU::ShowErrorsWith([this](const QString&, const QString& text) {
    ask(QMessageBox::Warning, text, QMessageBox::Ok);
  });
  connect(&session_.status(), &StatusText::appendedText, this, [this] { refreshStatus(); });
  connect(&session_.status(), &StatusText::cleared, this, [this] { refreshStatus(); });
  connect(&session_, &DataCableSession::runningChanged, this, [this](bool running) {
    updateEnabled();
    if (!running && closePending_) QTimer::singleShot(0, this, &QWidget::close);
  });
  // A port that could not be opened resets the serial properties; the field keeps what
  // the user typed, so that the next try (after plugging the cable in) uses it again.
  optSend_Click(0);
  tfSMSText_Change();
  updateEnabled();
}

// The PDU errors go back to whoever showed them before this window opened.
frmDataCable::~frmDataCable() = default;

void frmDataCable::updateEnabled() {
  const bool running = busy_ || session_.isRunning();
  for (QPushButton* b : {cbSend_, cbHex_, cbSyncTime_, cbtoMain_}) b->setEnabled(!running);
  cbStop_->setEnabled(running);
  for (QWidget* w : {static_cast<QWidget*>(cboPort_), static_cast<QWidget*>(cboBaud_),
                     static_cast<QWidget*>(chkEcho_)})
    w->setEnabled(!running);
  // The number, the SMS flags and stores only where an SMS is sent.
  const bool sms = cableMessage::UsesSmsFields(sendMode_);
  for (QWidget* w : std::initializer_list<QWidget*>{tfTelNumber_, chbNoType_, optSendSave_[0],
                                                    optSendSave_[1], chbFlashSMS_, chbStatusSMS_,
                                                    cboMemRead_, cboMemOut_, cboMemIn_})
    w->setEnabled(sms);
}

void frmDataCable::refreshStatus() {
  // Bursts of received data are shown once per turn of the event loop.
  if (statusQueued_) return;
  statusQueued_ = true;
  QTimer::singleShot(0, this, [this] {
    statusQueued_ = false;
    QString text = session_.status().text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    // The Ctrl-Z that ends a PDU has no glyph: show it by name.
    text.replace(QChar(0x1A), QStringLiteral("<Ctrl-Z>"));
    tfStatus_->setPlainText(text);
    tfStatus_->moveCursor(QTextCursor::End);
    tfStatus_->ensureCursorVisible();
  });
}

QMessageBox::StandardButton frmDataCable::ask(QMessageBox::Icon icon, const QString& text,
                                              QMessageBox::StandardButtons buttons) {
  if (message_) return message_(icon, text, buttons);
  QMessageBox box(icon, windowTitle(), text, buttons, this);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

void frmDataCable::showStatusBar(const QString& text) {
  statusBar_->showMessage(text);
}

QByteArray frmDataCable::melodyFor(int mode, bool* ok) {
  *ok = false;
  const cableMessage::Rendered r = cableMessage::Render(melody_, mode, store_.sagemOptiLF());
  if (r.result == 0) {
    ask(QMessageBox::Information, GetResString(kResEmptyMelody), QMessageBox::Ok);
    return {};
  }
  if (r.result != 1) {
    if (!r.error.isEmpty()) ask(QMessageBox::Warning, r.error, QMessageBox::Ok);
    return {};
  }
  *ok = true;
  return r.data;
}

void frmDataCable::cbSend_Click() {
  if (busy_ || session_.isRunning()) return;
  busy_ = true;
  updateEnabled();
  const auto done = qScopeGuard([this] {
    busy_ = false;
    updateEnabled();
    if (closePending_) QTimer::singleShot(0, this, &QWidget::close);
  });
  const int mode = sendMode_;
  if (cableMessage::SendsMelody(mode) && melody_.size() == 0) {
    ask(QMessageBox::Information, GetResString(kResEmptyMelody), QMessageBox::Ok);
    return;
  }
  if (mode == cableMessage::kModeTextSms && tfSMSText_->toPlainText().isEmpty()) return;
  // A message stored in the phone carries the number too: the PDU cannot be built without.
  if (cableMessage::NeedsPhoneNumber(mode, true) &&
      !cableMessage::HasPhoneNumber(tfTelNumber_->text())) {
    ask(QMessageBox::Warning, GetResString(kResNumberFirst), QMessageBox::Ok);
    tfTelNumber_->setFocus();
    return;
  }
  tbsWindow_->setCurrentIndex(0);
  session_.closePort();

  if (mode == cableMessage::kModeTextSms) {
    session_.SendSmsPdu(tfSMSText_->toPlainText().toUtf8(), modPDU::kTextSms,
                        optSendSave_[0]->isChecked());
    return;
  }
  if (mode == cableMessage::kModeKeys &&
      ask(QMessageBox::Question, GetResString(kResKeysQuestion) + '\n' + GetResString(kResContinue),
          QMessageBox::Ok | QMessageBox::Cancel) != QMessageBox::Ok)
    return;
  bool ok = false;
  const QByteArray data = melodyFor(mode, &ok);
  if (!ok) return;
  if (mode == cableMessage::kModeKeys)
    session_.SendKeypress(data);
  else if (mode == cableMessage::kModeSiemens)
    session_.SendSiemensDC(data);
  else
    session_.SendSmsPdu(data, cableMessage::RingTypeOf(mode), optSendSave_[0]->isChecked());
}

void frmDataCable::optSend_Click(int index) {
  optSend_[index]->setChecked(true);
  fraRingTypes_->setVisible(index == 0);
  int caption = kResSendRingtone;
  if (index == 0) {
    int kind = 0;
    for (int i = 0; i < 4; ++i)
      if (optRingTypes_[i]->isChecked()) kind = i;
    optRingTypes_Click(kind);
    tbsWindow_->setCurrentIndex(0);
  } else if (index == 1) {
    sendMode_ = cableMessage::kModeTextSms;
    caption = kResSendSms;
    statusBar_->clearMessage();
    tbsWindow_->setCurrentIndex(1);
  } else {
    sendMode_ = cableMessage::kModeKeys;
    caption = kResSendKeys;
    statusBar_->clearMessage();
    tbsWindow_->setCurrentIndex(0);
  }
  cbSend_->setProperty("Tag", caption);
  cbSend_->setText(GetResString(caption));
  updateEnabled();
}

void frmDataCable::optRingTypes_Click(int index) {
  optRingTypes_[index]->setChecked(true);
  static const int modes[] = {cableMessage::kModeSagem, cableMessage::kModeNokia,
                              cableMessage::kModeEmsIMelody, cableMessage::kModeSiemens};
  sendMode_ = modes[index];
  if (index == 2) {
    showStatusBar(QStringLiteral("EMS iMelody - all phones"));
  } else if (index == 3) {
    showStatusBar(QStringLiteral("Siemens - only direct via data cable"));
  } else {
    showStatusBar(GetResString(kResRingKind) + optRingTypes_[index]->text().remove('&') +
                  GetResString(kResRingAsSms));
  }
  updateEnabled();
}

void frmDataCable::tfSMSText_Change() {
  // The SMS properties count (with the PDU library's limits); the box only shows it.
  const clSMSProps::CharsLeftCount count = sms_.CharsLeft(tfSMSText_->toPlainText());
  tfCharsLeft_->setText(clSMSProps::CharsLeftText(count));
  const bool switched = count.ucs2 && sms_.TextOutType() == 0;
  if (switched && !ucs2Shown_)
    showStatusBar(GetResString(DataCableSession::kResSentAsUcs2));
  else if (!switched && ucs2Shown_)
    statusBar_->clearMessage();
  ucs2Shown_ = switched;
}

bool frmDataCable::eventFilter(QObject* watched, QEvent* event) {
  if (watched == tfTelNumber_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (!tfTelNumber_KeyPress(key->key(), key->modifiers(), key->text())) return true;
  }
  return QDialog::eventFilter(watched, event);
}

void frmDataCable::closeEvent(QCloseEvent* event) {
  session_.requestStop();
  if (busy_ || session_.isRunning()) {
    // The session ends at once; the window closes when it has.
    closePending_ = true;
    event->ignore();
    return;
  }
  closePending_ = false;
  saveState();
  session_.closePort();
  event->accept();
}

void frmDataCable::reject() {
  session_.requestStop();
  if (busy_ || session_.isRunning()) {
    closePending_ = true;
    return;
  }
  closePending_ = false;
  saveState();
  session_.closePort();
  QDialog::reject();
}
