// Text of the phone formats: UTF-8 when the bytes form it, else ISO 8859-1, as the readers
// take it; titles and composers leave the library in UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rv {

// True when bytes are well-formed UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF).
bool isUtf8(std::string_view bytes);

// Appends the code point in UTF-8.
void appendUtf8(char32_t cp, std::string& out);

// The characters of bytes: UTF-8 when they form it, else one character per byte.
std::u32string decodeText(std::string_view bytes);

// Characters back to UTF-8.
std::string encodeUtf8(std::u32string_view text);

}  // namespace rv
