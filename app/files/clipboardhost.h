// The melody library reaches the clipboard and shows its owner-less messages through host
// hooks. This module installs them once and routes them to a provider: the window sets one
// over the system clipboard; without it a process-local text serves. A ScopedClipboard
// gives the library a fixed text to read and collects what it writes, so that clipboard
// transfers can run as text in, text out.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace clipboardhost {

struct Provider {
  // The clipboard's text, or nothing when it holds no text.
  std::function<std::optional<QByteArray>()> read;
  // Replaces the clipboard's contents; false when that failed.
  std::function<bool(const QByteArray&)> write;
  // A message of the library (caption, text).
  std::function<void(const QString&, const QString&)> message;
};

// Binds the library's hooks to this module (once); false when the library is missing.
bool Install();
// The provider behind the hooks; an empty member falls back to the process-local text
// (read, write) or standard error (message).
void SetProvider(Provider provider);

// While it lives, the library reads `text` (nothing for std::nullopt) as the clipboard,
// and what it writes is kept in written() instead of reaching the provider.
class ScopedClipboard {
 public:
  explicit ScopedClipboard(std::optional<QByteArray> text);
  ~ScopedClipboard();
  ScopedClipboard(const ScopedClipboard&) = delete;
  ScopedClipboard& operator=(const ScopedClipboard&) = delete;
  const QByteArray& written() const { return out_; }
  bool wasWritten() const { return written_; }

 private:
  friend struct ScopeAccess;
  std::optional<QByteArray> in_;
  QByteArray out_;
  bool written_ = false;
  ScopedClipboard* previous_ = nullptr;
};

}  // namespace clipboardhost
