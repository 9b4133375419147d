// The options window's import, export, style and SMS tabs: only building their controls;
// the values come and go in frmoptions.cpp. Also the style tab's note font button.
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "languages/reslang.h"
#include "phonelink/clcommprops.h"
#include "settings/codepages.h"
#include "settings/notefont.h"
#include "settings/ui/frmoptions.h"
#include "settings/ui/optioncontrols.h"

using namespace optioncontrols;

namespace {
constexpr int kResNoNoteFont = 2825;
}  // namespace

QWidget* frmOptions::buildImportTab() {
  auto* page = new QWidget;
  auto* v = new QVBoxLayout(page);
  cbStopat_ = check(page, "cbStopat", "Stop RTTTL import at the first bad note", 1211);
  cbNewLine_ = check(page, "cbNewLine", "Import RTTTL spread over several lines", 1212);
  cbSpace_ = check(page, "cbSpace", "Allow blanks in RTTTL texts", 1247);
  tfDelimiter_ = Named(new QLineEdit(page), "tfDelimiter");
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

  auto* sagem = Named(new QGroupBox(QStringLiteral("Sagem export"), page), "fraExpSagem", 1270);
  auto* sagemForm = new QFormLayout(sagem);
  tffrExpSagemOptiChars_ = Named(new QLineEdit(sagem), "tffrExpSagemOptiChars");
  tffrExpSagemOptiChars_->setMaxLength(5);
  tffrExpSagemOptiChars_->installEventFilter(this);
  sagemForm->addRow(
      label(sagem, "Characters of the optimised Sagem SMS", 1215, tffrExpSagemOptiChars_),
      tffrExpSagemOptiChars_);
  auto* lf = new QVBoxLayout;
  optfrExpSagemOptiLF_ =
      options(sagem, lf, "optfrExpSagemOptiLF",
              {{"Line feed only", 1248}, {"Carriage return and line feed", 1249}});
  auto* lfLabel = Named(new QLabel(QStringLiteral("Line feeds in Sagem texts"), sagem),
                        "lbfrExpSagemOptiLF", 1216);
  sagemForm->addRow(lfLabel, lf);

  auto* nokia = Named(new QGroupBox(QStringLiteral("Nokia export"), page), "fraExpNokia", 1271);
  auto* nokiaForm = new QFormLayout(nokia);
  chkExpNokiaringUDH_ =
      check(nokia, "chkExpNokiaringUDH", "Nokia export with user data header", 1218);
  nokiaForm->addRow(chkExpNokiaringUDH_);
  auto* binHex = new QHBoxLayout;
  optExpNokiaringBinHex_ =
      options(nokia, binHex, "optExpNokiaringBinHex", {{"Binary", 1250}, {"Hex text", 1251}});
  nokiaForm->addRow(Named(new QLabel(QStringLiteral("Form of the Nokia export"), nokia),
                          "lbExpNokiaringBinHex", 1252),
                    binHex);
  tffrExpNokiaOptiBytes_ = Named(new QLineEdit(nokia), "tffrExpNokiaOptiBytes");
  tffrExpNokiaOptiBytes_->setMaxLength(5);
  tffrExpNokiaOptiBytes_->installEventFilter(this);
  nokiaForm->addRow(
      label(nokia, "Bytes of the optimised Nokia message", 1219, tffrExpNokiaOptiBytes_),
      tffrExpNokiaOptiBytes_);

  auto* moto = Named(new QGroupBox(QStringLiteral("Motorola export"), page), "fraExpMoto", 1272);
  auto* motoLayout = new QVBoxLayout(moto);
  chkExpMotoSpace_ =
      check(moto, "chkExpMotoSpace", "Motorola export: a blank before each note", 1253);
  chkExpMotoSMS_ = check(moto, "chkExpMotoSMS", "Motorola export: SMS header and trailer", 1254);
  motoLayout->addWidget(chkExpMotoSpace_);
  motoLayout->addWidget(chkExpMotoSMS_);

  auto* composer =
      Named(new QGroupBox(QStringLiteral("Nokia composer text"), page), "fraExpComposer", 1273);
  auto* composerForm = new QFormLayout(composer);
  tfNokCExpDelimiter_ = Named(new QLineEdit(composer), "tfNokCExpDelimiter");
  tfNokCExpDelimiter_->setMaxLength(1);
  tfNokCExpDelimiter_->setMaximumWidth(40);
  composerForm->addRow(
      label(composer, "Delimiter of the Nokia composer export", 1214, tfNokCExpDelimiter_),
      tfNokCExpDelimiter_);

  auto* instrumentBox = new QWidget(page);
  auto* instrumentLayout = new QVBoxLayout(instrumentBox);
  instrumentLayout->setContentsMargins(0, 0, 0, 0);
  liInstrument_ = Named(new QListWidget(instrumentBox), "liInstrument");
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
      Named(new QGroupBox(QStringLiteral("Maintenance"), page), "fraMaintenance", 1269);
  auto* m = new QHBoxLayout(maintenance);
  auto* del = Named(new QPushButton(QStringLiteral("Delete the recent files list"), maintenance),
                    "cbDelRecentFiles", 1226);
  auto* font = Named(new QPushButton(QStringLiteral("Install the note font"), maintenance),
                     "cbFontInstall", 1227);
  connect(del, &QPushButton::clicked, this, &frmOptions::deleteRecentFiles);
  connect(font, &QPushButton::clicked, this, &frmOptions::installFont);
  // Nothing to install without the font file; the tool tip says why.
  if (!notefont::Ships(reslang::AppDirectory())) {
    font->setEnabled(false);
    font->setProperty("ToolTipText", kResNoNoteFont);
  }
  m->addWidget(del);
  m->addWidget(font);
  v->addWidget(maintenance);
  v->addStretch();
  return page;
}

QWidget* frmOptions::buildSmsTab() {
  auto* page = new QWidget;
  auto* grid = new QGridLayout(page);
  cboSMSCAdrDef_ = Named(new QComboBox(page), "cboSMSCAdrDef");
  cboSMSCAdrDef_->setEditable(true);
  chkSMSCNoType_ = check(page, "chkSMSCNoType", "No number type for the service centre", 1236);
  auto makeCodepage = [&](const char* name) {
    auto* combo = Named(new QComboBox(page), name, 0, 1275);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItem(QStringLiteral("(system default)"));
    combo->lineEdit()->installEventFilter(this);
    return combo;
  };
  cboSMSInCodepage_ = makeCodepage("cboSMSInCodepage");
  cboSMSOutCodepage_ = makeCodepage("cboSMSOutCodepage");
  auto* inCheck = Named(new QPushButton(QStringLiteral("Check"), page), "cbSMSInCheck", 1240);
  auto* outCheck = Named(new QPushButton(QStringLiteral("Check"), page), "cbSMSOutCheck", 1240);
  connect(inCheck, &QPushButton::clicked, this, [this] { checkCodepage(cboSMSInCodepage_); });
  connect(outCheck, &QPushButton::clicked, this, [this] { checkCodepage(cboSMSOutCodepage_); });

  auto* type =
      Named(new QGroupBox(QStringLiteral("Outgoing text type"), page), "fraSMSOutTextType", 1239);
  auto* typeLayout = new QVBoxLayout(type);
  optSMSOutTextType_ =
      options(type, typeLayout, "optSMSOutTextType",
              {{"GSM 7-bit", 1264}, {"8-bit text", 1265}, {"UCS2", 1266}, {"8-bit data", 1267}});
  auto* defaults = Named(new QPushButton(QStringLiteral("Standard values for SMS"), page),
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

void frmOptions::installFont() {
  const notefont::Outcome o =
      notefont::Install(reslang::AppDirectory(), notefont::UserFontsDirectory());
  notefont::Status status = o.status;
  if ((status == notefont::Status::Installed || status == notefont::Status::AlreadyInstalled) &&
      QFontDatabase::addApplicationFont(o.fontPath) < 0)
    status = notefont::Status::Failed;
  showMessage(GetResString(notefont::MessageRes(status)));
}
