#include "files/ui/frmmidiopendlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "document/eventlistmodel.h"
#include "document/meloformatcheck.h"
#include "languages/reslang.h"
#include "languages/ui/formtexts.h"

namespace {
// The event list's note names beside it: key 60 is C5.
QString keyName(int key) {
  return eventrows::NoteName(key);
}
}  // namespace

frmMidiOpenDlg::frmMidiOpenDlg(int mask, QWidget* parent) : QDialog(parent) {
  build(mask, nullptr);
}

frmMidiOpenDlg::frmMidiOpenDlg(const filecmd::MidiQuestion& question, QWidget* parent)
    : QDialog(parent) {
  build(question.mask, question.scanned ? &question : nullptr);
}

void frmMidiOpenDlg::build(int mask, const filecmd::MidiQuestion* question) {
  setObjectName(QStringLiteral("frmMidiOpenDlg"));
  SetTextIds(this, 1400);
  setWindowTitle(QStringLiteral("Open MIDI file"));

  auto* info = new QLabel(QStringLiteral("Choose the channel to import."), this);
  info->setObjectName(QStringLiteral("lbMidiInfo"));
  info->setWordWrap(true);
  SetTextIds(info, question ? 2000 : 1402);

  cboMidiChannel_ = new QComboBox(this);
  cboMidiChannel_->setObjectName(QStringLiteral("cboMidiChannel"));
  SetTextIds(cboMidiChannel_, 0, 1405);
  if (question) {
    // The table's order: best melody first, the drums last.
    for (const songs::ChannelInfo& c : question->overview.channels)
      cboMidiChannel_->addItem(QString::number(c.channel), c.channel);
  } else {
    for (int ch = 1; ch <= 16; ++ch)
      if (mask & (1 << (ch - 1))) cboMidiChannel_->addItem(QString::number(ch), ch);
  }

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

  if (question) {
    liwMidiChannels_ = new QTreeWidget(this);
    liwMidiChannels_->setObjectName(QStringLiteral("liwMidiChannels"));
    SetTextIds(liwMidiChannels_, 0, 2013);
    liwMidiChannels_->setRootIsDecorated(false);
    liwMidiChannels_->setAllColumnsShowFocus(true);
    liwMidiChannels_->setHeaderLabels({GetResString(2001), GetResString(2002), GetResString(2003),
                                       GetResString(2004), GetResString(2005), GetResString(2614),
                                       GetResString(2006)});
    for (const songs::ChannelInfo& c : question->overview.channels) {
      QString names = c.trackNames.join(QStringLiteral(", "));
      if (!c.instrument.isEmpty())
        names += (names.isEmpty() ? QString() : QStringLiteral(" / ")) + c.instrument;
      auto* row = new QTreeWidgetItem(
          liwMidiChannels_,
          {QString::number(c.channel),
           c.drums ? GetResString(2010) : QString::number(qRound(c.score)),
           QString::number(c.noteCount),
           keyName(c.lowKey) + QStringLiteral("–") + keyName(c.highKey),
           QString::number(qRound(100 * c.polyphony)) + QStringLiteral(" %"), c.bars, names});
      for (int col = 1; col <= 4; ++col)
        row->setTextAlignment(col, Qt::AlignRight | Qt::AlignVCenter);
    }
    for (int col = 0; col < 6; ++col) liwMidiChannels_->resizeColumnToContents(col);
    liwMidiChannels_->setMinimumHeight(
        liwMidiChannels_->header()->sizeHint().height() +
        liwMidiChannels_->sizeHintForRow(0) *
            std::min(6, static_cast<int>(question->overview.channels.size())) +
        8);
    layout->addWidget(liwMidiChannels_);
    // The list and the channel box show the same choice.
    connect(liwMidiChannels_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) {
              if (item)
                cboMidiChannel_->setCurrentIndex(liwMidiChannels_->indexOfTopLevelItem(item));
            });
    connect(cboMidiChannel_, &QComboBox::currentIndexChanged, this, [this](int index) {
      if (QTreeWidgetItem* item = liwMidiChannels_->topLevelItem(index))
        liwMidiChannels_->setCurrentItem(item);
    });
    int best = 0;
    for (int i = 0; i < cboMidiChannel_->count(); ++i)
      if (cboMidiChannel_->itemData(i).toInt() == question->overview.best) best = i;
    cboMidiChannel_->setCurrentIndex(best);
    if (QTreeWidgetItem* item = liwMidiChannels_->topLevelItem(best))
      liwMidiChannels_->setCurrentItem(item);

    cboMidiFit_ = new QComboBox(this);
    cboMidiFit_->setObjectName(QStringLiteral("cboMidiFit"));
    SetTextIds(cboMidiFit_, 0, 2012);
    // Item data: -1 as written, 0 the melody line, else the format to fit it into.
    cboMidiFit_->addItem(GetResString(2008), -1);
    cboMidiFit_->addItem(GetResString(2009), 0);
    const QStringList names = meloformatcheck::FitTargetNames();
    const QList<int> ids = meloformatcheck::FitTargetIds();
    for (int i = 0; i < names.size(); ++i) cboMidiFit_->addItem(names[i], ids[i]);
    cboMidiFit_->setCurrentIndex(1);
    auto* fitLabel = new QLabel(QStringLiteral("&Fit to"), this);
    fitLabel->setObjectName(QStringLiteral("lbMidiFit"));
    fitLabel->setBuddy(cboMidiFit_);
    SetTextIds(fitLabel, 2007);
    form->addRow(fitLabel, cboMidiFit_);
    buildPart(form, static_cast<int>(question->overview.pathByBar.size()));
  }
  layout->addLayout(form);
  layout->addWidget(buttons);

  LoadFormTexts(this);
  setMinimumWidth(question ? 520 : 320);
}

// The part of the song: a choice and, for bars, the first and last bar.
void frmMidiOpenDlg::buildPart(QFormLayout* form, int bars) {
  cboMidiPart_ = new QComboBox(this);
  cboMidiPart_->setObjectName(QStringLiteral("cboMidiPart"));
  SetTextIds(cboMidiPart_, 0, 2615);
  cboMidiPart_->addItem(GetResString(2610), static_cast<int>(songs::ExcerptKind::Auto));
  cboMidiPart_->addItem(GetResString(2611), static_cast<int>(songs::ExcerptKind::Hook));
  cboMidiPart_->addItem(GetResString(2612), static_cast<int>(songs::ExcerptKind::Start));
  cboMidiPart_->addItem(GetResString(2613), static_cast<int>(songs::ExcerptKind::Bars));
  const int last = std::max(1, bars);
  tfMidiFirstBar_ = new QSpinBox(this);
  tfMidiFirstBar_->setObjectName(QStringLiteral("tfMidiFirstBar"));
  tfMidiLastBar_ = new QSpinBox(this);
  tfMidiLastBar_->setObjectName(QStringLiteral("tfMidiLastBar"));
  for (QSpinBox* box : {tfMidiFirstBar_, tfMidiLastBar_}) {
    box->setRange(1, last);
    box->setEnabled(false);
  }
  tfMidiLastBar_->setValue(std::min(last, 8));
  connect(cboMidiPart_, &QComboBox::currentIndexChanged, this, [this] {
    const bool byBars =
        cboMidiPart_->currentData().toInt() == static_cast<int>(songs::ExcerptKind::Bars);
    tfMidiFirstBar_->setEnabled(byBars);
    tfMidiLastBar_->setEnabled(byBars);
  });
  connect(tfMidiFirstBar_, &QSpinBox::valueChanged, this, [this](int v) {
    if (tfMidiLastBar_->value() < v) tfMidiLastBar_->setValue(v);
  });
  connect(tfMidiLastBar_, &QSpinBox::valueChanged, this, [this](int v) {
    if (tfMidiFirstBar_->value() > v) tfMidiFirstBar_->setValue(v);
  });
  auto* row = new QHBoxLayout;
  row->addWidget(cboMidiPart_, 1);
  row->addWidget(tfMidiFirstBar_);
  row->addWidget(tfMidiLastBar_);
  auto* partLabel = new QLabel(QStringLiteral("&Part"), this);
  partLabel->setObjectName(QStringLiteral("lbMidiPart"));
  partLabel->setBuddy(cboMidiPart_);
  SetTextIds(partLabel, 2609);
  form->addRow(partLabel, row);
}

void frmMidiOpenDlg::accept() {
  const int ch = cboMidiChannel_->currentData().toInt();
  channel_ = (ch >= 1 && ch <= 16) ? ch : kCancelled;
  request_ = {0, 0, songs::ReadMode::AsWritten, {}};
  if (cboMidiFit_ && cboMidiFit_->currentData().toInt() >= 0) {
    request_.mode = songs::ReadMode::MelodyLine;
    request_.fitFormatId = cboMidiFit_->currentData().toInt();
  }
  if (cboMidiPart_) {
    request_.excerpt.kind = static_cast<songs::ExcerptKind>(cboMidiPart_->currentData().toInt());
    if (request_.excerpt.kind == songs::ExcerptKind::Bars) {
      request_.excerpt.firstBar = tfMidiFirstBar_->value();
      request_.excerpt.lastBar = tfMidiLastBar_->value();
    }
  }
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

filecmd::MidiAnswer frmMidiOpenDlg::ask(const filecmd::MidiQuestion& question, QWidget* parent) {
  frmMidiOpenDlg dlg(question, parent);
  dlg.exec();
  return {dlg.channel(), dlg.request()};
}
