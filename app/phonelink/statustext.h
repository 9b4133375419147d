// The status box of the data-cable window as text: a small terminal. Appending keeps the
// box below 16000 characters by dropping 4096 from the front, lets backspaces take back
// characters, drops line feeds and turns each carriage return into CR LF.
#pragma once

#include <QObject>
#include <QString>

class StatusText : public QObject {
  Q_OBJECT

 public:
  static constexpr int kMaxChars = 16000;
  static constexpr int kTrimChars = 4096;

  using QObject::QObject;

  const QString& text() const { return text_; }
  // `AppendStatus`: the terminal-style append.
  void append(const QString& incoming);
  void clear();

 signals:
  // After every change: `removedTail` characters were taken back from the end (leading
  // backspaces), then `appended` was added. A cleared box reports cleared().
  void appendedText(int removedTail, const QString& appended);
  void cleared();

 private:
  QString text_;
};
