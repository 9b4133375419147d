#include "ucs2.h"

namespace rvsms {

int EncodeUcs2(const std::u16string& text, Bytes& octets, int& udl) {
  octets.clear();
  udl = 0;
  if (text.empty()) return 216;
  size_t units = text.size() < kMaxUcs2Units ? text.size() : kMaxUcs2Units;
  // Half a character is no character: keep a pair together or leave both out.
  if (units < text.size() && text[units - 1] >= 0xD800 && text[units - 1] <= 0xDBFF &&
      text[units] >= 0xDC00 && text[units] <= 0xDFFF)
    --units;
  octets.reserve(units * 2);
  for (size_t i = 0; i < units; ++i) {
    octets.push_back(static_cast<uint8_t>(text[i] >> 8));
    octets.push_back(static_cast<uint8_t>(text[i] & 0xFF));
  }
  udl = static_cast<int>(octets.size());
  return 1;
}

}  // namespace rvsms
