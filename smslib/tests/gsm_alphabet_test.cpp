// GSM alphabet conversion, septet packing and UCS2 user data, checked against the
// packing rule of 3GPP TS 23.038 with an unpacker written here.
#include "gsm_alphabet.h"

#include <gtest/gtest.h>

#include <string>

#include "ucs2.h"

using rvsms::Bytes;
using rvsms::GsmAlphabetConverter;

namespace {

std::string Hex(const Bytes& b) {
  static const char* d = "0123456789ABCDEF";
  std::string s;
  for (size_t i = 0; i < b.size(); ++i) {
    if (i) s += ' ';
    s += d[b[i] >> 4];
    s += d[b[i] & 15];
  }
  return s;
}

Bytes Codes(const std::u16string& text, int* result = nullptr) {
  GsmAlphabetConverter c(text);
  const int r = c.ConvertToGsm();
  if (result) *result = r;
  return c.GsmCodesToBytes();
}

// Reads septet k of user data whose first septet begins after fillBits.
uint8_t SeptetAt(const Bytes& octets, int fillBits, size_t k) {
  const size_t bit = static_cast<size_t>(fillBits) + k * 7;
  unsigned v = octets.at(bit / 8) >> (bit % 8);
  if (bit % 8 > 1) v |= static_cast<unsigned>(octets.at(bit / 8 + 1)) << (8 - bit % 8);
  return static_cast<uint8_t>(v & 0x7F);
}

TEST(GsmConvert, TableRows) {
  struct Row {
    const char* name;
    std::u16string text;
    std::string hex;
  };
  const Row rows[] = {
      {"euro via the escape", u"A\u20AC", "41 1B 65"},
      {"u-acute and small pi are in the table", u"\u00FA\u03C0", "06 16"},
      {"u-grave and capital Pi are not", u"a\u00F9\u03A0b", "61 62"},
      {"CR LF inside", u"x\r\ny", "78 0A 79"},
      {"CR LF at the end", u"x\r\n", "78 0A"},
      {"bare LF", u"x\n", "78 0A"},
      {"bare CR", u"x\r", "78 0A"},
      {"CR CR LF", u"\r\r\n", "0A 0A"},
      {"form feed is code 0x0D", u"\f", "0D"},
      {"minus sign and division slash", u"\u2212\u2215-/", "2D 2F 2D 2F"},
      {"every extension character", u"^{}\\[~]|\u20AC",
       "1B 14 1B 28 1B 29 1B 2F 1B 3C 1B 3D 1B 3E 1B 40 1B 65"},
      {"escape passes through with its follower",
       u"\x1B"
       u"e!",
       "1B 65 21"},
      {"escape at the end stops the text", u"ab\x1B", "61 62"},
      {"U+FFFF is no character", u"a\uFFFFb", "61 62"},
      {"at sign and currency", u"@\u00A3$\u00A5\u00A4", "00 01 02 03 24"},
      {"Greek capitals", u"\u0394\u03A6\u0393\u039B\u03A9\u03A8\u03A3\u0398\u039E",
       "10 12 13 14 15 17 18 19 1A"},
      {"accented letters", u"\u00C4\u00D6\u00D1\u00DC\u00A7\u00BF\u00E4\u00F6\u00F1\u00FC\u00E0",
       "5B 5C 5D 5E 5F 60 7B 7C 7D 7E 7F"},
  };
  for (const Row& r : rows) EXPECT_EQ(Hex(Codes(r.text)), r.hex) << r.name;
}

TEST(GsmConvert, EveryPrintableAsciiRoundTripsThroughTheStandardTable) {
  // Characters that sit at their own code (the rest of 0x20..0x7E is covered above).
  for (char16_t ch = 0x20; ch < 0x7F; ++ch) {
    if (ch == 0x24 || ch == 0x40 || ch == 0x5F || (ch >= 0x5B && ch <= 0x60) || ch >= 0x7B)
      continue;
    EXPECT_EQ(Codes(std::u16string(1, ch)), Bytes{static_cast<uint8_t>(ch)}) << int(ch);
  }
  EXPECT_EQ(Codes(u"_"), Bytes{0x11});
}

TEST(GsmConvert, Results) {
  int r = 0;
  EXPECT_TRUE(Codes(u"\u0416\u0418\u0412", &r).empty());  // Cyrillic only
  EXPECT_EQ(r, 215);
  Codes(u"", &r);
  EXPECT_EQ(r, 216);
  Codes(u"\x1B", &r);  // an escape alone ends the text before anything is produced
  EXPECT_EQ(r, 215);
  GsmAlphabetConverter unloaded;
  unloaded.setInput(u"abc");
  EXPECT_EQ(unloaded.ConvertToGsm(), 213);
  GsmAlphabetConverter c(u"\x1B\u4E00");  // a passed-through unit above 255 is left out
  EXPECT_EQ(c.ConvertToGsm(), 1);
  EXPECT_EQ(c.output().size(), 2u);
  EXPECT_EQ(c.GsmCodesToBytes(), Bytes{0x1B});
}

TEST(PackSeptets, HelloExample) {
  Bytes octets;
  int n = 0;
  ASSERT_EQ(rvsms::PackSeptets(Codes(u"hellohello"), 0, octets, n), 1);
  EXPECT_EQ(Hex(octets), "E8 32 9B FD 46 97 D9 EC 37");
  EXPECT_EQ(n, 10);
}

TEST(PackSeptets, LengthsAndFailures) {
  Bytes octets;
  int n = 0;
  const struct {
    size_t septets;
    size_t octets;
  } sizes[] = {{1, 1}, {7, 7}, {8, 7}, {9, 8}, {16, 14}, {160, 140}};
  for (const auto& s : sizes) {
    ASSERT_EQ(rvsms::PackSeptets(Bytes(s.septets, 0x7F), 0, octets, n), 1);
    EXPECT_EQ(octets.size(), s.octets) << s.septets;
    EXPECT_EQ(n, static_cast<int>(s.septets));
  }
  // Seven septets of ones leave the top bit of the seventh octet 0.
  rvsms::PackSeptets(Bytes(7, 0x7F), 0, octets, n);
  EXPECT_EQ(octets.back(), 0x01);
  EXPECT_EQ(rvsms::PackSeptets(Bytes{}, 0, octets, n), -216);
  EXPECT_EQ(rvsms::PackSeptets(Bytes{0x80, 0xFF}, 0, octets, n), -213);
  EXPECT_TRUE(octets.empty());
  // High bytes are removed before packing.
  ASSERT_EQ(rvsms::PackSeptets(Bytes{0x41, 0x80, 0x42}, 0, octets, n), 1);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(Hex(octets), "41 21");
}

// After a header of L octets the text begins at the next septet boundary of the user
// data: fill bits = (7 - 8L mod 7) mod 7, for every header length a message can hold.
TEST(PackSeptets, AlignmentAfterEveryHeaderLength) {
  const Bytes text = Codes(u"The quick brown fox jumps over the lazy dog 0123456789");
  for (int L = 0; L <= 139; ++L) {
    Bytes octets;
    int n = 0;
    ASSERT_EQ(rvsms::PackSeptets(text, L, octets, n), 1) << L;
    const int fill = L == 0 ? 0 : (7 - (L * 8) % 7) % 7;
    EXPECT_EQ(octets.size(), (fill + text.size() * 7 + 7) / 8) << L;
    EXPECT_EQ(n, static_cast<int>(text.size()));
    for (size_t k = 0; k < text.size(); ++k)
      ASSERT_EQ(SeptetAt(octets, fill, k), text[k]) << "header " << L << " septet " << k;
    if (fill > 0) {
      EXPECT_EQ(octets[0] & ((1 << fill) - 1), 0) << L;  // fill bits are zero
    }
  }
  // The six-octet header of a concatenation or port element: one fill bit.
  Bytes octets;
  int n = 0;
  rvsms::PackSeptets(Bytes{0x7F}, 6, octets, n);
  EXPECT_EQ(Hex(octets), "FE");
  rvsms::PackSeptets(Bytes{0x41}, 7, octets, n);  // 56 bits: no fill
  EXPECT_EQ(Hex(octets), "41");
}

TEST(Ucs2, OctetsAndCut) {
  Bytes o;
  int udl = 0;
  ASSERT_EQ(rvsms::EncodeUcs2(u"\u20ACa", o, udl), 1);
  EXPECT_EQ(Hex(o), "20 AC 00 61");
  EXPECT_EQ(udl, 4);
  ASSERT_EQ(rvsms::EncodeUcs2(std::u16string(71, u'\u0416'), o, udl), 1);
  EXPECT_EQ(udl, 140);
  EXPECT_EQ(o.size(), 140u);
  EXPECT_EQ(rvsms::EncodeUcs2(u"", o, udl), 216);
  // A character above U+FFFF stays two units ...
  ASSERT_EQ(rvsms::EncodeUcs2(u"\U0001F600", o, udl), 1);
  EXPECT_EQ(Hex(o), "D8 3D DE 00");
  // ... and is never split by the cut.
  std::u16string t(69, u'a');
  t += u"\U0001F600";
  ASSERT_EQ(rvsms::EncodeUcs2(t, o, udl), 1);
  EXPECT_EQ(udl, 138);
  t = std::u16string(68, u'a') + u"\U0001F600" + u"b";
  ASSERT_EQ(rvsms::EncodeUcs2(t, o, udl), 1);
  EXPECT_EQ(udl, 140);
}

}  // namespace
