#include "formats/alcatel.h"

#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>
#include <string>

#include "rvmelody.h"
#include "test_melodies.h"

namespace rv {
namespace {

WriteResult write(Melody m) {
  WriteResult out;
  writeAlcatel(m, WriteTarget::String, FormatOptions(), out);
  return out;
}

// The tokens after the header line.
std::string tokens(Melody m) {
  const std::string text = write(std::move(m)).bytes;
  const size_t eol = text.find("\r\n");
  return eol == std::string::npos ? "(no header)" : text.substr(eol + 2);
}

TEST(Alcatel, TuneExample) {
  Melody m = melodyOf({{4, 0, Note, 72}, {8, 0, Note, 63}, {2, 0, Pause, 0}});
  m.title = "Tune";
  const WriteResult out = write(m);
  EXPECT_EQ(out.bytes, "Title:Tune BPM:120 Notes:3\r\n1* 2#88 08 ");
  EXPECT_EQ(out.returnValue, 1);
  EXPECT_EQ(out.resultValue, 3);
}

TEST(Alcatel, DurationsAreSplitIntoPlainValues) {
  EXPECT_EQ(tokens(melodyOf({{4, 1, Note, 72}})), "1* 088 ");  // quarter + eighth rest
  EXPECT_EQ(tokens(melodyOf({{4, 2, Note, 72}})), "1* 088 ");  // rest of 72 ticks: eighth
  EXPECT_EQ(tokens(melodyOf({{8, 1, Note, 72}})), "1*88 ");    // dot of 24 ticks dropped
  EXPECT_EQ(tokens(melodyOf({{4, 1, Pause, 0}})), "0 ");       // rests keep no dot
  EXPECT_EQ(tokens(melodyOf({{16, 0, Note, 72}})), "1*88 ");
  EXPECT_EQ(tokens(melodyOf({{128, 0, Note, 72}})), "1*88 ");
  EXPECT_EQ(tokens(melodyOf({{2, 1, Note, 72}})), "1*8 0 ");
  EXPECT_EQ(tokens(melodyOf({{1, 0, Note, 72}})), "1*8 08 ");
  EXPECT_EQ(tokens(melodyOf({{336, -1, Note, 72}})), "1*8 0 ");
  EXPECT_EQ(tokens(melodyOf({{576, -1, Note, 72}})), "1*8 08 08 ");
  EXPECT_EQ(tokens(melodyOf({{1, 0, Pause, 0}})), "08 08 ");
}

TEST(Alcatel, KeysAreHeldInTwoOctaves) {
  EXPECT_EQ(tokens(melodyOf({{4, 0, Note, 0},
                             {4, 0, Note, 59},
                             {4, 0, Note, 60},
                             {4, 0, Note, 71},
                             {4, 0, Note, 73},
                             {4, 0, Note, 83},
                             {4, 0, Note, 84},
                             {4, 0, Note, 127}})),
            "1 1 1 7 1#* 7* 7* 7* ");
}

TEST(Alcatel, EventsWithoutDurationGiveNoToken) {
  const Melody m = melodyOf({{4, 0, StyleChange, 1},
                             {4, 0, Note, 72},
                             {4, 0, TempoChange, 90},
                             {4, 0, VolumeChange, 0},
                             {4, 0, Loop, 1},
                             {4, 0, Note, 74},
                             {4, 0, Loop, 1}});
  EXPECT_EQ(write(m).bytes, "Title:T BPM:120 Notes:2\r\n1* 2* ");

  const WriteResult controlsOnly = write(melodyOf({{4, 0, TempoChange, 90}}));
  EXPECT_EQ(controlsOnly.returnValue, 0);
  EXPECT_EQ(controlsOnly.bytes, "");
  const WriteResult empty = write(Melody());
  EXPECT_EQ(empty.returnValue, 0);
  EXPECT_EQ(empty.resultValue, 0);
}

TEST(Alcatel, LongInputGivesBoundedText) {
  Melody huge = melodyOf({{INT_MAX, -1, Pause, 0}, {INT_MAX, -1, Note, 72}});
  const WriteResult out = write(huge);
  EXPECT_EQ(out.resultValue, 2 * (kAlcatelMaxRests + 2));
  EXPECT_LT(out.bytes.size(), 20000u);

  Melody many;
  for (int i = 0; i < 5000; ++i)
    many.addRecord(1 << (i % 8), i % 4, i % 3 ? Note : Pause, i % 128, 100, 0, 0);
  const WriteResult manyOut = write(many);
  EXPECT_EQ(manyOut.returnValue, 1);
  EXPECT_GT(manyOut.resultValue, 5000);
  EXPECT_LT(manyOut.bytes.size(), 5000u * 4 * 5);
}

TEST(Alcatel, StringExport) {
  const EventRecord records[] = {{4, 0, Note, 72, 100, 0, 0}, {4, 0, TempoChange, 90, 0, 0, 0}};
  int32_t control[] = {5, 0, 8, 0, 0};
  char buffer[64];
  uint32_t length = sizeof buffer;
  ASSERT_EQ(rvmMelo2String(records, 2, buffer, &length, "Tune", nullptr, control), 1);
  EXPECT_EQ(std::string(buffer, length), "Title:Tune BPM:120 Notes:1\r\n1* ");
  EXPECT_EQ(control[4], 1);
}

}  // namespace
}  // namespace rv
