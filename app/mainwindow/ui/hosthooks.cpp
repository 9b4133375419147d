#include "mainwindow/ui/hosthooks.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>

#include "files/clipboardhost.h"

namespace {

ScopedHandler<HostMessageFn>& messageHandlers() {
  static ScopedHandler<HostMessageFn> handlers;
  return handlers;
}

std::optional<QByteArray> readClipboard() {
  if (!QGuiApplication::instance()) return std::nullopt;
  const QString text = QGuiApplication::clipboard()->text();
  if (text.isNull()) return std::nullopt;
  return text.toUtf8();
}

bool writeClipboard(const QByteArray& text) {
  if (!QGuiApplication::instance()) return false;
  QClipboard* c = QGuiApplication::clipboard();
  if (text.isEmpty())
    c->clear();
  else
    c->setText(QString::fromUtf8(text));
  return true;
}

void showMessage(const QString& caption, const QString& text) {
  if (const auto handler = messageHandlers().current()) {
    (*handler)(caption, text);
    return;
  }
  if (qobject_cast<QApplication*>(QCoreApplication::instance()))
    QMessageBox::warning(QApplication::activeWindow(), caption, text);
}

}  // namespace

bool InstallHostHooks() {
  // The library's hooks lead to the clipboard host, which takes the desktop's clipboard
  // unless a clipboard transfer lends it a text for one call.
  clipboardhost::SetProvider({readClipboard, writeClipboard, showMessage});
  return clipboardhost::Install();
}

HostMessageScope ShowHostMessagesWith(HostMessageFn fn) {
  return messageHandlers().install(std::move(fn));
}
