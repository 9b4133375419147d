// Takes the values a fuzz target needs from its input bytes, front to back; past the end
// every value is 0, so any input decides a complete call.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }

  int32_t int32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(byte()) << (8 * i);
    int32_t out;
    std::memcpy(&out, &v, sizeof out);
    return out;
  }

  // Small values most of the time, any 32-bit value sometimes.
  int32_t smallOrAny() {
    const uint8_t mode = byte();
    if (mode < 200) return static_cast<int8_t>(byte());
    return int32();
  }

  std::string bytes(size_t n) {
    n = std::min(n, size_ - pos_);
    std::string out(reinterpret_cast<const char*>(data_ + pos_), n);
    pos_ += n;
    return out;
  }

  std::string rest() { return bytes(size_ - pos_); }
  size_t remaining() const { return size_ - pos_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// PEALIX_FUZZ_TRACE=1 makes a target print what each input called and the result code,
// to check that the seeds reach what they were written for.
inline bool fuzzTrace() {
  static const bool on = std::getenv("PEALIX_FUZZ_TRACE") != nullptr;
  return on;
}
