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
  connect(&session_, &DataCableSession::portReset, this, [this] {
    if (cboPort_->count() > 0) cboPort_->setCurrentIndex(0);
  });
  optSend_Click(0);
  tfSMSText_Change();
  updateEnabled();
}

// The PDU errors go back to whoever showed them before this window opened.
frmDataCable::~frmDataCable() = default;

void frmDataCable::buildWindow() {
  auto* top = new QVBoxLayout(this);

  // What to send, and the ringtone kind.
  auto* fraSend =
      static_cast<QGroupBox*>(Named(new QGroupBox(tr("What to send")), "fraSend", 1125));
  auto* sendRow = new QHBoxLayout(fraSend);
  auto* sendGroup = new QButtonGroup(this);
  const char* sendNames[] = {"optSend_0", "optSend_1", "optSend_2"};
  const char* sendTexts[] = {"&Ringtone", "&Text SMS", "&Key presses"};
  for (int i = 0; i < 3; ++i) {
    optSend_[i] = new QRadioButton(tr(sendTexts[i]));
    Named(optSend_[i], sendNames[i], 1101 + i);
    sendGroup->addButton(optSend_[i], i);
    sendRow->addWidget(optSend_[i]);
  }
  connect(sendGroup, &QButtonGroup::idClicked, this, &frmDataCable::optSend_Click);

  fraRingTypes_ =
      static_cast<QGroupBox*>(Named(new QGroupBox(tr("Ringtone kind")), "fraRingTypes", 1124));
  auto* ringRow = new QHBoxLayout(fraRingTypes_);
  auto* ringGroup = new QButtonGroup(this);
  const char* ringNames[] = {"optRingTypes_0", "optRingTypes_1", "optRingTypes_2",
                             "optRingTypes_3"};
  const char* ringTexts[] = {"Sagem", "Nokia", "EMS iMelody", "Siemens"};
  for (int i = 0; i < 4; ++i) {
    optRingTypes_[i] = new QRadioButton(tr(ringTexts[i]));
    Named(optRingTypes_[i], ringNames[i], 1104 + i);
    ringGroup->addButton(optRingTypes_[i], i);
    ringRow->addWidget(optRingTypes_[i]);
  }
  connect(ringGroup, &QButtonGroup::idClicked, this, &frmDataCable::optRingTypes_Click);

  // Destination and store / send.
  auto* fraNumber = new QGroupBox;
  fraNumber->setObjectName(QStringLiteral("fraNumber"));
  auto* numberGrid = new QGridLayout(fraNumber);
  auto* lbTelNumber = Named(new QLabel(tr("&Phone number")), "lbTelNumber", 1110);
  tfTelNumber_ = static_cast<QLineEdit*>(Named(new QLineEdit, "tfTelNumber", 0));
  tfTelNumber_->setMaxLength(40);
  tfTelNumber_->installEventFilter(this);
  static_cast<QLabel*>(lbTelNumber)->setBuddy(tfTelNumber_);
  chbNoType_ =
      static_cast<QCheckBox*>(Named(new QCheckBox(tr("&International number")), "chbNoType", 1111));
  optSendSave_[0] = static_cast<QRadioButton*>(
      Named(new QRadioButton(tr("St&ore in the phone")), "optSendSave_0", 1108));
  optSendSave_[1] =
      static_cast<QRadioButton*>(Named(new QRadioButton(tr("S&end")), "optSendSave_1", 1109));
  auto* saveGroup = new QButtonGroup(this);
  saveGroup->addButton(optSendSave_[0], 0);
  saveGroup->addButton(optSendSave_[1], 1);
  numberGrid->addWidget(lbTelNumber, 0, 0);
  numberGrid->addWidget(tfTelNumber_, 0, 1);
  numberGrid->addWidget(chbNoType_, 0, 2);
  numberGrid->addWidget(optSendSave_[0], 1, 1);
  numberGrid->addWidget(optSendSave_[1], 1, 2);
  connect(tfTelNumber_, &QLineEdit::textEdited, this, [this] { tfTelNumber_Change(); });

  // The serial line.
  auto* fraPort = new QGroupBox;
  fraPort->setObjectName(QStringLiteral("fraPort"));
  auto* portGrid = new QGridLayout(fraPort);
  cboPort_ = static_cast<QComboBox*>(Named(new QComboBox, "cboPort", 0, 1121));
  cboPort_->setEditable(true);
  cboPort_->setMinimumContentsLength(16);
  cboBaud_ = static_cast<QComboBox*>(Named(new QComboBox, "cboBaud", 0, 1122));
  chkEcho_ =
      static_cast<QCheckBox*>(Named(new QCheckBox(tr("Show &line traffic")), "chkEcho", 1123));
  cboMemRead_ = static_cast<QComboBox*>(Named(new QComboBox, "cboMemRead", 0, 1126));
  cboMemOut_ = static_cast<QComboBox*>(Named(new QComboBox, "cboMemOut", 0, 1127));
  cboMemIn_ = static_cast<QComboBox*>(Named(new QComboBox, "cboMemIn", 0, 1128));
  auto* lbPort = static_cast<QLabel*>(Named(new QLabel(tr("P&ort")), "lbPort", 1121));
  auto* lbBaud = static_cast<QLabel*>(Named(new QLabel(tr("Spee&d")), "lbBaud", 1122));
  lbPort->setBuddy(cboPort_);
  lbBaud->setBuddy(cboBaud_);
  portGrid->addWidget(lbPort, 0, 0);
  portGrid->addWidget(cboPort_, 0, 1);
  portGrid->addWidget(lbBaud, 0, 2);
  portGrid->addWidget(cboBaud_, 0, 3);
  portGrid->addWidget(chkEcho_, 0, 4);
  portGrid->addWidget(Named(new QLabel(tr("Message stores")), "lbMem", 1132), 1, 0);
  portGrid->addWidget(cboMemRead_, 1, 1);
  portGrid->addWidget(cboMemOut_, 1, 2);
  portGrid->addWidget(cboMemIn_, 1, 3);

  // Status and SMS text.
  tbsWindow_ = static_cast<QTabWidget*>(Named(new QTabWidget, "tbsWindow", 0));
  tfStatus_ = static_cast<QPlainTextEdit*>(Named(new QPlainTextEdit, "tfStatus", 0));
  tfStatus_->setReadOnly(true);
  QFont courier(QStringLiteral("Courier New"));
  courier.setStyleHint(QFont::TypeWriter);
  courier.setFamilies({QStringLiteral("Courier New"),
                       QFontDatabase::systemFont(QFontDatabase::FixedFont).family()});
  tfStatus_->setFont(courier);
  tfStatus_->setProperty("Tag", 1114);
  tbsWindow_->addTab(tfStatus_, tr("Status"));
  auto* smsPage = Named(new QWidget, "pgSMSText", 1115);
  auto* smsGrid = new QGridLayout(smsPage);
  tfSMSText_ = static_cast<QPlainTextEdit*>(Named(new QPlainTextEdit, "tfSMSText", 0));
  tfCharsLeft_ = static_cast<QLineEdit*>(Named(new QLineEdit, "tfCharsLeft", 0, 2104));
  tfCharsLeft_->setReadOnly(true);
  tfCharsLeft_->setMaximumWidth(90);
  chbFlashSMS_ =
      static_cast<QCheckBox*>(Named(new QCheckBox(tr("&Flash SMS")), "chbFlashSMS", 1112));
  chbStatusSMS_ =
      static_cast<QCheckBox*>(Named(new QCheckBox(tr("Status &report")), "chbStatusSMS", 1113));
  smsGrid->addWidget(tfSMSText_, 0, 0, 1, 4);
  smsGrid->addWidget(Named(new QLabel(tr("Characters left")), "lbCharsLeft", 1116), 1, 0);
  smsGrid->addWidget(tfCharsLeft_, 1, 1);
  smsGrid->addWidget(chbFlashSMS_, 1, 2);
  smsGrid->addWidget(chbStatusSMS_, 1, 3);
  tbsWindow_->addTab(smsPage, tr("SMS text"));
  connect(tfSMSText_, &QPlainTextEdit::textChanged, this, [this] { tfSMSText_Change(); });

  // Buttons.
  auto* buttons = new QHBoxLayout;
  auto button = [&](QPushButton*& b, const char* name, const char* text, int tag, int tip) {
    b = static_cast<QPushButton*>(Named(new QPushButton(tr(text)), name, tag, tip));
    b->setAutoDefault(false);
    buttons->addWidget(b);
  };
  button(cbSend_, "cbSend", "&Send ringtone", kResSendRingtone, 1129);
  button(cbStop_, "cbStop", "S&top", 1117, 1130);
  button(cbHex_, "cbHex", "Show as &hex", 1118, 0);
  button(cbSyncTime_, "cbSyncTime", "Set phone &clock", 1119, 0);
  buttons->addStretch();
  button(cbtoMain_, "cbtoMain", "&Back to the editor", 1120, 0);
  connect(cbSend_, &QPushButton::clicked, this, &frmDataCable::cbSend_Click);
  connect(cbStop_, &QPushButton::clicked, this, &frmDataCable::cbStop_Click);
  connect(cbHex_, &QPushButton::clicked, this, &frmDataCable::cbHex_Click);
  connect(cbSyncTime_, &QPushButton::clicked, this, &frmDataCable::cbSyncTime_Click);
  connect(cbtoMain_, &QPushButton::clicked, this, &frmDataCable::cbtoMain_Click);

  statusBar_ = new QStatusBar;
  statusBar_->setObjectName(QStringLiteral("sbStatus"));
  statusBar_->setSizeGripEnabled(false);

  top->addWidget(fraSend);
  top->addWidget(fraRingTypes_);
  top->addWidget(fraNumber);
  top->addWidget(fraPort);
  top->addWidget(tbsWindow_, 1);
  top->addLayout(buttons);
  top->addWidget(statusBar_);
  resize(640, 560);
}

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
  if (cableMessage::NeedsPhoneNumber(mode, !optSendSave_[0]->isChecked()) &&
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
