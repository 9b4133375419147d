#include "gsm_alphabet.h"

#include <utility>

namespace rvsms {
namespace {

constexpr char16_t kNone = 0xFFFF;

// The default alphabet by code, with this library's four differences from the standard
// table: 0x06 is u-acute (not u-grave), 0x0D form feed (not carriage return; a carriage
// return is handled before the lookup), 0x16 small pi (not capital Pi), 0x1B no character.
constexpr char16_t kDefaultAlphabet[128] = {
    0x0040, 0x00A3, 0x0024, 0x00A5, 0x00E8, 0x00E9, 0x00FA, 0x00EC,  // 0x00
    0x00F2, 0x00C7, 0x000A, 0x00D8, 0x00F8, 0x000C, 0x00C5, 0x00E5,  // 0x08
    0x0394, 0x005F, 0x03A6, 0x0393, 0x039B, 0x03A9, 0x03C0, 0x03A8,  // 0x10
    0x03A3, 0x0398, 0x039E, kNone,  0x00C6, 0x00E6, 0x00DF, 0x00C9,  // 0x18
    0x0020, 0x0021, 0x0022, 0x0023, 0x00A4, 0x0025, 0x0026, 0x0027,  // 0x20
    0x0028, 0x0029, 0x002A, 0x002B, 0x002C, 0x002D, 0x002E, 0x002F,  // 0x28
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037,  // 0x30
    0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F,  // 0x38
    0x00A1, 0x0041, 0x0042, 0x0043, 0x0044, 0x0045, 0x0046, 0x0047,  // 0x40
    0x0048, 0x0049, 0x004A, 0x004B, 0x004C, 0x004D, 0x004E, 0x004F,  // 0x48
    0x0050, 0x0051, 0x0052, 0x0053, 0x0054, 0x0055, 0x0056, 0x0057,  // 0x50
    0x0058, 0x0059, 0x005A, 0x00C4, 0x00D6, 0x00D1, 0x00DC, 0x00A7,  // 0x58
    0x00BF, 0x0061, 0x0062, 0x0063, 0x0064, 0x0065, 0x0066, 0x0067,  // 0x60
    0x0068, 0x0069, 0x006A, 0x006B, 0x006C, 0x006D, 0x006E, 0x006F,  // 0x68
    0x0070, 0x0071, 0x0072, 0x0073, 0x0074, 0x0075, 0x0076, 0x0077,  // 0x70
    0x0078, 0x0079, 0x007A, 0x00E4, 0x00F6, 0x00F1, 0x00FC, 0x00E0,  // 0x78
};

constexpr int kExtSize = 0x66;

// Extension table entries (code after the escape, character). No form feed at 0x0A.
constexpr std::pair<int, char16_t> kExtension[] = {
    {0x14, 0x005E}, {0x28, 0x007B}, {0x29, 0x007D}, {0x2F, 0x005C}, {0x3C, 0x005B},
    {0x3D, 0x007E}, {0x3E, 0x005D}, {0x40, 0x007C}, {0x65, 0x20AC},
};

}  // namespace

GsmAlphabetConverter::GsmAlphabetConverter(std::u16string input) : input_(std::move(input)) {
  LoadGsmTables();
}

void GsmAlphabetConverter::LoadGsmTables() {
  charTable_.assign(std::begin(kDefaultAlphabet), std::end(kDefaultAlphabet));
  codeTable_.resize(128);
  for (int p = 0; p < 128; ++p) codeTable_[p] = static_cast<uint8_t>(p);
  // Two look-alikes that phones cannot show: minus sign and division slash.
  charTable_.push_back(0x2212);
  codeTable_.push_back(0x2D);
  charTable_.push_back(0x2215);
  codeTable_.push_back(0x2F);
  extTable_.assign(kExtSize, kNone);
  for (const auto& [code, ch] : kExtension) extTable_[code] = ch;
  escapeCode = 0x1B;
  escapeEnabled = true;
  escapePassThrough = true;
}

int GsmAlphabetConverter::ConvertToGsm() {
  output_.clear();
  unmapped_ = 0;
  if (input_.empty()) return 216;
  if (charTable_.empty() || charTable_.size() != codeTable_.size()) return 213;
  int produced = 0;
  const size_t n = input_.size();
  for (size_t i = 0; i < n; ++i) {
    const char16_t u = input_[i];
    // An escape in the text passes through with the unit after it.
    if (escapeEnabled && escapePassThrough && u == escapeCode) {
      if (i + 1 == n) break;
      output_.push_back(u);
      output_.push_back(input_[++i]);
      produced += 2;
      continue;
    }
    // CR, LF and CR LF all become one line feed.
    if (u == 0x000D) {
      output_.push_back(0x0A);
      ++produced;
      if (i + 1 < n && input_[i + 1] == 0x000A) ++i;
      continue;
    }
    // 0xFFFF marks a table position without a character; it never matches the text.
    if (u == kNone) {
      ++unmapped_;
      continue;
    }
    bool found = false;
    for (size_t p = 0; p < charTable_.size(); ++p) {
      if (charTable_[p] == u) {
        output_.push_back(codeTable_[p]);
        ++produced;
        found = true;
        break;
      }
    }
    if (found) continue;
    if (escapeEnabled && !extTable_.empty()) {
      for (size_t x = 0; x < extTable_.size(); ++x) {
        if (extTable_[x] == u) {
          output_.push_back(escapeCode);
          output_.push_back(static_cast<char16_t>(x));
          produced += 2;
          found = true;
          break;
        }
      }
    }
    // Anything else is dropped (and counted, the second half of a pair not again).
    const bool lowHalf =
        u >= 0xDC00 && u <= 0xDFFF && i > 0 && input_[i - 1] >= 0xD800 && input_[i - 1] <= 0xDBFF;
    if (!found && !lowHalf) ++unmapped_;
  }
  return produced >= 1 && !output_.empty() ? 1 : 215;
}

Bytes GsmAlphabetConverter::GsmCodesToBytes() const {
  Bytes bytes;
  bytes.reserve(output_.size());
  for (char16_t u : output_)
    if (u < 256) bytes.push_back(static_cast<uint8_t>(u));
  return bytes;
}

int PackSeptets(const Bytes& septets, int32_t udhOctets, Bytes& octets, int& count) {
  octets.clear();
  count = 0;
  if (septets.empty()) return -216;
  Bytes codes;
  codes.reserve(septets.size());
  for (uint8_t b : septets)
    if (b < 0x80) codes.push_back(b);
  if (codes.empty()) return -213;

  int fill = 0;
  if (udhOctets > 0) fill = (7 - static_cast<int>((int64_t{udhOctets} * 8) % 7)) % 7;
  const size_t bits = static_cast<size_t>(fill) + codes.size() * 7;
  octets.assign((bits + 7) / 8, 0);
  size_t pos = static_cast<size_t>(fill);
  for (uint8_t c : codes) {
    const size_t byte = pos / 8;
    const int shift = static_cast<int>(pos % 8);
    octets[byte] |= static_cast<uint8_t>(c << shift);
    if (shift > 1) octets[byte + 1] |= static_cast<uint8_t>(c >> (8 - shift));
    pos += 7;
  }
  count = static_cast<int>(codes.size());
  return 1;
}

}  // namespace rvsms
