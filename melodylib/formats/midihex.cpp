#include "midihex.h"

namespace rv {
namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

// Every byte as two upper-case hex digits, no separators, after the marker.
std::string encodeClipboardMidi(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text(kClipboardMidiMarker);
  text.reserve(text.size() + 2 * bytes.size());
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    text.push_back(kDigits[b >> 4]);
    text.push_back(kDigits[b & 0x0F]);
  }
  return text;
}

// The text after the marker, two characters at a time, each pair read as a hexadecimal
// number (its leading digits; a pair without any reads as 0); an odd final character is
// read on its own. Nothing is refused here: characters after the MIDI data, such as the
// line break that ends a clipboard block, give bytes that the MIDI reader never reaches,
// since it reads only as far as the header and track lengths say.
std::string decodeClipboardMidi(std::string_view text) {
  std::string out;
  out.reserve((text.size() + 1) / 2);
  for (size_t i = 0; i < text.size(); i += 2) {
    int value = 0;
    for (size_t j = i; j < i + 2 && j < text.size(); ++j) {
      const int digit = hexDigit(text[j]);
      if (digit < 0) break;
      value = value * 16 + digit;
    }
    out.push_back(static_cast<char>(value));
  }
  return out;
}

}  // namespace rv
