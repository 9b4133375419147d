#include <gtest/gtest.h>

#include <random>

#include "files/sagemhex.h"
#include "melody/rvmelodyapi.h"

// The library reads the text (format 24); here the import's outcome, messages and undo.
namespace {

class LibraryDirectory : public ::testing::Environment {
 public:
  void SetUp() override { RvMelodyApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR)); }
};
[[maybe_unused]] const ::testing::Environment* const kLibrary =
    ::testing::AddGlobalTestEnvironment(new LibraryDirectory);

pxvbMelody existing() {
  pxvbMelody m;
  m.setsName(QStringLiteral("Old"));
  m.addevent(8, 0, 1, 66, 127);
  return m;
}

void expectUnchanged(const pxvbMelody& m) {
  EXPECT_EQ(m.size(), 1);
  EXPECT_EQ(m.getEventVal1(0), 66);
  EXPECT_EQ(m.sName(), QStringLiteral("Old"));
}

TEST(SagemHex, Example) {
  pxvbMelody m = existing();
  pxvbMelody undo;
  const SagemHexOutcome o = SagemHexImport(m, QStringLiteral("01 00 00 78 3C000A"), &undo);
  ASSERT_EQ(o.result, 1);
  ASSERT_EQ(m.size(), 1);
  EXPECT_EQ(m.getEvent(0), 1);
  EXPECT_EQ(m.getEventVal1(0), 107);
  EXPECT_EQ(m.getEventVal2(0), 127);
  EXPECT_EQ(m.getSimpleLen(0), 4);
  EXPECT_EQ(m.bpm(), 120);
  EXPECT_EQ(m.sName(), QStringLiteral("Pealix"));
  expectUnchanged(undo);
}

TEST(SagemHex, LengthCodes) {
  const struct {
    const char* group;
    int kind, len, dot;
  } cases[] = {{"000010", 16, 1, 0}, {"3C0008", 1, 8, 1}, {"3C0011", 1, 8, 0}, {"010000", 1, 16, 0},
               {"01000C", 1, 4, 2},  {"01000F", 1, 2, 2}, {"0100FF", 1, 8, 0}};
  for (const auto& c : cases) {
    pxvbMelody m;
    ASSERT_EQ(SagemHexImport(m, QStringLiteral("01000078") + QLatin1String(c.group)).result, 1);
    ASSERT_EQ(m.size(), 1) << c.group;
    EXPECT_EQ(m.getEvent(0), c.kind) << c.group;
    EXPECT_EQ(m.getSimpleLen(0), c.len) << c.group;
    EXPECT_EQ(m.getDotLen(0), c.dot) << c.group;
  }
  pxvbMelody m;
  SagemHexImport(m, QStringLiteral("01000078FF0000"));
  EXPECT_EQ(m.getEventVal1(0), 127);  // 255 + 47 is no MIDI key
}

TEST(SagemHex, RefusedTexts) {
  for (const QString& text : {QStringLiteral("01000078 3G000A"), QStringLiteral("01000078\x1d"),
                              QStringLiteral("0100007\xe9")}) {
    pxvbMelody m = existing();
    const SagemHexOutcome o = SagemHexImport(m, text);
    EXPECT_EQ(o.result, -1);
    EXPECT_EQ(o.messageText, SagemHexNonHexMessage());
    expectUnchanged(m);
  }
  for (const QString& text : {QStringLiteral("00000078000010"), QStringLiteral("01000004000010"),
                              QStringLiteral("0100007"), QString(), QStringLiteral("  \r\n")}) {
    pxvbMelody m = existing();
    EXPECT_EQ(SagemHexImport(m, text).result, 0) << text.toStdString();
    expectUnchanged(m);
  }
}

TEST(SagemHex, LengthLimits) {
  // 1400 characters pass the first limit; the 640 limit counts only hex digits.
  QString padded = QStringLiteral("01000078000010") + QString(1386, QLatin1Char(' '));
  ASSERT_EQ(padded.size(), 1400);
  pxvbMelody m = existing();
  EXPECT_EQ(SagemHexImport(m, padded).result, 1);
  padded += QLatin1Char(' ');
  m = existing();
  SagemHexOutcome o = SagemHexImport(m, padded);
  EXPECT_EQ(o.result, -1);
  EXPECT_EQ(o.messageRes, 825);
  expectUnchanged(m);

  m = existing();
  o = SagemHexImport(m, QStringLiteral("FF000078") + QString(633, QLatin1Char('1')));
  EXPECT_EQ(o.result, -1);
  EXPECT_EQ(o.textLength, 641);
  expectUnchanged(m);
  // 640 digits: count 255 but only 105 whole groups; the half group at the end is dropped.
  m = existing();
  o = SagemHexImport(m, QStringLiteral("FF000078") + QStringLiteral("3C000A").repeated(105) +
                            QStringLiteral("01"));
  EXPECT_EQ(o.result, 1);
  EXPECT_EQ(m.size(), 105);
  // Count 255 with two groups and a stray digit.
  m = existing();
  EXPECT_EQ(SagemHexImport(m, QStringLiteral("FF0000783C000A00000F1")).result, 1);
  EXPECT_EQ(m.size(), 2);
}

TEST(SagemHex, ArbitraryTextsImportAPrefixOrNothing) {
  std::mt19937 rng(11);
  const QString digits = QStringLiteral("0123456789abcdefABCDEF \r\n");
  for (int round = 0; round < 3000; ++round) {
    QString text;
    const int n = static_cast<int>(rng() % 1500);
    for (int i = 0; i < n; ++i)
      text +=
          rng() % 50 ? digits[rng() % digits.size()] : QChar(static_cast<ushort>(rng() % 0xD000));
    pxvbMelody m = existing();
    const SagemHexOutcome o = SagemHexImport(m, text);
    if (o.result != 1) {
      expectUnchanged(m);
      continue;
    }
    EXPECT_LE(m.size(), 105);
    for (int i = 0; i < m.size(); ++i) {
      EXPECT_TRUE(m.getEvent(i) == 1 || m.getEvent(i) == 16);
      EXPECT_LE(m.getEventVal1(i), 127);
      EXPECT_GE(m.bpm(), 5);
    }
  }
}

}  // namespace
