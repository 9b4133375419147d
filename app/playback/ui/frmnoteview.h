// frmNoteview: the note view and player. It edits its own clamped copy of the main melody
// on a pitch display with two tool bars, plays it through the program's MIDI output while
// selecting the sounding event, and writes it back only on OK.
#pragma once

#include <QDialog>

#include <functional>

#include "playback/noteviewedit.h"

class QAction;
class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QScrollBar;
class QToolBar;
class MidiSetupPanel;
class NoteDisplay;
class modMidiplay;
namespace pxplay {
struct PlaybackResult;
}
namespace pxsettings {
class SettingsStore;
}

class frmNoteview : public QDialog {
  Q_OBJECT
 public:
  // Shows messages (MIDI failures, the clipboard) to the user; replaceable in tests.
  using MessageHook = std::function<void(const QString& title, const QString& text)>;
  // Takes the edited melody when the user confirms with OK.
  using Commit = std::function<void(const pxvbMelody& edited)>;

  // mainMelody is copied now; OK writes back through commit (by default it assigns to
  // mainMelody). The player's port is opened now and closed with the window.
  frmNoteview(pxvbMelody& mainMelody, modMidiplay& player, pxsettings::SettingsStore& settings,
              QWidget* parent = nullptr);
  ~frmNoteview() override;

  void setCommit(Commit commit) { commit_ = std::move(commit); }
  void setMessageHook(MessageHook hook) { messageHook_ = std::move(hook); }

  const NoteviewEdit& edit() const { return edit_; }
  // Scrolls the display to the event, selects it and shows its number.
  void pxvSelectAndShowNote(int pos);
  // The tempo the Play button uses: the field's value, 120 when empty or below 1, at most
  // 999; the field is set to it.
  int tempoFromField();
  bool isPlaying() const { return playing_; }

 protected:
  void closeEvent(QCloseEvent* e) override;
  void done(int result) override;
  void keyPressEvent(QKeyEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void buildUi();
  QToolBar* buildNoteBar();
  QToolBar* buildEventBar();
  QHBoxLayout* buildControls();
  QHBoxLayout* buildPlayRow();
  void openMidiAtStart();
  // Opens the stored output device; false (after a message unless quiet) when it fails.
  bool openOutput(bool quiet);
  void fillInstruments();
  void fillDevices();
  void updateState();
  void refresh();
  void showOctave(int octave);
  void onToolKey(const QString& key);
  void onVolume();
  void onPaste();
  void onSelNoteEntered();
  void onPlay();
  void onStop();
  void onPlayFinished(const pxplay::PlaybackResult& result);
  void onMidiSetup();
  void onDeviceChosen(int id);
  void onSetupConfirm();
  void onOk();
  void message(const QString& text);

  pxvbMelody& main_;
  modMidiplay& player_;
  pxsettings::SettingsStore& settings_;
  NoteviewEdit edit_;
  Commit commit_;
  MessageHook messageHook_;
  bool playing_ = false;

  NoteDisplay* display_ = nullptr;
  QScrollArea* scroll_ = nullptr;
  QScrollBar* vscNote_ = nullptr;
  QToolBar* tobNote_ = nullptr;
  QToolBar* tobEvent2_ = nullptr;
  QComboBox* liTob2Volume_ = nullptr;
  QPushButton* cbHigher_ = nullptr;
  QPushButton* cbLower_ = nullptr;
  QLineEdit* tfSelNote_ = nullptr;
  QLineEdit* tfBPM_ = nullptr;
  QComboBox* cboStyle_ = nullptr;
  QCheckBox* chkVeloIgnore_ = nullptr;
  QPushButton* cbPlay_ = nullptr;
  QPushButton* cbStopPlay_ = nullptr;
  QPushButton* cbMidiSetup_ = nullptr;
  QLabel* lbTime_ = nullptr;
  QPushButton* cbOk_ = nullptr;
  QPushButton* cbCancel_ = nullptr;
  MidiSetupPanel* fraMidiSetup_ = nullptr;
};
