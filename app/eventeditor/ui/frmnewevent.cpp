#include "eventeditor/ui/frmnewevent.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

#include "common/keyinput.h"
#include "document/melodydocument.h"
#include "languages/reslang.h"
#include "languages/ui/formtexts.h"
#include "melody/rvtonehead.h"
#include "settings/settingsstore.h"
#include "settings/ui/placewindow.h"

namespace {

constexpr int kResVolumeRange = 2520;

QListWidget* list(QWidget* parent, const char* name, const QStringList& items) {
  auto* w = new QListWidget(parent);
  w->setObjectName(QString::fromLatin1(name));
  w->addItems(items);
  w->setCurrentRow(0);
  w->setMaximumHeight(120);
  return w;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, int tag, QWidget* buddy) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(QString::fromLatin1(name));
  SetTextIds(l, tag);
  l->setBuddy(buddy);
  return l;
}

// The group boxes share their texts with the option buttons that choose them; only the
// buttons keep the underlined letter, or Alt+letter would be claimed twice.
void plainTitles(QGroupBox* const (&groups)[4]) {
  for (QGroupBox* g : groups) g->setTitle(g->title().remove(QLatin1Char('&')));
}

int volumeVelocity(int step) {
  int velocity = 0;
  if (rvTonehead::iVol2MVelo(step, velocity) == 1) return velocity;
  return step * 127 / 15;
}

}  // namespace

frmNewEvent::frmNewEvent(MelodyDocument& document, std::function<void()> changed,
                         pxsettings::SettingsStore* store, QWidget* parent)
    : QDialog(parent), document_(document), changed_(std::move(changed)), store_(store) {
  setObjectName(QStringLiteral("frmNewEvent"));
  setWindowFlag(Qt::Tool);
  setModal(false);
  SetTextIds(this, 1300);
  setWindowTitle(QStringLiteral("Event"));

  // The four groups, each behind its option button.
  optEvents_ = new QButtonGroup(this);
  optEvents_->setObjectName(QStringLiteral("optEvents"));
  static const char* kGroupNames[] = {"fraENote", "fraEPause", "fraEStyle", "fraEVolume"};
  static const char* kOptNames[] = {"optEvents_0", "optEvents_1", "optEvents_2", "optEvents_3"};
  static const char* kOptTexts[] = {"&Note", "&Pause", "&Style", "&Volume"};
  static const int kOptTags[] = {1301, 1302, 1303, 1305};
  auto* kinds = new QGroupBox(QStringLiteral("Kind of event"), this);
  kinds->setObjectName(QStringLiteral("fraEventKind"));
  SetTextIds(kinds, 1320);
  auto* kindsLayout = new QHBoxLayout(kinds);
  for (int i = 0; i < 4; ++i) {
    auto* opt = new QRadioButton(QString::fromLatin1(kOptTexts[i]), kinds);
    opt->setObjectName(QString::fromLatin1(kOptNames[i]));
    SetTextIds(opt, kOptTags[i]);
    optEvents_->addButton(opt, i);
    kindsLayout->addWidget(opt);
    groups_[i] = new QGroupBox(QString::fromLatin1(kOptTexts[i]).remove(QLatin1Char('&')), this);
    groups_[i]->setObjectName(QString::fromLatin1(kGroupNames[i]));
    SetTextIds(groups_[i], kOptTags[i]);
  }
  connect(optEvents_, &QButtonGroup::idClicked, this, &frmNewEvent::updateEnabled);

  // Note.
  cboENNotes_ = new QComboBox(groups_[0]);
  cboENNotes_->setObjectName(QStringLiteral("cboENNotes"));
  cboENNotes_->addItems(eventbuilder::NoteNames());
  cboENOctave_ = new QComboBox(groups_[0]);
  cboENOctave_->setObjectName(QStringLiteral("cboENOctave"));
  cboENOctave_->addItems(eventbuilder::OctaveNames());
  liENLen_ = list(groups_[0], "liENLen", eventbuilder::LengthNames());
  liENDotLen_ = list(groups_[0], "liENDotLen", eventbuilder::DotNames());
  tfENVelocity_ = new QLineEdit(QStringLiteral("127"), groups_[0]);
  tfENVelocity_->setObjectName(QStringLiteral("tfENVelocity"));
  tfENVelocity_->setMaxLength(5);
  tfENVelocity_->installEventFilter(this);
  // A volume outside 1..127 stays in the field as typed; Add and Change refuse it.
  auto* note = new QGridLayout(groups_[0]);
  note->addWidget(label(groups_[0], "lbENNote", QStringLiteral("Note name"), 1321, cboENNotes_), 0,
                  0);
  note->addWidget(label(groups_[0], "lbENOctave", QStringLiteral("Octave"), 1308, cboENOctave_), 0,
                  1);
  note->addWidget(label(groups_[0], "lbENLen", QStringLiteral("Length"), 1309, liENLen_), 0, 2);
  note->addWidget(label(groups_[0], "lbENDot", QStringLiteral("Dot"), 1310, liENDotLen_), 0, 3);
  note->addWidget(cboENNotes_, 1, 0, Qt::AlignTop);
  note->addWidget(cboENOctave_, 1, 1, Qt::AlignTop);
  note->addWidget(liENLen_, 1, 2);
  note->addWidget(liENDotLen_, 1, 3);
  note->addWidget(
      label(groups_[0], "lbENVelocity", QStringLiteral("Volume (1-127)"), 1307, tfENVelocity_), 2,
      0);
  note->addWidget(tfENVelocity_, 2, 1);

  // Pause.
  liEPLen_ = list(groups_[1], "liEPLen", eventbuilder::LengthNames());
  liEPDotLen_ = list(groups_[1], "liEPDotLen", eventbuilder::DotNames());
  auto* pause = new QGridLayout(groups_[1]);
  pause->addWidget(label(groups_[1], "lbEPLen", QStringLiteral("Length"), 1309, liEPLen_), 0, 0);
  pause->addWidget(label(groups_[1], "lbEPDot", QStringLiteral("Dot"), 1310, liEPDotLen_), 0, 1);
  pause->addWidget(liEPLen_, 1, 0);
  pause->addWidget(liEPDotLen_, 1, 1);

  // Style: natural, legato (continuous), staccato.
  optESStyle_ = new QButtonGroup(this);
  optESStyle_->setObjectName(QStringLiteral("optESStyle"));
  auto* style = new QHBoxLayout(groups_[2]);
  static const char* kStyleTexts[] = {"Natural", "Legato", "Staccato"};
  static const int kStyleTags[] = {1311, 1325, 1313};
  for (int i = 0; i < 3; ++i) {
    auto* opt = new QRadioButton(QString::fromLatin1(kStyleTexts[i]), groups_[2]);
    opt->setObjectName(QStringLiteral("optESStyle_%1").arg(i));
    SetTextIds(opt, kStyleTags[i]);
    optESStyle_->addButton(opt, i);
    style->addWidget(opt);
  }
  optESStyle_->button(0)->setChecked(true);

  // Volume.
  libEVVolume_ = list(groups_[3], "libEVVolume", eventbuilder::VolumeSteps());
  libEVVolume_->setCurrentRow(15);
  auto* volume = new QVBoxLayout(groups_[3]);
  volume->addWidget(
      label(groups_[3], "lbEVVolume", QStringLiteral("Volume step"), 1322, libEVVolume_));
  volume->addWidget(libEVVolume_);

  cbenvAdd_ = new QPushButton(QStringLiteral("&Add"), this);
  cbenvAdd_->setObjectName(QStringLiteral("cbenvAdd"));
  SetTextIds(cbenvAdd_, 1317, 1323);
  cbfnevChange_ = new QPushButton(QStringLiteral("C&hange"), this);
  cbfnevChange_->setObjectName(QStringLiteral("cbfnevChange"));
  SetTextIds(cbfnevChange_, 1318, 1324);
  cbClose_ = new QPushButton(QStringLiteral("&Close"), this);
  cbClose_->setObjectName(QStringLiteral("cbClose"));
  SetTextIds(cbClose_, 1319);
  connect(cbenvAdd_, &QPushButton::clicked, this, &frmNewEvent::add);
  connect(cbfnevChange_, &QPushButton::clicked, this, &frmNewEvent::change);
  connect(cbClose_, &QPushButton::clicked, this, &frmNewEvent::close);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cbenvAdd_);
  buttons->addWidget(cbfnevChange_);
  buttons->addWidget(cbClose_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(kinds);
  for (QGroupBox* g : groups_) layout->addWidget(g);
  layout->addLayout(buttons);

  LoadFormTexts(this);
  plainTitles(groups_);
  selectGroup(eventbuilder::kNote);
  liENLen_->setCurrentRow(3);
  liEPLen_->setCurrentRow(3);
  cboENOctave_->setCurrentIndex(5);
}

frmNewEvent::~frmNewEvent() = default;

void frmNewEvent::selectGroup(int group) {
  if (QAbstractButton* b = optEvents_->button(group)) b->setChecked(true);
  updateEnabled();
}

void frmNewEvent::updateEnabled() {
  const int group = optEvents_->checkedId();
  for (int i = 0; i < 4; ++i) groups_[i]->setEnabled(i == group);
  cbfnevChange_->setEnabled(editType_ == 1);
  // Enter writes over the edited event in edit mode, and appends in add mode.
  cbfnevChange_->setDefault(editType_ == 1);
  cbenvAdd_->setDefault(editType_ != 1);
}

bool frmNewEvent::velocityAccepted() {
  if (optEvents_->checkedId() != eventbuilder::kNote ||
      eventbuilder::VelocityAccepted(tfENVelocity_->text()))
    return true;
  const QString text = GetResString(kResVolumeRange);
  if (warn)
    warn(text);
  else
    QMessageBox::warning(this, windowTitle(), text);
  tfENVelocity_->setFocus();
  tfENVelocity_->selectAll();
  return false;
}

eventbuilder::Choice frmNewEvent::choice() const {
  eventbuilder::Choice c;
  c.group = optEvents_->checkedId();
  c.noteIndex = cboENNotes_->currentIndex();
  c.octave = cboENOctave_->currentIndex();
  c.noteLength = liENLen_->currentRow();
  c.noteDot = liENDotLen_->currentRow();
  c.velocity = tfENVelocity_->text();
  c.pauseLength = liEPLen_->currentRow();
  c.pauseDot = liEPDotLen_->currentRow();
  c.style = optESStyle_->checkedId();
  c.volumeStep = libEVVolume_->currentRow();
  return c;
}

void frmNewEvent::setChoice(const eventbuilder::Choice& c) {
  cboENNotes_->setCurrentIndex(c.noteIndex);
  cboENOctave_->setCurrentIndex(c.octave);
  liENLen_->setCurrentRow(c.noteLength);
  liENDotLen_->setCurrentRow(c.noteDot);
  tfENVelocity_->setText(c.velocity);
  liEPLen_->setCurrentRow(c.pauseLength);
  liEPDotLen_->setCurrentRow(c.pauseDot);
  if (QAbstractButton* b = optESStyle_->button(c.style)) b->setChecked(true);
  libEVVolume_->setCurrentRow(c.volumeStep);
  selectGroup(c.group);
}

pxvbNote frmNewEvent::builtEvent() const {
  eventbuilder::Choice c = choice();
  c.velocity = QString::number(eventbuilder::VelocityFromText(c.velocity));
  return eventbuilder::Build(c, volumeVelocity);
}

void frmNewEvent::add() {
  if (!velocityAccepted()) return;
  document_.appendEvent(builtEvent());
  if (changed_) changed_();
}

void frmNewEvent::change() {
  // A position beyond the melody's end writes nothing.
  if (editIndex_ < 0 || editIndex_ >= document_.melody().size()) return;
  if (!velocityAccepted()) return;
  document_.replaceEvent(editIndex_, builtEvent());
  if (changed_) changed_();
}

void frmNewEvent::openForNew() {
  if (isVisible() && editType_ == 1) close();
  editType_ = 0;
  editIndex_ = 0;
  LoadFormTexts(this);
  plainTitles(groups_);
  updateEnabled();
  restorePosition();
  show();
  raise();
  activateWindow();
  focusFirstField();
}

bool frmNewEvent::openForEdit(int index) {
  if (index < 0 || index >= document_.melody().size()) return false;
  editType_ = 1;
  editIndex_ = index;
  setWindowTitle(QStringLiteral("Edit Event No.") + QString::number(index + 1));
  pxvbNote e;
  document_.melody().getclNote(index, e);
  eventbuilder::Choice c = choice();
  if (eventbuilder::Fill(e, document_.melody().getiMelVolume(index), c)) setChoice(c);
  updateEnabled();
  restorePosition();
  show();
  raise();
  activateWindow();
  focusFirstField();
  return true;
}

// A reused window starts on the kind of event, not on the button that closed it last.
void frmNewEvent::focusFirstField() {
  if (QAbstractButton* b = optEvents_->checkedButton()) b->setFocus(Qt::OtherFocusReason);
}

bool frmNewEvent::eventFilter(QObject* watched, QEvent* event) {
  // The velocity field takes digits and Backspace only; anything else typed beeps.
  if (watched == tfENVelocity_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (!keyinput::DigitsOnlyAccepts(key->key(), key->modifiers(), key->text())) {
      QApplication::beep();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void frmNewEvent::restorePosition() {
  if (placed_) return;
  placed_ = true;
  // Centred on the main window until a place was stored; a stored place is kept on a
  // screen that is there now.
  std::optional<QPoint> stored;
  if (store_ &&
      !store_->read(QStringLiteral("Settings"), QStringLiteral("NewEvLeft"), QString()).isEmpty())
    stored = QPoint(store_->newEventLeft(), store_->newEventTop());
  PlaceToolWindow(this, parentWidget(), stored);
}

void frmNewEvent::savePosition() {
  if (!store_ || !placed_) return;
  store_->setInteger(pxsettings::Key::NewEvLeft, pos().x());
  store_->setInteger(pxsettings::Key::NewEvTop, pos().y());
}

void frmNewEvent::closeEvent(QCloseEvent* e) {
  savePosition();
  QDialog::closeEvent(e);
}

void frmNewEvent::hideEvent(QHideEvent* e) {
  savePosition();
  QDialog::hideEvent(e);
}
