// The options window's box for the built-in synthesizer: the SoundFont file (typed or
// chosen in a file dialog; empty for the system's) and the audio output.
#pragma once

#include <QGroupBox>

#include <functional>

#include "playback/synthsettings.h"

class QComboBox;
class QLineEdit;

class SynthOptionsBox : public QGroupBox {
  Q_OBJECT
 public:
  explicit SynthOptionsBox(QWidget* parent = nullptr);

  void setSettings(const pxmidi::SynthSettings& settings);
  pxmidi::SynthSettings settings() const;
  // True when the SoundFont field is empty (the system's) or names a SoundFont file;
  // otherwise says what is wrong (showMessage).
  bool acceptSoundFont();
  void focusSoundFont();
  // Fills the driver list in the current language (after the window's texts are set).
  void loadDriverNames();

  // Asks for a SoundFont file, starting at the current one; empty when cancelled. A test
  // may replace it.
  std::function<QString(const QString& current)> chooseFile;
  // Shows a message (a chosen file that is no SoundFont); a test may replace it.
  std::function<void(const QString& text)> showMessage;

 private:
  void choose();

  QLineEdit* tfSoundFont_;
  QComboBox* cboAudioDriver_;
};
