// The host services the library uses: the clipboard's plain text and a message box without
// owner window. A program installs its own through rvSetHostHooks; without one, a
// process-local clipboard text and standard error stand in.
#pragma once

#include <optional>
#include <string>

namespace rv {

// The clipboard's text; nullopt when there is none or it cannot be read.
std::optional<std::string> hostGetClipboardText();

// Replaces the clipboard's content by text; an empty text leaves the clipboard empty.
// Returns false when the host could not store it.
bool hostSetClipboardText(const std::string& text);

void hostShowMessage(const std::string& caption, const std::string& text);

}  // namespace rv
