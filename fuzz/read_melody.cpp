// rvmReadMelo for every readable format, from a file and from the clipboard.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "fuzz_input.h"
#include "guarded.h"
#include "melody_hooks.h"
#include "rvmelody.h"

namespace {

std::string hexOf(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FuzzClipboard clipboard;
  static const bool installed = (clipboard.install(), true);
  (void)installed;
  FuzzInput in(data, size);
  static const int32_t kFormats[] = {2, 7, 10, 10, 7, 2, 3, 77};
  const int32_t format = kFormats[in.byte() % 8];
  const uint8_t source = in.byte() % 4;  // 0 file, 1 clipboard, 2 clipboard as MIDI hex, 3 odd
  const int32_t capacity = static_cast<int32_t>(in.byte() % 80) - 2;
  const uint32_t titleCapacity = in.byte() % 24;
  const int32_t controlLength = in.byte() % 13;
  const int32_t channel = in.byte() % 4 == 0 ? 255 : in.byte() % 20;
  const std::string text = in.rest();

  int32_t control[12] = {controlLength,
                         source == 0 ? 1 : (source == 3 ? 3 : 2),
                         format,
                         0,
                         channel,
                         0,
                         0,
                         0,
                         0,
                         0,
                         0,
                         0};
  std::string fileName;
  if (source == 0) {
    fileName = "/dev/shm/pealix-fuzz-read-" + std::to_string(getpid());
    if (std::FILE* f = std::fopen(fileName.c_str(), "wb")) {
      std::fwrite(text.data(), 1, text.size(), f);
      std::fclose(f);
    }
  } else {
    clipboard.present = true;
    clipboard.text = source == 2 ? "//RVPXPX" + hexOf(text) : text;
  }
  Guarded<EventRecord> records(capacity > 0 ? static_cast<size_t>(capacity) : 1);
  Guarded<char> title(titleCapacity + 1);
  int32_t count = capacity;
  uint32_t titleLength = titleCapacity;
  const int32_t rc = rvmReadMelo(records.data(), &count, title.data(), &titleLength, control,
                                 fileName.c_str(), nullptr, nullptr);
  if (fuzzTrace())
    std::fprintf(stderr, "read format %d source %d -> %d, %d records\n", format, source, rc, count);
  if (count > capacity && capacity > 0) __builtin_trap();
  if ((rc == 1 || rc == 100) && (count < 0 || titleLength > titleCapacity)) __builtin_trap();
  return 0;
}
