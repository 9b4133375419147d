// The note view's two tool bars (note and pause lengths, dot, insert, delete and zoom;
// styles, volume, paste and a new event; each action carries its key for onToolKey) and
// its two rows of fields and buttons.
#include "playback/ui/frmnoteview.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QShortcut>
#include <QToolBar>

#include "languages/ui/formtexts.h"
#include "playback/ui/frmnoteview_res.h"
#include "playback/ui/notedisplay.h"

using namespace noteview_res;

namespace {

QPushButton* textButton(QWidget* parent, const char* name, int tag, int tip) {
  auto* b = new QPushButton(parent);
  b->setObjectName(QString::fromLatin1(name));
  SetTextIds(b, tag, tip);
  // No button is the dialog's default: Return in the display does not press "Higher".
  b->setAutoDefault(false);
  return b;
}

QIcon symbolIcon(int len, bool pause) {
  QPixmap pm(24, 24);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QApplication::palette().color(QPalette::WindowText), 1.3));
  NoteDisplay::paintSymbol(p, QRectF(2, 1, 20, 22), len, pause);
  return QIcon(pm);
}

QIcon textIcon(const QString& text) {
  QPixmap pm(24, 24);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QApplication::palette().color(QPalette::WindowText));
  QFont f = p.font();
  f.setPixelSize(text.size() > 2 ? 9 : 12);
  f.setBold(true);
  p.setFont(f);
  p.drawText(pm.rect(), Qt::AlignCenter, text);
  return QIcon(pm);
}

}  // namespace

QToolBar* frmNoteview::buildNoteBar() {
  auto* bar = new QToolBar(this);
  bar->setObjectName(QStringLiteral("tobNote"));
  bar->setIconSize(QSize(24, 24));
  const auto add = [this, bar](const QString& key, const QIcon& icon, int tip, const char* sc) {
    QAction* a = bar->addAction(icon, key);
    a->setObjectName(key);
    a->setProperty("Key", key);
    SetTextIds(a, 0, tip);
    a->setToolTip(key);
    if (sc) a->setShortcut(QKeySequence(QString::fromLatin1(sc)));
    connect(a, &QAction::triggered, this, [this, key] { onToolKey(key); });
    return a;
  };
  static const char* const kNoteKeys[] = {"1", "2", "3", "4", "5", "6", "7"};
  int i = 0;
  for (int len = 1; len <= 64; len *= 2, ++i)
    add(QStringLiteral("n%1").arg(len), symbolIcon(len, false), kResWholeNote + i, kNoteKeys[i]);
  bar->addSeparator();
  i = 0;
  for (int len = 1; len <= 64; len *= 2, ++i)
    add(QStringLiteral("p%1").arg(len), symbolIcon(len, true), kResWholePause + i,
        QStringLiteral("Ctrl+%1").arg(kNoteKeys[i]).toLatin1().constData());
  bar->addSeparator();
  add(QStringLiteral("dott"), textIcon(QStringLiteral(".")), kResDot, ".");
  add(QStringLiteral("newn"), textIcon(QStringLiteral("+<")), kResInsertNote, "Ins");
  add(QStringLiteral("newna"), textIcon(QStringLiteral(">+")), kResInsertAfter, "Shift+Ins");
  add(QStringLiteral("del"), textIcon(QStringLiteral("X")), kResDeleteNote, "Del");
  bar->addSeparator();
  QAction* zoomIn = bar->addAction(textIcon(QStringLiteral("+")), QStringLiteral("zoomin"));
  zoomIn->setObjectName(QStringLiteral("zoomin"));
  SetTextIds(zoomIn, 0, kResZoomIn);
  zoomIn->setShortcut(QKeySequence::ZoomIn);
  connect(zoomIn, &QAction::triggered, this,
          [this] { display_->setColumnWidth(display_->columnWidth() + 8); });
  QAction* zoomOut = bar->addAction(textIcon(QStringLiteral("-")), QStringLiteral("zoomout"));
  zoomOut->setObjectName(QStringLiteral("zoomout"));
  SetTextIds(zoomOut, 0, kResZoomOut);
  zoomOut->setShortcut(QKeySequence::ZoomOut);
  connect(zoomOut, &QAction::triggered, this,
          [this] { display_->setColumnWidth(display_->columnWidth() - 8); });
  return bar;
}

QToolBar* frmNoteview::buildEventBar() {
  auto* bar = new QToolBar(this);
  bar->setObjectName(QStringLiteral("tobEvent2"));
  bar->setIconSize(QSize(24, 24));
  const auto add = [this, bar](const QString& key, const QString& label, int tip) {
    QAction* a = bar->addAction(textIcon(label), key);
    a->setObjectName(key);
    a->setProperty("Key", key);
    SetTextIds(a, 0, tip);
    return a;
  };
  static const char* const kStyleLabels[] = {"S:N", "S:C", "S:S"};
  static const char* const kStyleKeys[] = {"sn", "sc", "ss"};
  for (int s = 0; s < 3; ++s) {
    const QString key = QString::fromLatin1(kStyleKeys[s]);
    connect(add(key, QString::fromLatin1(kStyleLabels[s]), kResStyleNatural + s),
            &QAction::triggered, this, [this, key] { onToolKey(key); });
  }
  bar->addSeparator();
  liTob2Volume_ = new QComboBox(bar);
  liTob2Volume_->setObjectName(QStringLiteral("liTob2Volume"));
  SetTextIds(liTob2Volume_, 0, kResVolumeStep);
  for (int step = 15; step >= 0; --step) liTob2Volume_->addItem(QString::number(step), step);
  bar->addWidget(liTob2Volume_);
  connect(add(QStringLiteral("vol"), QStringLiteral("V"), kResVolume), &QAction::triggered, this,
          &frmNoteview::onVolume);
  bar->addSeparator();
  QAction* paste = add(QStringLiteral("paste"), QStringLiteral("P"), kResPaste);
  paste->setShortcut(QKeySequence::Paste);
  connect(paste, &QAction::triggered, this, &frmNoteview::onPaste);
  const QString newnm = QStringLiteral("newnm");
  connect(add(newnm, QStringLiteral("+E"), kResInsertEvent), &QAction::triggered, this,
          [this, newnm] { onToolKey(newnm); });
  return bar;
}

// The row under the display: the selected note's pitch and number, tempo, style and the
// volume check box.
QHBoxLayout* frmNoteview::buildControls() {
  auto* controls = new QHBoxLayout;
  const auto button = [this](const char* name, int tag, int tip = 0) {
    return textButton(this, name, tag, tip);
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
  return controls;
}

// Play, Stop, the time, the MIDI setup and the window's OK and Cancel.
QHBoxLayout* frmNoteview::buildPlayRow() {
  const auto button = [this](const char* name, int tag, int tip = 0) {
    return textButton(this, name, tag, tip);
  };
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
  return playRow;
}
