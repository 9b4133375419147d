#include "midihex.h"

#include "bits.h"

namespace rv {

// Every byte as two upper-case hex digits, no separators, after the marker.
std::string encodeClipboardMidi(const std::string& bytes) {
  std::string text(kClipboardMidiMarker);
  appendHex(bytes, text);
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
      const int digit = hexDigitValue(text[j]);
      if (digit < 0) break;
      value = value * 16 + digit;
    }
    out.push_back(static_cast<char>(value));
  }
  return out;
}

}  // namespace rv
