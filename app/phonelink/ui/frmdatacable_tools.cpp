// The data-cable window's commands besides sending: Stop, the PDU as hex text on the
// clipboard, setting the phone's clock, and back to the main window.
#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTimer>

#include "phonelink/cablemessage.h"
#include "phonelink/ui/frmdatacable.h"

void frmDataCable::cbStop_Click() {
  session_.requestStop();
}

void frmDataCable::cbHex_Click() {
  const int mode = sendMode_;
  QByteArray message;
  if (mode == cableMessage::kModeSagem || mode == cableMessage::kModeNokia) {
    bool ok = false;
    message = melodyFor(mode, &ok);
    if (!ok) return;
  } else if (mode == cableMessage::kModeTextSms) {
    message = tfSMSText_->toPlainText().toUtf8();
    if (message.isEmpty()) return;
  } else {
    showStatusBar(QStringLiteral("  clipboard export not supported"));
    return;
  }
  takeControls();
  const QString hex = session_.PduHex(message, cableMessage::RingTypeOf(mode));
  if (!hex.isEmpty()) QApplication::clipboard()->setText(hex);
}

void frmDataCable::cbSyncTime_Click() {
  if (busy_ || session_.isRunning()) return;
  busy_ = true;
  updateEnabled();
  tbsWindow_->setCurrentIndex(0);
  session_.SyncClock();
  busy_ = false;
  updateEnabled();
  if (closePending_) QTimer::singleShot(0, this, &QWidget::close);
}

void frmDataCable::cbtoMain_Click() {
  close();
}
