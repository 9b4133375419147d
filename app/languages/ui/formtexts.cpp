#include "formtexts.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSet>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVariant>

#include "languages/reslang.h"

namespace {

// The resource number in a property: the value of its leading digits, 0 when there are
// none (so an empty or missing property never selects a string).
int resNumber(const QObject* o, const char* property) {
  const QVariant v = o->property(property);
  if (!v.isValid()) return 0;
  const QString t = v.toString().trimmed();
  int i = 0;
  long long n = 0;
  while (i < t.size() && i < 9 && t[i].isDigit()) n = n * 10 + t[i++].digitValue();
  return static_cast<int>(n);
}

int tagOf(const QObject* o) {
  return resNumber(o, "Tag");
}
int tipOf(const QObject* o) {
  return resNumber(o, "ToolTipText");
}

// Menu entries and tool-bar buttons.
void applyAction(QAction* a) {
  if (a->isSeparator()) return;
  if (const int tag = tagOf(a); tag > 0) a->setText(GetResString(tag));
  if (const int tip = tipOf(a); tip > 0) a->setToolTip(GetResString(tip));
}

void applyTabs(QTabWidget* tabs) {
  for (int i = 0; i < tabs->count(); ++i) {
    const QWidget* page = tabs->widget(i);
    if (const int tag = tagOf(page); tag > 0) tabs->setTabText(i, GetResString(tag));
    if (const int tip = tipOf(page); tip > 0) tabs->setTabToolTip(i, GetResString(tip));
  }
}

// A tab bar on its own keeps each tab's numbers in its tab data: an integer (the caption)
// or a map with "Tag" and "ToolTipText".
void applyTabBar(QTabBar* bar) {
  for (int i = 0; i < bar->count(); ++i) {
    const QVariant data = bar->tabData(i);
    int tag = 0, tip = 0;
    if (data.typeId() == QMetaType::QVariantMap) {
      tag = data.toMap().value(QStringLiteral("Tag")).toInt();
      tip = data.toMap().value(QStringLiteral("ToolTipText")).toInt();
    } else {
      tag = data.toInt();
    }
    if (tag > 0) bar->setTabText(i, GetResString(tag));
    if (tip > 0) bar->setTabToolTip(i, GetResString(tip));
  }
}

void applyWidget(QWidget* w) {
  const int tag = tagOf(w);
  const int tip = tipOf(w);
  // Status bars keep what the program writes into them.
  if (qobject_cast<QStatusBar*>(w)) return;
  if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
    applyTabs(tabs);
    return;
  }
  if (auto* bar = qobject_cast<QTabBar*>(w)) {
    if (!qobject_cast<QTabWidget*>(bar->parentWidget())) applyTabBar(bar);
    return;
  }
  // Tool bars: only the tool tips of their buttons (done with the actions).
  if (qobject_cast<QToolBar*>(w)) return;
  if (auto* menu = qobject_cast<QMenu*>(w)) {
    if (tag > 0) menu->setTitle(GetResString(tag));
    return;
  }
  if (auto* label = qobject_cast<QLabel*>(w)) {
    if (tag > 0) label->setText(GetResString(tag));
    return;
  }
  // Lists, combo boxes and text boxes: only the tool tip.
  if (qobject_cast<QAbstractItemView*>(w) || qobject_cast<QComboBox*>(w) ||
      qobject_cast<QLineEdit*>(w) || qobject_cast<QTextEdit*>(w) ||
      qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QAbstractSpinBox*>(w)) {
    if (tip > 0) w->setToolTip(GetResString(tip));
    return;
  }
  if (tag > 0) {
    if (auto* button = qobject_cast<QAbstractButton*>(w))
      button->setText(GetResString(tag));
    else if (auto* box = qobject_cast<QGroupBox*>(w))
      box->setTitle(GetResString(tag));
  }
  if (tip > 0) w->setToolTip(GetResString(tip));
}

}  // namespace

void LoadFormTexts(QWidget* window, int flag) {
  if (!window) return;
  GetResModule();
  if (const int tag = tagOf(window); tag > 0) window->setWindowTitle(GetResString(tag));

  QSet<QAction*> actions;
  const auto collect = [&actions](QWidget* w) {
    for (QAction* a : w->actions()) actions.insert(a);
  };
  collect(window);
  for (QWidget* w : window->findChildren<QWidget*>()) {
    applyWidget(w);
    collect(w);
    if (auto* menu = qobject_cast<QMenu*>(w)) actions.insert(menu->menuAction());
  }
  for (QAction* a : window->findChildren<QAction*>()) actions.insert(a);
  for (QAction* a : actions) {
    // A submenu's own action carries the submenu's title; its Tag lives on the QMenu.
    if (QMenu* sub = a->menu(); sub && tagOf(a) <= 0) {
      if (const int tag = tagOf(sub); tag > 0) a->setText(GetResString(tag));
      continue;
    }
    applyAction(a);
  }
  // A button that shows only a picture is named by its tool tip for a screen reader (its
  // own text is often an internal key).
  for (QToolButton* b : window->findChildren<QToolButton*>()) {
    const bool pictureOnly = b->toolButtonStyle() == Qt::ToolButtonIconOnly && !b->icon().isNull();
    const QString tip = b->defaultAction() ? b->defaultAction()->toolTip() : b->toolTip();
    if (pictureOnly && !tip.isEmpty()) b->setAccessibleName(tip);
  }
  if (flag == -1) FreeResModule();
}

bool ShowReadme(QWidget* parent) {
  const QString path = ReadmePath();
  if (!path.isEmpty() && QDesktopServices::openUrl(QUrl::fromLocalFile(path))) return true;
  if (path.isEmpty())
    QMessageBox::warning(parent, QStringLiteral("Pealix"),
                         GetResString(818) + QLatin1Char(' ') + GetResString(817));
  return false;
}

bool ChooseLanguage(QWidget* parent, int index) {
  reslang& langs = AppLanguages();
  if (!langs.IsValidLang(index) || index == langs.GetSaveLang()) return false;
  langs.SetSaveLang(index);
  QString question = langs.GetSingle_DllString(828, index, 1024) + QLatin1Char('\n') +
                     langs.GetSingle_DllString(829, index, 1024);
  question += QStringLiteral("\n\n") + GetResString(828, 1024) + QLatin1Char('\n') +
              GetResString(829, 1024);
  if (QMessageBox::question(parent, QStringLiteral("Pealix"), question.trimmed(),
                            QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
    return true;
  QString info = langs.GetSingle_DllString(858, index, 1024);
  if (!info.isEmpty()) info += QStringLiteral("\n\n");
  QMessageBox::information(parent, QStringLiteral("Pealix"), info + GetResString(858, 1024));
  return false;
}
