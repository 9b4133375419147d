#include <gtest/gtest.h>

#include <climits>

#include "melody/pxvbmelody.h"

namespace {

pxvbMelody notes(std::initializer_list<int> keys, int len = 4) {
  pxvbMelody m;
  for (int k : keys) m.addevent(len, 0, 1, k, 127);
  return m;
}

TEST(PxvbNote, LengthAndDotRules) {
  pxvbNote n;
  EXPECT_EQ(n.nEvent(), 16);
  EXPECT_EQ(n.iSimpleLen(), 0);
  const int cases[][2] = {{3, 2}, {0, 0}, {-5, 1}, {5, 4}, {100, 64}, {1, 1}, {INT_MAX, 16384}};
  for (const auto& c : cases) {
    n.setiSimpleLen(c[0]);
    EXPECT_EQ(n.iSimpleLen(), c[1]) << c[0];
  }
  n.setiDotLen(-1);
  EXPECT_EQ(n.iDotLen(), 0);
  n.setiDotLen(9);
  EXPECT_EQ(n.iDotLen(), 3);
}

TEST(PxvbNote, NoteAndPauseProperties) {
  pxvbNote n;
  n.setnEvent(4);
  n.setEventVal1(90);
  EXPECT_EQ(n.iNote(), 0);
  EXPECT_TRUE(n.bolPause());  // every non-note counts as a pause
  n.setiNote(61);
  EXPECT_EQ(n.nEvent(), 1);
  EXPECT_EQ(n.iNote(), 61);
  n.setbolPause(true);
  EXPECT_EQ(n.nEvent(), 16);
  int a, b, c, d;
  n.SetEventVal(1, 2);
  EXPECT_EQ(n.GetEventVal(a, b, c, d), 1);
  EXPECT_EQ(b, 2);
  EXPECT_EQ(c, 0);
}

TEST(PxvbMelody, PositionsOutsideAreIgnored) {
  pxvbMelody m = notes({60, 62});
  const pxvbMelody before = m;
  for (int pos : {-1, 2, 1000000, INT_MAX, INT_MIN}) {
    EXPECT_EQ(m.getEvent(pos), -1);
    EXPECT_EQ(m.setEvent(pos, 4), -1);
    EXPECT_EQ(m.getSimpleLen(pos), 0);
    EXPECT_EQ(m.getEventVal1(pos), 0);
    EXPECT_EQ(m.miditime(pos), 0);
    EXPECT_EQ(m.getiMelVolume(pos), 15);
    int len = 7, dot = 7, note = 7, pause = 7;
    EXPECT_EQ(m.getOldDllNote(pos, len, dot, note, pause), -1);
    EXPECT_EQ(len, 7);
    m.setSimpleLen(pos, 8);
    m.setDotLen(pos, 1);
    m.setEventVal1(pos, 1);
    m.SetEventVal(pos, 1, 2, 3, 4);
    m.setSimpleTime(pos, 8, 1);
    pxvbNote n;
    EXPECT_FALSE(m.setclNote(pos, n));
    EXPECT_FALSE(m.getclNote(pos, n));
    m.merase(pos, 1);
    if (pos != 2) m.mInsert(pos, 3);
  }
  m.mInsert(0, INT_MAX);
  m.merase(0, 0);
  EXPECT_EQ(m.size(), 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(m.getEventVal1(i), before.getEventVal1(i));
    EXPECT_EQ(m.getSimpleLen(i), 4);
  }
}

TEST(PxvbMelody, EraseInsertAndAssign) {
  pxvbMelody m = notes({60, 61, 62, 63});
  m.merase(1, 100);  // cut to size - pos
  ASSERT_EQ(m.size(), 1);
  m.mInsert(1, 2);  // pos == size is allowed
  ASSERT_EQ(m.size(), 3);
  EXPECT_EQ(m.getEvent(2), 16);
  EXPECT_EQ(m.getSimpleLen(2), 0);

  pxvbMelody src = notes({70, 71, 72});
  pxvbMelody a = notes({50, 51});
  pxvbMelody b = a;
  a.insert(src, 1, 10);
  b.insert2(src, 1, 10);
  ASSERT_EQ(a.size(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(a.getEventVal1(i), b.getEventVal1(i));
  EXPECT_EQ(a.getEventVal1(1), 70);
  a.insert(a, 0, 2);  // from itself
  EXPECT_EQ(a.size(), 7);
  EXPECT_EQ(a.getEventVal1(2), 50);

  src.setbpm(99);
  src.setsName(QStringLiteral("Tune"));
  src.setDefStyle(2);
  pxvbMelody c = notes({1, 2, 3});
  c.assign(src, 0);
  EXPECT_EQ(c.size(), 0);
  EXPECT_EQ(c.bpm(), 99);
  EXPECT_EQ(c.sName(), QStringLiteral("Tune"));
  EXPECT_EQ(c.DefStyle(), 2);
  c.assign(src, -1);
  EXPECT_EQ(c.size(), 3);
  c.assign(c, 2);
  EXPECT_EQ(c.size(), 2);
  c.resize(-4);
  EXPECT_EQ(c.size(), 0);
}

TEST(PxvbMelody, PropertyDefaults) {
  pxvbMelody m;
  EXPECT_EQ(m.sName(), QStringLiteral("Pealix"));
  m.setbpm(0);
  EXPECT_EQ(m.bpm(), 120);
  m.setDefStyle(3);
  EXPECT_EQ(m.DefStyle(), 1);
}

TEST(PxvbMelody, LengthSteps) {
  pxvbMelody m;
  m.addevent(4, 1, 1, 60);
  m.LongerLen();
  EXPECT_EQ(m.getDotLen(0), 3);
  m.LongerLen();
  EXPECT_EQ(m.getDotLen(0), 2);
  m.LongerLen();
  EXPECT_EQ(m.getSimpleLen(0), 2);
  EXPECT_EQ(m.getDotLen(0), 0);

  pxvbMelody s;
  s.addevent(4, 0, 1, 60);
  s.addevent(64, 0, 1, 60);
  s.addevent(1, 2, 1, 60);
  s.addevent(0, 0, 4, 120);  // a tempo change keeps its form
  s.ShorterLen();
  EXPECT_EQ(s.getSimpleLen(0), 8);
  EXPECT_EQ(s.getDotLen(0), 2);
  EXPECT_EQ(s.getSimpleLen(1), 64);
  EXPECT_EQ(s.getDotLen(1), 0);
  EXPECT_EQ(s.getSimpleLen(3), 0);
  EXPECT_EQ(s.getDotLen(3), 0);
  s.LongerLen();
  s.LongerLen();
  EXPECT_EQ(s.getSimpleLen(2), 1);
  EXPECT_EQ(s.getDotLen(2), 2);  // a whole note with dot 2 stays
  EXPECT_EQ(s.getDotLen(3), 0);

  // Shorter then longer walks the same five steps back.
  pxvbMelody r;
  r.addevent(8, 0, 1, 60);
  for (int i = 0; i < 4; ++i) r.ShorterLen();
  for (int i = 0; i < 4; ++i) r.LongerLen();
  EXPECT_EQ(r.getSimpleLen(0), 8);
  EXPECT_EQ(r.getDotLen(0), 0);
}

TEST(PxvbMelody, NotesAndRanges) {
  pxvbMelody m = notes({120, 3});
  m.addevent(8, 0, 16);
  m.ChangeNote(12);
  EXPECT_EQ(m.getEventVal1(0), 127);
  m.ChangeNote(INT_MIN);
  EXPECT_EQ(m.getEventVal1(0), 0);
  EXPECT_EQ(m.getEvent(2), 16);

  // The smallest shift that fits: 40..68 moves up by 17, not by an octave.
  pxvbMelody a = notes({40, 55, 68});
  EXPECT_EQ(a.MoveToScale(85, 57), 1);
  int hi = 0, lo = 0;
  a.HiLoNote(hi, lo);
  EXPECT_EQ(hi, 85);
  EXPECT_EQ(lo, 57);
  EXPECT_EQ(a.getEventVal1(1), 72);
  pxvbMelody span30 = notes({40, 70});  // 30 semitones do not fit into 57..85
  EXPECT_EQ(span30.MoveToScale(85, 57), -1);
  EXPECT_EQ(a.MoveToScale(85, 57), 2);
  pxvbMelody wide = notes({40, 90});
  EXPECT_EQ(wide.MoveToScale(85, 57), -1);
  EXPECT_EQ(wide.getEventVal1(1), 90);
  pxvbMelody high = notes({90, 80});
  EXPECT_EQ(high.MoveToScale(85, 57), 1);
  EXPECT_EQ(high.getEventVal1(0), 85);
  pxvbMelody empty;
  EXPECT_EQ(empty.MoveToScale(85, 57), -1);
  empty.HiLoNote(hi, lo);
  EXPECT_EQ(hi, 0);

  pxvbMelody l = notes({20, 100}, 1);
  l.addevent(128, 3, 16);
  l.Limit2Scale(2, 16, 85, 57, 1);
  EXPECT_EQ(l.getEventVal1(0), 57);
  EXPECT_EQ(l.getEventVal1(1), 85);
  EXPECT_EQ(l.getSimpleLen(0), 2);
  EXPECT_EQ(l.getSimpleLen(2), 16);
  EXPECT_EQ(l.getDotLen(2), 1);
}

TEST(PxvbMelody, Timing) {
  pxvbMelody m;
  m.setbpm(120);
  m.addevent(4, 0, 1, 60);   // 96 ticks, 500 ms
  m.addevent(8, 1, 16);      // 72 ticks
  m.addevent(64, 3, 1, 60);  // 6 ticks x 5/3 = 10
  m.addevent(0, 0, 4, 100);
  EXPECT_EQ(m.miditime(0), 96);
  EXPECT_EQ(m.miditime(1), 72);
  EXPECT_EQ(m.miditime(2), 10);
  EXPECT_EQ(m.miditime(3), 0);
  EXPECT_EQ(m.realtime(0), 500);
  EXPECT_EQ(m.realtime(3), 0);
  int gap = -1;
  EXPECT_EQ(m.realtimeadv(0, gap, 0), 375);
  EXPECT_EQ(gap, 125);
  EXPECT_EQ(m.realtimeadv(0, gap, 2), 250);
  EXPECT_EQ(m.realtimeadv(0, gap, 1), 500);
  EXPECT_EQ(gap, 0);

  int len, dot, note, pause;
  EXPECT_EQ(m.getOldDllNote(1, len, dot, note, pause), 1);
  EXPECT_EQ(pause, 1);
  EXPECT_EQ(note, 0);
  EXPECT_EQ(m.getOldDllNote(3, len, dot, note, pause), -1);
}

}  // namespace
