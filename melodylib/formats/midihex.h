// The clipboard form of a MIDI file: "//RVPXPX" followed by two hex digits per byte.
#pragma once

#include <string>
#include <string_view>

namespace rv {

inline constexpr char kClipboardMidiMarker[] = "//RVPXPX";

// Marker plus upper-case hex digits of every byte.
std::string encodeClipboardMidi(const std::string& bytes);

// Decodes the text after the marker into bytes, a pair of hex digits each; an odd final
// digit makes a byte of its own.
std::string decodeClipboardMidi(std::string_view text);

}  // namespace rv
