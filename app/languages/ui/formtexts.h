// Window side of the languages: gives a widget tree its texts from the resource strings
// named in each object's dynamic properties "Tag" (caption) and "ToolTipText" (tool tip),
// opens the read-me, and asks about a change of language. Needs Qt Widgets (pealixui).
#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

class QWidget;

// Gives a control the resource numbers LoadFormTexts reads: its caption ("Tag") and tool
// tip ("ToolTipText"); a 0 leaves that property unset.
inline void SetTextIds(QObject* control, int tag, int tip = 0) {
  if (tag) control->setProperty("Tag", tag);
  if (tip) control->setProperty("ToolTipText", tip);
}

// A control with its object name and resource numbers, as the windows build them.
template <class Control>
Control* Named(Control* control, const char* name, int tag = 0, int tip = 0) {
  control->setObjectName(QString::fromLatin1(name));
  SetTextIds(control, tag, tip);
  return control;
}

// Gives `window` and all its controls, menus, actions and tabs their texts. A number of
// 0, an empty or non-numeric property keeps the design-time text. flag -1 releases the
// language library afterwards.
void LoadFormTexts(QWidget* window, int flag = 0);

// Opens the current language's read-me with the desktop's handler; when the file is
// missing, shows strings 818 and 817 in a message box. False when nothing was opened.
bool ShowReadme(QWidget* parent = nullptr);

// The language menu: for a valid index other than the saved one, stores it for the next
// start and asks in both languages whether to close now. True when the user chose to
// close the program.
bool ChooseLanguage(QWidget* parent, int index);
