// The event editor: a small tool window that builds one note, pause, style change or
// volume change and appends it to the melody (add mode) or writes it over the event at
// EditIndex (edit mode). It stays open beside the main window until closed.
#pragma once

#include <QDialog>

#include <functional>

#include "eventeditor/eventbuilder.h"

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class MelodyDocument;

namespace pxsettings {
class SettingsStore;
}

class frmNewEvent : public QDialog {
  Q_OBJECT
 public:
  // document: its melody is edited, each add or change one step of its history; changed
  // runs afterwards (the main window's refresh); store keeps the window position
  // ("NewEvLeft", "NewEvTop") and may be null.
  frmNewEvent(MelodyDocument& document, std::function<void()> changed,
              pxsettings::SettingsStore* store, QWidget* parent = nullptr);
  ~frmNewEvent() override;

  bool Loaded() const { return isVisible(); }
  int EditType() const { return editType_; }
  int EditIndex() const { return editIndex_; }

  // Add mode: an open edit-mode window is closed and opened again.
  void openForNew();
  // Edit mode for the event at index (0-based); false when there is no such event.
  bool openForEdit(int index);

  // The event the controls describe now.
  pxvbNote builtEvent() const;

  // Tells the user why an event was not built (a volume outside 1..127); tests answer
  // through it instead of a message box.
  std::function<void(const QString& text)> warn;

 protected:
  void closeEvent(QCloseEvent* e) override;
  void hideEvent(QHideEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void add();
  void change();
  // False (after the warning) when the note's volume is outside 1..127.
  bool velocityAccepted();
  void selectGroup(int group);
  void focusFirstField();
  void updateEnabled();
  void setChoice(const eventbuilder::Choice& c);
  eventbuilder::Choice choice() const;
  void restorePosition();
  void savePosition();

  MelodyDocument& document_;
  std::function<void()> changed_;
  pxsettings::SettingsStore* store_;
  int editType_ = 0;
  int editIndex_ = 0;
  bool placed_ = false;

  QButtonGroup* optEvents_;
  QGroupBox* groups_[4] = {};
  QComboBox* cboENNotes_;
  QComboBox* cboENOctave_;
  QListWidget* liENLen_;
  QListWidget* liENDotLen_;
  QLineEdit* tfENVelocity_;
  QListWidget* liEPLen_;
  QListWidget* liEPDotLen_;
  QButtonGroup* optESStyle_;
  QListWidget* libEVVolume_;
  QPushButton* cbenvAdd_;
  QPushButton* cbfnevChange_;
  QPushButton* cbClose_;
};
