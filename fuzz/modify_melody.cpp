// rvmModifyMelody with arbitrary records, capacities, counts, operations and factors.
#include <string>

#include "fuzz_input.h"
#include "guarded.h"
#include "rvmelody.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  static const int32_t kOperations[] = {1, 5, 6, 1, 0, 3};
  const int32_t operation = kOperations[in.byte() % 6];
  const int32_t factor = in.smallOrAny();
  const int32_t capacity = in.byte() % 2 ? in.byte() % 64 : 400;
  int32_t count = static_cast<int32_t>(in.byte() % 70);
  Guarded<EventRecord> records(capacity > 0 ? static_cast<size_t>(capacity) : 1);
  for (int32_t i = 0; i < capacity; ++i) {
    EventRecord& r = records.data()[i];
    r.iSimpleLen = in.smallOrAny();
    r.iDotLen = static_cast<int8_t>(in.byte()) % 5;
    static const int32_t kKinds[] = {1, 1, 16, 5, 5, 3, 4, 6, 42};
    r.nEvent = kKinds[in.byte() % 9];
    r.EventVal1 = in.smallOrAny();
    r.EventVal2 = in.smallOrAny();
    r.EventVal3 = in.smallOrAny();
    r.EventVal4 = in.smallOrAny();
  }
  const int32_t before = count;
  const int32_t rc = rvmModifyMelody(records.data(), capacity, &count, operation, factor);
  if (fuzzTrace())
    std::fprintf(stderr, "modify %d factor %d: %d -> %d records, %d\n", operation, factor, before,
                 count, rc);
  if (rc == 1 && (count < 0 || count > capacity)) __builtin_trap();
  if (rc != 1 && rc != 217 && count != before) __builtin_trap();
  return 0;
}
