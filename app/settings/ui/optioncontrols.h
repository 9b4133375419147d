// The small builders the options window's tabs share: a check box, a label with its
// buddy, and a group of option buttons, each with its object name and resource numbers.
#pragma once

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <QRadioButton>

#include <initializer_list>
#include <utility>

#include "languages/ui/formtexts.h"

namespace optioncontrols {

inline QCheckBox* check(QWidget* parent, const char* name, const char* text, int tag) {
  return Named(new QCheckBox(QString::fromUtf8(text), parent), name, tag);
}

inline QLabel* label(QWidget* parent, const char* text, int tag, QWidget* buddy) {
  auto* l = new QLabel(QString::fromUtf8(text), parent);
  l->setObjectName(QStringLiteral("lb") + buddy->objectName());
  SetTextIds(l, tag);
  l->setBuddy(buddy);
  return l;
}

// An option group: one radio button per text, ids 0, 1, ...; named <name>_<id>.
inline QButtonGroup* options(QWidget* parent, QLayout* layout, const char* name,
                             std::initializer_list<std::pair<const char*, int>> items) {
  auto* group = new QButtonGroup(parent);
  group->setObjectName(QString::fromLatin1(name));
  int id = 0;
  for (const auto& [text, tag] : items) {
    auto* b = new QRadioButton(QString::fromUtf8(text), parent);
    b->setObjectName(QStringLiteral("%1_%2").arg(QString::fromLatin1(name)).arg(id));
    SetTextIds(b, tag);
    group->addButton(b, id++);
    layout->addWidget(b);
  }
  group->button(0)->setChecked(true);
  return group;
}

}  // namespace optioncontrols
