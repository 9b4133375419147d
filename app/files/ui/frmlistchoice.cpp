#include "files/ui/frmlistchoice.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "languages/reslang.h"

frmListChoice::frmListChoice(const QString& title, const QString& text, const QStringList& items,
                             QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("frmListChoice"));
  setWindowTitle(title);
  auto* info = new QLabel(text, this);
  info->setObjectName(QStringLiteral("lbListInfo"));
  info->setWordWrap(true);

  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("liChoice"));
  for (int i = 0; i < items.size(); ++i)
    list_->addItem(QStringLiteral("%1  %2").arg(i + 1).arg(items[i]));
  if (!items.isEmpty()) list_->setCurrentRow(0);
  info->setBuddy(list_);
  connect(list_, &QListWidget::itemDoubleClicked, this, &frmListChoice::accept);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(GetResString(1403), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("cmdOK"));
  ok->setDefault(true);
  ok->setEnabled(!items.isEmpty());
  QPushButton* cancel = buttons->addButton(GetResString(1404), QDialogButtonBox::RejectRole);
  cancel->setObjectName(QStringLiteral("cmdCancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &frmListChoice::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &frmListChoice::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(info);
  layout->addWidget(list_);
  layout->addWidget(buttons);
  setMinimumWidth(360);
}

void frmListChoice::accept() {
  choice_ = list_->currentRow();
  QDialog::accept();
}

void frmListChoice::reject() {
  choice_ = -1;
  QDialog::reject();
}

int frmListChoice::choose(const QString& title, const QString& text, const QStringList& items,
                          QWidget* parent) {
  frmListChoice dlg(title, text, items, parent);
  dlg.exec();
  return dlg.choice();
}
