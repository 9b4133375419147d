#include "mainwindow/ui/frmmain.h"
#include "settings/ui/placewindow.h"
#include "settings/windowplacement.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include "document/eventlistmodel.h"
#include "files/filetables.h"
#include "languages/desktoplanguage.h"
#include "languages/reslang.h"
#include "languages/ui/formtexts.h"
#include "mainwindow/ui/hosthooks.h"
#include "mainwindow/ui/meloformatrows.h"
#include "settings/tempfiles.h"

frmMain::frmMain(AppState& state, QWidget* parent) : QMainWindow(parent), state_(state) {
  setObjectName(QStringLiteral("frmMain"));
  setProperty("Tag", 1000);
  setAcceptDrops(true);
  // The stored language decides which library gives this run's texts.
  loadSettings();
  setWindowTitle(GetResString(1000));
  InstallHostHooks();
  // The melody library's own messages go through the same box as the window's.
  hostMessages_ = ShowHostMessagesWith([this](const QString& caption, const QString& text) {
    ask(QMessageBox::Warning, caption, text, QMessageBox::Ok);
  });

  buildMenus();
  buildCentral();
  buildActions();
  buildLanguageMenu();
  arrangeFocusAndContextMenu();

  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("lbStatus"));
  statusBar()->setObjectName(QStringLiteral("sbMain"));
  statusBar()->addWidget(status_, 1);
  showStatus(GetResString(1058));

  initFileCommands();
  LoadFormTexts(this);
  model_->retranslate();
  applyListStyle();
  installPlayback();
  updateCommandStates();
  // Where the window was left, else a size that fits the screen (also at a large scale).
  const auto stored =
      state_.store ? windowplacement::StoredGeometry(*state_.store, objectName()) : std::nullopt;
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (stored)
    setGeometry(windowplacement::KeepOnScreen(*stored, AvailableScreens()));
  else
    resize(windowplacement::FitScreen(QSize(860, 640),
                                      screen ? screen->availableGeometry() : QRect()));
}

frmMain::~frmMain() = default;

void frmMain::buildCentral() {
  auto* central = new QWidget(this);
  central->setObjectName(QStringLiteral("pnlMain"));
  auto* outer = new QVBoxLayout(central);

  // Title, tempo and the event count.
  auto* fields = new QHBoxLayout;
  auto* lbTitle = new QLabel(central);
  lbTitle->setObjectName(QStringLiteral("lbTitel"));
  lbTitle->setProperty("Tag", 1047);
  title_ = new QLineEdit(central);
  title_->setObjectName(QStringLiteral("tfTitel"));
  title_->setProperty("ToolTipText", 1095);
  lbTitle->setBuddy(title_);
  auto* lbTempo = new QLabel(central);
  lbTempo->setObjectName(QStringLiteral("lbBPM"));
  lbTempo->setProperty("Tag", 1046);
  bpm_ = new QLineEdit(central);
  bpm_->setObjectName(QStringLiteral("tfBPM"));
  bpm_->setProperty("ToolTipText", 1096);
  // Digits only (Backspace works as ever).
  bpm_->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,5}")), bpm_));
  bpm_->setMaximumWidth(70);
  lbTempo->setBuddy(bpm_);
  auto* lbEvents = new QLabel(central);
  lbEvents->setObjectName(QStringLiteral("lbEvents"));
  lbEvents->setProperty("Tag", 1045);
  count_ = new QLabel(central);
  count_->setObjectName(QStringLiteral("lbNAnzahl"));
  count_->setMinimumWidth(40);
  fields->addWidget(lbTitle);
  fields->addWidget(title_, 3);
  fields->addSpacing(12);
  fields->addWidget(lbTempo);
  fields->addWidget(bpm_);
  fields->addSpacing(12);
  fields->addWidget(lbEvents);
  fields->addWidget(count_);
  fields->addStretch(1);
  outer->addLayout(fields);

  // The event list beside the command buttons.
  auto* middle = new QHBoxLayout;
  model_ = new EventListModel(&state_.document.melody(), this);
  list_ = new QTableView(central);
  list_->setObjectName(QStringLiteral("liwNoten"));
  list_->setProperty("ToolTipText", 1097);
  list_->setAccessibleName(GetResString(2409));
  list_->setAccessibleDescription(GetResString(2410));
  list_->setModel(model_);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Tab moves on to the next control, not from cell to cell.
  list_->setTabKeyNavigation(false);
  list_->verticalHeader()->hide();
  list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 6);
  list_->horizontalHeader()->setStretchLastSection(true);
  list_->horizontalHeader()->setHighlightSections(false);
  list_->setColumnWidth(EventListModel::kNumber, 60);
  list_->setColumnWidth(EventListModel::kLength, 80);
  list_->setColumnWidth(EventListModel::kEvent, 130);
  list_->setAlternatingRowColors(true);
  list_->setWordWrap(false);
  list_->installEventFilter(this);
  connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { updateCommandStates(); });
  middle->addWidget(list_, 1);

  sidePanel_ = new QWidget(central);
  sidePanel_->setObjectName(QStringLiteral("pnlCommands"));
  auto* side = new QVBoxLayout(sidePanel_);
  side->setContentsMargins(0, 0, 0, 0);
  side->setSpacing(4);
  sidePanel_->setMinimumWidth(180);
  middle->addWidget(sidePanel_);
  outer->addLayout(middle, 1);

  buildFormatCheck(outer);
  setCentralWidget(central);

  // Leaving a field takes its text over (only while it is enabled).
  title_->installEventFilter(this);
  bpm_->installEventFilter(this);
  connect(title_, &QLineEdit::returnPressed, this, [this] {
    commitFields();
    refresh();
  });
  connect(bpm_, &QLineEdit::returnPressed, this, [this] {
    commitFields();
    refresh();
  });
}

void frmMain::arrangeFocusAndContextMenu() {
  // Tab goes title, tempo, list, the command buttons, then the range check.
  QWidget* previous = bpm_;
  setTabOrder(title_, bpm_);
  const auto next = [&previous](QWidget* w) {
    setTabOrder(previous, w);
    previous = w;
  };
  next(list_);
  for (QToolButton* b : buttons_) next(b);
  for (int row = 0; row < formatCheck_->size(); ++row) next(formatCheck_->choice(row));
  next(autoCheck_);
  // The list's own menu: the clipboard and delete commands.
  list_->setContextMenuPolicy(Qt::ActionsContextMenu);
  for (const char* name : {"mnuEditCut", "mnuEditCopy", "mnuEditPaste", "mnuEditDelNotesSel"})
    if (QAction* a = command(name)) list_->addAction(a);
}

void frmMain::buildLanguageMenu() {
  QMenu* menu = menuNamed("mnuLanguage");
  if (!menu) return;
  menu->clear();
  reslang& langs = AppLanguages();
  auto* group = new QActionGroup(menu);
  for (int i = 0; i < langs.size(); ++i) {
    auto* a = menu->addAction(langs.GetLangOrgName(i));
    a->setObjectName(QStringLiteral("mnuLang"));
    a->setProperty("Index", i);
    a->setCheckable(true);
    a->setChecked(i == langs.GetSaveLang());
    group->addAction(a);
    connect(a, &QAction::triggered, this, [this, menu, i] {
      const bool closeNow = ChooseLanguage(this, i);
      // The entry checked is the language of the next start.
      const int saved = AppLanguages().GetSaveLang();
      for (QAction* entry : menu->actions())
        entry->setChecked(entry->property("Index").toInt() == saved);
      if (closeNow) close();
    });
  }
}

void frmMain::loadSettings() {
  if (!state_.store) return;
  reslang& langs = AppLanguages();
  state_.settings.load(*state_.store, langs.size());
  // The very first start speaks the desktop's language when the program has it.
  if (!state_.store->contains(pxsettings::Key::NewLang)) {
    const int desktop = DesktopLanguageIndex(langs);
    if (langs.IsValidLang(desktop)) state_.settings.newLang = desktop;
  }
  if (langs.IsValidLang(state_.settings.newLang) && state_.settings.newLang != langs.GetLang()) {
    FreeResModule();
    langs.SetLang(state_.settings.newLang);
    langs.SetSaveLang(state_.settings.newLang);
  }
  InstallQtTranslations(LanguageCode(langs, langs.GetLang()));
  state_.comm.RegLoad(*state_.store);
  state_.sms.RegLoad(*state_.store);
  state_.recent.load(*state_.store);
}

void frmMain::saveSettings() {
  if (!state_.store) return;
  state_.settings.newLang = AppLanguages().GetSaveLang();
  state_.settings.save(*state_.store);
  state_.recent.save(*state_.store);
  windowplacement::StoreGeometry(*state_.store, objectName(), normalGeometry());
  state_.store->sync();
}

void frmMain::applyListStyle() {
  list_->setShowGrid(state_.settings.gridLines);
  list_->setSelectionBehavior(state_.settings.fullSelect ? QAbstractItemView::SelectRows
                                                         : QAbstractItemView::SelectItems);
}

void frmMain::showStatus(const QString& text) {
  status_->setText(text);
}

QString frmMain::statusText() const {
  return status_->text();
}

QList<int> frmMain::selectedRows() const {
  QList<int> rows;
  if (!list_ || !list_->selectionModel()) return rows;
  for (const QModelIndex& i : list_->selectionModel()->selectedIndexes())
    if (!rows.contains(i.row())) rows.append(i.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

void frmMain::refresh() {
  MelodyDocument& doc = state_.document;
  const QList<int> before = selectedRows();
  const int current = list_->currentIndex().isValid() ? list_->currentIndex().row() : -1;
  doc.ensureNotEmpty();
  model_->refill();
  // The rows selected before are selected again, the first one scrolled into view.
  const int n = model_->rowCount();
  QItemSelection sel;
  for (int r : before)
    if (r < n) sel.select(model_->index(r, 0), model_->index(r, EventListModel::kColumnCount - 1));
  if (!sel.isEmpty()) {
    list_->selectionModel()->select(sel, QItemSelectionModel::ClearAndSelect);
    const int focus = current >= 0 && current < n ? current : before.front();
    if (focus < n) {
      list_->selectionModel()->setCurrentIndex(model_->index(focus, 0),
                                               QItemSelectionModel::NoUpdate);
      list_->scrollTo(model_->index(focus, 0));
    }
  }
  const pxvbMelody& m = doc.melody();
  count_->setText(QString::number(m.size()));
  bpm_->setText(QString::number(m.bpm()));
  title_->setText(m.sName());
  const QString pending = doc.takePendingStatus();
  if (!pending.isEmpty()) showStatus(pending);
  if (autoCheck_->isChecked()) runFormatCheck();
  updateCommandStates();
}

void frmMain::enableEditing() {
  state_.document.setHasMelody(true);
  refresh();
}

void frmMain::commitFields() {
  MelodyDocument& doc = state_.document;
  if (!doc.hasMelody()) return;
  if (title_->isEnabled()) doc.applyTitle(title_->text());
  if (bpm_->isEnabled()) {
    const QString shown = doc.applyTempoText(bpm_->text());
    bpm_->setText(shown);
  }
}

bool frmMain::openMelodyFile(const QString& path, int formatId) {
  return openChecked(path, formatId, true);
}

QMessageBox::StandardButton frmMain::ask(QMessageBox::Icon icon, const QString& title,
                                         const QString& text, QMessageBox::StandardButtons buttons,
                                         QMessageBox::StandardButton defaultButton) {
  if (messageHook) return messageHook(icon, title, text, buttons);
  QMessageBox box(icon, title, text, buttons, this);
  if (defaultButton != QMessageBox::NoButton) box.setDefaultButton(defaultButton);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

void frmMain::showLibraryError(const rvTonehead::Outcome& outcome) {
  const auto res = [](int id) { return GetResString(id); };
  ask(QMessageBox::Warning, rvTonehead::LibraryErrorTitle(res),
      rvTonehead::LibraryErrorText(outcome, res), QMessageBox::Ok);
}

bool frmMain::confirmDiscard(int titleRes) {
  if (!state_.document.isModified()) return true;
  const auto answer =
      ask(QMessageBox::Question, GetResString(titleRes), GetResString(826),
          QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
  if (answer == QMessageBox::No) return true;
  if (answer == QMessageBox::Yes) return saveAsCommand && saveAsCommand();
  return false;
}

void frmMain::closeEvent(QCloseEvent* event) {
  commitFields();
  if (!confirmDiscard(kResQuitTitle)) {
    event->ignore();
    return;
  }
  saveSettings();
  pxRemoveTempFiles();
  closing_ = true;
  event->accept();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    // Either Delete key: the number block's comes with the keypad flag.
    if (key->key() == Qt::Key_Delete &&
        (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
      if (state_.document.hasMelody()) onDelSelected();
      return true;
    }
  }
  if ((watched == title_ || watched == bpm_) && event->type() == QEvent::FocusOut && !closing_) {
    auto* w = static_cast<QWidget*>(watched);
    if (w->isEnabled() && state_.document.hasMelody()) {
      const bool changedTitle =
          watched == title_ && title_->text() != state_.document.melody().sName();
      commitFields();
      if (watched == bpm_ || changedTitle) {
        count_->setText(QString::number(state_.document.melody().size()));
        if (autoCheck_->isChecked()) runFormatCheck();
        updateCommandStates();
      }
    }
  }
  return QMainWindow::eventFilter(watched, event);
}
