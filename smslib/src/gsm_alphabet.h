// UTF-16 to the GSM 7-bit default alphabet (3GPP TS 23.038) and septet packing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rvsms {

using Bytes = std::vector<uint8_t>;

// One conversion: UTF-16 in, GSM codes out (one 16-bit unit per code).
class GsmAlphabetConverter {
 public:
  GsmAlphabetConverter() = default;  // tables not loaded
  explicit GsmAlphabetConverter(std::u16string input);

  // Fills the three tables, sets the escape code to 0x1B and both escape flags.
  void LoadGsmTables();

  // 1 success; 216 empty input; 213 tables not loaded; 215 nothing produced.
  int ConvertToGsm();

  // The output, one byte per unit below 256 (units of 256 and above are left out).
  Bytes GsmCodesToBytes() const;

  void setInput(std::u16string input) { input_ = std::move(input); }
  const std::u16string& input() const { return input_; }
  const std::u16string& output() const { return output_; }
  // Characters the last ConvertToGsm left out for want of a code (a surrogate pair counts
  // once).
  int unmapped() const { return unmapped_; }

  bool escapeEnabled = false;
  bool escapePassThrough = false;
  char16_t escapeCode = 0x1B;

 private:
  std::u16string input_;
  std::u16string output_;
  int unmapped_ = 0;
  std::vector<char16_t> charTable_;  // position p: the character of codeTable_[p]
  std::vector<uint8_t> codeTable_;
  std::vector<char16_t> extTable_;  // index: the code after the escape
};

// Packs unpacked septets least significant bit first. udhOctets L > 0 puts
// (7 - (8L mod 7)) mod 7 zero fill bits in front, so that the first septet starts on a
// septet boundary of the user data that begins with an L-octet header; the header
// octets are not part of the result. Bytes of 0x80 and above are removed first.
// Returns 1 (octets and the septet count), -216 empty input, -213 nothing left.
int PackSeptets(const Bytes& septets, int32_t udhOctets, Bytes& octets, int& count);

}  // namespace rvsms
