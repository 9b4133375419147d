// rvMakeSubmitParts through librvsms.so loaded by name: every part read back by the
// decoder of pdu_decoder.h (and, where python-gammu is installed, by gammu) and joined to
// the text it came from; splits at escapes and surrogate pairs; 1, 2, 255 and 256 parts;
// the automatic coding; ringtone data with its own header; the buffer contract.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "pdu_decoder.h"
#include "rvsms.h"

using pdutest::Alphabet;
using pdutest::Bytes;

namespace {

using PartsFn = decltype(&rvMakeSubmitParts);
using SubmitFn = decltype(&rvMakeSubmitPDU);

void* Library() {
  static void* handle = dlopen(PEALIX_BIN_DIR "/librvsms.so", RTLD_NOW | RTLD_LOCAL);
  return handle;
}
PartsFn Parts() {
  return reinterpret_cast<PartsFn>(dlsym(Library(), "rvMakeSubmitParts"));
}
SubmitFn Single() {
  return reinterpret_cast<SubmitFn>(dlsym(Library(), "rvMakeSubmitPDU"));
}

const AddressParam kDest{8, "12345678", 1};

SubmitParams Params(int outType, int inType = 1) {
  SubmitParams p{};
  p.TextInType = inType;
  p.TextInCodepage = 65001;
  p.WithSMSC = 1;
  p.TextOutType = outType;
  p.TextOutCodepage = 65001;
  p.MsgClass = 255;
  return p;
}

struct Built {
  int32_t rc = 0;
  SubmitPartsInfo info{};
  std::vector<Bytes> pdus;
  std::vector<int32_t> tpdus;
};

// The two calls a caller makes: the size query, then the PDUs into a buffer of exactly
// the size asked for (guard bytes behind it).
Built Build(const std::string& text, const SubmitParams& p, int32_t reference = 0x5A) {
  Built b;
  b.rc = Parts()(text.data(), static_cast<int32_t>(text.size()), &kDest, nullptr, &p, reference,
                 nullptr, nullptr, nullptr, nullptr, 0, &b.info);
  if (b.rc != 1) return b;
  std::vector<unsigned char> buffer(static_cast<size_t>(b.info.NeededSize) + 16, 0xA5);
  std::vector<int32_t> sizes(static_cast<size_t>(b.info.PartCount)),
      tpdus(static_cast<size_t>(b.info.PartCount));
  int32_t size = b.info.NeededSize;
  SubmitPartsInfo again{};
  b.rc = Parts()(text.data(), static_cast<int32_t>(text.size()), &kDest, nullptr, &p, reference,
                 buffer.data(), &size, sizes.data(), tpdus.data(), b.info.PartCount, &again);
  EXPECT_EQ(size, b.info.NeededSize);
  for (size_t i = static_cast<size_t>(b.info.NeededSize); i < buffer.size(); ++i)
    EXPECT_EQ(buffer[i], 0xA5) << "written past the buffer";
  size_t at = 0;
  for (size_t k = 0; k < sizes.size(); ++k) {
    b.pdus.emplace_back(buffer.begin() + static_cast<long>(at),
                        buffer.begin() + static_cast<long>(at + static_cast<size_t>(sizes[k])));
    at += static_cast<size_t>(sizes[k]);
  }
  b.tpdus = tpdus;
  return b;
}

std::u16string U16(const std::string& utf8) {
  std::u16string out;
  for (size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    const int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    uint32_t cp = n == 1 ? c : n == 2 ? c & 0x1F : n == 3 ? c & 0x0F : c & 0x07;
    for (int k = 1; k < n; ++k) cp = cp << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += static_cast<size_t>(n);
    if (cp >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

// Decodes every part, checks the header of each against its place and returns the text
// joined in part order.
std::u16string Joined(const Built& b, int reference = 0x5A) {
  std::u16string text;
  const size_t n = b.pdus.size();
  for (size_t k = 0; k < n; ++k) {
    const pdutest::Submit m = pdutest::Decode(b.pdus[k], true);
    EXPECT_EQ(m.error, "") << "part " << k + 1;
    EXPECT_EQ(m.tpduLength, static_cast<size_t>(b.tpdus[k]));
    EXPECT_EQ(m.mr, static_cast<int>(k % 256)) << "each part has its own reference";
    if (n > 1) {
      const pdutest::Concat c = pdutest::ConcatOf(m.udh);
      EXPECT_TRUE(c.present && !c.wide);
      EXPECT_EQ(c.reference, reference);
      EXPECT_EQ(c.count, static_cast<int>(n));
      EXPECT_EQ(c.number, static_cast<int>(k + 1));
      if (m.alphabet == Alphabet::kGsm7) {
        EXPECT_LE(m.septets.size(), 153u);
        EXPECT_TRUE(m.septets.empty() || m.septets.back() != 0x1B || k + 1 == n)
            << "an escape split from its code in part " << k + 1;
      } else if (m.alphabet == Alphabet::kUcs2) {
        EXPECT_LE(m.text.size(), 67u);
        EXPECT_FALSE(!m.text.empty() && m.text.back() >= 0xD800 && m.text.back() <= 0xDBFF)
            << "a surrogate pair split in part " << k + 1;
      }
    } else {
      EXPECT_EQ(m.udhi, 0);
    }
    text += m.text;
  }
  return text;
}

std::string Hex(const Bytes& b) {
  static const char* d = "0123456789ABCDEF";
  std::string s;
  for (uint8_t v : b) {
    s += d[v >> 4];
    s += d[v & 15];
  }
  return s;
}

// gammu's reading of the parts: the joined text (UTF-8) and the part lines, or nothing
// when python-gammu is not installed.
bool Gammu(const Built& b, std::string* text, std::vector<std::string>* lines) {
  static const char* pythons[] = {"python3", "/usr/bin/python3"};
  for (const char* python : pythons) {
    const std::string probe = std::string(python) + " -c 'import gammu' >/dev/null 2>&1";
    if (std::system(probe.c_str()) != 0) continue;
    char path[] = "/tmp/rvsms-parts-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) return false;
    FILE* f = fdopen(fd, "w");
    for (const Bytes& pdu : b.pdus) std::fprintf(f, "%s\n", Hex(pdu).c_str());
    std::fclose(f);
    const std::string cmd =
        std::string(python) + " " PEALIX_SOURCE_DIR "/smslib/tests/gammu_join.py < " + path;
    FILE* p = popen(cmd.c_str(), "r");
    char line[4096];
    text->clear();
    while (p && std::fgets(line, sizeof line, p)) {
      std::string s(line);
      while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
      if (s.rfind("TEXT ", 0) == 0) {
        for (size_t i = 5; i + 1 < s.size(); i += 2)
          *text += static_cast<char>(std::stoi(s.substr(i, 2), nullptr, 16));
      } else {
        lines->push_back(s);
      }
    }
    const int status = p ? pclose(p) : -1;
    std::remove(path);
    return status == 0;
  }
  return false;
}

TEST(RvsmsParts, OnePartIsTheSinglePduExportsOwn) {
  ASSERT_NE(Parts(), nullptr) << "rvMakeSubmitParts is not exported";
  struct Case {
    std::string text;
    SubmitParams params;
  };
  SubmitParams raw = Params(3, 3);
  raw.UDHI = 1;
  raw.TPDCSType = 1;
  raw.MsgClass = 1;
  SubmitParams report = Params(0);
  report.StatusSMS = 1;
  report.TP_MR = 17;
  const Case cases[] = {
      {"hellohello", Params(0)},
      {std::string(160, 'x'), Params(0)},
      {"Gr\xC3\xBC\xC3\x9F"
       "e \xE2\x82\xAC {x}",
       report},
      {"\xE6\x97\xA5\xE6\x9C\xAC", Params(2)},
      {"caf\xC3\xA9", Params(1)},
      {std::string("\x06\x05\x04\x15\x81\x15\x81\x02\x4A\x3A\x40\x00", 12), raw},
  };
  for (const Case& c : cases) {
    const Built b = Build(c.text, c.params);
    ASSERT_EQ(b.rc, 1) << c.text;
    ASSERT_EQ(b.pdus.size(), 1u);
    std::vector<unsigned char> single(c.text.size() * 2 + 120);
    int32_t size = static_cast<int32_t>(single.size()), tpdu = 0;
    ASSERT_EQ(Single()(c.text.data(), static_cast<int32_t>(c.text.size()), single.data(), &size,
                       &kDest, nullptr, &c.params, &tpdu),
              1);
    EXPECT_EQ(b.pdus[0], Bytes(single.begin(), single.begin() + size)) << c.text;
    EXPECT_EQ(b.tpdus[0], tpdu);
  }
}

TEST(RvsmsParts, PartCountsAtTheLimits) {
  struct Case {
    size_t length;
    int outType;
    int parts;
    int lastUnits;
  };
  const Case cases[] = {
      {160, 0, 1, 160},         {161, 0, 2, 8}, {306, 0, 2, 153}, {307, 0, 3, 1},
      {153 * 255, 0, 255, 153}, {70, 2, 1, 70}, {71, 2, 2, 4},    {67 * 255, 2, 255, 67},
      {140, 1, 1, 140},         {141, 1, 2, 7},
  };
  for (const Case& c : cases) {
    const std::string text(c.length, 'a');
    const Built b = Build(text, Params(c.outType));
    ASSERT_EQ(b.rc, 1) << c.length;
    EXPECT_EQ(b.info.PartCount, c.parts) << c.length;
    EXPECT_EQ(b.info.UnitsInLastPart, c.lastUnits) << c.length;
    EXPECT_EQ(b.info.UnitsPerPart, c.parts == 1     ? (c.outType == 0   ? 160
                                                       : c.outType == 2 ? 70
                                                                        : 140)
                                   : c.outType == 0 ? 153
                                   : c.outType == 2 ? 67
                                                    : 134);
    ASSERT_EQ(static_cast<int>(b.pdus.size()), c.parts);
    EXPECT_EQ(Joined(b), std::u16string(c.length, u'a')) << c.length;
  }
  // One part more than the header can number: refused, with the count it would take.
  for (const auto& [length, outType] : {std::pair{153 * 255 + 1, 0}, std::pair{67 * 255 + 1, 2}}) {
    const Built b = Build(std::string(static_cast<size_t>(length), 'a'), Params(outType));
    EXPECT_EQ(b.rc, RVSMS_TOO_MANY_PARTS);
    EXPECT_EQ(b.info.PartCount, 256);
  }
}

TEST(RvsmsParts, EscapesAndSurrogatePairsAtEverySplitPosition) {
  // The two-septet character and the two-unit character slide over the first and second
  // boundary; every part must decode and the joined text be the text.
  for (size_t before = 140; before < 160; ++before) {
    for (const char* wide : {"\xE2\x82\xAC", "{", "\\", "~"}) {
      const std::string text =
          std::string(before, 'b') + wide + std::string(150, 'c') + wide + std::string(30, 'd');
      const Built b = Build(text, Params(0));
      ASSERT_EQ(b.rc, 1);
      EXPECT_EQ(Joined(b), U16(text)) << before << wide;
    }
  }
  for (size_t before = 60; before < 72; ++before) {
    const std::string emoji = "\xF0\x9F\x98\x80";  // U+1F600, two UTF-16 units
    const std::string text =
        std::string(before, 'e') + emoji + std::string(64, 'f') + emoji + "\xE6\x97\xA5";
    const Built b = Build(text, Params(2));
    ASSERT_EQ(b.rc, 1);
    EXPECT_EQ(b.info.TextOutType, 2);
    EXPECT_EQ(Joined(b), U16(text)) << before;
  }
}

TEST(RvsmsParts, AutomaticCodingTakesUcs2OnlyWhenACharacterNeedsIt) {
  // Every character of the GSM alphabet or its extension table: 7-bit, € counting two.
  Built b = Build(
      "Gr\xC3\xBC\xC3\x9F"
      "e \xE2\x82\xAC [1]",
      Params(4));
  ASSERT_EQ(b.rc, 1);
  EXPECT_EQ(b.info.TextOutType, 0);
  EXPECT_EQ(b.info.Unmapped, 0);
  EXPECT_EQ(b.info.UnitsInLastPart, 14);  // 11 characters, three of them two septets
  EXPECT_EQ(Joined(b), U16("Gr\xC3\xBC\xC3\x9F"
                           "e \xE2\x82\xAC [1]"));

  // Mixed scripts and an emoji: UCS2, nothing lost.
  const std::string mixed =
      "Gr\xC3\xBC\xC3\x9F"
      "e \xE2\x82\xAC \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8E\xB5";
  b = Build(mixed, Params(4));
  ASSERT_EQ(b.rc, 1);
  EXPECT_EQ(b.info.TextOutType, 2);
  EXPECT_EQ(b.info.Unmapped, 3);  // 日, 本 and the emoji (one character of two units)
  const pdutest::Submit m = pdutest::Decode(b.pdus[0], true);
  EXPECT_EQ(m.alphabet, Alphabet::kUcs2);
  EXPECT_EQ(Joined(b), U16(mixed));

  // Forced 7-bit: the same text loses those characters, and says how many.
  b = Build(mixed, Params(0));
  ASSERT_EQ(b.rc, 1);
  EXPECT_EQ(b.info.TextOutType, 0);
  EXPECT_EQ(b.info.Unmapped, 3);
  EXPECT_EQ(Joined(b), U16("Gr\xC3\xBC\xC3\x9F"
                           "e \xE2\x82\xAC  "));
  // Only such characters: nothing to send, but the count is there.
  b = Build("\xE6\x97\xA5", Params(0));
  EXPECT_EQ(b.rc, RVSMS_FAILED);
  EXPECT_EQ(b.info.Unmapped, 1);

  // A long mixed text in UCS2 parts.
  std::string longMixed;
  for (int i = 0; i < 40; ++i) longMixed += mixed;
  b = Build(longMixed, Params(4));
  ASSERT_EQ(b.rc, 1);
  EXPECT_EQ(b.info.PartCount, (40 * 13 + 66) / 67);
  EXPECT_EQ(Joined(b), U16(longMixed));
}

TEST(RvsmsParts, RingtoneDataKeepsItsPortHeaderInEveryPart) {
  SubmitParams p = Params(3, 3);
  p.UDHI = 1;
  p.TPDCSType = 1;
  p.MsgClass = 1;
  std::string data("\x06\x05\x04\x15\x81\x15\x81", 7);
  std::string ringtone;
  for (int i = 0; i < 300; ++i) ringtone += static_cast<char>(i % 256);
  const Built b = Build(data + ringtone, p, 7);
  ASSERT_EQ(b.rc, 1);
  ASSERT_EQ(b.info.PartCount, 3);  // 128 octets of ringtone a part
  EXPECT_EQ(b.info.UnitsPerPart, 128);
  std::string joined;
  for (size_t k = 0; k < b.pdus.size(); ++k) {
    const pdutest::Submit m = pdutest::Decode(b.pdus[k], true);
    EXPECT_EQ(m.error, "");
    EXPECT_EQ(m.dcs, 0xF5);
    EXPECT_EQ(m.udhi, 1);
    EXPECT_EQ(Hex(m.udh),
              "0B0504158115810003070" + std::to_string(3) + "0" + std::to_string(k + 1));
    for (size_t i = m.udh.size(); i < m.ud.size(); ++i) joined += static_cast<char>(m.ud[i]);
  }
  EXPECT_EQ(joined, ringtone);
  // Packed 7-bit data cannot be split; a header longer than its data is refused.
  SubmitParams packed = Params(0, 3);
  packed.UDHI = 1;
  EXPECT_EQ(Build(std::string(141, '\x01'), packed).rc, RVSMS_FAILED);
  EXPECT_EQ(Build(std::string(1, '\xC8') + std::string(150, 'x'), p).rc, RVSMS_FAILED);
  // The automatic coding takes text, not raw bytes.
  EXPECT_EQ(Build("abc", Params(4, 3)).rc, RVSMS_FAILED);
}

TEST(RvsmsParts, ArgumentsAndBufferContract) {
  const std::string text(200, 'z');
  const auto len = static_cast<int32_t>(text.size());
  SubmitParams p = Params(0);
  SubmitPartsInfo info{};
  unsigned char buffer[600];
  int32_t size = sizeof buffer, sizes[2] = {-1, -1}, tpdus[2] = {-1, -1};
  EXPECT_EQ(
      Parts()(text.data(), len, nullptr, nullptr, &p, 0, buffer, &size, sizes, tpdus, 2, &info),
      RVSMS_EMPTY);
  EXPECT_EQ(
      Parts()(text.data(), len, &kDest, nullptr, nullptr, 0, buffer, &size, sizes, tpdus, 2, &info),
      RVSMS_EMPTY);
  EXPECT_EQ(
      Parts()(text.data(), len, &kDest, nullptr, &p, 0, buffer, &size, sizes, tpdus, 2, nullptr),
      RVSMS_EMPTY);
  EXPECT_EQ(Parts()(nullptr, len, &kDest, nullptr, &p, 0, buffer, &size, sizes, tpdus, 2, &info),
            RVSMS_TEXT_LENGTH);
  EXPECT_EQ(Parts()(text.data(), 0, &kDest, nullptr, &p, 0, buffer, &size, sizes, tpdus, 2, &info),
            RVSMS_TEXT_LENGTH);
  const AddressParam bad{3, "1x3", 1};
  EXPECT_EQ(Parts()(text.data(), len, &bad, nullptr, &p, 0, buffer, &size, sizes, tpdus, 2, &info),
            RVSMS_BAD_ADDRESS);
  EXPECT_EQ(
      Parts()(text.data(), len, &kDest, nullptr, &p, 256, buffer, &size, sizes, tpdus, 2, &info),
      RVSMS_FAILED);
  SubmitParams five = Params(5);
  EXPECT_EQ(
      Parts()(text.data(), len, &kDest, nullptr, &five, 0, buffer, &size, sizes, tpdus, 2, &info),
      RVSMS_FAILED);
  // Tables too short for the two parts; then a buffer one byte short, which learns the
  // size it needs and stays unwritten.
  EXPECT_EQ(
      Parts()(text.data(), len, &kDest, nullptr, &p, 0, buffer, &size, sizes, tpdus, 1, &info),
      RVSMS_PART_TABLE_SMALL);
  EXPECT_EQ(info.PartCount, 2);
  EXPECT_EQ(sizes[0], -1);
  const int32_t needed = info.NeededSize;
  std::fill(std::begin(buffer), std::end(buffer), 0xA5);
  size = needed - 1;
  EXPECT_EQ(
      Parts()(text.data(), len, &kDest, nullptr, &p, 0, buffer, &size, sizes, tpdus, 2, &info),
      RVSMS_PDU_TOO_LONG);
  EXPECT_EQ(size, needed);
  for (unsigned char c : buffer) ASSERT_EQ(c, 0xA5);
  EXPECT_EQ(sizes[0], -1);
  EXPECT_EQ(
      Parts()(text.data(), len, &kDest, nullptr, &p, 0, buffer, nullptr, sizes, tpdus, 2, &info),
      RVSMS_PDU_TOO_LONG);
  EXPECT_EQ(
      Parts()(text.data(), len, &kDest, nullptr, &p, 0, buffer, &size, sizes, tpdus, 2, &info), 1);
  EXPECT_EQ(size, needed);
  EXPECT_EQ(sizes[0] + sizes[1], needed);
}

TEST(RvsmsParts, GammuReadsTheSamePartsAndJoinsTheSameText) {
  std::string mixed =
      "Gr\xC3\xBC\xC3\x9F"
      "e \xE2\x82\xAC \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8E\xB5 ";
  std::string longMixed, longGsm;
  for (int i = 0; i < 12; ++i) longMixed += mixed;
  for (int i = 0; i < 40; ++i) longGsm += "Ode [to] joy \xE2\x82\xAC ";
  struct Case {
    std::string text;
    int outType;
    std::string coding;
  };
  const Case cases[] = {{longGsm, 4, "Default_No_Compression"},
                        {longMixed, 4, "Unicode_No_Compression"},
                        {"short", 4, "Default_No_Compression"}};
  for (const Case& c : cases) {
    const Built b = Build(c.text, Params(c.outType), 200);
    ASSERT_EQ(b.rc, 1);
    std::string text;
    std::vector<std::string> lines;
    if (!Gammu(b, &text, &lines)) GTEST_SKIP() << "python-gammu is not installed";
    ASSERT_EQ(lines.size(), b.pdus.size());
    for (size_t k = 0; k < lines.size(); ++k) {
      const std::string want = b.pdus.size() == 1
                                   ? "PART -1 0 0 " + c.coding
                                   : "PART " + std::to_string(k + 1) + " " +
                                         std::to_string(b.pdus.size()) + " 200 " + c.coding;
      EXPECT_EQ(lines[k], want);
    }
    EXPECT_EQ(text, c.text);
  }
}

}  // namespace
