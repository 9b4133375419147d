#include "playback/ui/midisetuppanel.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

#include "languages/ui/formtexts.h"
#include "playback/ui/frmnoteview_res.h"

using namespace noteview_res;

MidiSetupPanel::MidiSetupPanel(QWidget* parent) : QGroupBox(parent) {
  setObjectName(QStringLiteral("fraMidiSetup"));
  SetTextIds(this, kResMidiSetup, kResSetupHint);
  auto* setup = new QGridLayout(this);
  auto* lbOut = new QLabel(this);
  lbOut->setObjectName(QStringLiteral("lbMidiOut"));
  SetTextIds(lbOut, kResOutDevice);
  cboMidiOut_ = new QComboBox(this);
  cboMidiOut_->setObjectName(QStringLiteral("cboMidiOut"));
  lbOut->setBuddy(cboMidiOut_);
  auto* lbInstr = new QLabel(this);
  lbInstr->setObjectName(QStringLiteral("lbInstrument"));
  SetTextIds(lbInstr, kResInstrument);
  cboInstrument_ = new QComboBox(this);
  cboInstrument_->setObjectName(QStringLiteral("cboInstrument"));
  cboInstrument_->setMaxVisibleItems(20);
  lbInstr->setBuddy(cboInstrument_);
  cbMidiSetupOk_ = new QPushButton(this);
  cbMidiSetupOk_->setObjectName(QStringLiteral("cbMidiSetupOk"));
  SetTextIds(cbMidiSetupOk_, kResConfirm);
  setup->addWidget(lbOut, 0, 0);
  setup->addWidget(cboMidiOut_, 0, 1);
  setup->addWidget(lbInstr, 1, 0);
  setup->addWidget(cboInstrument_, 1, 1);
  setup->addWidget(cbMidiSetupOk_, 0, 2, 2, 1);
  setup->setColumnStretch(1, 1);
  connect(cboMidiOut_, &QComboBox::activated, this, [this](int index) {
    if (updating_ || index < 0) return;
    emit deviceChosen(cboMidiOut_->itemData(index).toInt());
  });
  connect(cbMidiSetupOk_, &QPushButton::clicked, this, &MidiSetupPanel::confirmed);
}

void MidiSetupPanel::setInstruments(const QStringList& names, int current) {
  cboInstrument_->clear();
  for (int i = 0; i < names.size(); ++i) cboInstrument_->addItem(names[i], i);
  cboInstrument_->setCurrentIndex(std::clamp(current, 0, 127));
}

void MidiSetupPanel::setDevices(const QList<modMidiplay::DeviceEntry>& devices, int currentId) {
  updating_ = true;
  cboMidiOut_->clear();
  for (const modMidiplay::DeviceEntry& d : devices) cboMidiOut_->addItem(d.name, d.id);
  cboMidiOut_->setCurrentIndex(std::max(cboMidiOut_->findData(currentId), 0));
  updating_ = false;
}

int MidiSetupPanel::instrument() const {
  return std::max(cboInstrument_->currentIndex(), 0);
}

int MidiSetupPanel::deviceCount() const {
  return cboMidiOut_->count();
}

QString MidiSetupPanel::deviceName(int id) const {
  return cboMidiOut_->itemText(cboMidiOut_->findData(id));
}

void MidiSetupPanel::focusDevices() {
  cboMidiOut_->setFocus();
}
