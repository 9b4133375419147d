// Services the melody library asks of the program: the desktop clipboard (so events cut
// or copied in one Pealix can be pasted in another, and the hex text is on the desktop's
// clipboard) and a message box for errors that reach its exports.
#pragma once

#include <QString>
#include <functional>

#include "common/scopedhandler.h"

// Installs the hooks into the melody library; false when the library is not available.
bool InstallHostHooks();

// Who shows the library's messages (caption, text): `fn` while the returned scope lives,
// then the handler before; a plain message box when none is installed.
using HostMessageFn = std::function<void(const QString& caption, const QString& text)>;
using HostMessageScope = ScopedHandler<HostMessageFn>::Scope;
[[nodiscard]] HostMessageScope ShowHostMessagesWith(HostMessageFn fn);
