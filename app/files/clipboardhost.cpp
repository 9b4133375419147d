#include "files/clipboardhost.h"

#include <cstdio>

#include "melody/rvmelodyapi.h"
#include "melody/rvtonehead.h"

namespace clipboardhost {

struct ScopeAccess {
  static const std::optional<QByteArray>& in(ScopedClipboard* s) { return s->in_; }
  static void write(ScopedClipboard* s, const QByteArray& bytes) {
    s->out_ = bytes;
    s->written_ = true;
  }
};

namespace {

struct State {
  Provider provider;
  QByteArray localText;
  bool hasLocalText = false;
  QByteArray lastRead;  // keeps the text handed to the library valid until the next call
  ScopedClipboard* scope = nullptr;
};

State& state() {
  static State s;
  return s;
}

const char* getText(void*) {
  State& s = state();
  std::optional<QByteArray> text;
  if (s.scope) {
    text = ScopeAccess::in(s.scope);
  } else if (s.provider.read) {
    text = s.provider.read();
  } else if (s.hasLocalText) {
    text = s.localText;
  }
  if (!text) return nullptr;
  s.lastRead = *text;
  return s.lastRead.constData();
}

int32_t setText(void*, const char* text) {
  State& s = state();
  const QByteArray bytes = text ? QByteArray(text) : QByteArray();
  if (s.scope) {
    ScopeAccess::write(s.scope, bytes);
    return 1;
  }
  if (s.provider.write) return s.provider.write(bytes) ? 1 : 0;
  s.localText = bytes;
  s.hasLocalText = true;
  return 1;
}

void showMessage(void*, const char* caption, const char* text) {
  const QString c = QString::fromUtf8(caption ? caption : "");
  const QString t = QString::fromUtf8(text ? text : "");
  State& s = state();
  if (s.provider.message) {
    s.provider.message(c, t);
    return;
  }
  std::fprintf(stderr, "%s: %s\n", qPrintable(c), qPrintable(t));
}

}  // namespace

bool Install() {
  static bool installed = false;
  if (installed) return true;
  if (!rvTonehead::EnsureLoaded()) return false;
  static const RvHostHooks hooks{nullptr, &getText, &setText, &showMessage};
  RvMelodyApi::instance().rvSetHostHooks(&hooks);
  installed = true;
  return true;
}

void SetProvider(Provider provider) {
  state().provider = std::move(provider);
}

ScopedClipboard::ScopedClipboard(std::optional<QByteArray> text) : in_(std::move(text)) {
  Install();
  previous_ = state().scope;
  state().scope = this;
}

ScopedClipboard::~ScopedClipboard() {
  state().scope = previous_;
}

}  // namespace clipboardhost
