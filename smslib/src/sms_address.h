// A destination or service-centre number as semi-octets (3GPP TS 23.040 9.1.2.5).
#pragma once

#include <cstdint>

#include "gsm_alphabet.h"

namespace rvsms {

class SmsAddress {
 public:
  // Longest number the address fields carry (TP-DA is at most 12 octets).
  static constexpr int kMaxDigits = 20;

  // Type of number 0 unknown, 1 international, 2 national; anything else 0.
  void SetType(int32_t adrType);
  // Encodes length characters of digits (stops at a NUL, which is not a digit).
  // 1, or 213 for a character that is not a digit, no digits or more than 20.
  int SetDigits(const char* digits, int32_t length);

  bool empty() const { return digitCount == 0; }
  uint8_t TypeOfAddress() const {
    return static_cast<uint8_t>(0x80 | (typeOfNumber & 7) << 4 | (numberingPlan & 0x0F));
  }
  // TP-DA: digit count, type of address, digit octets.
  void AppendTpDa(Bytes& out) const;
  // SMSC field: octet count (type octet plus digit octets), type of address, digits;
  // a single 00 when empty.
  void AppendSmscField(Bytes& out) const;

  Bytes semiOctets;
  uint8_t digitCount = 0;
  uint8_t typeOfNumber = 2;
  uint8_t numberingPlan = 1;  // ISDN/telephone
};

}  // namespace rvsms
