// Sagem text: the reader's header and code rules, bad input, the writer with and without
// the size limit.
#include <gtest/gtest.h>

#include "golden.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "formats/sagem.h"
#include "rvmelody.h"

namespace rv {
namespace {

int readText(const std::string& text, Melody& melody) {
  std::istringstream in(text);
  ReadRequest request;
  return readSagem(in, melody, request);
}

int readText(const std::string& text) {
  Melody melody;
  return readText(text, melody);
}

FormatOptions options(int32_t limit, int32_t lineEnd, int32_t keepTitle) {
  FormatOptions o;
  o.option6 = limit;
  o.option7 = lineEnd;
  o.option8 = keepTitle;
  o.has6 = o.has7 = o.has8 = true;
  return o;
}

WriteResult write(Melody& melody, const FormatOptions& o = FormatOptions()) {
  WriteResult out;
  writeSagem(melody, WriteTarget::String, o, out);
  return out;
}

Melody notes(int n, const std::string& title = "Tune", int32_t key = 69) {
  Melody m;
  m.title = title;
  for (int i = 0; i < n; ++i) m.addRecord(4, 0, Note, key, 100, 0, 0);
  return m;
}

// The count in the data line, or -1.
int dataCount(const std::string& text) {
  const size_t data = text.find("Data:");
  if (data == std::string::npos) return -1;
  return std::stoi(text.substr(data + 5));
}

std::string codesOf(const std::string& text) {
  const size_t data = text.find("Data:");
  return text.substr(text.find('\n', data) + 1);
}

TEST(SagemWrite, WorkedExample) {
  Melody m;
  m.title = "Tune";
  m.setBPM(100);
  m.addRecord(4, 0, Note, 69, 127, 0, 0);
  m.addRecord(8, 0, Pause, 0, 0, 0, 0);
  WriteResult out = write(m);
  EXPECT_EQ(out.bytes, "$MUS$1.0$\nTitre:Tune\nData:2-385-100\n'E$ ");
  EXPECT_EQ(out.resultValue, 1);
  EXPECT_EQ(out.returnValue, 1);

  out = write(m, options(0, 1, 0));
  EXPECT_EQ(out.bytes, "$MUS$1.0$\r\nTitre:Tune\r\nData:2-385-100\r\n'E$ ");
  out = write(m, options(0, 7, 0));  // any other choice counts as 1
  EXPECT_EQ(out.bytes, "$MUS$1.0$\r\nTitre:Tune\r\nData:2-385-100\r\n'E$ ");
}

TEST(SagemWrite, DurationCharacters) {
  struct Row {
    int32_t simpleLen, dotLen;
    char expected;
  } rows[] = {{1, 0, '-'},  {1, 1, '-'},  {2, 0, '*'},  {2, 1, '+'},  {2, 2, ','}, {2, 3, '+'},
              {4, 0, '\''}, {4, 1, '('},  {4, 2, ')'},  {8, 0, '$'},  {8, 1, '%'}, {8, 2, '%'},
              {16, 0, '!'}, {16, 1, '!'}, {32, 0, '!'}, {128, 0, '!'}};
  for (const Row& row : rows) {
    Melody m;
    m.addRecord(row.simpleLen, row.dotLen, Note, 69, 127, 0, 0);
    m.addRecord(row.simpleLen, row.dotLen, Pause, 0, 0, 0, 0);
    const std::string codes = codesOf(write(m).bytes);
    ASSERT_EQ(codes.size(), 4u) << row.simpleLen << "/" << row.dotLen;
    EXPECT_EQ(codes[0], row.expected) << row.simpleLen << "/" << row.dotLen;
    EXPECT_EQ(codes[2], row.expected) << "pause " << row.simpleLen << "/" << row.dotLen;
  }
}

TEST(SagemWrite, EveryKeyRoundTrips) {
  Melody m;
  for (int32_t key = 57; key <= 85; ++key) m.addRecord(4, 0, Note, key, 127, 0, 0);
  const WriteResult out = write(m);
  EXPECT_EQ(out.resultValue, 1);
  EXPECT_EQ(codesOf(out.bytes), "'0'1'3'6'7'9':'<'?'@'B'C'E'F'H'K'L'N'O'Q'T'U'W'X'Z'a'c'f'g");
  Melody back;
  ASSERT_EQ(readText(out.bytes, back), 1);
  ASSERT_EQ(back.count(), 29);
  for (int32_t i = 0; i < 29; ++i) EXPECT_EQ(back.value1At(i), 57 + i);
}

TEST(SagemWrite, MovesAndClampsOutOfRangeNotes) {
  Melody low;
  for (int32_t key = 40; key <= 60; key += 5) low.addRecord(4, 0, Note, key, 127, 0, 0);
  WriteResult out = write(low);
  EXPECT_EQ(out.resultValue, 72);
  EXPECT_EQ(out.returnValue, 1);
  EXPECT_EQ(codesOf(out.bytes), "'0'9'B'K'T");  // up 17: 57, 62, 67, 72, 77

  Melody wide;
  wide.addRecord(4, 0, Note, 20, 127, 0, 0);
  wide.addRecord(4, 0, Note, 120, 127, 0, 0);
  out = write(wide);
  EXPECT_EQ(out.resultValue, 73);
  EXPECT_EQ(codesOf(out.bytes), "'0'g");
}

TEST(SagemWrite, CountsOnlyEventsThatGiveCodes) {
  Melody m = notes(2);
  m.addRecord(0, -1, StyleChange, 1, 0, 0, 0);
  m.addRecord(0, -1, TempoChange, 90, 0, 0, 0);
  const WriteResult out = write(m);
  EXPECT_EQ(dataCount(out.bytes), 2);
  EXPECT_EQ(codesOf(out.bytes), "'E'E");

  Melody silent;
  silent.addRecord(0, -1, TempoChange, 90, 0, 0, 0);
  const WriteResult none = write(silent);
  EXPECT_EQ(none.resultValue, 4);
  EXPECT_NE(none.returnValue, 1);
  EXPECT_TRUE(none.bytes.empty());
}

TEST(SagemWrite, TitleIsCutAndKeptOnOneLine) {
  Melody m = notes(1, "A title far longer than twenty\nletters");
  const WriteResult out = write(m);
  EXPECT_NE(out.bytes.find("Titre:A title far longer t\n"), std::string::npos);
  Melody back;
  ASSERT_EQ(readText(out.bytes, back), 1);
  EXPECT_EQ(back.title, "A title far longer t");

  m.title = "Tu\nne";
  EXPECT_NE(write(m).bytes.find("Titre:Tu ne\n"), std::string::npos);
}

// The size limit for melodies of 1, 99, 100 and 150 notes: count and codes match, the text
// fits and reads back.
TEST(SagemWrite, SizeLimitedCounts) {
  struct Row {
    int events;
    int32_t keepTitle;
    int expectedCount;
    const char* titleLine;
  } rows[] = {
      {1, 0, 1, "Titre:Tune\n"},    {99, 0, 63, "Titre:\n"},      {100, 0, 63, "Titre:\n"},
      {150, 0, 63, "Titre:\n"},     {1, 1, 1, "Titre:Tune\n"},    {99, 1, 53, "Titre:Tune\n"},
      {100, 1, 53, "Titre:Tune\n"}, {150, 1, 53, "Titre:Tune\n"},
  };
  for (const Row& row : rows) {
    Melody m = notes(row.events);
    const WriteResult out = write(m, options(160, 0, row.keepTitle));
    SCOPED_TRACE(testing::Message() << row.events << " events, keep " << row.keepTitle);
    EXPECT_EQ(out.resultValue, 1);
    EXPECT_LE(out.bytes.size(), 160u);
    EXPECT_EQ(dataCount(out.bytes), row.expectedCount);
    EXPECT_EQ(codesOf(out.bytes).size(), 2u * row.expectedCount);
    EXPECT_NE(out.bytes.find(row.titleLine), std::string::npos) << out.bytes;
    Melody back;
    ASSERT_EQ(readText(out.bytes, back), 1);
    EXPECT_EQ(back.count(), row.expectedCount);
  }
}

TEST(SagemWrite, SizeLimitedTitleAndLimits) {
  // A long title with the keep flag: 20 letters stay, the notes take the rest.
  Melody m = notes(150, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  WriteResult out = write(m, options(160, 0, 1));
  EXPECT_EQ(out.bytes.substr(0, 37), "$MUS$1.0$\nTitre:ABCDEFGHIJKLMNOPQRST\n");
  EXPECT_EQ(dataCount(out.bytes), 53);
  EXPECT_EQ(out.bytes.size(), 159u);

  // Line ends of two characters leave less room.
  out = write(m, options(160, 1, 1));
  EXPECT_LE(out.bytes.size(), 160u);
  EXPECT_EQ(dataCount(out.bytes), 52);

  // An empty title becomes "-" when there is room for it.
  Melody untitled = notes(1, "");
  EXPECT_NE(write(untitled, options(160, 0, 0)).bytes.find("Titre:-\n"), std::string::npos);

  // Limits below 35 behave as 35.
  Melody one = notes(1);
  EXPECT_EQ(write(one, options(10, 0, 0)).bytes, write(one, options(35, 0, 0)).bytes);
  EXPECT_LE(write(one, options(10, 0, 0)).bytes.size(), 35u);

  // No room for one code.
  out = write(m, options(35, 0, 0));
  EXPECT_EQ(out.resultValue, 160);
  EXPECT_TRUE(out.bytes.empty());
}

TEST(SagemRead, WorkedExampleAndSpellings) {
  Melody m;
  ASSERT_EQ(readText("$MUS$1.0$\nTitre:Tune\nData:2-385-100\n'E$ ", m), 1);
  EXPECT_EQ(m.title, "Tune");
  EXPECT_EQ(m.getBPM(), 100);
  ASSERT_EQ(m.count(), 2);
  EXPECT_EQ(m.kindAt(0), Note);
  EXPECT_EQ(m.value1At(0), 69);
  EXPECT_EQ(m.value2At(0), 127);
  EXPECT_EQ(m.durationAt(0), 96);
  EXPECT_EQ(m.kindAt(1), Pause);
  EXPECT_EQ(m.durationAt(1), 48);

  // Second spellings, key 56, and every duration character.
  const std::string codes = "!2$5%8'4(;)>*A+=,D-G'J'M'I'P'S'V'R'Y'b'e'h'd";
  const int32_t keys[] = {56, 58, 59, 60, 61, 63, 64, 65, 66, 68, 70,
                          71, 72, 73, 75, 76, 77, 78, 80, 82, 83, 84};
  const int32_t ticks[] = {24, 48, 72, 96, 144, 168, 192, 288, 336, 384};
  Melody all;
  ASSERT_EQ(readText("$MUS$1.0$\r\nTitre:\r\nData:22-385-120\r\n" + codes, all), 1);
  EXPECT_EQ(all.title, "");
  ASSERT_EQ(all.count(), 22);
  for (int32_t i = 0; i < 22; ++i) {
    EXPECT_EQ(all.value1At(i), keys[i]) << i;
    if (i < 10) {
      EXPECT_EQ(all.durationAt(i), ticks[i]) << i;
    }
  }
}

TEST(SagemRead, CodeSeparatorsAndEnds) {
  Melody m;
  // Carriage-return/line-feed pairs between codes do not count.
  ASSERT_EQ(readText("$MUS$1.0$\nTitre:x\nData:3-385-90\n'E\r\n'K\r\n\r\n$ ", m), 1);
  EXPECT_EQ(m.count(), 3);
  // Up to two blanks after the tempo instead of a line feed.
  ASSERT_EQ(readText("$MUS$1.0$\nTitre:x\nData:1-385-90  'E", m), 1);
  EXPECT_EQ(m.count(), 1);
  // A duration '"' ends the reading; earlier codes stay.
  ASSERT_EQ(readText("$MUS$1.0$\nTitre:x\nData:3-385-90\n'E\"E'E", m), 1);
  EXPECT_EQ(m.count(), 1);
  // An unknown pitch ends the reading and its code is not kept.
  ASSERT_EQ(readText("$MUS$1.0$\nTitre:x\nData:3-385-90\n'E'~'E", m), 1);
  EXPECT_EQ(m.count(), 1);
  // Only count codes are read.
  ASSERT_EQ(readText("$MUS$1.0$\nTitre:x\nData:1-385-90\n'E'E'E", m), 1);
  EXPECT_EQ(m.count(), 1);
  // Tempo out of range leaves the tempo unchanged.
  ASSERT_EQ(readText("$MUS$1.0$\nTitre:x\nData:1-385-0\n'E", m), 1);
  EXPECT_EQ(m.getBPM(), 120);
}

TEST(SagemRead, BadHeaders) {
  struct Row {
    const char* text;
    int expected;
  } rows[] = {
      {"", -1},
      {"$MUS$1.0$\n", 152},
      {"$MUS$1.0$\n\n\nTitre:x\nData:1-385-90\n'E", 1},                     // at 12
      {"$MUS$1.0$\nTitre:abcdefghijklmnopqrstuv\nData:1-385-90\n'E", 152},  // 22 + line feed
      {"$MUS$1.0$\nTitre:abcdefghijklmnopqrstu\nData:1-385-90\n'E", 1},
      {"$MUS$1.0$\nTitre:x\n", 152},
      {"$MUS$1.0$\nTitre:x\nData:", 152},
      {"$MUS$1.0$\nTitre:x\nData:0-385-120\n'E", 152},
      {"$MUS$1.0$\nTitre:x\nData:-385-120\n'E", 152},
      {"$MUS$1.0$\nTitre:x\nData:1--120\n'E", 152},
      {"$MUS$1.0$\nTitre:x\nData:1-30001-120\n'E", 1},  // value taken as 215
      {"$MUS$1.0$\nTitre:x\nData:1-999999-120\n'E", 1},
      {"$MUS$1.0$\nTitre:x\nData:1-30000-120\n'E", 1},
      {"$MUS$1.0$\nTitre:x\nData:1-1234567-120\n'E", 152},
      {"$MUS$1.0$\nTitre:x\nData:1-3a5-120\n'E", 152},
      {"$MUS$1.0$\nTitre:x\nData:1-385", 152},
      {"$MUS$1.0$\nTitre:x\nData:1-385-120\n", 153},
      {"$MUS$1.0$\nTitre:x\nData:999-385-120\n'E$", 1},  // count far above the codes
  };
  for (const Row& row : rows) EXPECT_EQ(readText(row.text), row.expected) << row.text;
}

// Carriage returns anywhere, and the text cut anywhere: always a result code.
TEST(SagemRead, DamagedTextsGiveResultCodes) {
  const std::string good = "$MUS$1.0$\nTitre:Tune\nData:4-385-100\n'E$ (K!g";
  for (size_t i = 0; i <= good.size(); ++i) {
    for (const std::string& text : {good.substr(0, i), good.substr(0, i) + "\r" + good.substr(i),
                                    good.substr(0, i) + "\r\n" + good.substr(i)}) {
      Melody m;
      const int result = readText(text, m);
      EXPECT_TRUE(result == 1 || result == -1 || (result >= 151 && result <= 153)) << text;
      if (result == 1) {
        EXPECT_GE(m.count(), 1);
      }
    }
  }
}

TEST(SagemRead, LongInputIsCut) {
  std::string huge = "$MUS$1.0$\nTitre:x\nData:999-385-120\n" + std::string(200000, '\'');
  Melody m;
  EXPECT_EQ(readText(huge, m), 153);
}

// Through the exports: the string form and a file written and read back.
TEST(SagemExports, StringAndFileRoundTrip) {
  const EventRecord records[] = {{4, 0, 1, 69, 127, 0, 0}, {8, 0, 16, 0, 0, 0, 0}};
  int32_t control[] = {5, 0, 2, 100, 7};
  char buffer[64];
  uint32_t length = sizeof buffer;
  ASSERT_EQ(rvmMelo2String(records, 2, buffer, &length, "Tune", nullptr, control), 1);
  EXPECT_EQ(std::string(buffer, length), "$MUS$1.0$\nTitre:Tune\nData:2-385-100\n'E$ ");
  EXPECT_EQ(control[4], 1);

  std::vector<EventRecord> many(150, EventRecord{8, 0, 1, 50, 127, 0, 0});
  const std::string path =
      testing::TempDir() + "sagem_export_" + std::to_string(::getpid()) + ".srt";
  int32_t exportControl[] = {9, 1, 2, 90, 0, 0, 160, 1, 1};
  ASSERT_EQ(rvmMeloExport(many.data(), 150, "A long melody title here", path.c_str(), nullptr,
                          exportControl),
            1);
  EXPECT_EQ(exportControl[4], 72);  // key 50 moved up to 57
  std::ifstream file(path, std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(file), {}};
  EXPECT_LE(text.size(), 160u);
  EXPECT_EQ(text.rfind("$MUS$1.0$\r\nTitre:A long melody title \r\nData:52-385-90\r\n", 0), 0u)
      << text;

  std::vector<EventRecord> back(200);
  int32_t count = 200;
  char title[32];
  uint32_t titleLength = sizeof title - 1;
  int32_t readControl[] = {4, 1, 2, 0};
  ASSERT_EQ(rvmReadMelo(back.data(), &count, title, &titleLength, readControl, path.c_str(),
                        nullptr, nullptr),
            1);
  EXPECT_EQ(count, 52);
  EXPECT_EQ(std::string(title, titleLength), "A long melody title ");
  EXPECT_EQ(readControl[3], 90);
  EXPECT_EQ(back[0].EventVal1, 57);
  EXPECT_EQ(back[0].iSimpleLen, 8);
  std::remove(path.c_str());
}

// data/sagem/ok/NAME.srt reads as NAME.expected; data/sagem/bad/CODE_NAME.srt gives CODE.
using golden::dump;
using golden::fileText;

class SagemGoodFile : public ::testing::TestWithParam<std::string> {};
class SagemBadFile : public ::testing::TestWithParam<std::string> {};

TEST_P(SagemGoodFile, ReadsAsExpected) {
  const std::filesystem::path dir = golden::folder("sagem", "ok");
  Melody m;
  ASSERT_EQ(readText(fileText(dir / (GetParam() + ".srt")), m), 1);
  EXPECT_EQ(dump(m), fileText(dir / (GetParam() + ".expected")));
}

TEST_P(SagemBadFile, GivesItsCode) {
  const std::filesystem::path dir = golden::folder("sagem", "bad");
  EXPECT_EQ(readText(fileText(dir / (GetParam() + ".srt"))), std::stoi(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Golden, SagemGoodFile,
                         ::testing::ValuesIn(golden::cases("sagem", "ok", ".srt")));
INSTANTIATE_TEST_SUITE_P(Golden, SagemBadFile,
                         ::testing::ValuesIn(golden::cases("sagem", "bad", ".srt")));

}  // namespace
// Sagem hex text: the header, the groups, what is refused and why, and the counts a
// rendering's Data line announces.
int readHex(const std::string& text, Melody& melody, ReadRequest& request) {
  std::istringstream in(text, std::ios::binary);
  return readSagemHex(in, melody, request);
}

TEST(SagemHex, GroupsKeysAndRefusals) {
  Melody m;
  ReadRequest r;
  ASSERT_EQ(readHex("01 00 00 78 3C000A 000010\r\n", m, r), 1);
  EXPECT_EQ(m.getBPM(), 120);
  ASSERT_EQ(m.count(), 1);  // the count says one group
  EXPECT_EQ(m.value1At(0), 107);
  ASSERT_EQ(readHex("02000050FF0000000010", m, r), 1);
  EXPECT_EQ(m.value1At(0), 127);  // 255 + 47 is no MIDI key
  EXPECT_EQ(m.kindAt(1), Pause);
  EXPECT_EQ(readHex("05000078", m, r), 1);  // the text ends before its groups
  EXPECT_TRUE(m.empty());

  EXPECT_EQ(readHex("01000078 3G000A", m, r), RV_SAGEM_HEX_NOT_HEX);
  EXPECT_EQ(readHex("0100007\xC3\xA9", m, r), RV_SAGEM_HEX_NOT_HEX);
  for (const char* nothing : {"", "0100007", "00000078", "01000004"})
    EXPECT_EQ(readHex(nothing, m, r), RV_SAGEM_HEX_NOTHING) << nothing;
  EXPECT_EQ(readHex(std::string(641, '1'), m, r), RV_SAGEM_HEX_TOO_LONG);
  EXPECT_EQ(r.failValue, 641);
  EXPECT_EQ(readHex(std::string(1401, ' '), m, r), RV_SAGEM_HEX_TOO_LONG);
  EXPECT_EQ(r.failValue, 1401);
  EXPECT_EQ(readHex(std::string(700, ' ') + "01000078", m, r), 1);
}

TEST(SagemHex, CodeCountOfTheDataLine) {
  EXPECT_EQ(countSagemCodes("$MUS$1.0$\nTitre:x\nData:12-385-120\n"), 12);
  EXPECT_EQ(countSagemCodes("$MUS$1.0$\nData: 7 -385"), 7);
  EXPECT_EQ(countSagemCodes("Data:12-385"), -1);  // not at a line's start
  EXPECT_EQ(countSagemCodes("x\nData:-385"), -1);
  EXPECT_EQ(countSagemCodes("x\nData:1a-385"), -1);
}

}  // namespace rv
