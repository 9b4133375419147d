#include <gtest/gtest.h>

#include <climits>

#include "formats/rtttl.h"
#include "model/melody.h"

using namespace rv;

namespace {

Melody notes(std::initializer_list<int32_t> keys, int32_t ticks = 96) {
  Melody m;
  for (int32_t k : keys) m.appendEvent(Note, ticks, k, 100);
  return m;
}

std::vector<int32_t> keysOf(const Melody& m) {
  std::vector<int32_t> keys;
  for (const MelodyEvent& e : m.events())
    if (e.EID == Note) keys.push_back(e.EventVal1);
  return keys;
}

}  // namespace

TEST(MelodyRecords, DurationsFromValuesAndTicks) {
  Melody m;
  m.addRecord(500, -1, Note, 60, 100, 0, 0);
  m.addRecord(4, 1, Note, 60, 100, 0, 0);
  m.addRecord(3, 0, Note, 60, 100, 0, 0);    // not a power of two: an eighth
  m.addRecord(256, 0, Note, 60, 100, 0, 0);  // above 128: a 128th
  m.addRecord(4, 9, Note, 60, 100, 0, 0);    // unknown dot: plain
  m.addRecord(2, 2, Note, 60, 100, 0, 0);
  m.addRecord(2, 3, Note, 60, 100, 0, 0);
  ASSERT_EQ(m.count(), 7);
  EXPECT_EQ(m.durationAt(0), 500);
  EXPECT_EQ(m.durationAt(1), 144);
  EXPECT_EQ(m.durationAt(2), 48);
  EXPECT_EQ(m.durationAt(3), 3);
  EXPECT_EQ(m.durationAt(4), 96);
  EXPECT_EQ(m.durationAt(5), 336);
  EXPECT_EQ(m.durationAt(6), 320);
}

TEST(MelodyRecords, CreationRulesPerKind) {
  Melody m;
  EXPECT_EQ(m.addRecord(4, 0, Pause, 0, 0, 0, 0), 1);
  EXPECT_EQ(m.addRecord(0, -1, Pause, 0, 0, 0, 0), 1);  // a pause without time is dropped
  EXPECT_EQ(m.addRecord(-5, -1, Pause, 0, 0, 0, 0), 1);
  EXPECT_EQ(m.addRecord(0, -1, Note, 60, 1, 0, 0), 2);  // a note without time stays
  m.addRecord(4, 0, Note, 140, 90, 5, 6);
  m.addRecord(4, 0, StyleChange, 7, 0, 0, 0);
  m.addRecord(4, 0, TempoChange, 0, 0, 0, 0);
  m.addRecord(4, 0, VolumeChange, 3, 50, 0, 0);
  m.addRecord(4, 0, 42, 1, 2, 3, 4);
  m.addRecord(4, 0, 65536 + Note, 500, 1, 0, 0);  // kinds are 16 bits: this is a note
  EXPECT_EQ(m.value1At(2), 127);
  EXPECT_EQ(m.value2At(2), 90);
  EXPECT_EQ(m.value3At(2), 0);  // a note has no third value
  EXPECT_EQ(m.value1At(3), 0);
  EXPECT_EQ(m.durationAt(3), 0);
  EXPECT_EQ(m.value1At(4), 120);
  EXPECT_EQ(m.value1At(5), 0);
  EXPECT_EQ(m.value2At(5), 50);
  EXPECT_EQ(m.value4At(6), 4);
  EXPECT_EQ(m.durationAt(6), 96);
  EXPECT_EQ(m.kindAt(7), Note);
  EXPECT_EQ(m.value1At(7), 127);
  EXPECT_EQ(m.kindAt(99), -1);
  EXPECT_EQ(m.durationAt(99), 0);
}

TEST(MelodyDurations, TicksToValue) {
  struct Case {
    int32_t ticks, simple, dot;
  } cases[] = {{96, 4, 0},  {140, 4, 1}, {168, 4, 2}, {180, 4, 2}, {190, 2, 0}, {384, 1, 0},
               {576, 1, 1}, {760, 1, 2}, {3, 128, 0}, {1, 256, 0}, {48, 8, 0},  {160, 4, 3}};
  for (const Case& c : cases) {
    int32_t s = -1, d = -1;
    EXPECT_TRUE(ticksToValue(c.ticks, 384, s, d)) << c.ticks;
    EXPECT_EQ(s, c.simple) << c.ticks;
    EXPECT_EQ(d, c.dot) << c.ticks;
  }
  int32_t s = -1, d = -1;
  EXPECT_FALSE(ticksToValue(0, 384, s, d));
  EXPECT_EQ(s, 0);
  EXPECT_FALSE(ticksToValue(-7, 384, s, d));
  EXPECT_TRUE(ticksToValue(INT_MAX, INT_MAX, s, d));
  EXPECT_EQ(s, 1);
}

TEST(MelodySettings, TempoStyleAndPpqn) {
  Melody m;
  EXPECT_EQ(m.setBPM(0), 0);
  EXPECT_EQ(m.setBPM(1000), 0);
  EXPECT_EQ(m.getBPM(), 120);
  m.setBPM(999);
  m.setBPM(-1);
  EXPECT_EQ(m.getBPM(), 120);
  m.setStyle(3);
  EXPECT_EQ(m.getStyle(), 0);
  m.setStyle(2);
  EXPECT_EQ(m.getStyle(), 2);
  EXPECT_FALSE(m.setPPQN(0));
  EXPECT_FALSE(m.setPPQN(INT_MAX));
  EXPECT_TRUE(m.setPPQN(480));
  EXPECT_EQ(m.wholeTicks, 1920);
  EXPECT_TRUE(m.setPPQN(-1));
  EXPECT_EQ(m.getPPQN(), 96);
}

TEST(MelodyRange, Statistics) {
  RangeStats s;
  Melody empty;
  EXPECT_EQ(empty.rangeStatistics(60, 80, s), 0);
  Melody m = notes({50, 70, 90});
  EXPECT_EQ(m.rangeStatistics(80, 60, s), -1);
  EXPECT_EQ(m.rangeStatistics(45, 100, s), 1);
  EXPECT_EQ(m.rangeStatistics(60, 100, s), 2);
  EXPECT_EQ(s.nAbove, 0);
  EXPECT_EQ(s.nBelow, 1);
  EXPECT_EQ(s.span, 40);
  EXPECT_EQ(m.rangeStatistics(60, 80, s), 3);
  EXPECT_EQ(s.nAbove, 1);
  m.formatHighestNote = 100;
  EXPECT_EQ(m.rangeStatistics(60, 101, s), -1);
  // The only note is the last event: nothing to look at.
  Melody last;
  last.appendEvent(Pause, 96);
  last.appendEvent(Note, 96, 20);
  EXPECT_EQ(last.rangeStatistics(60, 80, s), 0);
  EXPECT_EQ(last.fitToRange(60, 80, 1), 1);
  EXPECT_EQ(keysOf(last), std::vector<int32_t>{20});
}

TEST(MelodyRange, FitMovesByOctavesOrSemitones) {
  Melody up = notes({50, 55, 60});
  EXPECT_EQ(up.fitToRange(60, 84, 1), 2);  // up by one octave keeps the intervals
  EXPECT_EQ(keysOf(up), (std::vector<int32_t>{62, 67, 72}));
  Melody upExact = notes({50, 55, 60});
  EXPECT_EQ(upExact.fitToRange(60, 84, 0), 2);
  EXPECT_EQ(keysOf(upExact), (std::vector<int32_t>{60, 65, 70}));
  Melody down = notes({80, 90, 100});
  EXPECT_EQ(down.fitToRange(60, 95, 1), 2);
  EXPECT_EQ(keysOf(down), (std::vector<int32_t>{68, 78, 88}));
  Melody tooWide = notes({30, 60, 100});
  EXPECT_EQ(tooWide.fitToRange(60, 84, 1), 3);  // more above than below: align the top
  EXPECT_EQ(keysOf(tooWide), (std::vector<int32_t>{60, 60, 84}));
  Melody bad = notes({60, 61});
  EXPECT_EQ(bad.fitToRange(70, 70, 1), -1);
  bad.lowestNote = 50;
  EXPECT_EQ(bad.fitToRange(40, 70, 1), -1);
  EXPECT_EQ(bad.fitToOctaves(9, 1, 1), -1);
  EXPECT_EQ(bad.fitToOctaves(4, 10, 1), -1);
  Melody oct = notes({40, 50});
  EXPECT_EQ(oct.fitToOctaves(4, 3, 1), 2);  // keys 72..107
  EXPECT_EQ(keysOf(oct), (std::vector<int32_t>{76, 86}));
}

TEST(MelodyRange, ExtremeKeysDoNotOverflow) {
  Melody m;
  m.appendEvent(Note, 96, INT_MIN);
  m.appendEvent(Note, 96, 127);
  m.appendEvent(Note, 96, -5);
  EXPECT_EQ(m.fitToRange(60, 107, 1), 3);
  for (int32_t k : keysOf(m)) {
    EXPECT_GE(k, 60);
    EXPECT_LE(k, 107);
  }
  m.transpose(INT_MAX);
  EXPECT_EQ(keysOf(m), (std::vector<int32_t>{127, 127, 127}));
}

TEST(MelodyEditing, NamesChecksAndTrailingRests) {
  Melody m = notes({61, 130});
  int32_t letter = 0, sharp = 0, octave = 0;
  EXPECT_EQ(m.noteName(0, letter, sharp, octave, 0), 1);
  EXPECT_EQ(letter, 1);
  EXPECT_EQ(sharp, 1);
  EXPECT_EQ(octave, 5);
  m.formatHighestNote = 100;
  m.formatLowestNote = 40;
  m.setValueAt(1, 1, 120);
  EXPECT_EQ(m.checkNote(1, 0), 2);
  EXPECT_EQ(m.noteName(1, letter, sharp, octave, 1), 1);  // too high: shows the lowest key
  EXPECT_EQ(octave, 3);
  EXPECT_EQ(m.noteName(5, letter, sharp, octave, 0), 0);

  m.appendEvent(Pause, 96);
  m.appendEvent(TempoChange, 0, 90);
  m.appendEvent(Pause, 96);
  EXPECT_EQ(m.removeTrailing(1, 0), 1);  // only the last pause: the tempo stops it
  EXPECT_EQ(m.count(), 4);
  EXPECT_EQ(m.removeTrailing(2, 1), 1);  // every non-note at the end
  EXPECT_EQ(m.count(), 2);
  EXPECT_EQ(m.removeTrailing(4, 1), 0);
  Melody rest;
  rest.appendEvent(Pause, 96);
  EXPECT_EQ(rest.removeTrailing(1, 0), 0);  // the first event always stays
}

TEST(MelodyEditing, RangesAndCopies) {
  Melody m = notes({60, 61, 62, 63});
  m.title = "T";
  m.BPM = 90;
  Melody c;
  EXPECT_EQ(c.appendRange(m, 4, 0), 0);
  EXPECT_EQ(c.appendRange(m, 1, 2), 1);
  EXPECT_EQ(keysOf(c), (std::vector<int32_t>{61, 62}));
  EXPECT_EQ(c.appendRange(c, 0, 0), 1);  // a melody may append itself
  EXPECT_EQ(c.count(), 4);
  EXPECT_EQ(c.eraseRange(1, 100), 1);
  EXPECT_EQ(c.count(), 1);
  EXPECT_EQ(c.eraseRange(1, 1), 0);
  EXPECT_EQ(c.copyFrom(m, 2), 1);
  EXPECT_EQ(c.count(), 2);
  EXPECT_EQ(c.title, "T");
  EXPECT_EQ(c.getBPM(), 90);
  EXPECT_EQ(c.removeLast(0), 0);
  EXPECT_EQ(c.removeLast(10), 1);
  EXPECT_TRUE(c.empty());
}

TEST(MelodySplit, LongEventsBecomeWholeNotesAndRests) {
  Melody m;
  m.title = "S";
  m.BPM = 100;
  m.appendEvent(Note, 384, 60, 80);  // exactly whole: copied
  m.appendEvent(Note, 500, 62, 80);  // between one and two wholes
  m.appendEvent(Note, 384 * 3 + 10, 64, 80);
  m.appendEvent(Pause, 800);
  Melody t;
  t.appendEvent(Note, 10, 1);
  EXPECT_EQ(m.copySplit(t), 0);
  std::vector<std::pair<int, int32_t>> got;
  int64_t total = 0;
  for (const MelodyEvent& e : t.events()) {
    got.emplace_back(e.EID, e.duration);
    total += e.duration;
  }
  const std::vector<std::pair<int, int32_t>> want = {{Note, 384},  {Note, 384},  {Pause, 116},
                                                     {Note, 384},  {Pause, 384}, {Pause, 394},
                                                     {Pause, 384}, {Pause, 416}};
  EXPECT_EQ(got, want);
  EXPECT_EQ(total, 384 + 500 + 384 * 3 + 10 + 800);
  EXPECT_EQ(t.value2At(1), 127);  // the sounding part of a split note is at full velocity
  EXPECT_EQ(t.title, "S");
  EXPECT_EQ(t.getBPM(), 100);
  Melody empty;
  EXPECT_EQ(empty.copySplit(t), 0);
  EXPECT_EQ(t.count(), 8);  // an empty source leaves the target alone
}

TEST(MelodySplit, HugeDurationStaysBounded) {
  Melody m;
  m.addRecord(INT_MAX, -1, Pause, 0, 0, 0, 0);
  Melody t;
  m.copySplit(t);
  EXPECT_GT(t.count(), 1000);
  EXPECT_LE(t.count(), 1 << 20);
}

TEST(MelodyDurations, ExactnessCheck) {
  Melody m;
  m.exactDurations = 1;
  m.maxDotLen = 1;
  m.appendEvent(Note, 144, 60);  // dotted quarter
  m.appendEvent(Note, 168, 60);  // double-dotted: dot too long for this profile
  m.appendEvent(Note, 100, 60);  // no plain or dotted value
  m.appendEvent(Note, 0, 60);
  EXPECT_EQ(m.checkDuration(0), 1);
  EXPECT_EQ(m.checkDuration(1), 4);
  EXPECT_EQ(m.checkDuration(2), 4);
  EXPECT_EQ(m.checkDuration(3), 0);
  EXPECT_EQ(m.checkDuration(4), -1);
  int32_t tooLong = 0, tooShort = 0, inexact = 0, flag = 0;
  m.maxDuration = 150;
  m.minDuration = 101;
  EXPECT_EQ(m.checkAllDurations(tooLong, tooShort, inexact, flag), 0);
  EXPECT_EQ(tooLong, 1);
  EXPECT_EQ(tooShort, 1);
  EXPECT_EQ(inexact, 0);
  EXPECT_EQ(flag, 1);
}

TEST(MelodyRange, PlainPitchFitWithKeysFarBelowZero) {
  Melody m;
  m.appendEvent(Note, 96, INT_MIN);
  m.appendEvent(Note, 96, INT_MIN + 5);
  plainPitchFit(m, 60, 107);  // the span fits: the whole melody moves up, saturated
  for (int32_t k : keysOf(m)) {
    EXPECT_GE(k, 0);
    EXPECT_LE(k, 127);
  }
}
