// rvmMeloExport and rvmMelo2String for every format, from arbitrary records, counts,
// capacities and control arrays.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "guarded.h"
#include "melody_hooks.h"
#include "rvmelody.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FuzzClipboard clipboard;
  static const bool installed = (clipboard.install(), true);
  (void)installed;
  FuzzInput in(data, size);
  static const int32_t kFormats[] = {2, 3, 7, 8, 9, 10, 12, 14, 19, 0};
  const int32_t format = kFormats[in.byte() % 10];
  const uint8_t target = in.byte() % 8;  // 0 file, 1 clipboard, else string
  const int32_t controlLength = in.byte() % 13;
  int32_t control[12] = {controlLength, 0, format, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  control[3] = in.smallOrAny();
  for (int i = 6; i < 12; ++i) control[i] = in.smallOrAny();
  const uint32_t bufferCapacity = in.byte() % 2 ? in.byte() * 8u : 100000u;
  // 0..3 records fewer than given (a count of 0 or below included), never more.
  const int32_t countDelta = in.byte() % 4;
  const std::string title = in.bytes(in.byte() % 32);

  std::vector<EventRecord> records;
  while (in.remaining() > 0 && records.size() < 2000) {
    EventRecord r{};
    r.iSimpleLen = in.smallOrAny();
    r.iDotLen = static_cast<int8_t>(in.byte()) % 5;
    static const int32_t kKinds[] = {1, 1, 1, 16, 16, 3, 4, 5, 6, 0, 2, 99};
    const uint8_t k = in.byte();
    r.nEvent = k < 240 ? kKinds[k % 12] : in.int32();
    r.EventVal1 = in.smallOrAny();
    r.EventVal2 = in.smallOrAny();
    r.EventVal3 = in.smallOrAny();
    r.EventVal4 = in.smallOrAny();
    records.push_back(r);
  }
  const int32_t count = static_cast<int32_t>(records.size()) - countDelta;
  if (records.empty()) records.push_back(EventRecord{});
  // The library may only read count records: give it exactly those.
  std::vector<EventRecord> exact(
      records.begin(),
      records.begin() + std::clamp<int32_t>(count, 0, static_cast<int32_t>(records.size())));
  const EventRecord* recordPointer = exact.empty() ? records.data() : exact.data();
  const std::string titleText = title.c_str();

  if (target == 0) {
    control[1] = 1;
    const std::string fileName = "/dev/shm/pealix-fuzz-export-" + std::to_string(getpid());
    const int32_t rc =
        rvmMeloExport(recordPointer, count, titleText.c_str(), fileName.c_str(), nullptr, control);
    if (fuzzTrace()) std::fprintf(stderr, "export %d file -> %d (%d)\n", format, rc, control[4]);
    std::remove(fileName.c_str());
  } else if (target == 1) {
    control[1] = 2;
    const int32_t rc = rvmMeloExport(recordPointer, count, titleText.c_str(), "", nullptr, control);
    if (fuzzTrace())
      std::fprintf(stderr, "export %d clipboard -> %d (%d)\n", format, rc, control[4]);
  } else {
    control[1] = 0;
    Guarded<char> buffer(bufferCapacity ? bufferCapacity : 1);
    uint32_t length = bufferCapacity;
    const int32_t rc = rvmMelo2String(recordPointer, count, buffer.data(), &length,
                                      titleText.c_str(), nullptr, control);
    if (fuzzTrace())
      std::fprintf(stderr, "export %d string -> %d (%d), %u bytes\n", format, rc, control[4],
                   length);
    if (rc != 217 && length > bufferCapacity) __builtin_trap();
    // The needed size that 217 reports must be enough, and exactly what is then written.
    if (rc == 217 && length > bufferCapacity && length <= (1u << 22)) {
      const uint32_t needed = length;
      Guarded<char> exact(needed);
      int32_t again[12];
      std::copy(std::begin(control), std::end(control), std::begin(again));
      const int32_t rc2 = rvmMelo2String(recordPointer, count, exact.data(), &length,
                                         titleText.c_str(), nullptr, again);
      if (rc2 == 217 || length != needed) __builtin_trap();
    }
  }
  return 0;
}
