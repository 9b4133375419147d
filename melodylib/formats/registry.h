// The one table of formats: id, name, what each can do, and its reader and writer.
#pragma once

#include <cstdint>

#include "format_api.h"

namespace rv {

struct FormatEntry {
  int32_t id;
  const char* name;
  ReadFn read;                  // null: cannot be read
  WriteFn write;                // null: cannot be written
  bool toStringAllowed;         // rvmMelo2String accepts it
  ReadFn bufferRead = nullptr;  // a reader that only rvmReadBuffer uses (read is null)
};

// The reader rvmReadBuffer uses: the entry's own, else its buffer-only one; null: none.
ReadFn memoryReader(const FormatEntry& entry);

// Null for an unknown id.
const FormatEntry* findFormat(int32_t id);

// rvtMeloSupport's answer: bit 1 writable, bit 2 readable; -1 unknown.
int32_t formatSupport(int32_t id);

}  // namespace rv
