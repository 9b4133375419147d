// The clipboard form of a MIDI file: "//RVPXPX" followed by two hex digits per byte.
#pragma once

#include <string>

namespace rv {

inline constexpr char kClipboardMidiMarker[] = "//RVPXPX";

// Marker plus upper-case hex digits of every byte.
std::string encodeClipboardMidi(const std::string& bytes);

// Decodes the text after the marker; false when the digits are not valid hex pairs.
bool decodeClipboardMidi(const std::string& text, std::string& bytes);

}  // namespace rv
