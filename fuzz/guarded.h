// Output buffers with guard bytes behind them: a write past the given size aborts.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

template <typename T>
class Guarded {
 public:
  explicit Guarded(size_t count, uint8_t fill = 0xA5) : count_(count) {
    storage_.assign(count * sizeof(T) + kGuard, fill);
    std::memset(storage_.data() + count * sizeof(T), kPattern, kGuard);
  }
  ~Guarded() { check(); }
  T* data() { return reinterpret_cast<T*>(storage_.data()); }
  size_t size() const { return count_; }
  void check() const {
    for (size_t i = 0; i < kGuard; ++i)
      if (storage_[count_ * sizeof(T) + i] != kPattern) std::abort();
  }

 private:
  static constexpr size_t kGuard = 64;
  static constexpr uint8_t kPattern = 0xCD;
  size_t count_;
  alignas(16) std::vector<uint8_t> storage_;
};
