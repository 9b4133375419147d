#include "settings/ui/frmoptions.h"
#include "settings/ui/placewindow.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

#include "common/keyinput.h"
#include "files/recentfiles.h"
#include "languages/reslang.h"
#include "languages/ui/formtexts.h"
#include "phonelink/clcommprops.h"
#include "phonelink/clsmsprops.h"
#include "phonelink/linkfields.h"
#include "phonelink/portchoice.h"
#include "settings/codepages.h"
#include "settings/mainsettings.h"
#include "settings/settingsstore.h"
#include "settings/ui/optioncontrols.h"
#include "settings/ui/synthoptionsbox.h"

using namespace optioncontrols;

namespace {

constexpr int kResSystemDefault = 976;
constexpr int kResCodepageValid = 967;
constexpr int kResCodepageInvalid = 968;
constexpr int kResRecentDeleted = 1268;
constexpr int kPorts = 16;

void checkId(QButtonGroup* group, int id) {
  if (QAbstractButton* b = group->button(id)) b->setChecked(true);
}

int numberOf(const QLineEdit* edit) {
  return edit->text().trimmed().toInt();
}

}  // namespace

frmOptions::frmOptions(MainSettings& options, clCommProps& comm, clSMSProps& sms,
                       RecentFiles& recent, pxsettings::SettingsStore& store,
                       std::function<void()> recentCleared, QWidget* parent)
    : QDialog(parent),
      options_(options),
      comm_(comm),
      sms_(sms),
      recent_(recent),
      store_(store),
      recentCleared_(std::move(recentCleared)) {
  setObjectName(QStringLiteral("frmOptions"));
  SetTextIds(this, 1200);
  setWindowTitle(QStringLiteral("Options"));
  showMessage = [this](const QString& text) {
    QMessageBox::information(this, windowTitle(), text);
  };

  tbsOptions_ = Named(new QTabWidget(this), "tbsOptions");
  struct Page {
    QWidget* (frmOptions::*build)();
    const char* name;
    int tag;
  };
  const Page pages[] = {{&frmOptions::buildImportTab, "Import", 1205},
                        {&frmOptions::buildExportTab, "Export", 1206},
                        {&frmOptions::buildPlayTab, "Play", 1207},
                        {&frmOptions::buildStyleTab, "Style", 1208},
                        {&frmOptions::buildDataTab, "Data cable", 1209},
                        {&frmOptions::buildSmsTab, "SMS", 1210}};
  int index = 0;
  for (const Page& p : pages) {
    QWidget* page = (this->*p.build)();
    page->setObjectName(QStringLiteral("picOptions_%1").arg(index++));
    SetTextIds(page, p.tag);
    tbsOptions_->addTab(page, QString::fromLatin1(p.name));
  }

  auto* cmdOK = Named(new QPushButton(QStringLiteral("OK"), this), "cmdOK", 1201, 1276);
  auto* cmdCancel = Named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel", 1202, 1277);
  auto* cmdApply = Named(new QPushButton(QStringLiteral("&Apply"), this), "cmdApply", 1203, 1278);
  auto* cmdStandard =
      Named(new QPushButton(QStringLiteral("&Standard"), this), "cmdStandard", 1204, 1279);
  cmdOK->setDefault(true);
  // A SoundFont that cannot serve is refused here, not at the first Play.
  const auto accepted = [this] {
    if (synthOptions_->acceptSoundFont()) return true;
    tbsOptions_->setCurrentWidget(synthOptions_->parentWidget());
    synthOptions_->focusSoundFont();
    return false;
  };
  connect(cmdOK, &QPushButton::clicked, this, [this, accepted] {
    if (!accepted()) return;
    SaveProps();
    accept();
  });
  connect(cmdCancel, &QPushButton::clicked, this, &frmOptions::reject);
  connect(cmdApply, &QPushButton::clicked, this, [this, accepted] {
    if (accepted()) SaveProps();
  });
  connect(cmdStandard, &QPushButton::clicked, this, &frmOptions::SetProDefaults);

  // Tab walks the buttons from left to right, as they stand.
  setTabOrder(tbsOptions_, cmdStandard);
  setTabOrder(cmdStandard, cmdOK);
  setTabOrder(cmdOK, cmdCancel);
  setTabOrder(cmdCancel, cmdApply);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cmdStandard);
  buttons->addStretch();
  buttons->addWidget(cmdOK);
  buttons->addWidget(cmdCancel);
  buttons->addWidget(cmdApply);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tbsOptions_);
  layout->addLayout(buttons);

  // Ctrl+Tab and Ctrl+Shift+Tab step through the tabs, wrapping at the ends.
  auto* next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this);
  connect(next, &QShortcut::activated, this, [this] { stepTab(1); });
  auto* prev = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), this);
  connect(prev, &QShortcut::activated, this, [this] { stepTab(-1); });
  auto* prev2 = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), this);
  connect(prev2, &QShortcut::activated, this, [this] { stepTab(-1); });

  LoadFormTexts(this);
  loadValues();
  resize(sizeHint().expandedTo(QSize(560, 420)));
  PlaceToolWindow(this, parentWidget(), std::nullopt);  // centred on the main window
}

frmOptions::~frmOptions() = default;

QWidget* frmOptions::buildPlayTab() {
  auto* page = new QWidget;
  auto* v = new QVBoxLayout(page);
  optPlayAction_ = options(page, v, "optPlayAction",
                           {{"Play exported MIDI files with the \"open\" action", 1220},
                            {"Play exported MIDI files with the \"play\" action", 1221}});
  optPlayAction_->button(0)->setObjectName(QStringLiteral("optOpen"));
  optPlayAction_->button(1)->setObjectName(QStringLiteral("optPlay"));
  synthOptions_ = new SynthOptionsBox(page);
  v->addWidget(synthOptions_);
  v->addStretch();
  return page;
}

QWidget* frmOptions::buildDataTab() {
  auto* page = new QWidget;
  auto* grid = new QGridLayout(page);
  auto* form = new QFormLayout;
  cboPort_ = Named(new QComboBox(page), "cboPort");
  // A device path can be typed in; the list shows the devices found.
  cboPort_->setEditable(true);
  cboPort_->setMinimumContentsLength(16);
  cboBaud_ = Named(new QComboBox(page), "cboBaud");
  cboBaud_->addItems(clCommProps::BaudList());
  cboDataBits_ = Named(new QComboBox(page), "cboDataBits");
  cboDataBits_->addItems(clCommProps::DataBitsList());
  cboParity_ = Named(new QComboBox(page), "cboParity");
  cboParity_->addItems(clCommProps::ParityList());
  cboStopBits_ = Named(new QComboBox(page), "cboStopBits");
  cboStopBits_->addItems(clCommProps::StopBitsList());
  cboSMSATLineSize_ = Named(new QComboBox(page), "cboSMSATLineSize");
  cboSMSATLineSize_->addItems(clCommProps::MaxATLineSizeList());
  form->addRow(label(page, "Port", 1256, cboPort_), cboPort_);
  form->addRow(label(page, "Speed", 1257, cboBaud_), cboBaud_);
  form->addRow(label(page, "Data bits", 1230, cboDataBits_), cboDataBits_);
  form->addRow(label(page, "Parity", 1231, cboParity_), cboParity_);
  form->addRow(label(page, "Stop bits", 1232, cboStopBits_), cboStopBits_);
  form->addRow(label(page, "Line size for SMS data", 1234, cboSMSATLineSize_), cboSMSATLineSize_);

  auto* echo = Named(new QGroupBox(QStringLiteral("Local echo"), page), "fraEcho", 1243);
  auto* echoLayout = new QVBoxLayout(echo);
  optEcho_ = options(echo, echoLayout, "optEcho",
                     {{"Do not show the line traffic", 1262}, {"Show the line traffic", 1263}});
  auto* flow = Named(new QGroupBox(QStringLiteral("Flow control"), page), "fraFlow", 1244);
  auto* flowLayout = new QVBoxLayout(flow);
  optFlow_ = options(
      flow, flowLayout, "optFlow",
      {{"None", 1258}, {"XON/XOFF", 1259}, {"RTS/CTS", 1260}, {"RTS/CTS and XON/XOFF", 1261}});
  auto* defaults =
      Named(new QPushButton(QStringLiteral("Standard values for the data cable"), page),
            "cbDataDefaults", 1241);
  connect(defaults, &QPushButton::clicked, this, &frmOptions::SetDataDefaults);

  grid->addLayout(form, 0, 0, 2, 1);
  grid->addWidget(echo, 0, 1);
  grid->addWidget(flow, 1, 1);
  grid->addWidget(defaults, 2, 0, 1, 2, Qt::AlignLeft);
  grid->setRowStretch(3, 1);
  return page;
}

void frmOptions::fillProgram(const MainSettings& o) {
  cbNewLine_->setChecked(o.moreLines != 0);
  cbSpace_->setChecked(o.space != 0);
  cbStopat_->setChecked(o.stopAtSb != 0);
  tfDelimiter_->setText(o.nokCImp.left(1));
  tfNokCExpDelimiter_->setText(o.nokCExp.left(1));
  checkId(optPlayAction_, o.playAction == QLatin1String("play") ? 1 : 0);
  chbStyleMainGridLines_->setChecked(o.gridLines);
  chbStyleMainFullSelect_->setChecked(o.fullSelect);
  chbStyleNViewFlatBar_->setChecked(o.noteViewFlatBar);
  tffrExpSagemOptiChars_->setText(QString::number(o.sagemOpti));
  checkId(optfrExpSagemOptiLF_, o.sagemOptiLF == 1 ? 1 : 0);
  chkExpNokiaringUDH_->setChecked(o.nokiaUDH != 0);
  checkId(optExpNokiaringBinHex_, o.nokiaExport == 1 ? 1 : 0);
  tffrExpNokiaOptiBytes_->setText(QString::number(o.nokiaOpti));
  chkExpMotoSpace_->setChecked(o.motoSpace != 0);
  chkExpMotoSMS_->setChecked(o.motoSMS != 0);
}

void frmOptions::fillSerial(const clCommProps& comm) {
  cboPort_->clear();
  cboPort_->addItems(portchoice::Entries(CommPort::Devices(), std::max<int>(kPorts, comm.Port())));
  cboPort_->setCurrentIndex(std::max(0, comm.Port() - 1));
  if (!comm.PortPath().isEmpty()) cboPort_->setEditText(comm.PortPath());
  cboBaud_->setCurrentIndex(std::max(0, static_cast<int>(cboBaud_->findText(comm.Baud()))));
  cboDataBits_->setCurrentIndex(
      std::max(0, static_cast<int>(cboDataBits_->findText(QString::number(comm.DataBits())))));
  int parity = 0;
  for (int i = 0; i < cboParity_->count(); ++i)
    if (cboParity_->itemText(i).at(0) == comm.Parity().at(0)) parity = i;
  cboParity_->setCurrentIndex(parity);
  QString stop = comm.StopBits();
  stop.replace(QLatin1Char(','), QLatin1Char('.'));
  cboStopBits_->setCurrentIndex(std::max(0, static_cast<int>(cboStopBits_->findText(stop))));
  maxLine_ = comm.MaxATLineSizeSMS();
  cboSMSATLineSize_->setCurrentIndex(comm.MaxATLineSizeIndex());
  checkId(optEcho_, comm.LocalEcho() ? 1 : 0);
  checkId(optFlow_, comm.Handshaking());
}

void frmOptions::fillSms(const clSMSProps& sms) {
  cboSMSCAdrDef_->clear();
  if (!sms.SMSCAddress().isEmpty()) cboSMSCAdrDef_->addItem(sms.SMSCAddress());
  cboSMSCAdrDef_->setEditText(sms.SMSCAddress());
  smscType_ = sms.SMSCAdrType();
  chkSMSCNoType_->setChecked(smscType_ == 0);
  setCodepage(cboSMSInCodepage_, sms.TextInCodepage());
  setCodepage(cboSMSOutCodepage_, sms.TextOutCodepage());
  checkId(optSMSOutTextType_, sms.TextOutType());
}

void frmOptions::loadValues() {
  fillProgram(options_);
  for (QComboBox* combo : {cboSMSInCodepage_, cboSMSOutCodepage_})
    combo->setItemText(0, GetResString(kResSystemDefault));
  liInstrument_->setCurrentRow(std::clamp(options_.midExInstr, 0, liInstrument_->count() - 1));
  synthOptions_->loadDriverNames();
  synthOptions_->setSettings(pxmidi::SynthSettings::load(store_));
  fillSerial(comm_);
  fillSms(sms_);
}

void frmOptions::SaveProps() {
  options_.moreLines = cbNewLine_->isChecked() ? 1 : 0;
  options_.space = cbSpace_->isChecked() ? 1 : 0;
  options_.stopAtSb = cbStopat_->isChecked() ? 1 : 0;
  // An emptied delimiter field keeps the blank, the standard delimiter.
  options_.nokCImp = tfDelimiter_->text().isEmpty() ? QStringLiteral(" ") : tfDelimiter_->text();
  options_.nokCExp =
      tfNokCExpDelimiter_->text().isEmpty() ? QStringLiteral(" ") : tfNokCExpDelimiter_->text();
  options_.playAction =
      optPlayAction_->checkedId() == 1 ? QStringLiteral("play") : QStringLiteral("open");
  options_.gridLines = chbStyleMainGridLines_->isChecked();
  options_.fullSelect = chbStyleMainFullSelect_->isChecked();
  options_.noteViewFlatBar = chbStyleNViewFlatBar_->isChecked();
  options_.sagemOpti = numberOf(tffrExpSagemOptiChars_);
  options_.sagemOptiLF = optfrExpSagemOptiLF_->checkedId() == 1 ? 1 : 0;
  options_.nokiaUDH = chkExpNokiaringUDH_->isChecked() ? 1 : 0;
  options_.nokiaExport = optExpNokiaringBinHex_->checkedId() == 1 ? 1 : 0;
  options_.nokiaOpti = numberOf(tffrExpNokiaOptiBytes_);
  options_.motoSpace = chkExpMotoSpace_->isChecked() ? 1 : 0;
  options_.motoSMS = chkExpMotoSMS_->isChecked() ? 1 : 0;
  if (liInstrument_->currentRow() >= 0) options_.midExInstr = liInstrument_->currentRow();

  const portchoice::Choice port = portchoice::Parse(cboPort_->currentText());
  if (port.port > 0) {
    comm_.setPort(static_cast<int16_t>(port.port));
    comm_.setPortPath(QString());
  } else if (!port.path.isEmpty()) {
    comm_.setPortPath(port.path);
  }
  comm_.setBaud(cboBaud_->currentText());
  comm_.setDataBits(cboDataBits_->currentText().toInt());
  comm_.setParity(cboParity_->currentText());
  comm_.setStopBits(cboStopBits_->currentText());
  comm_.setMaxATLineSizeSMS(
      linkfields::AtLineSizeForChoice(cboSMSATLineSize_->currentIndex(), maxLine_));
  comm_.setLocalEcho(optEcho_->checkedId() == 1);
  comm_.setHandshaking(optFlow_->checkedId());
  comm_.RegSave(store_);

  sms_.SetSMSCAdr(cboSMSCAdrDef_->currentText(),
                  linkfields::SmscTypeForChoice(chkSMSCNoType_->isChecked(), smscType_));
  sms_.setTextInCodepage(GetListCodepage(cboSMSInCodepage_));
  sms_.setTextOutCodepage(GetListCodepage(cboSMSOutCodepage_));
  sms_.setTextOutType(optSMSOutTextType_->checkedId());
  sms_.RegSave(store_);
  synthOptions_->settings().save(store_);
  store_.sync();
  fillSerial(comm_);
  fillSms(sms_);
}

void frmOptions::SetProDefaults() {
  MainSettings standard = options_;
  standard.setStandard();
  fillProgram(standard);
  synthOptions_->setSettings({});
}

void frmOptions::SetDataDefaults() {
  clCommProps d;
  d.setPort(static_cast<int16_t>(std::max(1, portchoice::Parse(cboPort_->currentText()).port)));
  d.setBaud(QStringLiteral("19200"));
  d.setParity(QStringLiteral("none"));
  fillSerial(d);
}

void frmOptions::SetSMSDefaults() {
  fillSms(clSMSProps());
}

void frmOptions::setCodepage(QComboBox* combo, int codePage) {
  if (codePage == 0) {
    combo->setCurrentIndex(0);
    combo->setEditText(combo->itemText(0));
  } else {
    combo->setEditText(QString::number(codePage));
  }
}

int frmOptions::GetListCodepage(const QComboBox* combo) {
  const QString text = combo->currentText();
  return codepages::FromComboText(text, combo->count() > 0 && text == combo->itemText(0));
}

void frmOptions::checkCodepage(const QComboBox* combo) {
  const bool valid = codepages::IsValidCodePage(GetListCodepage(combo));
  showMessage(GetResString(valid ? kResCodepageValid : kResCodepageInvalid));
}

void frmOptions::deleteRecentFiles() {
  store_.deleteSection(QStringLiteral("RecentFiles"));
  store_.sync();
  // The list in memory goes too, or the next unload would write it back.
  recent_.clear();
  if (recentCleared_) recentCleared_();
  showMessage(GetResString(kResRecentDeleted));
}

void frmOptions::stepTab(int delta) {
  const int n = tbsOptions_->count();
  tbsOptions_->setCurrentIndex((tbsOptions_->currentIndex() + delta + n) % n);
}

bool frmOptions::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  if (keyinput::IsEditingKey(key->key()) || (key->modifiers() & Qt::ControlModifier))
    return QDialog::eventFilter(watched, event);
  // Number fields and code-page combos take digits only; anything else beeps.
  if (!keyinput::DigitsOnlyAccepts(key->key(), key->modifiers(), key->text())) {
    QApplication::beep();
    return true;
  }
  // Typing over the code-page combo's list entry replaces it with the number typed.
  for (QComboBox* combo : {cboSMSInCodepage_, cboSMSOutCodepage_}) {
    if (watched == combo->lineEdit() && combo->currentText() == combo->itemText(0)) {
      combo->setEditText(QString());
    }
  }
  return QDialog::eventFilter(watched, event);
}
