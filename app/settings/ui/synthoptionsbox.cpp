#include "settings/ui/synthoptionsbox.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <iterator>

#include "languages/reslang.h"

namespace {

enum : int {
  kResBox = 2200,
  kResSoundFont = 2201,
  kResSoundFontTip = 2202,
  kResChoose = 2203,
  kResChooseTip = 2204,
  kResDriver = 2205,
  kResDriverTip = 2206,
  kResDriverAuto = 2207,  // then one number per driver in the order of pxmidi::kAudioDrivers
  kResDialogTitle = 2212,
  kResFilter = 2213,
  kResNotSoundFont = 2214,
  kResNoSoundFont = 2824,
};

// The texts shown before (and without) a language library.
const char* const kDriverTexts[] = {"Automatic", "PipeWire", "PulseAudio", "ALSA", "JACK"};
static_assert(std::size(kDriverTexts) == std::size(pxmidi::kAudioDrivers));

template <class W>
W* named(W* w, const char* name, int tag, int tip = 0) {
  w->setObjectName(QString::fromLatin1(name));
  w->setProperty("Tag", tag);
  if (tip) w->setProperty("ToolTipText", tip);
  return w;
}

QString textOr(int id, const char* fallback) {
  const QString text = GetResString(id);
  return text.isEmpty() ? QString::fromUtf8(fallback) : text;
}

}  // namespace

SynthOptionsBox::SynthOptionsBox(QWidget* parent)
    : QGroupBox(QStringLiteral("Built-in synthesizer"), parent) {
  named(this, "fraSynth", kResBox);
  tfSoundFont_ = named(new QLineEdit(this), "tfSoundFont", 0, kResSoundFontTip);
  tfSoundFont_->setPlaceholderText(QStringLiteral("/usr/share/sounds/sf2/default-GM.sf2"));
  auto* cbSoundFont = named(new QPushButton(QStringLiteral("C&hoose..."), this), "cbSoundFont",
                            kResChoose, kResChooseTip);
  cboAudioDriver_ = named(new QComboBox(this), "cboAudioDriver", 0, kResDriverTip);
  for (const char* text : kDriverTexts) cboAudioDriver_->addItem(QString::fromUtf8(text));

  auto* soundFontLabel =
      named(new QLabel(QStringLiteral("Sound&Font"), this), "lbtfSoundFont", kResSoundFont);
  soundFontLabel->setBuddy(tfSoundFont_);
  auto* driverLabel =
      named(new QLabel(QStringLiteral("Audio &output"), this), "lbcboAudioDriver", kResDriver);
  driverLabel->setBuddy(cboAudioDriver_);
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(tfSoundFont_, 1);
  fileRow->addWidget(cbSoundFont);
  auto* form = new QFormLayout(this);
  form->addRow(soundFontLabel, fileRow);
  form->addRow(driverLabel, cboAudioDriver_);

  chooseFile = [this](const QString& current) {
    const QString start = current.isEmpty() ? QStringLiteral("/usr/share/sounds/sf2") : current;
    return QFileDialog::getOpenFileName(
        this, textOr(kResDialogTitle, "Choose the SoundFont"), start,
        textOr(kResFilter, "SoundFont files (*.sf2 *.sf3);;All files (*)"));
  };
  showMessage = [this](const QString& text) { QMessageBox::warning(this, title(), text); };
  connect(cbSoundFont, &QPushButton::clicked, this, &SynthOptionsBox::choose);
}

void SynthOptionsBox::loadDriverNames() {
  for (int i = 0; i < cboAudioDriver_->count(); ++i)
    cboAudioDriver_->setItemText(i, textOr(kResDriverAuto + i, kDriverTexts[i]));
}

void SynthOptionsBox::setSettings(const pxmidi::SynthSettings& settings) {
  tfSoundFont_->setText(settings.soundFont);
  for (int i = 0; i < cboAudioDriver_->count(); ++i)
    if (pxmidi::kAudioDrivers[i] == settings.driver) cboAudioDriver_->setCurrentIndex(i);
}

pxmidi::SynthSettings SynthOptionsBox::settings() const {
  pxmidi::SynthSettings s;
  s.soundFont = tfSoundFont_->text().trimmed();
  const int i = cboAudioDriver_->currentIndex();
  if (i >= 0 && i < static_cast<int>(std::size(pxmidi::kAudioDrivers)))
    s.driver = pxmidi::kAudioDrivers[i];
  return s;
}

void SynthOptionsBox::choose() {
  const QString file = chooseFile(tfSoundFont_->text().trimmed());
  if (file.isEmpty()) return;
  // A file that is no SoundFont would only fail later, when the synthesizer loads it.
  if (!pxmidi::isSoundFontFile(file)) {
    showMessage(textOr(kResNotSoundFont, "This file is not a SoundFont:") + QLatin1Char(' ') +
                QFileInfo(file).fileName());
    return;
  }
  tfSoundFont_->setText(file);
}

bool SynthOptionsBox::acceptSoundFont() {
  const QString file = tfSoundFont_->text().trimmed();
  if (file.isEmpty() || pxmidi::isSoundFontFile(file)) return true;
  const bool exists = QFileInfo(file).isFile();
  showMessage((exists ? textOr(kResNotSoundFont, "This file is not a SoundFont:")
                      : textOr(kResNoSoundFont, "This SoundFont file does not exist:")) +
              QLatin1Char(' ') + file);
  return false;
}

void SynthOptionsBox::focusSoundFont() {
  tfSoundFont_->setFocus();
  tfSoundFont_->selectAll();
}
