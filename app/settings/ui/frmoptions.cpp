#include "settings/ui/frmoptions.h"
#include "settings/ui/placewindow.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
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

#include "files/recentfiles.h"
#include "languages/reslang.h"
#include "languages/ui/formtexts.h"
#include "phonelink/clcommprops.h"
#include "phonelink/clsmsprops.h"
#include "phonelink/portchoice.h"
#include "settings/codepages.h"
#include "settings/mainsettings.h"
#include "settings/notefont.h"
#include "settings/settingsstore.h"

namespace {

constexpr int kResSystemDefault = 976;
constexpr int kResCodepageValid = 967;
constexpr int kResCodepageInvalid = 968;
constexpr int kResRecentDeleted = 1268;
constexpr int kPorts = 16;

void texts(QObject* o, int tag, int tip = 0) {
  if (tag) o->setProperty("Tag", tag);
  if (tip) o->setProperty("ToolTipText", tip);
}

template <class W>
W* named(W* w, const char* name, int tag = 0, int tip = 0) {
  w->setObjectName(QString::fromLatin1(name));
  texts(w, tag, tip);
  return w;
}

QCheckBox* check(QWidget* parent, const char* name, const char* text, int tag) {
  return named(new QCheckBox(QString::fromUtf8(text), parent), name, tag);
}

QLabel* label(QWidget* parent, const char* text, int tag, QWidget* buddy) {
  auto* l = new QLabel(QString::fromUtf8(text), parent);
  l->setObjectName(QStringLiteral("lb") + buddy->objectName());
  texts(l, tag);
  l->setBuddy(buddy);
  return l;
}

// An option group: one radio button per text, ids 0, 1, ...; named <name>_<id>.
QButtonGroup* options(QWidget* parent, QLayout* layout, const char* name,
                      std::initializer_list<std::pair<const char*, int>> items) {
  auto* group = new QButtonGroup(parent);
  group->setObjectName(QString::fromLatin1(name));
  int id = 0;
  for (const auto& [text, tag] : items) {
    auto* b = new QRadioButton(QString::fromUtf8(text), parent);
    b->setObjectName(QStringLiteral("%1_%2").arg(QString::fromLatin1(name)).arg(id));
    texts(b, tag);
    group->addButton(b, id++);
    layout->addWidget(b);
  }
  group->button(0)->setChecked(true);
  return group;
}

void checkId(QButtonGroup* group, int id) {
  if (QAbstractButton* b = group->button(id)) b->setChecked(true);
}

int numberOf(const QLineEdit* edit) {
  return edit->text().trimmed().toInt();
}

bool isEditingKey(int key) {
  switch (key) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Up:
    case Qt::Key_Down:
      return true;
    default:
      return false;
  }
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
  texts(this, 1200);
  setWindowTitle(QStringLiteral("Options"));
  showMessage = [this](const QString& text) {
    QMessageBox::information(this, windowTitle(), text);
  };

  tbsOptions_ = named(new QTabWidget(this), "tbsOptions");
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
    texts(page, p.tag);
    tbsOptions_->addTab(page, QString::fromLatin1(p.name));
  }

  auto* cmdOK = named(new QPushButton(QStringLiteral("OK"), this), "cmdOK", 1201, 1276);
  auto* cmdCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel", 1202, 1277);
  auto* cmdApply = named(new QPushButton(QStringLiteral("&Apply"), this), "cmdApply", 1203, 1278);
  auto* cmdStandard =
      named(new QPushButton(QStringLiteral("&Standard"), this), "cmdStandard", 1204, 1279);
  cmdOK->setDefault(true);
  connect(cmdOK, &QPushButton::clicked, this, [this] {
    SaveProps();
    accept();
  });
  connect(cmdCancel, &QPushButton::clicked, this, &frmOptions::reject);
  connect(cmdApply, &QPushButton::clicked, this, &frmOptions::SaveProps);
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

QWidget* frmOptions::buildImportTab() {
  auto* page = new QWidget;
  auto* v = new QVBoxLayout(page);
  cbStopat_ = check(page, "cbStopat", "Stop RTTTL import at the first bad note", 1211);
  cbNewLine_ = check(page, "cbNewLine", "Import RTTTL spread over several lines", 1212);
  cbSpace_ = check(page, "cbSpace", "Allow blanks in RTTTL texts", 1247);
  tfDelimiter_ = named(new QLineEdit(page), "tfDelimiter");
  tfDelimiter_->setMaxLength(1);
  tfDelimiter_->setMaximumWidth(40);
  v->addWidget(cbStopat_);
  v->addWidget(cbNewLine_);
  v->addWidget(cbSpace_);
  auto* form = new QFormLayout;
  form->addRow(label(page, "Delimiter of the Nokia composer import", 1213, tfDelimiter_),
               tfDelimiter_);
  v->addLayout(form);
  v->addStretch();
  return page;
}

QWidget* frmOptions::buildExportTab() {
  auto* page = new QWidget;
  auto* grid = new QGridLayout(page);

  auto* sagem = named(new QGroupBox(QStringLiteral("Sagem export"), page), "fraExpSagem", 1270);
  auto* sagemForm = new QFormLayout(sagem);
  tffrExpSagemOptiChars_ = named(new QLineEdit(sagem), "tffrExpSagemOptiChars");
  tffrExpSagemOptiChars_->setMaxLength(5);
  tffrExpSagemOptiChars_->installEventFilter(this);
  sagemForm->addRow(
      label(sagem, "Characters of the optimised Sagem SMS", 1215, tffrExpSagemOptiChars_),
      tffrExpSagemOptiChars_);
  auto* lf = new QVBoxLayout;
  optfrExpSagemOptiLF_ =
      options(sagem, lf, "optfrExpSagemOptiLF",
              {{"Line feed only", 1248}, {"Carriage return and line feed", 1249}});
  auto* lfLabel = named(new QLabel(QStringLiteral("Line feeds in Sagem texts"), sagem),
                        "lbfrExpSagemOptiLF", 1216);
  sagemForm->addRow(lfLabel, lf);

  auto* nokia = named(new QGroupBox(QStringLiteral("Nokia export"), page), "fraExpNokia", 1271);
  auto* nokiaForm = new QFormLayout(nokia);
  chkExpNokiaringUDH_ =
      check(nokia, "chkExpNokiaringUDH", "Nokia export with user data header", 1218);
  nokiaForm->addRow(chkExpNokiaringUDH_);
  auto* binHex = new QHBoxLayout;
  optExpNokiaringBinHex_ =
      options(nokia, binHex, "optExpNokiaringBinHex", {{"Binary", 1250}, {"Hex text", 1251}});
  nokiaForm->addRow(named(new QLabel(QStringLiteral("Form of the Nokia export"), nokia),
                          "lbExpNokiaringBinHex", 1252),
                    binHex);
  tffrExpNokiaOptiBytes_ = named(new QLineEdit(nokia), "tffrExpNokiaOptiBytes");
  tffrExpNokiaOptiBytes_->setMaxLength(5);
  tffrExpNokiaOptiBytes_->installEventFilter(this);
  nokiaForm->addRow(
      label(nokia, "Bytes of the optimised Nokia message", 1219, tffrExpNokiaOptiBytes_),
      tffrExpNokiaOptiBytes_);

  auto* moto = named(new QGroupBox(QStringLiteral("Motorola export"), page), "fraExpMoto", 1272);
  auto* motoLayout = new QVBoxLayout(moto);
  chkExpMotoSpace_ =
      check(moto, "chkExpMotoSpace", "Motorola export: a blank before each note", 1253);
  chkExpMotoSMS_ = check(moto, "chkExpMotoSMS", "Motorola export: SMS header and trailer", 1254);
  motoLayout->addWidget(chkExpMotoSpace_);
  motoLayout->addWidget(chkExpMotoSMS_);

  auto* composer =
      named(new QGroupBox(QStringLiteral("Nokia composer text"), page), "fraExpComposer", 1273);
  auto* composerForm = new QFormLayout(composer);
  tfNokCExpDelimiter_ = named(new QLineEdit(composer), "tfNokCExpDelimiter");
  tfNokCExpDelimiter_->setMaxLength(1);
  tfNokCExpDelimiter_->setMaximumWidth(40);
  composerForm->addRow(
      label(composer, "Delimiter of the Nokia composer export", 1214, tfNokCExpDelimiter_),
      tfNokCExpDelimiter_);

  auto* instrumentBox = new QWidget(page);
  auto* instrumentLayout = new QVBoxLayout(instrumentBox);
  instrumentLayout->setContentsMargins(0, 0, 0, 0);
  liInstrument_ = named(new QListWidget(instrumentBox), "liInstrument");
  liInstrument_->addItems(InstrumentNames());
  instrumentLayout->addWidget(
      label(instrumentBox, "Instrument of the MIDI export", 1255, liInstrument_));
  instrumentLayout->addWidget(liInstrument_);

  grid->addWidget(sagem, 0, 0);
  grid->addWidget(nokia, 1, 0);
  grid->addWidget(moto, 2, 0);
  grid->addWidget(composer, 0, 1);
  grid->addWidget(instrumentBox, 1, 1, 2, 1);
  return page;
}

QWidget* frmOptions::buildPlayTab() {
  auto* page = new QWidget;
  auto* v = new QVBoxLayout(page);
  optPlayAction_ = options(page, v, "optPlayAction",
                           {{"Play exported MIDI files with the \"open\" action", 1220},
                            {"Play exported MIDI files with the \"play\" action", 1221}});
  optPlayAction_->button(0)->setObjectName(QStringLiteral("optOpen"));
  optPlayAction_->button(1)->setObjectName(QStringLiteral("optPlay"));
  v->addStretch();
  return page;
}

QWidget* frmOptions::buildStyleTab() {
  auto* page = new QWidget;
  auto* v = new QVBoxLayout(page);
  chbStyleMainGridLines_ =
      check(page, "chbStyleMainGridLines", "Grid lines in the event list", 1223);
  chbStyleMainFullSelect_ =
      check(page, "chbStyleMainFullSelect", "Select whole rows in the event list", 1224);
  chbStyleNViewFlatBar_ =
      check(page, "chbStyleNViewFlatBar", "Flat tool bar in the note view", 1225);
  v->addWidget(chbStyleMainGridLines_);
  v->addWidget(chbStyleMainFullSelect_);
  v->addWidget(chbStyleNViewFlatBar_);

  auto* maintenance =
      named(new QGroupBox(QStringLiteral("Maintenance"), page), "fraMaintenance", 1269);
  auto* m = new QHBoxLayout(maintenance);
  auto* del = named(new QPushButton(QStringLiteral("Delete the recent files list"), maintenance),
                    "cbDelRecentFiles", 1226);
  auto* font = named(new QPushButton(QStringLiteral("Install the note font"), maintenance),
                     "cbFontInstall", 1227);
  connect(del, &QPushButton::clicked, this, &frmOptions::deleteRecentFiles);
  connect(font, &QPushButton::clicked, this, &frmOptions::installFont);
  m->addWidget(del);
  m->addWidget(font);
  v->addWidget(maintenance);
  v->addStretch();
  return page;
}

QWidget* frmOptions::buildDataTab() {
  auto* page = new QWidget;
  auto* grid = new QGridLayout(page);
  auto* form = new QFormLayout;
  cboPort_ = named(new QComboBox(page), "cboPort");
  // A device path can be typed in; the list shows the devices found.
  cboPort_->setEditable(true);
  cboPort_->setMinimumContentsLength(16);
  cboBaud_ = named(new QComboBox(page), "cboBaud");
  cboBaud_->addItems(clCommProps::BaudList());
  cboDataBits_ = named(new QComboBox(page), "cboDataBits");
  cboDataBits_->addItems(clCommProps::DataBitsList());
  cboParity_ = named(new QComboBox(page), "cboParity");
  cboParity_->addItems(clCommProps::ParityList());
  cboStopBits_ = named(new QComboBox(page), "cboStopBits");
  cboStopBits_->addItems(clCommProps::StopBitsList());
  cboSMSATLineSize_ = named(new QComboBox(page), "cboSMSATLineSize");
  cboSMSATLineSize_->addItems(clCommProps::MaxATLineSizeList());
  form->addRow(label(page, "Port", 1256, cboPort_), cboPort_);
  form->addRow(label(page, "Speed", 1257, cboBaud_), cboBaud_);
  form->addRow(label(page, "Data bits", 1230, cboDataBits_), cboDataBits_);
  form->addRow(label(page, "Parity", 1231, cboParity_), cboParity_);
  form->addRow(label(page, "Stop bits", 1232, cboStopBits_), cboStopBits_);
  form->addRow(label(page, "Line size for SMS data", 1234, cboSMSATLineSize_), cboSMSATLineSize_);

  auto* echo = named(new QGroupBox(QStringLiteral("Local echo"), page), "fraEcho", 1243);
  auto* echoLayout = new QVBoxLayout(echo);
  optEcho_ = options(echo, echoLayout, "optEcho",
                     {{"Do not show the line traffic", 1262}, {"Show the line traffic", 1263}});
  auto* flow = named(new QGroupBox(QStringLiteral("Flow control"), page), "fraFlow", 1244);
  auto* flowLayout = new QVBoxLayout(flow);
  optFlow_ = options(
      flow, flowLayout, "optFlow",
      {{"None", 1258}, {"XON/XOFF", 1259}, {"RTS/CTS", 1260}, {"RTS/CTS and XON/XOFF", 1261}});
  auto* defaults =
      named(new QPushButton(QStringLiteral("Standard values for the data cable"), page),
            "cbDataDefaults", 1241);
  connect(defaults, &QPushButton::clicked, this, &frmOptions::SetDataDefaults);

  grid->addLayout(form, 0, 0, 2, 1);
  grid->addWidget(echo, 0, 1);
  grid->addWidget(flow, 1, 1);
  grid->addWidget(defaults, 2, 0, 1, 2, Qt::AlignLeft);
  grid->setRowStretch(3, 1);
  return page;
}

QWidget* frmOptions::buildSmsTab() {
  auto* page = new QWidget;
  auto* grid = new QGridLayout(page);
  cboSMSCAdrDef_ = named(new QComboBox(page), "cboSMSCAdrDef");
  cboSMSCAdrDef_->setEditable(true);
  chkSMSCNoType_ = check(page, "chkSMSCNoType", "No number type for the service centre", 1236);
  auto makeCodepage = [&](const char* name) {
    auto* combo = named(new QComboBox(page), name, 0, 1275);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItem(QStringLiteral("(system default)"));
    combo->lineEdit()->installEventFilter(this);
    return combo;
  };
  cboSMSInCodepage_ = makeCodepage("cboSMSInCodepage");
  cboSMSOutCodepage_ = makeCodepage("cboSMSOutCodepage");
  auto* inCheck = named(new QPushButton(QStringLiteral("Check"), page), "cbSMSInCheck", 1240);
  auto* outCheck = named(new QPushButton(QStringLiteral("Check"), page), "cbSMSOutCheck", 1240);
  connect(inCheck, &QPushButton::clicked, this, [this] { checkCodepage(cboSMSInCodepage_); });
  connect(outCheck, &QPushButton::clicked, this, [this] { checkCodepage(cboSMSOutCodepage_); });

  auto* type =
      named(new QGroupBox(QStringLiteral("Outgoing text type"), page), "fraSMSOutTextType", 1239);
  auto* typeLayout = new QVBoxLayout(type);
  optSMSOutTextType_ =
      options(type, typeLayout, "optSMSOutTextType",
              {{"GSM 7-bit", 1264}, {"8-bit text", 1265}, {"UCS2", 1266}, {"8-bit data", 1267}});
  auto* defaults = named(new QPushButton(QStringLiteral("Standard values for SMS"), page),
                         "cbSMSDefaults", 1242);
  connect(defaults, &QPushButton::clicked, this, &frmOptions::SetSMSDefaults);

  // Each code page is followed by its own check button.
  setTabOrder(cboSMSInCodepage_, inCheck);
  setTabOrder(inCheck, cboSMSOutCodepage_);
  setTabOrder(cboSMSOutCodepage_, outCheck);
  grid->addWidget(label(page, "Service centre number", 1235, cboSMSCAdrDef_), 0, 0);
  grid->addWidget(cboSMSCAdrDef_, 0, 1);
  grid->addWidget(chkSMSCNoType_, 1, 1);
  grid->addWidget(label(page, "Code page of incoming text", 1237, cboSMSInCodepage_), 2, 0);
  grid->addWidget(cboSMSInCodepage_, 2, 1);
  grid->addWidget(inCheck, 2, 2);
  grid->addWidget(label(page, "Code page of outgoing text", 1238, cboSMSOutCodepage_), 3, 0);
  grid->addWidget(cboSMSOutCodepage_, 3, 1);
  grid->addWidget(outCheck, 3, 2);
  grid->addWidget(type, 4, 0, 1, 3);
  grid->addWidget(defaults, 5, 0, 1, 3, Qt::AlignLeft);
  grid->setRowStretch(6, 1);
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
  // "60" keeps a longer stored line size; "default" writes everything in one line.
  if (cboSMSATLineSize_->currentIndex() == 1)
    comm_.setMaxATLineSizeSMS(maxLine_ >= 1 ? maxLine_ : 60);
  else
    comm_.setMaxATLineSizeSMS(0);
  comm_.setLocalEcho(optEcho_->checkedId() == 1);
  comm_.setHandshaking(optFlow_->checkedId());
  comm_.RegSave(store_);

  // Without the box the service centre keeps its number type (international when none).
  const int smscType = chkSMSCNoType_->isChecked() ? 0 : (smscType_ == 0 ? 1 : smscType_);
  sms_.SetSMSCAdr(cboSMSCAdrDef_->currentText(), smscType);
  sms_.setTextInCodepage(GetListCodepage(cboSMSInCodepage_));
  sms_.setTextOutCodepage(GetListCodepage(cboSMSOutCodepage_));
  sms_.setTextOutType(optSMSOutTextType_->checkedId());
  sms_.RegSave(store_);
  store_.sync();
  fillSerial(comm_);
  fillSms(sms_);
}

void frmOptions::SetProDefaults() {
  MainSettings standard = options_;
  standard.setStandard();
  fillProgram(standard);
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

void frmOptions::installFont() {
  const notefont::Outcome o =
      notefont::Install(reslang::AppDirectory(), notefont::UserFontsDirectory());
  notefont::Status status = o.status;
  if ((status == notefont::Status::Installed || status == notefont::Status::AlreadyInstalled) &&
      QFontDatabase::addApplicationFont(o.fontPath) < 0)
    status = notefont::Status::Failed;
  showMessage(GetResString(notefont::MessageRes(status)));
}

void frmOptions::stepTab(int delta) {
  const int n = tbsOptions_->count();
  tbsOptions_->setCurrentIndex((tbsOptions_->currentIndex() + delta + n) % n);
}

bool frmOptions::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  if (isEditingKey(key->key()) || (key->modifiers() & Qt::ControlModifier))
    return QDialog::eventFilter(watched, event);
  const QString text = key->text();
  const bool digit = text.size() == 1 && text.at(0).isDigit();
  // Number fields and code-page combos take digits only; anything else beeps.
  if (!digit) {
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
