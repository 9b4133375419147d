#include "utf8.h"

namespace rv {
namespace {

// The length of the sequence a lead byte begins, 0 for a byte that begins none.
std::size_t sequenceLength(unsigned char lead) {
  return lead < 0x80    ? 1
         : lead >= 0xF8 ? 0
         : lead >= 0xF0 ? 4
         : lead >= 0xE0 ? 3
         : lead >= 0xC0 ? 2
                        : 0;
}

}  // namespace

bool isUtf8(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const std::size_t n = sequenceLength(lead);
    if (n == 0 || i + n > bytes.size()) return false;
    uint32_t cp = n == 1 ? lead : lead & (0x7Fu >> n);
    for (std::size_t k = 1; k < n; ++k) {
      const auto c = static_cast<unsigned char>(bytes[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (c & 0x3Fu);
    }
    static constexpr uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += n;
  }
  return true;
}

void appendUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::u32string decodeText(std::string_view bytes) {
  std::u32string out;
  out.reserve(bytes.size());
  if (!isUtf8(bytes)) {
    for (const char c : bytes) out.push_back(static_cast<unsigned char>(c));
    return out;
  }
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const std::size_t n = sequenceLength(lead);
    char32_t cp = n == 1 ? lead : lead & (0x7Fu >> n);
    for (std::size_t k = 1; k < n; ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3Fu);
    out.push_back(cp);
    i += n;
  }
  return out;
}

std::string encodeUtf8(std::u32string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char32_t c : text) appendUtf8(c, out);
  return out;
}

}  // namespace rv
