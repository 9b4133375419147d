#include <gtest/gtest.h>

#include "document/meloformatcheck.h"
#include "document/meloformatprops.h"

using namespace meloformatcheck;

namespace {

clMeloFormatProps defaults() {
  clMeloFormatProps p;
  p.RegisterDefaultFormats();
  return p;
}

pxvbMelody eighths(int count, int key = 70) {
  pxvbMelody m;
  for (int i = 0; i < count; ++i) m.addevent(8, 0, 1, key, 127);
  return m;
}

RowResult checkOne(const pxvbMelody& m, int formatId, int tempo) {
  const auto rows = meloformatcheck::Run(defaults(), m, QString::number(m.size()),
                                         QString::number(tempo), {formatId});
  EXPECT_TRUE(rows.has_value());
  return rows->front();
}

TEST(MeloFormatProps, SettersAndLookups) {
  clMeloFormatProps p = defaults();
  EXPECT_EQ(p.FormateCount(), 8);
  int hi, lo, lng, sht, maxEv, tempo;
  ASSERT_EQ(p.FGetRange1(12, hi, lo, lng, sht), 1);
  EXPECT_EQ(hi, 89);
  EXPECT_EQ(sht, 16);
  ASSERT_EQ(p.FGetRange2(14, maxEv, tempo), 1);
  EXPECT_EQ(maxEv, -1);
  // Ids never registered, beyond the table or negative are unknown, not format 0's limits.
  for (int id : {0, 1, 5, 15, 100, -3}) EXPECT_EQ(p.FGetRange1(id, hi, lo, lng, sht), -1) << id;

  EXPECT_EQ(p.SetLenRange(0, 8, 8), -1);
  EXPECT_EQ(p.SetLenRange(0, 1, 513), -1);
  EXPECT_EQ(p.SetNoteRange(0, 60, 60), -1);
  EXPECT_EQ(p.SetNoteRange(0, 128, 0), -1);
  EXPECT_EQ(p.SetMaxNotes(0, 0), -1);
  EXPECT_EQ(p.SetBPMRang(0, 0, -5), -1);
  EXPECT_EQ(p.SetNoteRange(8, 100, 50), -1);
  EXPECT_EQ(p.SetNoteRange(-1, 100, 50), -1);
  p.FGetRange1(2, hi, lo, lng, sht);
  EXPECT_EQ(hi, 85);  // refused values leave the earlier ones
  EXPECT_EQ(sht, 16);
  EXPECT_EQ(p.SetMaxNotes(0, -1), 1);

  EXPECT_EQ(p.AddFormat(-1, 100, 50, 1, 8, 10, 200, 10), -1);
  EXPECT_EQ(p.AddFormat(40000, 100, 50, 1, 8, 10, 200, 10), -1);
  EXPECT_EQ(p.FormateCount(), 8);
  p.Init();
  EXPECT_EQ(p.FormateCount(), 0);
  EXPECT_EQ(p.FGetRange2(2, maxEv, tempo), -1);
}

TEST(MeloFormatCheck, RemainingEvents) {
  const struct {
    int events;
    QString text;
    int colour;
  } cases[] = {{60, "4", kGreen}, {63, "1", kYellow}, {66, "-2", kRed}, {64, "0", kGreen}};
  for (const auto& c : cases) {
    const RowResult r = checkOne(eighths(c.events), 2, 120);
    EXPECT_EQ(r.remainingText, c.text) << c.events;
    EXPECT_EQ(r.colourRemaining, c.colour) << c.events;
  }
  const RowResult imy = checkOne(eighths(500), 14, 120);
  EXPECT_TRUE(imy.remainingText.isEmpty());
  EXPECT_EQ(imy.colourRemaining, kGreen);
}

TEST(MeloFormatCheck, TempoAndCounts) {
  EXPECT_EQ(checkOne(eighths(3), 12, 280).colourTempo, kGreen);
  EXPECT_EQ(checkOne(eighths(3), 12, 320).colourTempo, kYellow);
  EXPECT_EQ(checkOne(eighths(3), 12, 330).colourTempo, kRed);

  pxvbMelody m;
  m.addevent(4, 0, 1, 90);
  m.addevent(4, 0, 1, 50);
  m.addevent(4, 0, 1, 40);
  m.addevent(2, 1, 16);   // dotted half against longest 2: not too long
  m.addevent(1, 0, 16);   // too long for Motorola
  m.addevent(32, 0, 16);  // too short for Sagem
  m.addevent(0, 0, 4, 300);
  RowResult r = checkOne(m, 2, 120);
  EXPECT_EQ(r.tooHigh, 1);
  EXPECT_EQ(r.colourHigh, kYellow);
  EXPECT_EQ(r.tooLow, 2);
  EXPECT_EQ(r.colourLow, kYellow);
  EXPECT_EQ(r.tooShort, 1);
  EXPECT_EQ(r.tooLong, 0);
  EXPECT_EQ(Verdict(r), QStringLiteral("close"));
  m.addevent(4, 0, 1, 30);
  EXPECT_EQ(checkOne(m, 2, 120).colourLow, kRed);
  r = checkOne(m, 12, 120);
  EXPECT_EQ(r.tooLong, 1);
  EXPECT_EQ(Verdict(r), QStringLiteral("does not fit"));
  EXPECT_EQ(Verdict(checkOne(eighths(10), 14, 120)), QStringLiteral("fits"));
}

TEST(MeloFormatCheck, NeedsBothFieldsAndKnownFormats) {
  const pxvbMelody m = eighths(3);
  EXPECT_FALSE(
      meloformatcheck::Run(defaults(), m, QString(), QStringLiteral("120"), {2}).has_value());
  EXPECT_FALSE(
      meloformatcheck::Run(defaults(), m, QStringLiteral("3"), QString(), {2}).has_value());
  const auto rows =
      meloformatcheck::Run(defaults(), m, QStringLiteral("3"), QStringLiteral("120"), {99, -1});
  ASSERT_TRUE(rows.has_value());
  EXPECT_FALSE(rows->at(0).countsValid);
  EXPECT_FALSE(rows->at(1).limitsValid);

  EXPECT_EQ(FormatChoiceNames().size(), FormatChoiceIds().size());
  EXPECT_EQ(ChoiceToFormatId(1), 9);
  EXPECT_EQ(ChoiceToFormatId(8), -1);
  EXPECT_EQ(FieldValue(QStringLiteral(" -12x")), -12);
  EXPECT_EQ(FieldValue(QStringLiteral("99999999999999")), INT_MAX);
  EXPECT_EQ(AutoLabelColour(QStringLiteral("3"), false), kRed);
  EXPECT_EQ(AutoLabelColour(QStringLiteral("3"), true), kGreen);
}

}  // namespace
