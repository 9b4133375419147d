// The seven exports, called through librvsms.so loaded by name as the program does.
// PDUs are read back with the decoder of pdu_decoder.h; every output buffer is followed
// by guard bytes, and a failing call must leave buffer, size and TPDU length untouched.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "pdu_decoder.h"
#include "rvsms.h"

using pdutest::Alphabet;
using pdutest::Bytes;

namespace {

struct Api {
  void* handle = nullptr;
  decltype(&rvPduVersion) version = nullptr;
  decltype(&Ansi2UniLong) ansi2Uni = nullptr;
  decltype(&rvMakeUniPduData) uniPdu = nullptr;
  decltype(&rvMakeSubmitPDU) submit = nullptr;
  decltype(&rvConvertString) convertString = nullptr;
  decltype(&rvMake7BitPduData) sevenBit = nullptr;
  decltype(&rvConvert27BitGSM) packAfterHeader = nullptr;
};

const Api& Lib() {
  static const Api api = [] {
    Api a;
    a.handle = dlopen(PEALIX_BIN_DIR "/librvsms.so", RTLD_NOW | RTLD_LOCAL);
    if (!a.handle) return a;
    a.version = reinterpret_cast<decltype(a.version)>(dlsym(a.handle, "rvPduVersion"));
    a.ansi2Uni = reinterpret_cast<decltype(a.ansi2Uni)>(dlsym(a.handle, "Ansi2UniLong"));
    a.uniPdu = reinterpret_cast<decltype(a.uniPdu)>(dlsym(a.handle, "rvMakeUniPduData"));
    a.submit = reinterpret_cast<decltype(a.submit)>(dlsym(a.handle, "rvMakeSubmitPDU"));
    a.convertString =
        reinterpret_cast<decltype(a.convertString)>(dlsym(a.handle, "rvConvertString"));
    a.sevenBit = reinterpret_cast<decltype(a.sevenBit)>(dlsym(a.handle, "rvMake7BitPduData"));
    a.packAfterHeader =
        reinterpret_cast<decltype(a.packAfterHeader)>(dlsym(a.handle, "rvConvert27BitGSM"));
    return a;
  }();
  return api;
}

constexpr uint8_t kGuard = 0xA5;
constexpr size_t kGuardBytes = 16;

const int kCodepages[] = {0,     437,   850,   852,   855,   857,   860,   861,   862,
                          863,   864,   865,   866,   869,   874,   932,   936,   949,
                          950,   1250,  1251,  1252,  1253,  1254,  1255,  1256,  1257,
                          1258,  20127, 20866, 21866, 28591, 28592, 28593, 28594, 28595,
                          28596, 28597, 28598, 28599, 28603, 28605, 54936, 65001};

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

// A caller-owned output buffer with guard bytes behind the given size.
struct OutBuffer {
  explicit OutBuffer(int32_t size)
      : size(size), bytes(static_cast<size_t>(size > 0 ? size : 0) + kGuardBytes, kGuard) {}
  unsigned char* data() { return bytes.data(); }
  bool GuardIntact() const {
    for (size_t i = static_cast<size_t>(size > 0 ? size : 0); i < bytes.size(); ++i)
      if (bytes[i] != kGuard) return false;
    return true;
  }
  bool Untouched() const {
    for (uint8_t b : bytes)
      if (b != kGuard) return false;
    return true;
  }
  Bytes Written(int32_t n) const { return Bytes(bytes.begin(), bytes.begin() + n); }
  int32_t size;
  Bytes bytes;
};

SubmitParams TextParams(int outType = 0) {
  SubmitParams p{};
  p.TextInType = 1;
  p.TextInCodepage = 65001;
  p.WithSMSC = 1;
  p.TextOutType = outType;
  p.TextOutCodepage = 65001;
  p.MsgClass = 255;
  return p;
}

struct SubmitResult {
  int32_t rc = 0;
  Bytes pdu;
  int32_t tpduLength = -1;
  pdutest::Submit decoded;
};

constexpr int32_t kUntouched = -7777;

// Calls rvMakeSubmitPDU and checks the buffer contract on the way.
SubmitResult Submit(const std::string& text, const SubmitParams& p, const char* digits = "12345678",
                    int32_t adrType = 1, const AddressParam* smsc = nullptr,
                    int32_t bufferSize = -1) {
  SubmitResult r;
  const int32_t len = static_cast<int32_t>(text.size());
  if (bufferSize < 0) bufferSize = 2 * len + 120;
  OutBuffer out(bufferSize);
  int32_t size = bufferSize;
  int32_t tpdu = kUntouched;
  const AddressParam dest{static_cast<int32_t>(std::strlen(digits)), digits, adrType};
  // The text in a heap block of exactly its length: any read past it is caught.
  std::unique_ptr<char[]> exact(new char[text.size() > 0 ? text.size() : 1]);
  std::memcpy(exact.get(), text.data(), text.size());
  r.rc = Lib().submit(exact.get(), len, out.data(), &size, &dest, smsc, &p, &tpdu);
  EXPECT_TRUE(out.GuardIntact()) << "write past the buffer";
  if (r.rc != 1) {
    EXPECT_TRUE(out.Untouched()) << "buffer written on failure " << r.rc;
    EXPECT_EQ(size, bufferSize);
    EXPECT_EQ(tpdu, kUntouched);
    return r;
  }
  EXPECT_GT(size, 0);
  EXPECT_LE(size, bufferSize);
  r.pdu = out.Written(size);
  r.tpduLength = tpdu;
  r.decoded = pdutest::Decode(r.pdu, p.WithSMSC == 1);
  EXPECT_EQ(r.decoded.error, "") << Hex(r.pdu);
  EXPECT_EQ(static_cast<size_t>(tpdu), r.decoded.tpduLength);
  return r;
}

class RvsmsExports : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(Lib().handle, nullptr) << dlerror();
    ASSERT_TRUE(Lib().version && Lib().ansi2Uni && Lib().uniPdu && Lib().submit &&
                Lib().convertString && Lib().sevenBit && Lib().packAfterHeader);
  }
};

TEST_F(RvsmsExports, Version) {
  int32_t v[4] = {0, 0, 0, 0};
  EXPECT_EQ(Lib().version(&v[0], &v[1], &v[2], &v[3]), 1);
  EXPECT_EQ(v[0], 1);
  EXPECT_EQ(v[1], 1);
  EXPECT_EQ(v[2], 2);
  EXPECT_EQ(v[3], 1);
  EXPECT_EQ(Lib().version(&v[0], nullptr, &v[2], &v[3]), 216);
}

TEST_F(RvsmsExports, ExamplePdu) {
  const SubmitResult r = Submit("hellohello", TextParams());
  ASSERT_EQ(r.rc, 1);
  EXPECT_EQ(Hex(r.pdu), "00 01 00 08 91 21 43 65 87 00 00 0A E8 32 9B FD 46 97 D9 EC 37");
  EXPECT_EQ(r.tpduLength, 20);
  const auto& d = r.decoded;
  EXPECT_EQ(d.smscLength, 0);
  EXPECT_EQ(d.da, "12345678");
  EXPECT_EQ(d.daToa, 0x91);
  EXPECT_EQ(d.alphabet, Alphabet::kGsm7);
  EXPECT_EQ(d.msgClass, -1);
  EXPECT_EQ(d.udl, 10);
  EXPECT_EQ(d.text, u"hellohello");
}

TEST_F(RvsmsExports, FirstOctetAndDataCodingScheme) {
  SubmitParams p = TextParams();
  p.StatusSMS = 1;
  p.MsgClass = 0;
  SubmitResult r = Submit("hellohello", p);
  ASSERT_EQ(r.rc, 1);
  EXPECT_EQ(r.pdu[1], 0x21);
  EXPECT_EQ(r.decoded.dcs, 0x10);
  EXPECT_EQ(r.decoded.srr, 1);
  EXPECT_EQ(r.decoded.msgClass, 0);

  // Every output type, class and coding group: the exact octet and what a phone reads.
  struct Row {
    int outType, msgClass, group, dcs;
  };
  const Row rows[] = {
      {0, 255, 0, 0x00}, {1, 255, 0, 0x04}, {2, 255, 0, 0x08}, {3, 255, 0, 0x04}, {0, 0, 0, 0x10},
      {0, 3, 0, 0x13},   {1, 1, 0, 0x15},   {2, 2, 0, 0x1A},   {3, 3, 0, 0x17},   {0, 0, 1, 0xF0},
      {0, 255, 1, 0xF0}, {0, 2, 1, 0xF2},   {3, 0, 1, 0xF4},   {3, 1, 1, 0xF5},   {1, 3, 1, 0xF7},
      {2, 1, 1, 0x19},   {2, 255, 1, 0x18},
  };
  for (const Row& row : rows) {
    p = TextParams(row.outType);
    p.MsgClass = row.msgClass;
    p.TPDCSType = row.group;
    r = Submit("Ringtone", p);
    ASSERT_EQ(r.rc, 1);
    EXPECT_EQ(r.decoded.dcs, row.dcs) << row.outType << " " << row.msgClass << " " << row.group;
    const Alphabet want = row.outType == 0   ? Alphabet::kGsm7
                          : row.outType == 2 ? Alphabet::kUcs2
                                             : Alphabet::k8Bit;
    EXPECT_EQ(r.decoded.alphabet, want);
    if (row.msgClass != 255) {
      EXPECT_EQ(r.decoded.msgClass, row.msgClass);
    }
    EXPECT_FALSE(r.decoded.compressed);
    EXPECT_EQ(r.decoded.text, u"Ringtone");
  }

  // Header flag, PID and MR; out-of-range PID and MR give 0.
  p = TextParams(3);
  p.UDHI = 1;
  p.TP_PID = 0x7F;
  p.TP_MR = 200;
  r = Submit(std::string("\x00", 1) + "x", [&] {
    SubmitParams q = p;
    q.TextInType = 3;
    return q;
  }());
  ASSERT_EQ(r.rc, 1);
  EXPECT_EQ(r.pdu[1], 0x41);
  EXPECT_EQ(r.decoded.pid, 0x7F);
  EXPECT_EQ(r.decoded.mr, 200);
  p = TextParams();
  p.TP_PID = 256;
  p.TP_MR = 300;
  r = Submit("abc", p);
  EXPECT_EQ(r.decoded.pid, 0);
  EXPECT_EQ(r.decoded.mr, 0);
  p.TP_PID = -1;
  p.TP_MR = -1;
  r = Submit("abc", p);
  EXPECT_EQ(r.decoded.pid, 0);
  EXPECT_EQ(r.decoded.mr, 0);
}

TEST_F(RvsmsExports, Addresses) {
  struct Row {
    const char* digits;
    int type;
    int rc;
    int toa;
    const char* read;
  };
  const Row rows[] = {
      {"12345", 1, 1, 0x91, "12345"},
      {"0171123456", 2, 1, 0xA1, "0171123456"},
      {"*100#", 0, 1, 0x81, "*100#"},
      {"12", 9, 1, 0x81, "12"},
      {"12", -1, 1, 0x81, "12"},
      {"+4917", 1, 213, 0, ""},
      {"49 17", 1, 213, 0, ""},
      {"4917x", 1, 213, 0, ""},
      {"123456789012345678901", 1, 213, 0, ""},
  };
  for (const Row& row : rows) {
    const SubmitResult r = Submit("hi", TextParams(), row.digits, row.type);
    ASSERT_EQ(r.rc, row.rc) << row.digits;
    if (row.rc != 1) continue;
    EXPECT_EQ(r.decoded.da, row.read);
    EXPECT_EQ(r.decoded.daToa, row.toa);
    EXPECT_EQ(r.decoded.daDigits, static_cast<int>(std::strlen(row.read)));
  }
  // An odd digit count ends in a digit octet whose high half is F.
  const SubmitResult odd = Submit("hi", TextParams(), "12345", 1);
  EXPECT_EQ(odd.pdu[7], 0xF5);

  // SMSC field in front; left out when WithSMSC is not 1.
  const AddressParam smsc{12, "491710760000", 1};
  SubmitResult r = Submit("hi", TextParams(), "12345678", 1, &smsc);
  ASSERT_EQ(r.rc, 1);
  EXPECT_EQ(Hex(Bytes(r.pdu.begin(), r.pdu.begin() + 8)), "07 91 94 71 01 67 00 00");
  EXPECT_EQ(r.decoded.smsc, "491710760000");
  EXPECT_EQ(r.tpduLength, static_cast<int32_t>(r.pdu.size()) - 8);
  const AddressParam oddSmsc{3, "123", 2};
  r = Submit("hi", TextParams(), "12345678", 1, &oddSmsc);
  EXPECT_EQ(Hex(Bytes(r.pdu.begin(), r.pdu.begin() + 4)), "03 A1 21 F3");
  EXPECT_EQ(r.decoded.smsc, "123");
  SubmitParams noSmsc = TextParams();
  noSmsc.WithSMSC = 2;
  r = Submit("hi", noSmsc, "12345678", 1, &smsc);
  ASSERT_EQ(r.rc, 1);
  EXPECT_EQ(r.pdu[0], 0x01);
  EXPECT_EQ(r.tpduLength, static_cast<int32_t>(r.pdu.size()));
  // An empty SMSC record (null digits or length 0) gives the single 00.
  const AddressParam emptySmsc{0, "4917", 1};
  r = Submit("hi", TextParams(), "12345678", 1, &emptySmsc);
  EXPECT_EQ(r.pdu[0], 0x00);
  const AddressParam badSmsc{4, "49+7", 1};
  EXPECT_EQ(Submit("hi", TextParams(), "12345678", 1, &badSmsc).rc, 213);
}

// Digits with every byte value, in the destination and in the SMSC.
TEST_F(RvsmsExports, EveryDigitByte) {
  for (int b = 0; b < 256; ++b) {
    const char digits[5] = {'1', '2', static_cast<char>(b), '3', 0};
    const bool valid = (b >= '0' && b <= '?') || b == '*' || b == '#' || b == 'a' || b == 'b' ||
                       b == 'c' || b == 'A' || b == 'B' || b == 'C';
    const AddressParam dest{4, digits, 1};
    OutBuffer out(200);
    int32_t size = 200, tpdu = kUntouched;
    const SubmitParams p = TextParams();
    EXPECT_EQ(Lib().submit("hi", 2, out.data(), &size, &dest, nullptr, &p, &tpdu), valid ? 1 : 213)
        << b;
    EXPECT_TRUE(out.GuardIntact());
    const AddressParam ok{4, "1234", 1};
    size = 200;
    EXPECT_EQ(Lib().submit("hi", 2, out.data(), &size, &ok, &dest, &p, &tpdu), valid ? 1 : 213)
        << b;
    EXPECT_TRUE(out.GuardIntact());
  }
}

TEST_F(RvsmsExports, SevenBitCut) {
  // 200 letters: 160 septets in 140 octets.
  SubmitResult r = Submit(std::string(200, 'a'), TextParams());
  ASSERT_EQ(r.rc, 1);
  EXPECT_EQ(r.decoded.udl, 160);
  EXPECT_EQ(r.decoded.ud.size(), 140u);
  EXPECT_EQ(r.decoded.text, std::u16string(160, u'a'));
  // The cut counts codes: an extension character across it keeps only its escape.
  r = Submit(std::string(159, 'a') + "\xE2\x82\xAC" + "b", TextParams());
  ASSERT_EQ(r.rc, 1);
  EXPECT_EQ(r.decoded.udl, 160);
  EXPECT_EQ(r.decoded.septets.back(), 0x1B);
  r = Submit(std::string(158, 'a') + "\xE2\x82\xAC" + "b", TextParams());
  EXPECT_EQ(r.decoded.text, std::u16string(158, u'a') + u"\u20AC");
  // A passed-through escape with a follower above 0x7F: both count towards the 160
  // codes, the packing then drops the follower.
  const std::string passThrough = std::string("\x1B\xC3\xA9") + std::string(159, 'a');
  r = Submit(passThrough, TextParams());
  ASSERT_EQ(r.rc, 1);
  EXPECT_EQ(r.decoded.udl, 159);
  EXPECT_EQ(r.decoded.septets.front(), 0x1B);
  // Text made only of characters the alphabet lacks.
  EXPECT_EQ(Submit("\xD0\x96\xD0\x98", TextParams()).rc, 215);
  // Texts round-trip through a phone's reading of the default alphabet.
  const char* texts[] = {"Hello, World!",
                         "1+1=2? 100% & more; <tag> \"quoted\" 'x'",
                         "\xC3\x84rger \xC3\xBC"
                         "ber \xC3\x9F"
                         "e \xC2\xA3\xC2\xA5\xC2\xA7",
                         "{[~^|\\]}",
                         "line\nbreak",
                         "@_\xCE\x94\xCE\xA3",
                         "\xE2\x82\xAC 5"};
  const std::u16string expected[] = {u"Hello, World!",
                                     u"1+1=2? 100% & more; <tag> \"quoted\" 'x'",
                                     u"\u00C4rger \u00FCber \u00DFe \u00A3\u00A5\u00A7",
                                     u"{[~^|\\]}",
                                     u"line\nbreak",
                                     u"@_\u0394\u03A3",
                                     u"\u20AC 5"};
  for (size_t i = 0; i < std::size(texts); ++i) {
    r = Submit(texts[i], TextParams());
    ASSERT_EQ(r.rc, 1) << texts[i];
    EXPECT_EQ(r.decoded.text, expected[i]) << texts[i];
  }
}

TEST_F(RvsmsExports, RawUserData) {
  SubmitParams p = TextParams(0);
  p.TextInType = 3;
  // Packed 7-bit from the caller: TP-UDL = octets x 8 / 7.
  SubmitResult r = Submit(std::string(140, '\x41'), p);
  ASSERT_EQ(r.rc, 1);
  EXPECT_EQ(r.decoded.udl, 160);
  r = Submit(std::string(7, '\x41'), p);
  EXPECT_EQ(r.decoded.udl, 8);
  EXPECT_EQ(Submit(std::string(141, '\x41'), p).rc, 215);

  // 8-bit raw: zero bytes included, exactly the given length.
  p.TextOutType = 3;
  const std::string ring("\x06\x05\x04\x15\x81\x15\x81\x00\x02\x4A\x3A\x00\xFF\x00", 14);
  p.UDHI = 1;
  p.MsgClass = 1;
  p.TPDCSType = 1;
  r = Submit(ring, p);
  ASSERT_EQ(r.rc, 1);
  EXPECT_EQ(r.pdu[1], 0x41);
  EXPECT_EQ(r.decoded.dcs, 0xF5);
  EXPECT_EQ(r.decoded.udl, 14);
  EXPECT_EQ(Hex(r.decoded.udh), "06 05 04 15 81 15 81");
  EXPECT_EQ(r.decoded.ud, Bytes(ring.begin(), ring.end()));
  EXPECT_EQ(Submit(std::string(140, '\0'), p).rc, 1);
  EXPECT_EQ(Submit(std::string(141, '\0'), p).rc, 215);
  // A code-page text as 8-bit raw: characters above 255 are left out.
  p = TextParams(3);
  r = Submit("a\xE2\x82\xAC\xC3\xA4", p);
  EXPECT_EQ(Hex(r.decoded.ud), "61 E4");
  EXPECT_EQ(Submit("\xE2\x82\xAC", p).rc, 215);
}

TEST_F(RvsmsExports, EightBitAndUcs2Text) {
  SubmitParams p = TextParams(1);
  p.TextOutCodepage = 1252;
  SubmitResult r = Submit("\xE2\x82\xAC\xC3\xA4\xE4\xB8\x80", p);  // euro, a-umlaut, CJK
  ASSERT_EQ(r.rc, 1);
  EXPECT_EQ(Hex(r.decoded.ud), "80 E4 3F");
  r = Submit(std::string(300, 'x'), p);
  EXPECT_EQ(r.decoded.udl, 140);
  p.TextOutCodepage = 4242;
  EXPECT_EQ(Submit("abc", p).rc, 215);
  p.TextInCodepage = 1251;
  p.TextOutCodepage = 20866;
  r = Submit("\xC0\xC1", p);  // Cyrillic A, Be from 1251 to KOI8-R
  EXPECT_EQ(Hex(r.decoded.ud), "E1 E2");

  p = TextParams(2);
  r = Submit(
      "\xE2\x82\xAC\xD0\x96"
      "a",
      p);
  ASSERT_EQ(r.rc, 1);
  EXPECT_EQ(Hex(r.decoded.ud), "20 AC 04 16 00 61");
  EXPECT_EQ(r.decoded.text, u"\u20AC\u0416a");
  EXPECT_EQ(Submit("\xD0", p).rc, 215);  // incomplete UTF-8
  std::string cyr;
  for (int i = 0; i < 71; ++i) cyr += "\xD0\x96";
  r = Submit(cyr, p);
  EXPECT_EQ(r.decoded.udl, 140);
  r = Submit("\xF0\x9F\x98\x80", p);
  EXPECT_EQ(Hex(r.decoded.ud), "D8 3D DE 00");
}

TEST_F(RvsmsExports, ParameterChecks) {
  struct Row {
    int field;
    int32_t value;
    int rc;
  };
  const Row rows[] = {{1, 4, 215}, {1, -1, 215}, {5, 4, 215},    {5, -1, 215},
                      {7, 4, 215}, {7, -1, 215}, {7, 254, 215},  {7, 256, 215},
                      {7, 255, 1}, {7, 3, 1},    {2, 4242, 215}, {2, -5, 215}};
  for (const Row& row : rows) {
    SubmitParams p = TextParams();
    reinterpret_cast<int32_t*>(&p)[row.field] = row.value;
    EXPECT_EQ(Submit("abc", p).rc, row.rc) << row.field << " " << row.value;
  }
  static_assert(sizeof(SubmitParams) == 72);
  static_assert(sizeof(int32_t) * 18 == sizeof(SubmitParams));
  // Reserved fields are not read.
  SubmitParams p = TextParams();
  p.Reserved0 = p.Reserved12 = p.Reserved17 = -1;
  EXPECT_EQ(Submit("abc", p).rc, 1);
  // Code page 0 is the locale's character set.
  p.TextInCodepage = 0;
  EXPECT_EQ(Submit("abc", p).rc, 1);
}

TEST_F(RvsmsExports, SubmitBadArguments) {
  const SubmitParams p = TextParams();
  const AddressParam dest{8, "12345678", 1};
  OutBuffer out(100);
  int32_t size = 100, tpdu = kUntouched;
  auto call = [&](const char* t, int32_t len, unsigned char* buf, int32_t* sz,
                  const AddressParam* d, const SubmitParams* prm,
                  int32_t* tp) { return Lib().submit(t, len, buf, sz, d, nullptr, prm, tp); };
  EXPECT_EQ(call("abc", 3, out.data(), &size, nullptr, &p, &tpdu), 216);
  EXPECT_EQ(call("abc", 3, out.data(), &size, &dest, nullptr, &tpdu), 216);
  EXPECT_EQ(call("abc", 3, out.data(), &size, &dest, &p, nullptr), 216);
  EXPECT_EQ(call(nullptr, 3, out.data(), &size, &dest, &p, &tpdu), 210);
  for (int32_t len : {0, -1, INT_MIN})
    EXPECT_EQ(call("abc", len, out.data(), &size, &dest, &p, &tpdu), 210);
  EXPECT_EQ(call("abc", 3, nullptr, &size, &dest, &p, &tpdu), 211);
  EXPECT_EQ(call("abc", 3, out.data(), nullptr, &dest, &p, &tpdu), 211);
  size = 5;
  EXPECT_EQ(call("abc", 3, out.data(), &size, &dest, &p, &tpdu), 211);
  size = 100;
  EXPECT_EQ(call("abc", INT_MAX, out.data(), &size, &dest, &p, &tpdu), 211);
  const AddressParam noDigits{8, nullptr, 1};
  const AddressParam noLength{0, "123", 1};
  EXPECT_EQ(call("abc", 3, out.data(), &size, &noDigits, &p, &tpdu), 213);
  EXPECT_EQ(call("abc", 3, out.data(), &size, &noLength, &p, &tpdu), 213);
  // A length past the terminator reads no further than the terminator.
  const SubmitResult r = Submit(std::string("hi\0zz", 5), p);
  EXPECT_EQ(r.decoded.text, u"hi");
  EXPECT_EQ(Submit(std::string("\0zz", 3), p).rc, 215);
  EXPECT_TRUE(out.Untouched());
  EXPECT_EQ(size, 100);
  EXPECT_EQ(tpdu, kUntouched);
}

// A buffer of exactly the PDU's length works; one octet less gives 217, untouched.
TEST_F(RvsmsExports, SubmitBufferSizes) {
  const SubmitParams p = TextParams();
  for (const std::string& text : {std::string("hellohello"), std::string(200, 'z')}) {
    const SubmitResult full = Submit(text, p);
    ASSERT_EQ(full.rc, 1);
    const int32_t need = static_cast<int32_t>(full.pdu.size());
    const int32_t minimum = 2 * static_cast<int32_t>(text.size());
    if (need >= minimum) {
      EXPECT_EQ(Submit(text, p, "12345678", 1, nullptr, need).rc, 1);
      EXPECT_EQ(Submit(text, p, "12345678", 1, nullptr, need - 1).rc,
                need - 1 >= minimum ? 217 : 211);
    }
    EXPECT_EQ(Submit(text, p, "12345678", 1, nullptr, minimum - 1).rc, 211);
  }
  // 2 x 10 = 20 is enough for the check but not for the 21-octet PDU.
  EXPECT_EQ(Submit("hellohello", p, "12345678", 1, nullptr, 20).rc, 217);
  EXPECT_EQ(Submit("hellohello", p, "12345678", 1, nullptr, 21).rc, 1);
  EXPECT_EQ(Submit("hellohello", p, "12345678", 1, nullptr, 0).rc, 211);
}

// Texts with every byte value in every supported code page, through every output type.
TEST_F(RvsmsExports, EveryByteInEveryCodepage) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  for (int cp : kCodepages) {
    for (int outType = 0; outType < 4; ++outType) {
      SubmitParams p = TextParams(outType);
      p.TextInCodepage = cp;
      p.TextOutCodepage = cp;
      const SubmitResult r = Submit(all, p);
      EXPECT_TRUE(r.rc == 1 || r.rc == 215) << cp << " " << outType << " " << r.rc;
      for (int b = 1; b < 256; b += 3) {
        const SubmitResult one = Submit(std::string(1, static_cast<char>(b)), p);
        EXPECT_TRUE(one.rc == 1 || one.rc == 215 || one.rc == 217) << cp << " " << b;
      }
    }
  }
}

TEST_F(RvsmsExports, Ansi2UniLong) {
  EXPECT_EQ(Lib().ansi2Uni(0x80, 1252), 8364);
  EXPECT_EQ(Lib().ansi2Uni(0x41, 1252), 0x41);
  EXPECT_EQ(Lib().ansi2Uni(0x341, 1252), 0x41);  // only the low byte
  EXPECT_EQ(Lib().ansi2Uni(-191, 1252), 0x41);   // 0xFFFFFF41
  EXPECT_EQ(Lib().ansi2Uni(0, 1252), -216);
  EXPECT_EQ(Lib().ansi2Uni(0x100, 1252), -216);
  EXPECT_EQ(Lib().ansi2Uni(0x41, 4242), -214);
  EXPECT_EQ(Lib().ansi2Uni(0x41, -1), -214);
  EXPECT_EQ(Lib().ansi2Uni(0xC0, 20866), 0x044E);
  EXPECT_EQ(Lib().ansi2Uni(0x82, 932), -215);  // lead byte of a pair
  EXPECT_EQ(Lib().ansi2Uni(0xC3, 65001), -215);
  EXPECT_EQ(Lib().ansi2Uni(0x61, 1258), 0x61);  // held back by the decoder until flushed
  for (int cp : kCodepages) {
    for (int b = 1; b < 256; ++b) {
      const int32_t u = Lib().ansi2Uni(b, cp);
      EXPECT_TRUE((u >= 0 && u <= 0xFFFF) || u == -215) << cp << " " << b << " " << u;
    }
  }
}

TEST_F(RvsmsExports, MakeUniPduData) {
  auto call = [](const std::string& text, int32_t len, int32_t bufferSize, int32_t cp,
                 std::string* hex) {
    OutBuffer out(bufferSize);
    int32_t size = bufferSize;
    const int32_t rc =
        Lib().uniPdu(text.c_str(), len, reinterpret_cast<char*>(out.data()), &size, cp, 0, 0);
    EXPECT_TRUE(out.GuardIntact());
    if (rc == 1) {
      hex->assign(out.bytes.begin(), out.bytes.begin() + size);
    } else {
      EXPECT_TRUE(out.Untouched());
      EXPECT_EQ(size, bufferSize);
    }
    return rc;
  };
  std::string hex;
  // Every unit is written, the last ones too.
  EXPECT_EQ(call("abc", 3, 12, 1252, &hex), 1);
  EXPECT_EQ(hex, "006100620063");
  EXPECT_EQ(call("\x80", 1, 4, 1252, &hex), 1);
  EXPECT_EQ(hex, "20AC");
  EXPECT_EQ(call("\xF0\x9F\x98\x80", 4, 16, 65001, &hex), 1);
  EXPECT_EQ(hex, "D83DDE00");
  EXPECT_EQ(call("\xD0\x96\xD0\x98", 4, 16, 65001, &hex), 1);
  EXPECT_EQ(hex, "04160418");
  EXPECT_EQ(call("abc", 0, 12, 1252, &hex), 210);
  EXPECT_EQ(call("abc", -3, 12, 1252, &hex), 210);
  EXPECT_EQ(call("abc", 3, 11, 1252, &hex), 211);
  EXPECT_EQ(call("abc", 3, 0, 1252, &hex), 211);
  EXPECT_EQ(call("abc", 3, 12, 4242, &hex), -1);
  EXPECT_EQ(call("\xFF", 1, 4, 65001, &hex), -1);
  EXPECT_EQ(call("", 1, 4, 1252, &hex), -1);
  EXPECT_EQ(call("abcdef", 2, 8, 1252, &hex), 1);  // the length bounds the text
  EXPECT_EQ(hex, "00610062");
  int32_t size = 12;
  EXPECT_EQ(Lib().uniPdu(nullptr, 3, reinterpret_cast<char*>(&size), &size, 1252, 0, 0), 210);
  EXPECT_EQ(Lib().uniPdu("abc", 3, nullptr, &size, 1252, 0, 0), 211);
  char buf[16];
  EXPECT_EQ(Lib().uniPdu("abc", 3, buf, nullptr, 1252, 0, 0), 211);
  for (int cp : kCodepages) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    const int32_t rc = call(all, 255, 1020, cp, &hex);
    EXPECT_TRUE(rc == 1 || rc == -1) << cp;
  }
}

TEST_F(RvsmsExports, ConvertString) {
  auto call = [](const std::string& text, int32_t len, int32_t bufferSize, int32_t cp,
                 Bytes* codes) {
    OutBuffer out(bufferSize);
    int32_t size = bufferSize;
    const int32_t rc = Lib().convertString(text.c_str(), len, out.data(), &size, cp, 0);
    EXPECT_TRUE(out.GuardIntact());
    if (rc == 1 || rc == 212) {
      *codes = out.Written(size);
    } else {
      EXPECT_TRUE(out.Untouched());
      EXPECT_EQ(size, bufferSize);
    }
    return rc;
  };
  Bytes codes;
  EXPECT_EQ(call("A\x80"
                 "@",
                 3, 6, 1252, &codes),
            1);
  EXPECT_EQ(Hex(codes), "41 1B 65 00");
  EXPECT_EQ(call("x\r\ny", 4, 8, 1252, &codes), 1);
  EXPECT_EQ(Hex(codes), "78 0A 79");
  EXPECT_EQ(call("abc", 0, 8, 1252, &codes), 216);
  EXPECT_EQ(call("abc", 3, 5, 1252, &codes), 217);
  EXPECT_EQ(call("abc", 3, 0, 1252, &codes), 217);
  EXPECT_EQ(call("abc", 3, 6, 4242, &codes), -215);
  EXPECT_EQ(call("\xC0\xC1", 2, 4, 1251, &codes), -215);  // Cyrillic only
  EXPECT_EQ(call("", 3, 6, 1252, &codes), -215);
  int32_t size = 8;
  unsigned char buf[8];
  EXPECT_EQ(Lib().convertString(nullptr, 3, buf, &size, 1252, 0), 216);
  EXPECT_EQ(Lib().convertString("abc", 3, nullptr, &size, 1252, 0), 217);
  EXPECT_EQ(Lib().convertString("abc", 3, buf, nullptr, 1252, 0), 217);
}

TEST_F(RvsmsExports, Make7BitPduData) {
  auto call = [](const std::string& text, int32_t len, int32_t bufferSize, int32_t cp,
                 Bytes* octets, int32_t* septets) {
    OutBuffer out(bufferSize);
    int32_t size = bufferSize;
    int32_t count = kUntouched;
    const int32_t rc = Lib().sevenBit(text.c_str(), len, out.data(), &size, cp, &count, 0);
    EXPECT_TRUE(out.GuardIntact());
    if (rc == 1) {
      *octets = out.Written(size);
      *septets = count;
    } else {
      EXPECT_TRUE(out.Untouched());
      EXPECT_EQ(size, bufferSize);
      EXPECT_EQ(count, kUntouched);
    }
    return rc;
  };
  Bytes octets;
  int32_t septets = 0;
  EXPECT_EQ(call("hellohello", 10, 20, 1252, &octets, &septets), 1);
  EXPECT_EQ(Hex(octets), "E8 32 9B FD 46 97 D9 EC 37");
  EXPECT_EQ(septets, 10);
  EXPECT_EQ(call(std::string(200, 'a'), 200, 400, 1252, &octets, &septets), 1);
  EXPECT_EQ(septets, 160);
  EXPECT_EQ(octets.size(), 140u);
  EXPECT_EQ(call("\x80", 1, 2, 1252, &octets, &septets), 1);  // escape and 0x65
  EXPECT_EQ(septets, 2);
  // The cut counts codes before the packing drops those of 0x80 and above.
  EXPECT_EQ(
      call(std::string("\x1B\xE9") + std::string(159, 'a'), 161, 322, 1252, &octets, &septets), 1);
  EXPECT_EQ(septets, 159);
  EXPECT_EQ(call("abc", 0, 6, 1252, &octets, &septets), 210);
  EXPECT_EQ(call("abc", 3, 5, 1252, &octets, &septets), 211);
  EXPECT_EQ(call("abc", 3, 6, 4242, &octets, &septets), 214);
  EXPECT_EQ(call("\xFF", 1, 2, 65001, &octets, &septets), 215);
  EXPECT_EQ(call("", 1, 2, 1252, &octets, &septets), 216);
  EXPECT_EQ(call("\xC0\xC1", 2, 4, 1251, &octets, &septets), 215);
  int32_t size = 8, count = 0;
  unsigned char buf[8];
  EXPECT_EQ(Lib().sevenBit("abc", 3, buf, &size, 1252, nullptr, 0), 211);
  EXPECT_EQ(Lib().sevenBit(nullptr, 3, buf, &size, 1252, &count, 0), 210);
}

// Packed text behind a user data header, as the EMS ringtone message puts it together:
// a phone finds the header, skips the fill bits and reads the text.
TEST_F(RvsmsExports, PackAfterHeaderAndSubmit) {
  const std::string text = "Melody for you";
  for (int headerLength = 1; headerLength <= 20; ++headerLength) {
    Bytes udh(static_cast<size_t>(headerLength), 0x00);
    udh[0] = static_cast<uint8_t>(headerLength - 1);
    if (headerLength >= 3) {
      udh[1] = 0x0C;
      udh[2] = static_cast<uint8_t>(headerLength - 3);
    }
    const int32_t bufferSize = 2 * static_cast<int32_t>(text.size()) + 2;
    OutBuffer out(bufferSize);
    int32_t size = bufferSize;
    ASSERT_EQ(Lib().packAfterHeader(text.c_str(), static_cast<int32_t>(text.size()), out.data(),
                                    &size, 1252, headerLength),
              1);
    EXPECT_TRUE(out.GuardIntact());
    std::string ud(udh.begin(), udh.end());
    const Bytes packed = out.Written(size);
    ud.append(packed.begin(), packed.end());
    SubmitParams p = TextParams(0);
    p.TextInType = 3;
    p.UDHI = 1;
    const SubmitResult r = Submit(ud, p);
    ASSERT_EQ(r.rc, 1) << headerLength;
    EXPECT_EQ(r.decoded.udh, udh);
    // TP-UDL from the octet count may count one more septet than the caller packed: a
    // trailing '@' when the last octet has seven bits to spare.
    std::u16string read = r.decoded.text;
    if (read.size() == text.size() + 1 && read.back() == u'@') read.pop_back();
    EXPECT_EQ(read, u"Melody for you") << headerLength;
  }
  // Fill bits can make more octets than codes: a cut is reported, not hidden.
  OutBuffer out(2);
  int32_t size = 2;
  EXPECT_EQ(Lib().packAfterHeader("\x80", 1, out.data(), &size, 1252, 1), 212);
  EXPECT_TRUE(out.GuardIntact());
  EXPECT_EQ(size, 2);
  OutBuffer wide(4);
  size = 4;
  EXPECT_EQ(Lib().packAfterHeader("\x80", 1, wide.data(), &size, 1252, 1), 1);
  EXPECT_EQ(size, 3);
  EXPECT_EQ(Hex(wide.Written(3)), "C0 A6 0C");  // 6 fill bits, 1B, 65
}

TEST_F(RvsmsExports, PackAfterHeaderBadArguments) {
  OutBuffer out(8);
  int32_t size = 8;
  EXPECT_EQ(Lib().packAfterHeader(nullptr, 3, out.data(), &size, 1252, 0), 216);
  EXPECT_EQ(Lib().packAfterHeader("abc", 0, out.data(), &size, 1252, 0), 216);
  EXPECT_EQ(Lib().packAfterHeader("abc", -2, out.data(), &size, 1252, 0), 216);
  EXPECT_EQ(Lib().packAfterHeader("abc", 3, out.data(), &size, 1252, -1), 216);
  EXPECT_EQ(Lib().packAfterHeader("abc", 3, nullptr, &size, 1252, 0), 217);
  EXPECT_EQ(Lib().packAfterHeader("abc", 3, out.data(), nullptr, 1252, 0), 217);
  size = 5;
  EXPECT_EQ(Lib().packAfterHeader("abc", 3, out.data(), &size, 1252, 0), 217);
  size = 8;
  EXPECT_EQ(Lib().packAfterHeader("abc", 3, out.data(), &size, 4242, 0), 214);
  EXPECT_EQ(Lib().packAfterHeader("\xC0", 1, out.data(), &size, 1251, 0), 215);
  EXPECT_EQ(Lib().packAfterHeader("", 3, out.data(), &size, 1252, 0), 216);
  EXPECT_TRUE(out.Untouched());
  EXPECT_EQ(Lib().packAfterHeader("abc", 3, out.data(), &size, 1252, INT_MAX), 1);
  EXPECT_TRUE(out.GuardIntact());
}

TEST_F(RvsmsExports, OnlyTheHeadersExportsAreVisible) {
  FILE* nm = popen("nm -D --defined-only " PEALIX_BIN_DIR "/librvsms.so 2>/dev/null", "r");
  if (!nm) GTEST_SKIP() << "nm not available";
  std::vector<std::string> names;
  char line[512];
  while (std::fgets(line, sizeof line, nm)) {
    char type = 0;
    char name[400];
    if (std::sscanf(line, "%*s %c %399s", &type, name) == 2 && type != 'A' &&
        std::strncmp(name, "_init", 5) != 0 && std::strncmp(name, "_fini", 5) != 0)
      names.push_back(name);
  }
  if (pclose(nm) != 0 || names.empty()) GTEST_SKIP() << "nm not available";
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names,
            (std::vector<std::string>{"Ansi2UniLong", "rvConvert27BitGSM", "rvConvertString",
                                      "rvMake7BitPduData", "rvMakeSubmitPDU", "rvMakeSubmitParts",
                                      "rvMakeUniPduData", "rvPduVersion"}));
}

}  // namespace
