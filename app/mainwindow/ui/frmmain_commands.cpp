// The main window's command table and what reads it: the menus, the command buttons, the
// tool bar and the enabled states.
#include <QAction>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

#include "document/melodydocument.h"
#include "languages/reslang.h"
#include "mainwindow/ui/commandicons.h"
#include "mainwindow/ui/frmmain.h"
#include "melody/formatcatalogue.h"

namespace {

// The menus of the menu bar and their submenus: object name, Tag, parent menu.
struct MenuDef {
  const char* name;
  int tag;
  const char* parent;
};
constexpr MenuDef kMenus[] = {
    {"mnuFile", 1001, nullptr},
    {"mnuFileRecent", 1034, "mnuFile"},
    {"mnuFileClipEx", 1035, "mnuFile"},
    {"mnuFileClipImport", 1036, "mnuFile"},
    {"mnuEdit", 1009, nullptr},
    {"mnuEditPauses", 1020, "mnuEdit"},
    {"mnuEditMoveOct", 1021, "mnuEdit"},
    {"mnuAdvanced", 1067, nullptr},
    {"mnuAdvClipEx", 1035, "mnuAdvanced"},
    {"mnuAdvClipImp", 1036, "mnuAdvanced"},
    {"mnuPlay", 1032, nullptr},
    {"mnuExtras", 1024, nullptr},
    {"mnuLanguage", 1028, nullptr},
    {"mnuHelp", 1029, nullptr},
};

}  // namespace

namespace {

// The clipboard exports and imports of the format catalogue whose menus start with
// prefix ("mnuFile", "mnuAdv"), exports first, each in the order of its kinds.
std::vector<frmMain::Command> clipboardCommands(const char* prefix) {
  std::vector<frmMain::Command> exports, imports;
  const auto mine = [prefix](const char* menu) {
    return std::strncmp(menu, prefix, std::strlen(prefix)) == 0;
  };
  for (const formatcatalogue::Format& f : formatcatalogue::Formats()) {
    for (const formatcatalogue::ClipExport& c : f.clipExports)
      if (mine(c.menu))
        exports.push_back({c.action, c.menu, nullptr, c.tag, 0, nullptr, nullptr,
                           frmMain::kNeedsMelody | frmMain::kClipExport, -1, 0, c.kind});
    for (const formatcatalogue::ClipImport& c : f.clipImports)
      if (mine(c.menu))
        imports.push_back({c.action, c.menu, nullptr, c.tag, 0, nullptr, nullptr,
                           frmMain::kClipImport, -1, 0, c.kind});
  }
  const auto byKind = [](const frmMain::Command& a, const frmMain::Command& b) {
    return a.kind < b.kind;
  };
  std::sort(exports.begin(), exports.end(), byKind);
  std::sort(imports.begin(), imports.end(), byKind);
  exports.insert(exports.end(), imports.begin(), imports.end());
  return exports;
}

// The table with the catalogue's clipboard commands after the command named after.
void insertAfter(std::vector<frmMain::Command>& table, const char* after,
                 std::vector<frmMain::Command> commands) {
  auto at = std::find_if(table.begin(), table.end(), [after](const frmMain::Command& c) {
    return std::strcmp(c.name, after) == 0;
  });
  if (at != table.end()) ++at;
  table.insert(at, commands.begin(), commands.end());
}

}  // namespace

const std::vector<frmMain::Command>& frmMain::CommandTable() {
  using F = frmMain;
  static const std::vector<Command> table = [] {
    std::vector<Command> commands = {
        // name, menu, button, Tag, ToolTipText, shortcuts, handler, flags[, index]
        {"mnuFileNew", "mnuFile", nullptr, 1002, 1568, "Ctrl+N", &F::onFileNew, kToolBar},
        {"mnuFileOpen", "mnuFile", nullptr, 1003, 1048, "Ctrl+O", &F::onFileOpen, kToolBar},
        {"mnuFileSave", "mnuFile", nullptr, 1004, 1049, "Ctrl+S", &F::onFileSave,
         kNeedsMelody | kToolBar},
        {"mnuFileSaveAs", "mnuFile", nullptr, 1005, 1569, "Ctrl+Shift+S", &F::onFileSaveAs,
         kNeedsMelody},
        {"mnuFileImportSagem", "mnuFile", nullptr, 1564, 0, nullptr, &F::onFileImportSagem,
         kSeparator},
        {"mnuFileExportAudio", "mnuFile", nullptr, 2750, 2751, nullptr, &F::onFileExportAudio,
         kNeedsMelody},
        {"mnuFileExit", "mnuFile", nullptr, 1008, 0, "Ctrl+Q", &F::onQuit, kSeparator},

        // Also on an empty start: the first event added starts a melody.
        {"mnuEditAddEvent", "mnuEdit", "cbMainAddEvent", 1022, 1571, nullptr, &F::onAddEvent,
         kNone},
        {"mnuEditEditEvent", "mnuEdit", "cbMainEditEvent", 1023, 1572, nullptr, &F::onEditEvent,
         kNeedsMelody | kNeedsSelection},
        {"mnuEditUndo", "mnuEdit", nullptr, 1010, 1052, "Ctrl+Z", &F::onUndo,
         kUndoCommand | kToolBar},
        {"mnuEditRedo", "mnuEdit", nullptr, 1059, 1060, "Ctrl+Shift+Z; Ctrl+Y", &F::onRedo,
         kRedoCommand | kToolBar},
        {"mnuEditCut", "mnuEdit", nullptr, 1011, 1088, "Ctrl+X", &F::onCut,
         kNeedsMelody | kNeedsSelection | kSeparator},
        {"mnuEditCopy", "mnuEdit", nullptr, 1012, 1089, "Ctrl+C", &F::onCopy,
         kNeedsMelody | kNeedsSelection},
        {"mnuEditPaste", "mnuEdit", nullptr, 1013, 1090, "Ctrl+V", &F::onPaste, kNeedsMelody},
        {"mnuEditDelNotesSel", "mnuEdit", "cbDelSelected", 1014, 1076, nullptr, &F::onDelSelected,
         kNeedsMelody | kNeedsSelection | kSeparator},
        {"mnuEditDelNotesNonSel", "mnuEdit", nullptr, 1015, 0, nullptr, &F::onDelNotSelected,
         kNeedsMelody | kNeedsSelection},
        {"mnuEditNotesHigher", "mnuEdit", "cbHigherNo", 1016, 1053, "Ctrl+Up", &F::onNotesHigher,
         kNeedsMelody | kSeparator},
        {"mnuEditNotesLower", "mnuEdit", "cbLowerNo", 1017, 1054, "Ctrl+Down", &F::onNotesLower,
         kNeedsMelody},
        {"mnuEditNotesOhigher", "mnuEdit", nullptr, 1061, 0, "Ctrl+Shift+Up", &F::onOctaveHigher,
         kNeedsMelody},
        {"mnuEditNotesOlower", "mnuEdit", nullptr, 1062, 0, "Ctrl+Shift+Down", &F::onOctaveLower,
         kNeedsMelody},
        {"mnuEditNoteslonger", "mnuEdit", "cbLongerNo", 1018, 1073, "Ctrl+Right", &F::onLonger,
         kNeedsMelody | kSeparator},
        {"mnuEditNotesShorter", "mnuEdit", "cbShorterNo", 1019, 1074, "Ctrl+Left", &F::onShorter,
         kNeedsMelody},
        {"mnuEditDelPausesFirst", "mnuEditPauses", nullptr, 1063, 0, nullptr, &F::onDelPausesFirst,
         kNeedsMelody},
        {"mnuEditDelPausesEnd", "mnuEditPauses", nullptr, 1064, 0, nullptr, &F::onDelPausesEnd,
         kNeedsMelody},
        {"mnuEditDelPausesFirstEnd", "mnuEditPauses", "cbDelPStartEnd", 1065, 1075, nullptr,
         &F::onDelPausesFirstEnd, kNeedsMelody, -1, 1093},
        {"mnuEditDelPausesAll", "mnuEditPauses", nullptr, 1066, 0, nullptr, &F::onDelPausesAll,
         kNeedsMelody},
        {"mnuEditMoveOctFormat", "mnuEditMoveOct", "cbMove2Scale", 863, 1055, nullptr,
         &F::onMoveRange<0>, kNeedsMelody, 0, 1094},
        {"mnuEditMoveOctFormat", "mnuEditMoveOct", nullptr, 830, 0, nullptr, &F::onMoveRange<1>,
         kNeedsMelody, 1},
        {"mnuEditMoveOctFormat", "mnuEditMoveOct", nullptr, 864, 0, nullptr, &F::onMoveRange<2>,
         kNeedsMelody, 2},
        {"mnuEditMoveOctFormat", "mnuEditMoveOct", nullptr, 1085, 0, nullptr, &F::onMoveRange<3>,
         kNeedsMelody, 3},
        {"mnuEditMoveOctFormat", "mnuEditMoveOct", nullptr, 866, 0, nullptr, &F::onMoveRange<4>,
         kNeedsMelody, 4},

        {"mnuEditNoteView", "mnuEdit", "cbNoteview", 1027, 1605, "F6", &F::onNoteView,
         kNeedsMelody | kSeparator | kToolBar},

        {"mnuAdvAllNotesLonger", "mnuAdvanced", nullptr, 1068, 0, nullptr, &F::onAllNotesLonger,
         kNeedsMelody},
        {"mnuAdvEvVol2MidiVelo", "mnuAdvanced", nullptr, 1069, 0, nullptr, &F::onVolumeToVelocity,
         kNeedsMelody},
        {"mnuAdvMidiVelo2Vol", "mnuAdvanced", nullptr, 1070, 0, nullptr, &F::onVelocityToVolume,
         kNeedsMelody},
        {"mnuAdvCheckNow", "mnuAdvanced", "cbMvsFUpdate", 1078, 1087, "F9", &F::onCheckNow,
         kNeedsMelody | kSeparator},

        {"mnuPlayMidi", "mnuPlay", "cbExPlayAll", 1071, 1050, "F5", &F::onPlayAll,
         kNeedsMelody | kToolBar},
        {"mnuPlaySelected", "mnuPlay", nullptr, 1072, 1077, "Shift+F5", &F::onPlaySelected,
         kNeedsMelody | kNeedsSelection},
        {"mnuPlayStop", "mnuPlay", nullptr, 1051, 0, "F8", &F::onStopPlaying, kSeparator},

        {"mnuExtrasListStyle", "mnuExtras", nullptr, 1091, 0, "Ctrl+F", &F::onListStyleToggle,
         kNone},
        {"mnuExtrasOptions", "mnuExtras", nullptr, 1025, 1573, nullptr, &F::onOptions, kSeparator},
        {"mnuExtrasDataCable", "mnuExtras", nullptr, 1026, 0, "Ctrl+K", &F::onDataCable, kNone},

        {"mnuHelpReadme", "mnuHelp", nullptr, 1030, 0, "F1", &F::onReadme, kNone},
        {"mnuHelpAbout", "mnuHelp", nullptr, 1031, 0, nullptr, &F::onAbout, kSeparator},
    };
    insertAfter(commands, "mnuFileSaveAs", clipboardCommands("mnuFile"));
    insertAfter(commands, "mnuAdvMidiVelo2Vol", clipboardCommands("mnuAdv"));
    return commands;
  }();
  return table;
}

void frmMain::buildMenus() {
  for (const MenuDef& def : kMenus) {
    QMenu* parent = def.parent ? menuNamed(def.parent) : nullptr;
    auto* menu = new QMenu(parent ? static_cast<QWidget*>(parent) : menuBar());
    menu->setObjectName(QLatin1String(def.name));
    menu->setProperty("Tag", def.tag);
    menu->setTitle(GetResString(def.tag));
    menu->menuAction()->setObjectName(QLatin1String(def.name) + QLatin1String("Title"));
    if (parent)
      parent->addMenu(menu);
    else
      menuBar()->addMenu(menu);
    menus_.append(menu);
  }
}

void frmMain::buildActions() {
  toolBar_ = addToolBar(QString());
  toolBar_->setObjectName(QStringLiteral("tobMain"));
  toolBar_->setMovable(false);
  toolBar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  auto* sideLayout = qobject_cast<QVBoxLayout*>(sidePanel_ ? sidePanel_->layout() : nullptr);

  for (const Command& c : CommandTable()) {
    auto* a = new QAction(this);
    a->setObjectName(QLatin1String(c.name));
    a->setProperty("Tag", c.tag);
    if (c.tip > 0) a->setProperty("ToolTipText", c.tip);
    if (c.index >= 0) a->setProperty("Index", c.index);
    a->setText(GetResString(c.tag));
    if (c.tip > 0) {
      a->setToolTip(GetResString(c.tip));
      a->setStatusTip(GetResString(c.tip));
    }
    if (c.keys)
      a->setShortcuts(
          QKeySequence::listFromString(QLatin1String(c.keys), QKeySequence::PortableText));
    addAction(a);  // shortcuts work while the menu bar is closed
    const Handler h = c.handler;
    if (c.flags & kClipExport)
      connect(a, &QAction::triggered, this, [this, k = c.kind] { clipExport(k); });
    else if (c.flags & kClipImport)
      connect(a, &QAction::triggered, this, [this, k = c.kind] { clipImport(k); });
    else
      connect(a, &QAction::triggered, this, [this, h] { (this->*h)(); });
    if (QMenu* menu = c.menu ? menuNamed(c.menu) : nullptr) {
      if (c.flags & kSeparator && !menu->isEmpty()) menu->addSeparator();
      menu->addAction(a);
    }
    a->setIcon(CommandIcon(c.name));
    if (c.flags & kToolBar) toolBar_->addAction(a);
    if (c.button && sideLayout) {
      // A button shows the action's icon text: its own caption when it has one.
      if (c.buttonTag > 0) a->setIconText(GetResString(c.buttonTag));
      auto* b = new QToolButton(sidePanel_);
      b->setObjectName(QLatin1String(c.button));
      b->setProperty("Tag", c.buttonTag > 0 ? c.buttonTag : c.tag);
      if (c.tip > 0) b->setProperty("ToolTipText", c.tip);
      b->setDefaultAction(a);
      b->setToolButtonStyle(Qt::ToolButtonTextOnly);
      b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
      b->setFocusPolicy(Qt::StrongFocus);
      buttons_.append(b);
    }
    actions_.emplace_back(&c, a);
  }
  if (!sideLayout) return;
  // The buttons in the order of work: play, pitch, length, clean-up, range; buttons of
  // other commands follow in table order.
  static const char* const kButtonOrder[] = {"cbExPlayAll",   "cbHigherNo",   "cbLowerNo",
                                             "cbLongerNo",    "cbShorterNo",  "cbDelPStartEnd",
                                             "cbDelSelected", "cbMove2Scale", "cbMvsFUpdate"};
  std::stable_sort(buttons_.begin(), buttons_.end(), [](QToolButton* a, QToolButton* b) {
    const auto rank = [](QToolButton* t) {
      int i = 0;
      for (const char* name : kButtonOrder) {
        if (t->objectName() == QLatin1String(name)) return i;
        ++i;
      }
      return i;
    };
    return rank(a) < rank(b);
  });
  for (QToolButton* b : buttons_) sideLayout->addWidget(b);
  sideLayout->addStretch(1);
}

void frmMain::updateCommandStates() {
  const MelodyDocument& doc = state_.document;
  const bool selection = !selectedRows().isEmpty();
  for (const auto& [c, a] : actions_) {
    bool on = true;
    if (c->flags & kNeedsMelody) on = on && doc.hasMelody();
    if (c->flags & kNeedsSelection) on = on && selection;
    if (c->flags & kUndoCommand) on = on && doc.canUndo();
    if (c->flags & kRedoCommand) on = on && doc.canRedo();
    a->setEnabled(on);
  }
  updateWindowTitle();
  if (title_) title_->setEnabled(doc.hasMelody());
  if (bpm_) bpm_->setEnabled(doc.hasMelody());
}

QAction* frmMain::command(const char* name) const {
  for (const auto& [c, a] : actions_)
    if (qstrcmp(c->name, name) == 0) return a;
  return nullptr;
}

QMenu* frmMain::menuNamed(const char* name) const {
  for (QMenu* m : menus_)
    if (m->objectName() == QLatin1String(name)) return m;
  return nullptr;
}
