#include "playback/ui/frmnoteview.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "languages/reslang.h"
#include "languages/ui/formtexts.h"
#include "melody/rvtonehead.h"
#include "playback/modmidiplay.h"
#include "playback/ui/frmnoteview_res.h"
#include "playback/ui/midisetuppanel.h"
#include "playback/ui/notedisplay.h"
#include "settings/settingsstore.h"

using namespace noteview_res;

frmNoteview::frmNoteview(pxvbMelody& mainMelody, modMidiplay& player,
                         pxsettings::SettingsStore& settings, QWidget* parent)
    : QDialog(parent), main_(mainMelody), player_(player), settings_(settings), edit_(mainMelody) {
  commit_ = [this](const pxvbMelody& m) { main_.assign(m); };
  buildUi();
  LoadFormTexts(this);
  // The frame shares its heading with the button that opens it; only the button keeps the
  // underlined letter.
  fraMidiSetup_->setTitle(fraMidiSetup_->title().remove(QLatin1Char('&')));
  cboStyle_->addItems(
      {GetResString(kResNatural), GetResString(kResLegato), GetResString(kResStaccato)});
  cboStyle_->setCurrentIndex(std::clamp(edit_.melody().DefStyle(), 0, 2));
  tfBPM_->setText(QString::number(edit_.melody().bpm()));
  refresh();
  // Open where the melody's notes are, not at a fixed octave above most of them.
  showOctave(NoteviewEdit::octaveForMelody(edit_.melody()));
  if (edit_.hasSelection()) pxvSelectAndShowNote(edit_.selected());
  openMidiAtStart();
  updateState();
  // Left and Right step through the melody from the start, without a click first.
  display_->setFocus();
}

frmNoteview::~frmNoteview() {
  player_.AbortPlay();
  if (player_.portOpen()) player_.OpenMidiOut(player_.deviceId(), false, false);
  player_.setReady(false);
}

void frmNoteview::message(const QString& text) {
  if (messageHook_)
    messageHook_(windowTitle(), text);
  else
    QMessageBox::warning(this, windowTitle(), text);
}

void frmNoteview::buildUi() {
  setObjectName(QStringLiteral("frmNoteview"));
  SetTextIds(this, kResTitle);
  setWindowTitle(QStringLiteral("Note view"));
  setSizeGripEnabled(true);
  resize(900, 520);

  auto* root = new QVBoxLayout(this);
  auto* bars = new QHBoxLayout;
  tobNote_ = buildNoteBar();
  tobEvent2_ = buildEventBar();
  bars->addWidget(tobNote_);
  bars->addWidget(tobEvent2_);
  bars->addStretch();
  root->addLayout(bars);

  auto* middle = new QHBoxLayout;
  display_ = new NoteDisplay;
  display_->setMelody(&edit_.melody());
  scroll_ = new QScrollArea(this);
  scroll_->setObjectName(QStringLiteral("scrNotes"));
  scroll_->setWidget(display_);
  scroll_->setWidgetResizable(true);
  scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll_->setMinimumHeight(display_->sizeHint().height() + 24);
  middle->addWidget(scroll_, 1);
  vscNote_ = new QScrollBar(Qt::Vertical, this);
  vscNote_->setObjectName(QStringLiteral("vscNote"));
  SetTextIds(vscNote_, 0, kResOctave);
  // Top is the highest octave.
  vscNote_->setRange(0, NoteviewEdit::kMaxOctave);
  vscNote_->setPageStep(1);
  middle->addWidget(vscNote_);
  root->addLayout(middle, 1);
  connect(display_, &NoteDisplay::eventClicked, this, [this](int pos) {
    edit_.select(pos);
    pxvSelectAndShowNote(pos);
  });
  connect(display_, &NoteDisplay::stepRequested, this, [this](int step) {
    if (playing_ || !edit_.hasSelection()) return;
    const long long to = static_cast<long long>(edit_.selected()) + step;
    pxvSelectAndShowNote(static_cast<int>(std::clamp<long long>(to, 0, edit_.melody().last())));
  });
  connect(vscNote_, &QScrollBar::valueChanged, this,
          [this](int v) { showOctave(NoteviewEdit::kMaxOctave - v); });

  root->addLayout(buildControls());
  root->addLayout(buildPlayRow());

  fraMidiSetup_ = new MidiSetupPanel(this);
  fraMidiSetup_->hide();
  root->addWidget(fraMidiSetup_);
  connect(fraMidiSetup_, &MidiSetupPanel::deviceChosen, this, &frmNoteview::onDeviceChosen);
  connect(fraMidiSetup_, &MidiSetupPanel::confirmed, this, &frmNoteview::onSetupConfirm);

  // Raised buttons unless the stored style asks for flat tool bars.
  const bool flat = settings_.nvFlatbar() == 1;
  for (QToolBar* bar : {tobNote_, tobEvent2_})
    for (QToolButton* b : bar->findChildren<QToolButton*>()) b->setAutoRaise(flat);
  // Wide enough that both tool bars show every button instead of an overflow arrow.
  resize(std::max(width(), sizeHint().width()), height());
}

void frmNoteview::fillInstruments() {
  fraMidiSetup_->setInstruments(InstrumentNames(), settings_.instrument());
}

void frmNoteview::fillDevices() {
  fraMidiSetup_->setDevices(player_.FillDeviceList(),
                            player_.portOpen() ? player_.deviceId() : settings_.outDevice());
}

void frmNoteview::openMidiAtStart() {
  fillInstruments();
  chkVeloIgnore_->setChecked(settings_.ignoreVol() == 1);
  // Quietly: nobody asked for sound yet. Play tries again and says what is wrong.
  openOutput(true);
}

bool frmNoteview::openOutput(bool quiet) {
  const int device = settings_.outDevice();
  if (!player_.OpenMidiOut(device, true, quiet)) {
    player_.setReady(false);
    return false;
  }
  fillDevices();
  player_.ProgramChange(0, fraMidiSetup_->instrument());
  player_.setReady(true);
  return true;
}

// One place decides what can be used: editing while not playing, Play when the output
// is ready, Stop while a port is open and the setup panel is closed.
void frmNoteview::updateState() {
  const bool idle = !playing_;
  const bool sel = edit_.hasSelection();
  const bool empty = edit_.melody().size() == 0;
  for (QAction* a : tobNote_->actions())
    a->setEnabled(idle && edit_.toolEnabled(a->objectName(), false));
  for (QAction* a : tobEvent2_->actions())
    a->setEnabled(idle && edit_.toolEnabled(a->objectName(), true));
  liTob2Volume_->setEnabled(idle);
  const bool note = sel && edit_.melody().getEvent(edit_.selected()) == RV_EVENT_NOTE;
  cbHigher_->setEnabled(idle && note);
  cbLower_->setEnabled(idle && note);
  tfSelNote_->setEnabled(idle);
  tfBPM_->setEnabled(idle);
  cboStyle_->setEnabled(idle);
  chkVeloIgnore_->setEnabled(idle);
  // Play also when the output did not open: it tries again and says why.
  cbPlay_->setEnabled(idle && !empty && fraMidiSetup_->isHidden());
  cbStopPlay_->setEnabled(player_.portOpen() && player_.ready() && fraMidiSetup_->isHidden());
  cbMidiSetup_->setEnabled(idle);
  fraMidiSetup_->setEnabled(idle);
  cbOk_->setEnabled(idle);
}

void frmNoteview::refresh() {
  display_->setSelected(edit_.selected());
  display_->refresh();
  tfSelNote_->setText(edit_.hasSelection() ? QString::number(edit_.selected() + 1) : QString());
  updateState();
}

void frmNoteview::showOctave(int octave) {
  octave = std::clamp(octave, 0, NoteviewEdit::kMaxOctave);
  int low, high;
  NoteviewEdit::visibleRange(octave, low, high);
  display_->setRange(low, high);
  const QSignalBlocker block(vscNote_);
  vscNote_->setValue(NoteviewEdit::kMaxOctave - octave);
}

void frmNoteview::pxvSelectAndShowNote(int pos) {
  if (!edit_.select(pos)) return;
  const int shown = NoteviewEdit::kMaxOctave - vscNote_->value();
  const int octave = edit_.octaveShowing(shown, pos);
  if (octave != shown) showOctave(octave);
  scroll_->ensureVisible(display_->columnX(pos) + display_->columnWidth() / 2, 0,
                         display_->columnWidth() * 2, 0);
  refresh();
}

void frmNoteview::onToolKey(const QString& key) {
  if (playing_) return;
  if (edit_.apply(key)) pxvSelectAndShowNote(edit_.selected());
  refresh();
}

void frmNoteview::onVolume() {
  if (playing_) return;
  int velocity = 0;
  if (rvTonehead::iVol2MVelo(liTob2Volume_->currentData().toInt(), velocity) != 1) {
    QString why;
    rvTonehead::EnsureLoaded(&why);
    message(why);
    return;
  }
  edit_.setVolume(velocity);
  refresh();
}

void frmNoteview::onPaste() {
  if (playing_) return;
  pxvbMelody pasted;
  rvTonehead::ReadRequest request{rvTonehead::Where::Clipboard, RV_FORMAT_MIDI};
  const rvTonehead::Outcome o = rvTonehead::ReadMelo(pasted, request, QString(), false);
  if (o.result != 1) {
    message(rvTonehead::LibraryErrorText(o, [](int id) { return GetResString(id); }));
    return;
  }
  edit_.paste(pasted);
  pxvSelectAndShowNote(edit_.selected());
}

void frmNoteview::onSelNoteEntered() {
  bool ok = false;
  const int number = tfSelNote_->text().toInt(&ok);
  if (ok) pxvSelectAndShowNote(number - 1);
  refresh();  // an unknown number shows the selection again
}

int frmNoteview::tempoFromField() {
  const int bpm = NoteviewEdit::TempoFromText(tfBPM_->text());
  tfBPM_->setText(QString::number(bpm));
  return bpm;
}

void frmNoteview::onPlay() {
  if (playing_ || (!player_.ready() && !openOutput(false))) return;
  pxvbMelody& m = edit_.melody();
  m.setbpm(tempoFromField());
  m.setDefStyle(cboStyle_->currentIndex());
  lbTime_->setText(QString::number(edit_.expectedMs()));
  pxplay::PlaybackObserver observer;
  observer.eventStarted = [this](int pos) {
    QMetaObject::invokeMethod(
        this, [this, pos] { pxvSelectAndShowNote(pos); }, Qt::QueuedConnection);
  };
  const auto finished = [this](const pxplay::PlaybackResult& r) {
    QMetaObject::invokeMethod(
        this, [this, r] { onPlayFinished(r); }, Qt::QueuedConnection);
  };
  playing_ = true;
  if (!player_.StartPlay(m, chkVeloIgnore_->isChecked(), observer, finished)) playing_ = false;
  updateState();
}

void frmNoteview::onStop() {
  player_.StopPlay();
}

void frmNoteview::onPlayFinished(const pxplay::PlaybackResult& r) {
  player_.WaitPlay();
  playing_ = false;
  lbTime_->setText(QString::number(r.expectedMs) + QLatin1Char('|') + QString::number(r.elapsedMs));
  updateState();
  if (!r.error.isEmpty()) message(GetResString(kResPlayEnded) + QLatin1Char(' ') + r.error);
}

void frmNoteview::onMidiSetup() {
  if (playing_) return;
  if (player_.DeviceCount() < 1) {
    message(GetResString(kResNoMidi));
    player_.setReady(false);
    updateState();
    return;
  }
  if (!player_.portOpen() || fraMidiSetup_->deviceCount() == 0) fillDevices();
  fraMidiSetup_->show();
  updateState();
  fraMidiSetup_->focusDevices();
}

void frmNoteview::onDeviceChosen(int id) {
  player_.OpenMidiOut(id, true, false);
  player_.setReady(false);
  updateState();
}

void frmNoteview::onSetupConfirm() {
  fraMidiSetup_->hide();
  if (player_.portOpen()) {
    player_.setReady(false);
    const int instrument = fraMidiSetup_->instrument();
    player_.ProgramChange(0, instrument);
    player_.setReady(true);
    settings_.setInteger(pxsettings::Key::Intrument, instrument);
    settings_.setInteger(pxsettings::Key::OutDevice, player_.deviceId());
    settings_.setText(pxsettings::Key::OutDeviceName,
                      fraMidiSetup_->deviceName(player_.deviceId()));
    settings_.setInteger(pxsettings::Key::IgnoreVol, chkVeloIgnore_->isChecked() ? 1 : 0);
    settings_.sync();
  }
  updateState();
}

void frmNoteview::onOk() {
  if (playing_) return;
  edit_.melody().setbpm(tempoFromField());
  if (commit_) commit_(edit_.melody());
  accept();
}

bool frmNoteview::eventFilter(QObject* watched, QEvent* e) {
  // The wheel moves the pitch display by octaves; a sideways wheel (or Shift) scrolls
  // through the melody as the scroll area does.
  if ((watched == display_ || watched == scroll_->viewport()) && e->type() == QEvent::Wheel) {
    auto* wheel = static_cast<QWheelEvent*>(e);
    const int dy = wheel->angleDelta().y();
    if (dy != 0 && !(wheel->modifiers() & Qt::ShiftModifier)) {
      vscNote_->setValue(vscNote_->value() + (dy > 0 ? -1 : 1));
      return true;
    }
  }
  // A double click on the event number selects it, as Enter does.
  if (watched == tfSelNote_ && e->type() == QEvent::MouseButtonDblClick && !playing_) {
    onSelNoteEntered();
    return true;
  }
  return QDialog::eventFilter(watched, e);
}

void frmNoteview::closeEvent(QCloseEvent* e) {
  player_.AbortPlay();
  QDialog::closeEvent(e);
}

void frmNoteview::done(int result) {
  // However the window closes, a playback ends with it and the port is closed.
  player_.AbortPlay();
  playing_ = false;
  if (player_.portOpen()) player_.OpenMidiOut(player_.deviceId(), false, false);
  player_.setReady(false);
  QDialog::done(result);
}

void frmNoteview::keyPressEvent(QKeyEvent* e) {
  // Escape stops a playback rather than closing the window.
  if (e->key() == Qt::Key_Escape && playing_) {
    onStop();
    return;
  }
  QDialog::keyPressEvent(e);
}
