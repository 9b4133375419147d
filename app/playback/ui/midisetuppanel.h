// The note view's MIDI setup panel: the output device and the instrument, confirmed with
// its own button. The panel only shows and reports choices; the note view opens the
// device and stores the settings.
#pragma once

#include <QGroupBox>

#include "playback/modmidiplay.h"

class QComboBox;
class QPushButton;

class MidiSetupPanel : public QGroupBox {
  Q_OBJECT
 public:
  explicit MidiSetupPanel(QWidget* parent = nullptr);

  void setInstruments(const QStringList& names, int current);
  // Lists the devices and shows currentId (the first when it is not among them); this
  // reports no choice.
  void setDevices(const QList<modMidiplay::DeviceEntry>& devices, int currentId);
  int instrument() const;
  int deviceCount() const;
  QString deviceName(int id) const;
  void focusDevices();

 signals:
  void deviceChosen(int id);  // the user picked a device in the list
  void confirmed();           // the panel's button

 private:
  QComboBox* cboMidiOut_ = nullptr;
  QComboBox* cboInstrument_ = nullptr;
  QPushButton* cbMidiSetupOk_ = nullptr;
  bool updating_ = false;
};
