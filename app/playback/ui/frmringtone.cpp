#include "playback/ui/frmringtone.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include "languages/reslang.h"
#include "languages/ui/formtexts.h"

using namespace pxplay;

namespace {
// The progress bar shows once a rendering has taken this long.
constexpr int kProgressDelayMs = 300;
}  // namespace

frmRingtone::frmRingtone(RingtoneExport& exporter, const QString& title, const QString& folder,
                         QWidget* parent)
    : QDialog(parent), exporter_(exporter), title_(title) {
  setObjectName(QStringLiteral("frmRingtone"));
  SetTextIds(this, kResRingtoneTitle);

  cboFormat_ = Named(new QComboBox(this), "cboFormat", 0, kResRingtoneFormatTip);
  int res = kResRingtoneFormatFirst;
  for (const pxaudio::AudioFormatInfo& f : pxaudio::audioFormats())
    cboFormat_->addItem(GetResString(res++), static_cast<int>(f.format));
  cboFormat_->setCurrentIndex(cboFormat_->findData(static_cast<int>(RingtoneChoice().format)));

  optSynth_ = Named(new QRadioButton(this), "optSynth", kResRingtoneSynth);
  optBuzzer_ = Named(new QRadioButton(this), "optBuzzer", kResRingtoneBuzzer);
  optSynth_->setChecked(true);
  auto* voices = new QHBoxLayout;
  voices->addWidget(optSynth_);
  voices->addWidget(optBuzzer_);
  voices->addStretch();

  txtLength_ = Named(new QSpinBox(this), "txtLength", 0, kResRingtoneLengthTip);
  txtLength_->setRange(0, 3600);
  txtLength_->setSpecialValueText(GetResString(kResRingtoneWhole));
  txtLength_->setSuffix(GetResString(kResRingtoneSeconds));
  txtLength_->setValue(30);

  txtLoudness_ = Named(new QDoubleSpinBox(this), "txtLoudness", 0, kResRingtoneLoudnessTip);
  txtLoudness_->setRange(kMinLoudness, kMaxLoudness);
  txtLoudness_->setDecimals(1);
  txtLoudness_->setSingleStep(1);
  txtLoudness_->setSuffix(QStringLiteral(" LUFS"));
  txtLoudness_->setValue(kDefaultLoudness);

  txtFile_ = Named(new QLineEdit(this), "txtFile");
  txtFile_->setText(RingtoneExport::suggestedPath(folder, title, choice().format));
  cmdBrowse_ = Named(new QPushButton(this), "cmdBrowse", kResRingtoneBrowse);
  auto* file = new QHBoxLayout;
  file->addWidget(txtFile_, 1);
  file->addWidget(cmdBrowse_);

  auto label = [this](const char* name, int tag, QWidget* buddy) {
    auto* l = Named(new QLabel(this), name, tag);
    l->setBuddy(buddy);
    return l;
  };
  auto* form = new QFormLayout;
  form->addRow(label("lbFormat", kResRingtoneFormat, cboFormat_), cboFormat_);
  form->addRow(label("lbVoice", kResRingtoneVoice, optSynth_), voices);
  form->addRow(label("lbLength", kResRingtoneLength, txtLength_), txtLength_);
  form->addRow(label("lbLoudness", kResRingtoneLoudness, txtLoudness_), txtLoudness_);
  form->addRow(label("lbFile", kResRingtoneFile, txtFile_), file);

  pbRender_ = Named(new QProgressBar(this), "pbRender");
  pbRender_->setRange(0, 100);
  pbRender_->setVisible(false);
  lbResult_ = Named(new QLabel(this), "lbResult");
  lbResult_->setWordWrap(true);

  auto* buttons = new QDialogButtonBox(this);
  cmdExport_ = Named(buttons->addButton(QString(), QDialogButtonBox::AcceptRole), "cmdExport",
                     kResRingtoneExport);
  cmdExport_->setDefault(true);
  cmdClose_ = Named(buttons->addButton(QString(), QDialogButtonBox::RejectRole), "cmdClose",
                    kResRingtoneClose);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(pbRender_);
  layout->addWidget(lbResult_);
  layout->addWidget(buttons);

  connect(cboFormat_, &QComboBox::currentIndexChanged, this, &frmRingtone::onFormatChanged);
  connect(cmdBrowse_, &QPushButton::clicked, this, &frmRingtone::onBrowse);
  connect(buttons, &QDialogButtonBox::accepted, this, &frmRingtone::onExport);
  connect(buttons, &QDialogButtonBox::rejected, this, &frmRingtone::reject);
  connect(&exporter_, &RingtoneExport::progress, pbRender_, &QProgressBar::setValue);
  connect(&exporter_, &RingtoneExport::finished, this, &frmRingtone::onFinished);
  LoadFormTexts(this);
  updateStates();
}

RingtoneChoice frmRingtone::choice() const {
  RingtoneChoice c;
  c.format = static_cast<pxaudio::AudioFormat>(cboFormat_->currentData().toInt());
  c.voice = optBuzzer_->isChecked() ? RenderVoice::Buzzer : RenderVoice::Synth;
  c.maxSeconds = txtLength_->value();
  c.loudness = txtLoudness_->value();
  return c;
}

void frmRingtone::onFormatChanged() {
  const RingtoneChoice c = choice();
  txtFile_->setText(RingtoneExport::withExtension(txtFile_->text(), c.format));
  // An iPhone ringtone plays at most its limit: the box shows what will be rendered.
  const int limit = RingtoneExport::lengthLimit(c.format, c.maxSeconds);
  if (limit != c.maxSeconds) txtLength_->setValue(limit);
}

void frmRingtone::onBrowse() {
  const pxaudio::AudioFormatInfo& f = pxaudio::audioFormatInfo(choice().format);
  const QString filter = cboFormat_->currentText() + QStringLiteral(" (*") +
                         QLatin1String(f.extension) + QLatin1Char(')');
  const QString path =
      QFileDialog::getSaveFileName(this, GetResString(kResRingtoneTitle), txtFile_->text(), filter);
  if (!path.isEmpty()) txtFile_->setText(RingtoneExport::withExtension(path, choice().format));
}

void frmRingtone::onExport() {
  const RingtoneChoice c = choice();
  if (txtFile_->text().trimmed().isEmpty()) {
    lbResult_->setText(GetResString(kResRingtoneNoFile));
    return;
  }
  const QString path = RingtoneExport::withExtension(txtFile_->text().trimmed(), c.format);
  txtFile_->setText(path);
  QString error;
  if (!exporter_.start(c, path, &error)) {
    lbResult_->setText(GetResString(kResRingtoneFailed).arg(error));
    return;
  }
  pbRender_->setValue(0);
  lbResult_->setText(GetResString(kResRingtoneRendering));
  QTimer::singleShot(kProgressDelayMs, this, [this] {
    if (exporter_.running()) pbRender_->setVisible(true);
  });
  updateStates();
}

void frmRingtone::onFinished(bool ok) {
  status_ = exporter_.statusText([](int id) { return GetResString(id); });
  lbResult_->setText(status_);
  pbRender_->setVisible(false);
  updateStates();
  if (ok) accept();
}

void frmRingtone::reject() {
  // Closing during a rendering stops it; the dialog closes once it has.
  if (exporter_.running()) {
    exporter_.cancel();
    return;
  }
  QDialog::reject();
}

void frmRingtone::updateStates() {
  const bool idle = !exporter_.running();
  for (QWidget* w : std::initializer_list<QWidget*>{cboFormat_, optSynth_, optBuzzer_, txtLength_,
                                                    txtLoudness_, txtFile_, cmdBrowse_, cmdExport_})
    w->setEnabled(idle);
}
