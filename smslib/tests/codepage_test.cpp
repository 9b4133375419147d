// Code-page intake and output through iconv.
#include "codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int kTable[] = {
    437,   850,   852,   855,   857,   860,   861,   862,   863,   864,   865,   866,   869,  874,
    932,   936,   949,   950,   1250,  1251,  1252,  1253,  1254,  1255,  1256,  1257,  1258, 20866,
    21866, 28591, 28592, 28593, 28594, 28595, 28596, 28597, 28598, 28599, 28603, 28605, 65001};

std::u16string In(const std::string& bytes, int cp, int* r = nullptr) {
  std::u16string out;
  const int res = rvsms::TextToUtf16(bytes.data(), bytes.size(), cp, out);
  if (r) *r = res;
  return out;
}

TEST(Codepage, TableIsSupportedAndUnknownNumbersAreNot) {
  for (int cp : kTable) EXPECT_TRUE(rvsms::CodepageSupported(cp)) << cp;
  EXPECT_TRUE(rvsms::CodepageSupported(0));
  for (int cp : {-1, 1, 42, 1200, 1259, 99999}) EXPECT_FALSE(rvsms::CodepageSupported(cp)) << cp;
}

TEST(Codepage, Intake) {
  EXPECT_EQ(In("\x80", 1252), u"\u20AC");
  EXPECT_EQ(In("\xE4", 28591), u"\u00E4");
  EXPECT_EQ(In("\xC0", 20866), u"\u044E");
  EXPECT_EQ(In("\xC3\xA4\xE2\x82\xAC", 65001), u"\u00E4\u20AC");
  EXPECT_EQ(In("\xF0\x9F\x98\x80", 65001), u"\U0001F600");  // two units
  EXPECT_EQ(In("\x82\xA0", 932), u"\u3042");
  // The library never calls setlocale: the C locale reads as UTF-8.
  EXPECT_EQ(In("\xC3\xA4", 0), u"\u00E4");
  // Zero bytes inside the given length are converted too (the exports bound the length).
  EXPECT_EQ(In(std::string("a\0b", 3), 1252), std::u16string(u"a\0b", 3));
  int r = 0;
  In("", 1252, &r);
  EXPECT_EQ(r, -216);
  In("abc", 12345, &r);
  EXPECT_EQ(r, -214);
  In("\xFF", 65001, &r);
  EXPECT_EQ(r, -215);
  In("\xE2\x82", 65001, &r);  // incomplete sequence
  EXPECT_EQ(r, -215);
  In("\x82", 932, &r);  // lead byte alone
  EXPECT_EQ(r, -215);
}

// The stateful Vietnamese and Hebrew decoders hold the last character back until they
// are flushed.
TEST(Codepage, StatefulDecodersGiveTheLastCharacter) {
  EXPECT_EQ(In("a", 1258), u"a");
  EXPECT_EQ(In("\xF9\xEC\xE5\xED", 1255), u"\u05E9\u05DC\u05D5\u05DD");
  EXPECT_EQ(In("Vi\xD2", 1258), u"V\u1EC9");  // a tone mark composes with its letter
}

TEST(Codepage, Output) {
  std::string out;
  ASSERT_EQ(rvsms::Utf16ToText(u"\u20ACa", 1252, 140, out), 1);
  EXPECT_EQ(out,
            "\x80"
            "a");
  ASSERT_EQ(rvsms::Utf16ToText(u"\u4E00x", 1252, 140, out), 1);  // no mapping: '?'
  EXPECT_EQ(out, "?x");
  ASSERT_EQ(rvsms::Utf16ToText(u"\xD800z", 65001, 140, out), 1);  // lone surrogate
  EXPECT_EQ(out, "?z");
  ASSERT_EQ(rvsms::Utf16ToText(u"\U0001F600", 65001, 140, out), 1);
  EXPECT_EQ(out, "\xF0\x9F\x98\x80");
  EXPECT_EQ(rvsms::Utf16ToText(u"", 1252, 140, out), 216);
  EXPECT_EQ(rvsms::Utf16ToText(u"a", 7, 140, out), 214);
  EXPECT_EQ(rvsms::Utf16ToText(u"\u00E4", 65001, 1, out), 215);  // no whole character fits
  // The cut keeps whole characters: 70 two-byte characters fill 140, the 71st is left out.
  ASSERT_EQ(rvsms::Utf16ToText(std::u16string(71, u'\u00E4'), 65001, 140, out), 1);
  EXPECT_EQ(out.size(), 140u);
  ASSERT_EQ(rvsms::Utf16ToText(u"a" + std::u16string(70, u'\u00E4'), 65001, 140, out), 1);
  EXPECT_EQ(out.size(), 139u);
  for (int cp : kTable) {
    std::u16string all;
    for (char16_t u = 1; u < 0x3000; u += 7) all += u;
    EXPECT_EQ(rvsms::Utf16ToText(all, cp, 100000, out), 1) << cp;
  }
}

TEST(Codepage, BoundedLength) {
  EXPECT_EQ(rvsms::BoundedTextLength("abc", 2), 2u);
  EXPECT_EQ(rvsms::BoundedTextLength("abc", 10), 3u);
  EXPECT_EQ(rvsms::BoundedTextLength(nullptr, 10), 0u);
  EXPECT_EQ(rvsms::BoundedTextLength("abc", -1), 0u);
}

}  // namespace
