// The main window's range-check panel: the target format's row of limits under the
// event list, and the check that fills it.
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "mainwindow/ui/frmmain.h"
#include "mainwindow/ui/meloformatrows.h"

void frmMain::buildFormatCheck(QVBoxLayout* outer) {
  auto* box = new QGroupBox(centralWidget() ? centralWidget() : outer->parentWidget());
  box->setObjectName(QStringLiteral("fraMvsF"));
  box->setProperty("Tag", 1039);
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(3);
  const int headers[] = {1086, 1079, 1080, 1081, 1082, 1083, 1084};
  for (int col = 0; col < 7; ++col) {
    auto* h = new QLabel(box);
    h->setObjectName(QStringLiteral("lbMvFHead%1").arg(col));
    h->setProperty("Tag", headers[col]);
    h->setAlignment(col == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
    grid->addWidget(h, 0, col);
  }
  auto label = [box](const char* name) {
    auto* l = new QLabel(box);
    l->setObjectName(QLatin1String(name));
    l->setAlignment(Qt::AlignCenter);
    l->setMinimumSize(64, 20);
    return l;
  };
  auto* choice = new QComboBox(box);
  choice->setObjectName(QStringLiteral("cboMeloFormat"));
  choice->setProperty("ToolTipText", 1057);
  choice->setMinimumWidth(150);
  auto* shape = new QFrame(box);
  shape->setObjectName(QStringLiteral("shpMelovsFormat"));
  QLabel* high = label("lbMvF2High");
  QLabel* low = label("lbMvF2low");
  QLabel* longer = label("lbMvF2long");
  QLabel* shorter = label("lbMvF2short");
  QLabel* remaining = label("lbMvFNoNotes");
  auto* tempo = new QFrame(box);
  tempo->setObjectName(QStringLiteral("shpMvFBPM"));
  tempo->setFrameShape(QFrame::Box);
  tempo->setMinimumSize(40, 18);
  tempo->setMaximumSize(40, 18);
  grid->addWidget(shape, 1, 0, 1, 7);
  grid->addWidget(choice, 1, 0);
  grid->addWidget(high, 1, 1);
  grid->addWidget(low, 1, 2);
  grid->addWidget(longer, 1, 3);
  grid->addWidget(shorter, 1, 4);
  grid->addWidget(remaining, 1, 5);
  grid->addWidget(tempo, 1, 6, Qt::AlignCenter);
  shape->lower();

  formatCheck_ = new clCMeloFormatCheck(this);
  formatCheck_->InitFormatCheck(choice, shape, high, low, longer, shorter, remaining, tempo, grid);
  formatCheck_->AddControl();
  formatCheck_->AddControl();
  formatCheck_->Set2GreyRange12(0, -1);
  connect(formatCheck_, &clCMeloFormatCheck::formatChosen, this, [this](int) {
    if (autoCheck_->isChecked()) runFormatCheck();
  });

  auto* bottom = new QHBoxLayout;
  autoCheck_ = new QCheckBox(box);
  autoCheck_->setObjectName(QStringLiteral("chkMvsFAutoUpd"));
  autoCheck_->setProperty("Tag", 1040);
  autoCheck_->setChecked(true);
  connect(autoCheck_, &QCheckBox::toggled, this, [this](bool on) {
    if (on) runFormatCheck();
  });
  bottom->addWidget(autoCheck_);
  bottom->addStretch(1);
  auto* v = new QVBoxLayout(box);
  v->addLayout(grid);
  v->addLayout(bottom);
  outer->addWidget(box);
}

void frmMain::runFormatCheck() {
  formatCheck_->Check(state_.formats, state_.document.melody(), count_->text(), bpm_->text());
}
