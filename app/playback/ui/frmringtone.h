// File > Export audio ringtone: format, voice, length and loudness, the file name, and a
// progress bar when the rendering takes longer than a moment. The rendering and every rule
// are RingtoneExport's; the dialog shows its choices and its outcome.
#pragma once

#include <QDialog>

#include "playback/ringtoneexport.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;

class frmRingtone : public QDialog {
  Q_OBJECT
 public:
  // folder: where the file is offered first.
  frmRingtone(pxplay::RingtoneExport& exporter, const QString& title, const QString& folder,
              QWidget* parent = nullptr);

  pxplay::RingtoneChoice choice() const;
  // The status line after a rendering (empty before one).
  const QString& statusText() const { return status_; }

  void reject() override;

 private:
  void onFormatChanged();
  void onBrowse();
  void onExport();
  void onFinished(bool ok);
  void updateStates();

  pxplay::RingtoneExport& exporter_;
  QString title_;
  QComboBox* cboFormat_ = nullptr;
  QRadioButton* optSynth_ = nullptr;
  QRadioButton* optBuzzer_ = nullptr;
  QSpinBox* txtLength_ = nullptr;
  QDoubleSpinBox* txtLoudness_ = nullptr;
  QLineEdit* txtFile_ = nullptr;
  QPushButton* cmdBrowse_ = nullptr;
  QPushButton* cmdExport_ = nullptr;
  QPushButton* cmdClose_ = nullptr;
  QProgressBar* pbRender_ = nullptr;
  QLabel* lbResult_ = nullptr;
  QString status_;
};
