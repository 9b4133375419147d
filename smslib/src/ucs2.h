// UCS2 user data: each UTF-16 unit as two octets, most significant first.
#pragma once

#include <string>

#include "gsm_alphabet.h"

namespace rvsms {

constexpr size_t kMaxUcs2Units = 70;

// Octets of at most 70 units and the UDL (octet count). A longer text is cut; a cut that
// would split a surrogate pair drops the pair's first half too. 1 or 216 (empty text).
int EncodeUcs2(const std::u16string& text, Bytes& octets, int& udl);

}  // namespace rvsms
