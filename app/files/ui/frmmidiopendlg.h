// The MIDI open dialog: lists the channels that carry notes and lets the user pick the
// one to import. OK stores the channel number 1..16; Cancel (or closing) stores 999.
#pragma once

#include <QDialog>

class QComboBox;

class frmMidiOpenDlg : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kCancelled = 999;

  // mask: bit 0 channel 1 ... bit 15 channel 16.
  explicit frmMidiOpenDlg(int mask, QWidget* parent = nullptr);

  // The stored answer: the chosen channel after OK, 999 otherwise.
  int channel() const { return channel_; }

  // Shows the dialog modally and returns its answer.
  static int choose(int mask, QWidget* parent = nullptr);

  void accept() override;
  void reject() override;

 private:
  QComboBox* cboMidiChannel_;
  int channel_ = kCancelled;
};
