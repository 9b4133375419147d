// Clipboard hooks for the melody library's fuzz targets: the clipboard holds whatever
// the target puts there.
#pragma once

#include <string>

#include "rvmelody.h"

struct FuzzClipboard {
  std::string text;
  bool present = false;

  void install() {
    static RvHostHooks hooks{this,
                             [](void* ctx) -> const char* {
                               auto* c = static_cast<FuzzClipboard*>(ctx);
                               return c->present ? c->text.c_str() : nullptr;
                             },
                             [](void* ctx, const char* t) -> int32_t {
                               static_cast<FuzzClipboard*>(ctx)->text = t ? t : "";
                               return 1;
                             },
                             [](void*, const char*, const char*) {}};
    hooks.context = this;
    rvSetHostHooks(&hooks);
  }
};
