#include "files/ui/frmmidiopendlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "languages/ui/formtexts.h"

frmMidiOpenDlg::frmMidiOpenDlg(int mask, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmMidiOpenDlg"));
  SetTextIds(this, 1400);
  setWindowTitle(QStringLiteral("Open MIDI file"));

  auto* info = new QLabel(QStringLiteral("Choose the channel to import."), this);
  info->setObjectName(QStringLiteral("lbMidiInfo"));
  info->setWordWrap(true);
  SetTextIds(info, 1402);

  cboMidiChannel_ = new QComboBox(this);
  cboMidiChannel_->setObjectName(QStringLiteral("cboMidiChannel"));
  SetTextIds(cboMidiChannel_, 0, 1405);
  for (int ch = 1; ch <= 16; ++ch)
    if (mask & (1 << (ch - 1))) cboMidiChannel_->addItem(QString::number(ch), ch);

  auto* label = new QLabel(QStringLiteral("C&hannel"), this);
  label->setObjectName(QStringLiteral("lbMidiChannel"));
  label->setBuddy(cboMidiChannel_);
  SetTextIds(label, 1401);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("cmdOK"));
  ok->setDefault(true);
  ok->setEnabled(cboMidiChannel_->count() > 0);
  SetTextIds(ok, 1403);
  QPushButton* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
  cancel->setObjectName(QStringLiteral("cmdCancel"));
  SetTextIds(cancel, 1404);
  connect(buttons, &QDialogButtonBox::accepted, this, &frmMidiOpenDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &frmMidiOpenDlg::reject);

  auto* form = new QFormLayout;
  form->addRow(label, cboMidiChannel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(info);
  layout->addLayout(form);
  layout->addWidget(buttons);

  LoadFormTexts(this);
  setMinimumWidth(320);
}

void frmMidiOpenDlg::accept() {
  const int ch = cboMidiChannel_->currentData().toInt();
  channel_ = (ch >= 1 && ch <= 16) ? ch : kCancelled;
  QDialog::accept();
}

void frmMidiOpenDlg::reject() {
  channel_ = kCancelled;
  QDialog::reject();
}

int frmMidiOpenDlg::choose(int mask, QWidget* parent) {
  frmMidiOpenDlg dlg(mask, parent);
  dlg.exec();
  return dlg.channel();
}
