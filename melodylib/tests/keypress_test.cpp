#include "formats/keypress.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "rvmelody.h"
#include "test_melodies.h"

namespace rv {
namespace {

// Readable labels without the header line unless asked otherwise.
WriteResult write(Melody m, int32_t labels = 1, int32_t header = 0, int32_t start = 0) {
  FormatOptions options;
  options.option6 = labels;
  options.option7 = header;
  options.option8 = start;
  options.has6 = options.has7 = options.has8 = true;
  WriteResult out;
  writeKeypress(m, WriteTarget::String, options, out);
  return out;
}

std::string keys(Melody m, int32_t labels = 1) {
  return write(std::move(m), labels).bytes;
}

TEST(Keypress, ComposerExample) {
  const WriteResult out = write(melodyOf({{4, 0, Note, 67}, {4, 0, Note, 69}, {8, 0, Note, 69}}));
  EXPECT_EQ(out.bytes, "[OK] [U][OK] [1]");
  EXPECT_EQ(out.returnValue, 1);
  EXPECT_EQ(out.resultValue, 1);
}

TEST(Keypress, LabelsAndKeypadCodes) {
  const Melody m = melodyOf({{4, 0, Note, 72}});  // G (7) to C (10)
  EXPECT_EQ(keys(m), "3[U]");
  EXPECT_EQ(keys(m, 2), "^^^");
  const Melody run = melodyOf(
      {{4, 0, Note, 67}, {4, 0, Note, 67}, {4, 0, Note, 67}, {4, 0, Note, 64}, {8, 1, Pause, 0}});
  EXPECT_EQ(keys(run), "3[OK] 2[D][OK] [4][1]");
  EXPECT_EQ(keys(run, 2), "ZZZVVZ41");
}

TEST(Keypress, SharpsAndPositions) {
  EXPECT_EQ(keys(melodyOf({{4, 0, Note, 61}, {4, 0, Note, 62}})), "[#]4[D][OK] 2[#][U]");
  EXPECT_EQ(keys(melodyOf({{4, 0, Note, 58}, {4, 0, Note, 57}})), "[#]6[D][OK] [#]");
  // A lone note is not fitted but still held to the keypad: 0 -> A (1), 127 -> C# (17).
  EXPECT_EQ(keys(melodyOf({{4, 0, Note, 0}})), "6[D]");
  EXPECT_EQ(keys(melodyOf({{4, 0, Note, 127}})), "[#]10[U]");
}

TEST(Keypress, DurationCycleAndDots) {
  EXPECT_EQ(keys(melodyOf({{1, 0, Note, 67}, {16, 0, Note, 67}})), "2[2][OK] [2]");
  EXPECT_EQ(keys(melodyOf({{4, 1, Note, 67}, {2, 0, Note, 67}})), "[5][OK] 2[5][2]");
  EXPECT_EQ(keys(melodyOf({{4, 1, Note, 67}, {4, 2, Note, 67}, {4, 1, Note, 67}})),
            "[5][OK] [5][OK] 2[5]");
  EXPECT_EQ(keys(melodyOf({{8, 1, Note, 67}, {4, 1, Note, 67}})), "[1][5][OK] [2]");
  // Dot 2 at a half to dot 1 at an eighth: remove (1 press), step, dot again.
  EXPECT_EQ(keys(melodyOf({{2, 2, Note, 67}, {8, 1, Note, 67}})), "[2]2[5][OK] [5]2[1][5]");
  // Dots a length cannot hold are dropped: dotted sixteenth, double-dotted eighth.
  EXPECT_EQ(keys(melodyOf({{16, 1, Note, 67}, {8, 2, Note, 67}})), "2[1][OK] [2]");
}

TEST(Keypress, PausesHaveTheirOwnLength) {
  EXPECT_EQ(keys(melodyOf({{4, 0, Note, 67}, {4, 0, Pause, 0}, {4, 0, Note, 67}})),
            "[OK] [4][OK] [4]");
  EXPECT_EQ(keys(melodyOf({{8, 0, Note, 67}, {2, 0, Pause, 0}, {8, 0, Note, 67}})),
            "[1][OK] [4][2][OK] [4]");
  EXPECT_EQ(keys(melodyOf({{4, 0, Pause, 0}, {4, 0, Pause, 0}})), "[4][OK] ");
}

TEST(Keypress, StartIndexAndHeader) {
  const Melody m =
      melodyOf({{4, 0, Note, 67}, {4, 0, Note, 69}, {4, 0, Note, 71}, {4, 0, Note, 72}});
  EXPECT_EQ(write(m, 1, 0, 2).bytes, "[OK] [U][OK] [U]");
  EXPECT_EQ(write(m, 1, 1, 4).bytes, "Title:T BPM:120 Notes:4\r\n");
  WriteResult defaults;
  Melody copy = m;
  writeKeypress(copy, WriteTarget::File, FormatOptions(), defaults);
  EXPECT_EQ(defaults.bytes, "Title:T BPM:120 Notes:4\r\n[OK] [U][OK] [U][OK] [U]");
}

TEST(Keypress, ResultCodes) {
  const WriteResult moved = write(melodyOf({{4, 0, Note, 40}, {4, 0, Note, 50}}));
  EXPECT_EQ(moved.resultValue, 72);
  EXPECT_EQ(moved.returnValue, 1);
  EXPECT_EQ(moved.bytes, "6[D][OK] 6[U]");  // moved up by 17 to 57 and 67
  EXPECT_EQ(write(melodyOf({{4, 0, Note, 0}, {4, 0, Note, 127}})).resultValue, 73);
  EXPECT_EQ(write(Melody()).returnValue, 0);
  for (int kind : {StyleChange, TempoChange, VolumeChange, Loop}) {
    const WriteResult out = write(melodyOf({{4, 0, Note, 67}, {4, 0, kind, 1}}), 1, 1);
    EXPECT_EQ(out.returnValue, -3);
    EXPECT_EQ(out.resultValue, -3);
    EXPECT_EQ(out.bytes, "");
  }
  EXPECT_EQ(write(melodyOf({{128, 0, Note, 67}})).returnValue, -3);
}

TEST(Keypress, LongMelodyGivesBoundedText) {
  Melody m;
  for (int i = 0; i < 6000; ++i)
    m.addRecord(1 << (i % 7), i % 3, i % 5 ? Note : Pause, i % 128, 100, 0, 0);
  const WriteResult out = write(m, 2, 1);
  EXPECT_EQ(out.resultValue, 73);
  EXPECT_LT(out.bytes.size(), 6000u * 40);
}

TEST(Keypress, StringExportWithKeypadCodes) {
  EventRecord records[] = {{4, 0, Note, 72, 100, 0, 0}, {4, 0, Note, 72, 100, 0, 0}};
  int32_t control[] = {9, 0, 3, 0, 0, 0, 2, 0, 0};
  char buffer[64];
  uint32_t length = sizeof buffer;
  ASSERT_EQ(rvmMelo2String(records, 2, buffer, &length, "t", nullptr, control), 1);
  EXPECT_EQ(std::string(buffer, length), "^^^Z");
  records[1].nEvent = TempoChange;
  length = sizeof buffer;
  EXPECT_EQ(rvmMelo2String(records, 2, buffer, &length, "t", nullptr, control), -3);
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(control[4], -3);
}

}  // namespace
}  // namespace rv
