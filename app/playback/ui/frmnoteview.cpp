#include "playback/ui/frmnoteview.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
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

  auto* controls = new QHBoxLayout;
  const auto button = [this](const char* name, int tag, int tip = 0) {
    auto* b = new QPushButton(this);
    b->setObjectName(QString::fromLatin1(name));
    SetTextIds(b, tag, tip);
    return b;
  };
  cbHigher_ = button("cbHigher", kResHigher, kResHigherTip);
  cbLower_ = button("cbLower", kResLower, kResLowerTip);
  // Shortcuts of the window, not of the buttons: a caption with "&" replaces a button's.
  for (auto [keys, target] : {std::pair{"Ctrl+Up", cbHigher_}, std::pair{"Ctrl+Down", cbLower_}}) {
    auto* shortcut = new QShortcut(QKeySequence(QString::fromLatin1(keys)), this);
    connect(shortcut, &QShortcut::activated, target, [target] {
      if (target->isEnabled()) target->click();
    });
  }
  connect(cbHigher_, &QPushButton::clicked, this, [this] {
    edit_.higher();
    refresh();
  });
  connect(cbLower_, &QPushButton::clicked, this, [this] {
    edit_.lower();
    refresh();
  });
  auto* lbSel = new QLabel(this);
  lbSel->setObjectName(QStringLiteral("lbSelNote"));
  SetTextIds(lbSel, kResEvent);
  tfSelNote_ = new QLineEdit(this);
  tfSelNote_->setObjectName(QStringLiteral("tfSelNote"));
  SetTextIds(tfSelNote_, 0, kResSelNote);
  tfSelNote_->setValidator(new QRegularExpressionValidator(QRegularExpression("\\d{0,4}"), this));
  tfSelNote_->setMaximumWidth(60);
  lbSel->setBuddy(tfSelNote_);
  connect(tfSelNote_, &QLineEdit::returnPressed, this, &frmNoteview::onSelNoteEntered);
  tfSelNote_->installEventFilter(this);
  display_->installEventFilter(this);
  scroll_->viewport()->installEventFilter(this);
  controls->addWidget(cbHigher_);
  controls->addWidget(cbLower_);
  controls->addSpacing(12);
  controls->addWidget(lbSel);
  controls->addWidget(tfSelNote_);
  controls->addSpacing(12);

  auto* lbBpm = new QLabel(this);
  lbBpm->setObjectName(QStringLiteral("lbBPM"));
  SetTextIds(lbBpm, kResTempo);
  tfBPM_ = new QLineEdit(this);
  tfBPM_->setObjectName(QStringLiteral("tfBPM"));
  SetTextIds(tfBPM_, 0, kResTempoTip);
  tfBPM_->setValidator(new QRegularExpressionValidator(QRegularExpression("\\d{0,5}"), this));
  tfBPM_->setMaximumWidth(60);
  lbBpm->setBuddy(tfBPM_);
  cboStyle_ = new QComboBox(this);
  cboStyle_->setObjectName(QStringLiteral("cboStyle"));
  SetTextIds(cboStyle_, 0, kResStyleTip);
  chkVeloIgnore_ = new QCheckBox(this);
  chkVeloIgnore_->setObjectName(QStringLiteral("chkVeloIgnore"));
  SetTextIds(chkVeloIgnore_, kResIgnoreVolume);
  controls->addWidget(lbBpm);
  controls->addWidget(tfBPM_);
  controls->addWidget(cboStyle_);
  controls->addWidget(chkVeloIgnore_);
  controls->addStretch();
  root->addLayout(controls);

  auto* playRow = new QHBoxLayout;
  cbPlay_ = button("cbPlay", kResPlay);
  cbPlay_->setShortcut(QKeySequence(QStringLiteral("F5")));
  cbStopPlay_ = button("cbStopPlay", kResStop);
  cbMidiSetup_ = button("cbMidiSetup", kResMidiSetup);
  lbTime_ = new QLabel(this);
  lbTime_->setObjectName(QStringLiteral("lbTime"));
  SetTextIds(lbTime_, 0, kResTimeTip);
  lbTime_->setMinimumWidth(110);
  connect(cbPlay_, &QPushButton::clicked, this, &frmNoteview::onPlay);
  connect(cbStopPlay_, &QPushButton::clicked, this, &frmNoteview::onStop);
  connect(cbMidiSetup_, &QPushButton::clicked, this, &frmNoteview::onMidiSetup);
  cbOk_ = button("cbOk", kResOk, kResOkTip);
  cbCancel_ = button("cbCancel", kResCancel, kResCancelTip);
  cbOk_->setDefault(false);
  cbOk_->setAutoDefault(false);
  connect(cbOk_, &QPushButton::clicked, this, &frmNoteview::onOk);
  connect(cbCancel_, &QPushButton::clicked, this, &QDialog::reject);
  playRow->addWidget(cbPlay_);
  playRow->addWidget(cbStopPlay_);
  playRow->addWidget(lbTime_);
  playRow->addWidget(cbMidiSetup_);
  playRow->addStretch();
  playRow->addWidget(cbOk_);
  playRow->addWidget(cbCancel_);
  root->addLayout(playRow);

  fraMidiSetup_ = new QGroupBox(this);
  fraMidiSetup_->setObjectName(QStringLiteral("fraMidiSetup"));
  SetTextIds(fraMidiSetup_, kResMidiSetup, kResSetupHint);
  auto* setup = new QGridLayout(fraMidiSetup_);
  auto* lbOut = new QLabel(fraMidiSetup_);
  lbOut->setObjectName(QStringLiteral("lbMidiOut"));
  SetTextIds(lbOut, kResOutDevice);
  cboMidiOut_ = new QComboBox(fraMidiSetup_);
  cboMidiOut_->setObjectName(QStringLiteral("cboMidiOut"));
  lbOut->setBuddy(cboMidiOut_);
  auto* lbInstr = new QLabel(fraMidiSetup_);
  lbInstr->setObjectName(QStringLiteral("lbInstrument"));
  SetTextIds(lbInstr, kResInstrument);
  cboInstrument_ = new QComboBox(fraMidiSetup_);
  cboInstrument_->setObjectName(QStringLiteral("cboInstrument"));
  cboInstrument_->setMaxVisibleItems(20);
  lbInstr->setBuddy(cboInstrument_);
  cbMidiSetupOk_ = new QPushButton(fraMidiSetup_);
  cbMidiSetupOk_->setObjectName(QStringLiteral("cbMidiSetupOk"));
  SetTextIds(cbMidiSetupOk_, kResConfirm);
  setup->addWidget(lbOut, 0, 0);
  setup->addWidget(cboMidiOut_, 0, 1);
  setup->addWidget(lbInstr, 1, 0);
  setup->addWidget(cboInstrument_, 1, 1);
  setup->addWidget(cbMidiSetupOk_, 0, 2, 2, 1);
  setup->setColumnStretch(1, 1);
  fraMidiSetup_->hide();
  root->addWidget(fraMidiSetup_);
  connect(cboMidiOut_, &QComboBox::activated, this, &frmNoteview::onDeviceChosen);
  connect(cbMidiSetupOk_, &QPushButton::clicked, this, &frmNoteview::onSetupConfirm);

  // Raised buttons unless the stored style asks for flat tool bars.
  const bool flat = settings_.nvFlatbar() == 1;
  for (QToolBar* bar : {tobNote_, tobEvent2_})
    for (QToolButton* b : bar->findChildren<QToolButton*>()) b->setAutoRaise(flat);
  // Wide enough that both tool bars show every button instead of an overflow arrow.
  resize(std::max(width(), sizeHint().width()), height());
}

void frmNoteview::fillInstruments() {
  cboInstrument_->clear();
  const QStringList names = InstrumentNames();
  for (int i = 0; i < names.size(); ++i) cboInstrument_->addItem(names[i], i);
  cboInstrument_->setCurrentIndex(std::clamp(settings_.instrument(), 0, 127));
}

void frmNoteview::fillDevices() {
  updatingDevices_ = true;
  cboMidiOut_->clear();
  for (const modMidiplay::DeviceEntry& d : player_.FillDeviceList())
    cboMidiOut_->addItem(d.name, d.id);
  const int at =
      cboMidiOut_->findData(player_.portOpen() ? player_.deviceId() : settings_.outDevice());
  cboMidiOut_->setCurrentIndex(std::max(at, 0));
  updatingDevices_ = false;
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
  player_.ProgramChange(0, cboInstrument_->currentIndex());
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
  if (!player_.portOpen() || cboMidiOut_->count() == 0) fillDevices();
  fraMidiSetup_->show();
  updateState();
  cboMidiOut_->setFocus();
}

void frmNoteview::onDeviceChosen(int index) {
  if (updatingDevices_ || index < 0) return;
  player_.OpenMidiOut(cboMidiOut_->itemData(index).toInt(), true, false);
  player_.setReady(false);
  updateState();
}

void frmNoteview::onSetupConfirm() {
  fraMidiSetup_->hide();
  if (player_.portOpen()) {
    player_.setReady(false);
    const int instrument = std::max(cboInstrument_->currentIndex(), 0);
    player_.ProgramChange(0, instrument);
    player_.setReady(true);
    settings_.setInteger(pxsettings::Key::Intrument, instrument);
    settings_.setInteger(pxsettings::Key::OutDevice, player_.deviceId());
    settings_.setText(pxsettings::Key::OutDeviceName,
                      cboMidiOut_->itemText(cboMidiOut_->findData(player_.deviceId())));
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
