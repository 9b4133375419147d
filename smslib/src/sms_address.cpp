#include "sms_address.h"

namespace rvsms {
namespace {

// The semi-octet value of a number character; above 15 means none.
unsigned DigitValue(char c) {
  switch (c) {
    case '#':
      return 11;
    case '*':
      return 10;
    case 'A':
    case 'a':
      return 12;
    case 'B':
    case 'b':
      return 13;
    case 'C':
    case 'c':
      return 14;
    default:
      return static_cast<uint8_t>(c - '0');
  }
}

}  // namespace

void SmsAddress::SetType(int32_t adrType) {
  typeOfNumber = (adrType == 1 || adrType == 2) ? static_cast<uint8_t>(adrType) : 0;
}

int SmsAddress::SetDigits(const char* digits, int32_t length) {
  semiOctets.clear();
  digitCount = 0;
  if (!digits || length < 1 || length > kMaxDigits) return 213;
  Bytes encoded;
  for (int32_t i = 0; i < length; ++i) {
    const unsigned v = DigitValue(digits[i]);  // a NUL gives a value above 15
    if (v > 15) return 213;
    if (i % 2 == 0)
      encoded.push_back(static_cast<uint8_t>(0xF0 | v));  // odd last digit: high half F
    else
      encoded.back() = static_cast<uint8_t>((encoded.back() & 0x0F) | v << 4);
  }
  semiOctets = std::move(encoded);
  digitCount = static_cast<uint8_t>(length);
  return 1;
}

void SmsAddress::AppendTpDa(Bytes& out) const {
  out.push_back(digitCount);
  out.push_back(TypeOfAddress());
  out.insert(out.end(), semiOctets.begin(), semiOctets.end());
}

void SmsAddress::AppendSmscField(Bytes& out) const {
  if (empty()) {
    out.push_back(0x00);
    return;
  }
  out.push_back(static_cast<uint8_t>(1 + semiOctets.size()));
  out.push_back(TypeOfAddress());
  out.insert(out.end(), semiOctets.begin(), semiOctets.end());
}

}  // namespace rvsms
