#include "mainwindow/hosthooks.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>

#include "melody/rvmelodyapi.h"
#include "melody/rvtonehead.h"

namespace {

HostMessageFn& messageHandler() {
  static HostMessageFn fn;
  return fn;
}

// The text handed to the library stays valid until the next hook call.
QByteArray& clipboardBuffer() {
  static QByteArray text;
  return text;
}

const char* getClipboardText(void*) {
  if (!QGuiApplication::instance()) return nullptr;
  const QString text = QGuiApplication::clipboard()->text();
  if (text.isNull()) return nullptr;
  clipboardBuffer() = text.toUtf8();
  return clipboardBuffer().constData();
}

int32_t setClipboardText(void*, const char* text) {
  if (!QGuiApplication::instance()) return 0;
  QClipboard* c = QGuiApplication::clipboard();
  if (!text || !*text)
    c->clear();
  else
    c->setText(QString::fromUtf8(text));
  return 1;
}

void showMessage(void*, const char* caption, const char* text) {
  const QString cap = QString::fromUtf8(caption ? caption : "");
  const QString body = QString::fromUtf8(text ? text : "");
  if (messageHandler()) {
    messageHandler()(cap, body);
    return;
  }
  if (qobject_cast<QApplication*>(QCoreApplication::instance()))
    QMessageBox::warning(QApplication::activeWindow(), cap, body);
}

}  // namespace

bool InstallHostHooks() {
  if (!rvTonehead::EnsureLoaded()) return false;
  static const RvHostHooks hooks{nullptr, getClipboardText, setClipboardText, showMessage};
  if (!RvMelodyApi::instance().rvSetHostHooks) return false;
  RvMelodyApi::instance().rvSetHostHooks(&hooks);
  return true;
}

void SetHostMessageHandler(HostMessageFn fn) {
  messageHandler() = std::move(fn);
}
