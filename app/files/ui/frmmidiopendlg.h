// The MIDI open dialog: lists the channels that carry notes and lets the user pick the
// one to import. OK stores the channel number 1..16; Cancel (or closing) stores 999.
// Given the channel table of a song, it shows the table sorted by melody score with the
// best row selected and the bars each channel gives the melody, a "Fit to" choice (as
// written, the melody line, or the melody line fitted to a target format) and a "Part"
// choice (the whole melody, the hook, from the start, or bars).
#pragma once

#include <QDialog>

#include "files/filecommands.h"

class QComboBox;
class QFormLayout;
class QSpinBox;
class QTreeWidget;

class frmMidiOpenDlg : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kCancelled = 999;

  // mask: bit 0 channel 1 ... bit 15 channel 16.
  explicit frmMidiOpenDlg(int mask, QWidget* parent = nullptr);
  explicit frmMidiOpenDlg(const filecmd::MidiQuestion& question, QWidget* parent = nullptr);

  // The stored answer: the chosen channel after OK, 999 otherwise.
  int channel() const { return channel_; }

  // Shows the dialog modally and returns its answer.
  static int choose(int mask, QWidget* parent = nullptr);
  static filecmd::MidiAnswer ask(const filecmd::MidiQuestion& question, QWidget* parent = nullptr);
  // The chosen way of reading the channel (as written when there is no table).
  const songs::SongRequest& request() const { return request_; }

  void accept() override;
  void reject() override;

 private:
  void build(int mask, const filecmd::MidiQuestion* question);
  void buildPart(QFormLayout* form, int bars);

  QComboBox* cboMidiChannel_ = nullptr;
  QComboBox* cboMidiFit_ = nullptr;
  QComboBox* cboMidiPart_ = nullptr;
  QSpinBox* tfMidiFirstBar_ = nullptr;
  QSpinBox* tfMidiLastBar_ = nullptr;
  QTreeWidget* liwMidiChannels_ = nullptr;
  int channel_ = kCancelled;
  songs::SongRequest request_{0, 0, songs::ReadMode::AsWritten, {}};
};
