// Bit and hex-digit packing shared by the binary formats: fields most significant bit
// first, straddling byte boundaries, as Nokia ringtones pack them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace rv {

// Reads fields of up to 32 bits from bytes it does not own.
class BitReader {
 public:
  explicit BitReader(std::string_view bytes, std::size_t firstByte = 0)
      : bytes_(bytes), bit_(static_cast<uint64_t>(firstByte) * 8) {}

  // False (value and position unchanged) when fewer than bits remain.
  bool read(int bits, uint32_t& value);
  // Reads like read(), but past the end gives 0 and marks the reader as ended; the
  // position still moves on.
  uint32_t take(int bits);
  void skip(uint64_t bits) { bit_ += bits; }
  void align() { bit_ = (bit_ + 7) / 8 * 8; }
  bool ended() const { return ended_; }
  // The byte the next field begins in, from 0.
  std::size_t byte() const { return static_cast<std::size_t>(bit_ / 8); }

 private:
  std::string_view bytes_;
  uint64_t bit_;
  bool ended_ = false;
};

// Appends fields of up to 32 bits; the last byte is filled with zero bits.
class BitWriter {
 public:
  void put(uint32_t value, int bits);
  // Zero bits up to the next byte boundary.
  void align() { used_ = bytes_.size() * 8; }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
  uint64_t used_ = 0;
};

// The value of a hexadecimal digit (either case), -1 for any other character.
int hexDigitValue(char c);

// Every byte as two upper-case hex digits, appended to out.
void appendHex(std::string_view bytes, std::string& out);

}  // namespace rv
