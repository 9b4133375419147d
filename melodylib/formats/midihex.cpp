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

// Hex digit pairs (either case) to bytes. Line breaks, blanks or a terminating zero at
// the end of the clipboard block are dropped; anything else that is not a digit, or an
// odd number of digits, makes the text invalid.
bool decodeClipboardMidi(const std::string& text, std::string& bytes) {
  size_t end = text.size();
  while (end > 0 && (text[end - 1] == '\r' || text[end - 1] == '\n' || text[end - 1] == ' ' ||
                     text[end - 1] == '\t' || text[end - 1] == '\0'))
    --end;
  if (end % 2 != 0) return false;
  std::string out;
  out.reserve(end / 2);
  for (size_t i = 0; i < end; i += 2) {
    const int high = hexDigit(text[i]);
    const int low = hexDigit(text[i + 1]);
    if (high < 0 || low < 0) return false;
    out.push_back(static_cast<char>(high * 16 + low));
  }
  bytes = std::move(out);
  return true;
}

}  // namespace rv
