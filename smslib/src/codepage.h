// Code-page text to UTF-16 and back, through the C library's iconv. Windows code page
// numbers name the character sets; 0 is the locale's character set.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace rvsms {

// Intake failures, returned as negative numbers by TextToUtf16.
constexpr int kIntakeEmpty = -216;
constexpr int kIntakeBadCodepage = -214;
constexpr int kIntakeFailed = -215;

// The iconv name of a code page number, or nullptr when the number is not in the table.
// Code page 0 gives the locale's character set (UTF-8 where the locale says ASCII).
const char* CodepageName(int32_t codePage);

// True when the number is in the table and iconv can convert it.
bool CodepageSupported(int32_t codePage);

// Number of text bytes before the terminator, never more than maxLength (0 for a null
// text or a maxLength below 1).
size_t BoundedTextLength(const char* text, int32_t maxLength);

// Converts length bytes of text (zero bytes included) into UTF-16 units. Returns 1, or
// kIntakeEmpty (no bytes), kIntakeBadCodepage, kIntakeFailed (an invalid or incomplete
// sequence, or no unit produced). Characters above U+FFFF give two units.
int TextToUtf16(const char* text, size_t length, int32_t codePage, std::u16string& out);

// Converts UTF-16 units into the code page, whole characters only and at most maxBytes
// bytes. Characters without a mapping and lone surrogates become '?'.
// Returns 1, or 216 (empty input), 214 (unsupported code page), 215 (nothing produced).
int Utf16ToText(const std::u16string& in, int32_t codePage, size_t maxBytes, std::string& out);

}  // namespace rvsms
