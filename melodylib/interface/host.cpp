#include "host.h"

#include <cstdio>
#include <mutex>

#include "rvmelody.h"

namespace rv {
namespace {

std::mutex& hostMutex() {
  static std::mutex m;
  return m;
}

// The built-in clipboard: one text per process, empty when nothing was stored.
std::optional<std::string>& localClipboard() {
  static std::optional<std::string> text;
  return text;
}

const char* defaultGetClipboardText(void*) {
  // Only called by hostGetClipboardText with the mutex held; the pointer is copied at once.
  const std::optional<std::string>& text = localClipboard();
  return text ? text->c_str() : nullptr;
}

int32_t defaultSetClipboardText(void*, const char* text) {
  if (text && *text)
    localClipboard() = std::string(text);
  else
    localClipboard().reset();
  return 1;
}

void defaultShowMessage(void*, const char* caption, const char* text) {
  std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
}

RvHostHooks& hooks() {
  static RvHostHooks h{nullptr, defaultGetClipboardText, defaultSetClipboardText,
                       defaultShowMessage};
  return h;
}

// A snapshot of the hooks, so a hook that installs other hooks does not deadlock.
RvHostHooks currentHooks() {
  std::lock_guard<std::mutex> lock(hostMutex());
  return hooks();
}

}  // namespace

std::optional<std::string> hostGetClipboardText() {
  const RvHostHooks h = currentHooks();
  if (h.getClipboardText == defaultGetClipboardText) {
    std::lock_guard<std::mutex> lock(hostMutex());
    const char* text = defaultGetClipboardText(nullptr);
    if (!text) return std::nullopt;
    return std::string(text);
  }
  const char* text = h.getClipboardText(h.context);
  if (!text) return std::nullopt;
  return std::string(text);
}

bool hostSetClipboardText(const std::string& text) {
  const RvHostHooks h = currentHooks();
  if (h.setClipboardText == defaultSetClipboardText) {
    std::lock_guard<std::mutex> lock(hostMutex());
    return defaultSetClipboardText(nullptr, text.c_str()) == 1;
  }
  return h.setClipboardText(h.context, text.c_str()) == 1;
}

void hostShowMessage(const std::string& caption, const std::string& text) {
  const RvHostHooks h = currentHooks();
  h.showMessage(h.context, caption.c_str(), text.c_str());
}

}  // namespace rv

// A null table or a null member selects the built-in service for that member.
extern "C" RVMELODY_API void rvSetHostHooks(const RvHostHooks* hooks) {
  std::lock_guard<std::mutex> lock(rv::hostMutex());
  RvHostHooks& h = rv::hooks();
  h.context = hooks ? hooks->context : nullptr;
  h.getClipboardText =
      hooks && hooks->getClipboardText ? hooks->getClipboardText : rv::defaultGetClipboardText;
  h.setClipboardText =
      hooks && hooks->setClipboardText ? hooks->setClipboardText : rv::defaultSetClipboardText;
  h.showMessage = hooks && hooks->showMessage ? hooks->showMessage : rv::defaultShowMessage;
}
