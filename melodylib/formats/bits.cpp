#include "bits.h"

namespace rv {

bool BitReader::read(int bits, uint32_t& value) {
  if (bit_ + static_cast<uint64_t>(bits) > static_cast<uint64_t>(bytes_.size()) * 8) return false;
  value = 0;
  for (int i = 0; i < bits; ++i, ++bit_) {
    const auto byte = static_cast<unsigned char>(bytes_[static_cast<std::size_t>(bit_ / 8)]);
    value = (value << 1) | ((byte >> (7 - bit_ % 8)) & 1u);
  }
  return true;
}

uint32_t BitReader::take(int bits) {
  uint32_t value = 0;
  if (read(bits, value)) return value;
  ended_ = true;
  bit_ += static_cast<uint64_t>(bits);
  return 0;
}

void BitWriter::put(uint32_t value, int bits) {
  for (int i = bits - 1; i >= 0; --i) {
    if (used_ % 8 == 0) bytes_.push_back('\0');
    if ((value >> i) & 1u)
      bytes_.back() =
          static_cast<char>(static_cast<unsigned char>(bytes_.back()) | (0x80u >> (used_ % 8)));
    ++used_;
  }
}

int hexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

void appendHex(std::string_view bytes, std::string& out) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  out.reserve(out.size() + bytes.size() * 2);
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 0x0F]);
  }
}

}  // namespace rv
