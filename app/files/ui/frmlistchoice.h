// A small dialog that offers a list and returns the entry chosen: the tune of an RTTTL
// collection, or any other one-of-many question. Double click or OK choose; Cancel (or
// closing) answers -1.
#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;

class frmListChoice : public QDialog {
  Q_OBJECT
 public:
  frmListChoice(const QString& title, const QString& text, const QStringList& items,
                QWidget* parent = nullptr);

  // The 0-based entry after OK, -1 otherwise.
  int choice() const { return choice_; }
  QListWidget* list() const { return list_; }

  // Shows the dialog modally and returns its answer.
  static int choose(const QString& title, const QString& text, const QStringList& items,
                    QWidget* parent = nullptr);

  void accept() override;
  void reject() override;

 private:
  QListWidget* list_;
  int choice_ = -1;
};
