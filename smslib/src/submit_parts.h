// A message of any length as the parts of a concatenated SMS (3GPP TS 23.040 9.2.3.24.1):
// each part one SMS-SUBMIT with the 8-bit reference element in its user data header.
#pragma once

#include <cstdint>
#include <vector>

#include "rvsms.h"
#include "submit_builder.h"

namespace rvsms {

constexpr int kMaxParts = 255;
// The concatenation element: IEI 00, length 3, reference, part count, part number.
constexpr size_t kConcatElement = 5;
constexpr size_t kConcatSeptets = 153;  // 160 less the 6-octet header and its fill bit
constexpr size_t kConcatUcs2Units = 67;
constexpr size_t kConcatOctets = 134;

struct SubmitPart {
  Bytes pdu;
  int32_t tpduLength = 0;
};

// Builds every part from a builder that holds the parameters, the text and the addresses.
// Fills `info` as soon as the user data is known. 1, or 215 (no user data, a bad raw
// header, an unsplittable message), 218 (more than 255 parts).
int BuildSubmitParts(SmsSubmitBuilder& builder, uint8_t reference, std::vector<SubmitPart>& parts,
                     SubmitPartsInfo& info);

}  // namespace rvsms
