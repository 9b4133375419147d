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

}  // namespace

void frmMain::installPlayback() {
  playFileCommand = [this](const QString& path) { return playThroughOutput(path); };
}

MidiPlayback& frmMain::midiPlayback() {
  if (!state_.midi)
    state_.midi = std::make_shared<MidiPlayback>(
        std::make_unique<pxmidi::SystemMidiBackend>(GetResString(kResSynthName)));
  // The SoundFont and audio output chosen in the options serve the next open.
  if (auto* system = dynamic_cast<pxmidi::SystemMidiBackend*>(state_.midi->backend.get());
      system && state_.store)
    system->setSynthSettings(pxmidi::SynthSettings::load(*state_.store));
  // The output's messages (a device that does not open, a message that fails) go through
  // this window's message box.
  if (!playerMessages_.active())
    playerMessages_ = state_.midi->player.showMessagesWith([this](const QString& text) {
      ask(QMessageBox::Warning, GetResString(kResNoteView), text, QMessageBox::Ok);
    });
  return *state_.midi;
}

bool frmMain::playThroughOutput(const QString& path) {
  modMidiplay& player = midiPlayback().player;
  player.AbortPlay();  // a new play replaces the one still sounding
  pxvbMelody melody;
  rvTonehead::ReadRequest request{rvTonehead::Where::File, RV_FORMAT_MIDI};
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
    if (state_.document.hasSameEvents(edited)) return;
    runEdit([&] { state_.document.replaceMelody(edited); });
  });
  PlaceAndRemember(&view, this, state_.store.get());
  view.exec();
}
