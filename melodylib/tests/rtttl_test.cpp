// RTTTL reader, writer, pitch fitting and tempo table.
#include <gtest/gtest.h>

#include "golden.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "formats/rtttl.h"
#include "model/melody.h"

namespace rv {
namespace {

struct ReadOutcome {
  int result;
  Melody melody;
};

ReadOutcome read(const std::string& text) {
  ReadOutcome out{0, Melody()};
  std::istringstream in(text, std::ios::binary);
  ReadRequest request;
  out.result = readRtttl(in, out.melody, request);
  return out;
}

std::string write(Melody& melody, int* returnValue = nullptr) {
  WriteResult out;
  writeRtttl(melody, WriteTarget::String, FormatOptions(), out);
  if (returnValue) *returnValue = out.returnValue;
  return out.bytes;
}

void expectEvent(const Melody& m, uint32_t i, int kind, int key, int duration) {
  ASSERT_LT(i, static_cast<uint32_t>(m.count()));
  EXPECT_EQ(m.kindAt(i), kind) << "event " << i;
  if (kind == Note) {
    EXPECT_EQ(m.value1At(i), key) << "event " << i;
  }
  EXPECT_EQ(m.durationAt(i), duration) << "event " << i;
}

// A bad token ends the notes; what came before stays. Golden files hold the other cases.
TEST(RtttlRead, BadTokenEndsTheNotes) {
  // Too many dots, sharps or octave digits, a duration that is no power of two or too long.
  for (const char* bad : {"4c...5", "c##", "c555", "3c", "1024c", "1234c", "8q"})
    EXPECT_EQ(read(std::string("x:d=4,o=5,b=63:c,") + bad + ",d").melody.count(), 1) << bad;
}

TEST(RtttlRead, AnyBytesGiveAResult) {
  std::mt19937 rng(7);
  for (int round = 0; round < 300; ++round) {
    std::string text(rng() % 300, '\0');
    for (char& c : text) {
      const unsigned v = rng() % 260;
      c = v >= 256 ? ':' : static_cast<char>(v);
    }
    const int result = read(text).result;
    EXPECT_TRUE(result == 1 || result == -1) << result;
  }
}

TEST(RtttlRead, OneHugeLineIsCapped) {
  std::string text = "x:d=4,o=5,b=63:";
  for (int i = 0; i < 50000; ++i) text += "c,";  // 100 KB in one line
  ReadOutcome r = read(text);
  ASSERT_EQ(r.result, 1);
  EXPECT_GT(r.melody.count(), 30000);
  EXPECT_LE(r.melody.count(), 65536 / 2);

  // After the cap nothing more is gathered, not even the following lines.
  r = read(text + "\nd,d,d");
  EXPECT_EQ(r.melody.kindAt(r.melody.count() - 1), Note);
  EXPECT_EQ(r.melody.value1At(r.melody.count() - 1), 72);
}

Melody melodyOf(std::initializer_list<std::pair<int, int>> notes, const char* title = "Melody",
                int bpm = 120) {
  Melody m;
  m.title = title;
  m.BPM = bpm;
  for (auto [key, ticks] : notes) {
    if (key < 0)
      m.appendEvent(Pause, ticks);
    else
      m.appendEvent(Note, ticks, key, 127);
  }
  return m;
}

TEST(RtttlWrite, Tokens) {
  Melody m = melodyOf({{72, 96}, {87, 72}});
  EXPECT_EQ(write(m), "Melody:d=4,o=5,b=125:c,8d#.6");

  // Double dot writes one '.', 64ths become 32nds, a pause carries no octave and its dot
  // as a second pause, octaves outside 4..7 are clamped.
  m = melodyOf({{60, 168}, {61, 6}, {-1, 144}, {107, 96}, {65, 384}, {-1, 576}});
  EXPECT_EQ(write(m), "Melody:d=4,o=5,b=125:c.4,32c#4,p,8p,b7,1f4,1p,2p");

  // A dotted pause is written as the plain pauses that make it up, so no time is lost.
  m = melodyOf({{72, 48}, {-1, 72}, {72, 48}, {-1, 336}, {-1, 144}, {72, 48}});
  EXPECT_EQ(write(m), "Melody:d=4,o=5,b=125:8c,8p,16p,8c,2p,p,8p,p,8p,8c");
  ReadOutcome back = read(write(m));
  ASSERT_EQ(back.result, 1);
  int32_t total = 0;
  for (uint32_t i = 0; i < static_cast<uint32_t>(back.melody.count()); ++i)
    total += back.melody.durationAt(i);
  EXPECT_EQ(total, 48 + 72 + 48 + 336 + 144 + 48);
}

TEST(RtttlWrite, NameTempoAndNonNoteEvents) {
  Melody m = melodyOf({}, "Birthday Song", 0);
  m.appendEvent(StyleChange, 0, 1);
  m.appendEvent(TempoChange, 0, 200);
  m.appendEvent(Note, 96, 72, 127);
  m.appendEvent(Note, 0, 74, 127);  // no duration: no token
  EXPECT_EQ(write(m), "Birthday :d=4,o=5,b=63:c");

  // A ':' would split the name from the defaults when read back.
  m = melodyOf({{72, 96}}, "a:b", 999);
  EXPECT_EQ(write(m), "ab:d=4,o=5,b=900:c");
  // A name is not cut inside a UTF-8 character.
  m = melodyOf({{72, 96}}, "Ma\xC3\xB1\x61na Song \xC3\xA9t\xC3\xA9");
  EXPECT_EQ(write(m), "Ma\xC3\xB1\x61na S:d=4,o=5,b=125:c");
  m = melodyOf({{72, 96}}, "Mananasa\xC3\xB1");
  EXPECT_EQ(write(m), "Mananasa:d=4,o=5,b=125:c");
}

TEST(RtttlWrite, EmptyMelodyFails) {
  Melody m;
  int returnValue = 0;
  EXPECT_EQ(write(m, &returnValue), "");
  EXPECT_EQ(returnValue, -1);
}

TEST(RtttlWrite, LowNoteMovesWithTheOthers) {
  Melody m = melodyOf({{55, 96}, {72, 96}, {74, 96}});
  EXPECT_EQ(write(m), "Melody:d=4,o=5,b=125:c4,f,g");
}

TEST(RtttlWrite, RoundTripKeepsTheNotes) {
  Melody m = melodyOf({{60, 96}, {61, 48}, {-1, 24}, {95, 144}, {107, 12}, {83, 384}}, "Tune", 180);
  const std::string text = write(m);
  ReadOutcome r = read(text);
  ASSERT_EQ(r.result, 1);
  EXPECT_EQ(r.melody.title, "Tune");
  EXPECT_EQ(r.melody.getBPM(), 180);
  ASSERT_EQ(r.melody.count(), m.count());
  for (uint32_t i = 0; i < static_cast<uint32_t>(m.count()); ++i)
    expectEvent(r.melody, i, m.kindAt(i), m.value1At(i), m.durationAt(i));
  EXPECT_EQ(write(r.melody), text);
}

TEST(PlainPitchFit, TransposesOrClamps) {
  Melody m = melodyOf({{100, 96}, {110, 96}, {90, 96}});
  plainPitchFit(m, 60, 107);  // above: move down by 3
  EXPECT_EQ(m.value1At(0), 97);
  EXPECT_EQ(m.value1At(1), 107);
  EXPECT_EQ(m.value1At(2), 87);

  m = melodyOf({{40, 96}, {120, 96}, {70, 96}});
  plainPitchFit(m, 60, 107);  // span too wide: clamp only
  EXPECT_EQ(m.value1At(0), 60);
  EXPECT_EQ(m.value1At(1), 107);
  EXPECT_EQ(m.value1At(2), 70);
}

TEST(TempoTable, SnapsToTheNearestCode) {
  struct Row {
    int bpm, code;
  } rows[] = {{-5, 8},   {0, 8},    {1, 0},    {25, 0},   {26, 1},
              {28, 1},   {63, 8},   {118, 14}, {117, 13}, {120, 14},
              {899, 31}, {850, 31}, {849, 30}, {900, 31}, {5000, 31}};
  for (const Row& row : rows) EXPECT_EQ(tempoToCode(row.bpm), row.code) << row.bpm;
  EXPECT_EQ(codeToTempo(-1), 25);
  EXPECT_EQ(codeToTempo(0), 25);
  EXPECT_EQ(codeToTempo(14), 125);
  EXPECT_EQ(codeToTempo(31), 900);
  EXPECT_EQ(codeToTempo(32), 900);
  for (int code = 0; code < 32; ++code) EXPECT_EQ(tempoToCode(codeToTempo(code)), code);
}

// Golden files: data/rtttl/ok/<name>.rtx reads into <name>.expected; every file in
// data/rtttl/bad/ must fail.
using golden::dump;
using golden::fileText;

class RtttlGoodFile : public ::testing::TestWithParam<std::string> {};
class RtttlBadFile : public ::testing::TestWithParam<std::string> {};

TEST_P(RtttlGoodFile, ReadsAsExpected) {
  const std::filesystem::path dir = golden::folder("rtttl", "ok");
  ReadOutcome r = read(fileText(dir / (GetParam() + ".rtx")));
  ASSERT_EQ(r.result, 1);
  EXPECT_EQ(dump(r.melody), fileText(dir / (GetParam() + ".expected")));
}

TEST_P(RtttlBadFile, Fails) {
  const std::filesystem::path dir = golden::folder("rtttl", "bad");
  EXPECT_EQ(read(fileText(dir / (GetParam() + ".rtx"))).result, -1);
}

// File names (letters, digits, '_') name the cases.
std::string caseName(const ::testing::TestParamInfo<std::string>& info) {
  return info.param;
}

INSTANTIATE_TEST_SUITE_P(Golden, RtttlGoodFile,
                         ::testing::ValuesIn(golden::cases("rtttl", "ok", ".rtx")), caseName);
INSTANTIATE_TEST_SUITE_P(Golden, RtttlBadFile,
                         ::testing::ValuesIn(golden::cases("rtttl", "bad", ".rtx")), caseName);

}  // namespace
}  // namespace rv
