// The main window: the event list of the melody, its title and tempo, the range check and
// every editing command. It owns widgets only; the melody and its operations live in the
// MelodyDocument of the AppState it is given.
//
// Commands: every menu entry and command button comes from the one command table in
// frmmain_commands.cpp. A row names the action (object name), the menu it goes in (the
// menu's object name), the button that triggers it (or none), its Tag and ToolTipText
// resource numbers, its shortcuts, its handler and flags (needs a melody, needs a
// selection, separator before it). Menus, buttons and updateCommandStates() read it.
#pragma once

#include <QList>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <vector>

#include "files/filecommands.h"
#include "mainwindow/appstate.h"
#include "mainwindow/ui/hosthooks.h"
#include "melody/rvtonehead.h"
#include "phonelink/modpdu.h"
#include "playback/modmidiplay.h"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QTableView;
class QToolBar;
class QToolButton;
class QVBoxLayout;
class EventListModel;
class clCMeloFormatCheck;
class frmNewEvent;
struct MidiPlayback;

class frmMain : public QMainWindow {
  Q_OBJECT
 public:
  using Handler = void (frmMain::*)();
  enum CommandFlag : unsigned {
    kNone = 0,
    kNeedsMelody = 1u << 0,     // off until a melody exists
    kNeedsSelection = 1u << 1,  // off while no event is selected
    kUndoCommand = 1u << 2,     // on while there is something to undo
    kRedoCommand = 1u << 3,     // on while there is something to redo
    kSeparator = 1u << 4,       // a separator goes before it in its menu
    kToolBar = 1u << 5,         // also on the main tool bar
    kClipExport = 1u << 6,      // a clipboard export of the format catalogue (kind)
    kClipImport = 1u << 7,      // a clipboard import of the format catalogue (kind)
  };
  struct Command {
    const char* name;    // the action's object name ("mnuEditUndo")
    const char* menu;    // object name of its menu, nullptr: no menu entry
    const char* button;  // object name of its command button, nullptr: none
    int tag;             // resource number of its caption
    int tip;             // resource number of its tool tip, 0: none
    const char* keys;    // shortcuts, "; "-separated portable text ("Ctrl+Z"), or nullptr
    Handler handler;
    unsigned flags;
    int index = -1;     // member of a control array ("Index" property), -1: none
    int buttonTag = 0;  // the button's own caption when it differs from the menu's
    int kind = -1;      // kClipExport, kClipImport: the cliptransfer kind
  };
  static const std::vector<Command>& CommandTable();

  explicit frmMain(AppState& state, QWidget* parent = nullptr);
  ~frmMain() override;

  AppState& state() { return state_; }
  MelodyDocument& document() { return state_.document; }

  // Opens a melody file into the document as one undoable step: formatId 7 RTTTL,
  // 10 MIDI, 2 Sagem. Reports a library failure in a message box. True on success.
  bool openMelodyFile(const QString& path, int formatId);

  // The one place that sets every command's enabled state.
  void updateCommandStates();
  // Refills the window from the melody (see the refresh rule in MelodyDocument).
  void refresh();
  // After a melody was loaded or created: fields filled, editing commands on.
  void enableEditing();
  // Takes over the title and tempo fields' texts into the melody.
  void commitFields();
  // The event rows selected in the list, in ascending order.
  QList<int> selectedRows() const;
  // Runs the range check on all rows (nothing when the count or tempo field is empty).
  void runFormatCheck();

  QAction* command(const char* name) const;
  QMenu* menuNamed(const char* name) const;
  clCMeloFormatCheck* formatCheck() const { return formatCheck_; }
  void showStatus(const QString& text);
  QString statusText() const;

  // Asks or tells the user; tests answer through messageHook instead of a dialog.
  QMessageBox::StandardButton ask(
      QMessageBox::Icon icon, const QString& title, const QString& text,
      QMessageBox::StandardButtons buttons,
      QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
  using MessageHook = std::function<QMessageBox::StandardButton(
      QMessageBox::Icon, const QString& title, const QString& text, QMessageBox::StandardButtons)>;
  MessageHook messageHook;
  // The message box of a failed library call.
  void showLibraryError(const rvTonehead::Outcome& outcome);

  // Saves the melody under a name the user chooses; true when saved. Used by the question
  // before closing a changed melody; until a save command is installed, Yes keeps the
  // window open (as Cancel does), so nothing is lost.
  std::function<bool()> saveAsCommand;
  // Plays a MIDI file with the program's own output (the "play" action); until one is
  // installed, "play" opens the file like "open".
  std::function<bool(const QString& path)> playFileCommand;
  // Opens a file with the desktop's program for it (the read-me, a MIDI file to listen to);
  // false when there is none. Tests answer through it.
  std::function<bool(const QString& path)> openWithDesktop;

  // The file dialogs and the MIDI channel question; tests answer through these instead.
  // A dialog returns the chosen path (empty: cancelled) and the chosen filter text.
  using FileDialogFn = std::function<QString(const QString& title, const QString& dir,
                                             const QString& filters, QString* selectedFilter)>;
  FileDialogFn openFileDialog;
  FileDialogFn saveFileDialog;
  filecmd::MidiChooser midiChannelChooser;
  // The tune of an RTTTL file of several: 0-based, -1 cancels the open.
  std::function<int(const QStringList& names)> tuneChooser;

  // Save As through the dialog; true when the melody was written.
  bool saveAs();
  // Rebuilds the recent-files menu from the list.
  void rebuildRecentMenu();
  // The event editor, once opened.
  frmNewEvent* eventEditor() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Layout and the command table.
  void buildMenus();
  void buildActions();
  void buildCentral();
  void buildFormatCheck(QVBoxLayout* outer);
  void buildLanguageMenu();
  void arrangeFocusAndContextMenu();
  void loadSettings();
  void saveSettings();
  void applyListStyle();
  // Asks the 826 question (titled 827 "New melody", or 2519 on quitting) when the melody
  // is modified; false: stay.
  static constexpr int kResQuitTitle = 2519;
  bool confirmDiscard(int titleRes = 827);
  // Runs an edit: fields first, the status line cleared, the operation, the refresh; the
  // button that started it is off meanwhile and gets the focus back.
  void runEdit(const std::function<void()>& operation);
  // runEdit for a command that changes the whole melody (transposing, lengths, ranges).
  void runWholeMelodyEdit(const std::function<void()>& operation);
  // The MIDI file for listening: the whole melody or the selected rows.
  void playMelody(bool selectedOnly);

  // Command handlers.
  void onQuit();
  void onUndo();
  void onRedo();
  void onCut();
  void onCopy();
  void onPaste();
  void onNotesHigher();
  void onNotesLower();
  void onOctaveHigher();
  void onOctaveLower();
  void onLonger();
  void onShorter();
  void onDelPausesFirst();
  void onDelPausesEnd();
  void onDelPausesFirstEnd();
  void onDelPausesAll();
  void onDelSelected();
  void onDelNotSelected();
  template <int Entry>
  void onMoveRange() {
    moveIntoRange(Entry);
  }
  void moveIntoRange(int entry);
  void onAllNotesLonger();
  void onVolumeToVelocity();
  void onVelocityToVolume();
  void onPlayAll();
  void onPlaySelected();
  void onCheckNow();
  void onReadme();
  void onAbout();
  void onListStyleToggle();
  void onDataCable();  // frmmain_cable.cpp
  // File, clipboard, event editor and options commands (frmmain_files.cpp).
  void initFileCommands();
  bool openChecked(const QString& path, int formatId, bool askFirst);
  void updateWindowTitle();
  void onFileNew();
  void onFileOpen();
  void onFileSave();
  void onFileSaveAs();
  void onRecentFile(int index);
  void clipExport(int kind);
  void clipImport(int kind);
  void onFileImportSagem();
  void onFileExportAudio();  // frmmain_ringtone.cpp
  void onAddEvent();
  void onEditEvent();
  void onOptions();
  void ensureEventEditor();
  // The note view and the program's own MIDI output (frmmain_playback.cpp).
  void installPlayback();
  MidiPlayback& midiPlayback();
  bool playThroughOutput(const QString& path);
  void onNoteView();
  void onStopPlaying();

  AppState& state_;
  EventListModel* model_ = nullptr;
  QTableView* list_ = nullptr;
  QLineEdit* title_ = nullptr;
  QLineEdit* bpm_ = nullptr;
  QLabel* count_ = nullptr;
  QLabel* status_ = nullptr;
  QCheckBox* autoCheck_ = nullptr;
  QToolBar* toolBar_ = nullptr;
  clCMeloFormatCheck* formatCheck_ = nullptr;
  QList<QMenu*> menus_;
  std::vector<std::pair<const Command*, QAction*>> actions_;
  QList<QToolButton*> buttons_;
  QPointer<QWidget> sidePanel_;
  bool closing_ = false;
  QPointer<frmNewEvent> eventEditor_;
  int lastOpenFilter_ = 0;  // "All melodies"
  int lastSaveFilter_ = 0;  // none chosen yet
  // While the window lives, the libraries' and the player's messages go to its box; a
  // window opened later (the data-cable window) takes them only until it closes.
  HostMessageScope hostMessages_;
  modPDU::ErrorScope pduErrors_;
  modMidiplay::SinkScope playerMessages_;
};
