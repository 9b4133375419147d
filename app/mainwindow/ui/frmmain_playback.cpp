// The main window's side of hearing a melody: the note view on the main melody (OK comes
// back as one undoable step) and the "play" action through the program's own MIDI output.
#include <QApplication>
#include <QPointer>

#include "document/melodydocument.h"
#include "languages/reslang.h"
#include "mainwindow/ui/frmmain.h"
#include "playback/midiplayback.h"
#include "playback/ui/frmnoteview.h"
#include "settings/ui/placewindow.h"

namespace {

enum : int {
  kResNoteView = 1350,
  kResSynthName = 1361,
  kResPlayEnded = 1397,
};

bool sameMelody(const pxvbMelody& a, const pxvbMelody& b) {
  if (a.size() != b.size() || a.bpm() != b.bpm() || a.DefStyle() != b.DefStyle()) return false;
  for (int i = 0; i < a.size(); ++i)
    if (!(*a.at(i) == *b.at(i))) return false;
  return true;
}

}  // namespace

void frmMain::installPlayback() {
  playFileCommand = [this](const QString& path) { return playThroughOutput(path); };
}

MidiPlayback& frmMain::midiPlayback() {
  if (!state_.midi)
    state_.midi = std::make_shared<MidiPlayback>(
        std::make_unique<pxmidi::SystemMidiBackend>(GetResString(kResSynthName)));
  // The output's messages (a device that does not open, a message that fails) go through
  // this window's message box.
  const QPointer<frmMain> self(this);
  state_.midi->player.setMessageSink([self](const QString& text) {
    if (self) self->ask(QMessageBox::Warning, GetResString(kResNoteView), text, QMessageBox::Ok);
  });
  return *state_.midi;
}

bool frmMain::playThroughOutput(const QString& path) {
  modMidiplay& player = midiPlayback().player;
  player.AbortPlay();  // a new play replaces the one still sounding
  pxvbMelody melody;
  rvTonehead::Request request{1, 10, 0, 0, 255};
  const rvTonehead::Outcome read = rvTonehead::ReadMelo(melody, request, path, false);
  if (read.result != 1) {
    showLibraryError(read);
    return false;
  }
  const pxsettings::SettingsStore* store = state_.store.get();
  if (!player.portOpen() && !player.OpenMidiOut(store ? store->outDevice() : -1, true, false))
    return false;
  player.ProgramChange(0, store ? store->instrument() : 0);
  player.setReady(true);
  const QPointer<frmMain> self(this);
  const bool started = player.StartPlay(
      melody, store ? store->ignoreVol() == 1 : true, {}, [self](const pxplay::PlaybackResult& r) {
        // On the player's thread: hand over to the window's thread, if it is still there.
        QMetaObject::invokeMethod(
            qApp,
            [self, r] {
              if (!self) return;
              self->updateCommandStates();
              if (!r.error.isEmpty())
                self->ask(QMessageBox::Warning, GetResString(kResNoteView),
                          GetResString(kResPlayEnded) + QLatin1Char(' ') + r.error,
                          QMessageBox::Ok);
            },
            Qt::QueuedConnection);
      });
  updateCommandStates();
  return started;
}

void frmMain::onStopPlaying() {
  if (state_.midi) state_.midi->player.StopPlay();
}

void frmMain::onNoteView() {
  if (!state_.document.hasMelody() || !state_.store) return;
  commitFields();
  MidiPlayback& midi = midiPlayback();
  midi.player.AbortPlay();
  frmNoteview view(state_.document.melody(), midi.player, *state_.store, this);
  view.setMessageHook([this](const QString& title, const QString& text) {
    ask(QMessageBox::Warning, title, text, QMessageBox::Ok);
  });
  view.setCommit([this](const pxvbMelody& edited) {
    if (sameMelody(edited, state_.document.melody())) return;
    runEdit([&] {
      state_.document.takeUndoCopy();
      state_.document.melody().assign(edited);
    });
  });
  PlaceAndRemember(&view, this, state_.store.get());
  view.exec();
}
