// The data-cable window's controls and their layout.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "languages/ui/formtexts.h"
#include "phonelink/ui/frmdatacable.h"

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
  button(cbSend_, "cbSend", "&Send ringtone", 401, 1129);  // "Send ringtone"
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

  // The status bar keeps the messages; a wrapping label shows them, so that a long one
  // (the UCS2 notice) is not cut at the window's edge.
  statusBar_ = new QStatusBar;
  statusBar_->setObjectName(QStringLiteral("sbStatus"));
  statusBar_->setSizeGripEnabled(false);
  statusBar_->hide();
  auto* statusLine = new QLabel;
  statusLine->setObjectName(QStringLiteral("lbStatusLine"));
  statusLine->setWordWrap(true);
  connect(statusBar_, &QStatusBar::messageChanged, statusLine, &QLabel::setText);

  top->addWidget(fraSend);
  top->addWidget(fraRingTypes_);
  top->addWidget(fraNumber);
  top->addWidget(fraPort);
  top->addWidget(tbsWindow_, 1);
  top->addLayout(buttons);
  top->addWidget(statusBar_);
  top->addWidget(statusLine);
  resize(640, 560);
}
