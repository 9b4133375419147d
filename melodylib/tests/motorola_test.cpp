#include "formats/motorola.h"

#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>

#include "rvmelody.h"
#include "test_melodies.h"

namespace rv {
namespace {

WriteResult write(Melody m, int32_t option6 = 0, bool has6 = false, int32_t option7 = 0,
                  bool has7 = false) {
  FormatOptions options;
  options.option6 = option6;
  options.has6 = has6;
  options.option7 = option7;
  options.has7 = has7;
  WriteResult out;
  writeMotorola(m, WriteTarget::File, options, out);
  return out;
}

TEST(Motorola, QuarterAWithAndWithoutHeader) {
  const Melody m = melodyOf({{4, 0, Note, 69}});
  WriteResult plain = write(m);
  EXPECT_EQ(plain.bytes, "2 A4");
  EXPECT_EQ(plain.returnValue, 1);
  EXPECT_EQ(plain.resultValue, 1);
  // 'A' ^ '4' = 0x75
  EXPECT_EQ(write(m, 1, true).bytes, "L35&2 A4&&75");
}

TEST(Motorola, OptionWordTakesElementSevenAsBlankBit) {
  const Melody m = melodyOf({{4, 0, Note, 69}, {8, 0, Pause, 0}});
  EXPECT_EQ(write(m, 0, true, 1, true).bytes, "2  A4 R2");
  EXPECT_EQ(write(m, 1, true, 1, true).bytes, "L35&2  A4 R2&&15");
  // The blank takes part in the check characters: ' ' ^ 'A' ^ '4' = 0x55.
  EXPECT_EQ(write(melodyOf({{4, 0, Note, 69}}), 5, true).bytes, "L35&2  A4&&55");
  EXPECT_EQ(write(m, 4, true).bytes, "2  A4 R2");
}

TEST(Motorola, DurationDigitsAndOctaveMarks) {
  const Melody m = melodyOf({{16, 0, Note, 69},
                             {8, 0, Note, 69},
                             {8, 1, Note, 69},
                             {4, 0, Note, 69},
                             {4, 1, Note, 69},
                             {2, 0, Note, 69},
                             {1, 0, Note, 69},
                             {4, 0, Note, 68},
                             {4, 0, Note, 81},
                             {4, 0, Note, 80},
                             {4, 0, Note, 59},
                             {4, 0, Note, 89},
                             {4, 0, Pause, 0}});
  EXPECT_EQ(write(m, 2, true).bytes, "2 A1A2A3A4A5A6A6G#-4A+4G#4B-4F+4R4");
}

TEST(Motorola, TempoDigitsTakeTheLargerAtMidpoints) {
  EXPECT_EQ(motorolaTempoDigit(0), '2');
  EXPECT_EQ(motorolaTempoDigit(60), '1');
  EXPECT_EQ(motorolaTempoDigit(89), '1');
  EXPECT_EQ(motorolaTempoDigit(90), '2');
  EXPECT_EQ(motorolaTempoDigit(140), '3');
  EXPECT_EQ(motorolaTempoDigit(200), '4');
  EXPECT_EQ(motorolaTempoDigit(999), '4');
}

TEST(Motorola, NotesAreMovedIntoRange) {
  // Span fits: moved up by 19 semitones to 59 and 69.
  EXPECT_EQ(write(melodyOf({{4, 0, Note, 40}, {4, 0, Note, 50}})).bytes, "2 B-4A4");
  // Keys the fitting leaves alone (a lone note) still give a valid token.
  EXPECT_EQ(write(melodyOf({{4, 0, Note, -5}})).bytes, "2 C-4");
  EXPECT_EQ(write(melodyOf({{4, 0, Note, 127}})).bytes, "2 G+4");
}

TEST(Motorola, TokenLimitAndLongMelodies) {
  Melody m;
  for (int i = 0; i < 5000; ++i) m.addRecord(4, 0, i % 7 ? Note : TempoChange, 70, 100, 0, 0);
  WriteResult cut = write(m);
  EXPECT_EQ(cut.resultValue, 35);
  EXPECT_EQ(cut.bytes.size(), 2u + 35 * 3);
  WriteResult all = write(m, 2, true);
  EXPECT_EQ(all.resultValue, 5000 - 715);
  EXPECT_EQ(all.bytes.size(), 2u + (5000 - 715) * 3);
}

TEST(Motorola, NoTokenIsAFailure) {
  WriteResult none = write(melodyOf({{4, 0, TempoChange, 90}, {4, 0, Loop, 1}}), 1, true);
  EXPECT_EQ(none.bytes, "2 ");
  EXPECT_EQ(none.returnValue, -1);
  EXPECT_EQ(none.resultValue, 0);
  EXPECT_EQ(write(Melody()).returnValue, -1);
}

TEST(Motorola, OtherTicksPerQuarter) {
  Melody m;
  m.setPPQN(192);
  m.appendEvent(Note, 192, 69);  // a quarter at 192 per quarter
  m.appendEvent(Note, 96, 69);   // an eighth
  EXPECT_EQ(write(m).bytes, "2 A4A2");
}

TEST(Motorola, ExportWritesTheFileAndTheTokenCount) {
  const EventRecord records[] = {{4, 0, Note, 69, 100, 0, 0}, {8, 0, Pause, 0, 0, 0, 0}};
  const std::string path = ::testing::TempDir() + "moto_export.txt";
  int32_t control[] = {8, 1, 12, 0, 0, 0, 1, 1};  // header and a blank before each token
  ASSERT_EQ(rvmMeloExport(records, 2, "t", path.c_str(), nullptr, control), 1);
  EXPECT_EQ(control[4], 2);
  std::ifstream in(path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "L35&2  A4 R2&&15");
  char buffer[64];
  uint32_t length = sizeof buffer;
  EXPECT_EQ(rvmMelo2String(records, 2, buffer, &length, "t", nullptr, control), 213);
}

}  // namespace
}  // namespace rv
