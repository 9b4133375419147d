// The exports added for reading from memory and counting the notes of a rendering:
// rvmReadBuffer with every reader of the format table, the buffer-only ones included,
// and rvmCountNotes; the answers of the older exports for those formats stay.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "rvmelody.h"

namespace {

struct Buffer {
  std::vector<EventRecord> records = std::vector<EventRecord>(16);
  int32_t count = 16;
  char title[32] = {};
  uint32_t titleLength = 31;
  RvReadReport report{};
  int32_t read(const std::string& data, int32_t formatId) {
    count = static_cast<int32_t>(records.size());
    titleLength = 31;
    report = RvReadReport{};
    return rvmReadBuffer(data.data(), static_cast<uint32_t>(data.size()), formatId, records.data(),
                         &count, title, &titleLength, &report);
  }
};

const std::string kOneNote = "024A3A40040002690000";  // a quarter A at 63 beats

TEST(ReadBuffer, ReadsNokiaFromMemoryWhileTheOlderExportsStillAnswerAsBefore) {
  Buffer b;
  ASSERT_EQ(b.read(kOneNote, RV_FORMAT_NOKIA), RV_OK);
  ASSERT_EQ(b.count, 1);
  EXPECT_EQ(b.records[0].nEvent, RV_EVENT_NOTE);
  EXPECT_EQ(b.records[0].EventVal1, 81);
  EXPECT_EQ(b.records[0].iSimpleLen, 4);
  EXPECT_EQ(b.report.bpm, 63);
  EXPECT_EQ(b.report.position, 0);

  EXPECT_EQ(rvtMeloSupport(RV_FORMAT_NOKIA), RV_SUPPORT_WRITE);
  EXPECT_EQ(rvtMeloSupport(RV_FORMAT_IMELODY), RV_SUPPORT_WRITE);
  for (const int32_t format : {RV_FORMAT_NOKIA, RV_FORMAT_IMELODY}) {
    int32_t control[6] = {6, RV_WHERE_FILE, format, 0, 0, 0};
    b.titleLength = 31;
    EXPECT_EQ(rvmReadMelo(b.records.data(), &b.count, b.title, &b.titleLength, control, "/dev/null",
                          nullptr, nullptr),
              RV_UNSUPPORTED);
  }
}

TEST(ReadBuffer, ReasonsPlacesTruncationAndArguments) {
  Buffer b;
  b.records[0].EventVal1 = 99;
  EXPECT_EQ(b.read("024A3A400400", RV_FORMAT_NOKIA), RV_NOKIA_ENDS_EARLY);
  EXPECT_GT(b.report.position, 0);
  EXPECT_EQ(b.records[0].EventVal1, 99);  // left as it was
  EXPECT_EQ(b.read("", RV_FORMAT_NOKIA), RV_NOKIA_EMPTY);
  EXPECT_EQ(b.read(kOneNote, RV_FORMAT_ALCATEL), RV_UNSUPPORTED);  // written only
  EXPECT_EQ(b.read(kOneNote, 99), RV_UNSUPPORTED);
  // The formats rvmReadMelo reads come through as well.
  ASSERT_EQ(b.read("Tune:d=4,o=5,b=140:c,8e,p", RV_FORMAT_RTTTL), RV_OK);
  EXPECT_EQ(b.count, 3);
  EXPECT_STREQ(b.title, "Tune");
  EXPECT_EQ(b.report.bpm, 140);
  EXPECT_EQ(
      b.read("Filetype: Flipper Music Format\nVersion: 0\nNotes: 12C5, 4P\n", RV_FORMAT_FLIPPER),
      RV_OK);
  EXPECT_EQ(b.report.rounded, 1);

  // Fewer records than events: the first ones and 100.
  b.records.resize(2);
  EXPECT_EQ(b.read("T:d=4,o=5,b=100:c,d,e,f", RV_FORMAT_RTTTL), RV_READ_TRUNCATED);
  EXPECT_EQ(b.count, 2);

  int32_t count = 1;
  uint32_t length = 4;
  char title[5];
  EventRecord r{};
  EXPECT_EQ(rvmReadBuffer(nullptr, 3, RV_FORMAT_NOKIA, &r, &count, title, &length, nullptr),
            RV_UNSUPPORTED);
  EXPECT_EQ(
      rvmReadBuffer(kOneNote.data(), 20, RV_FORMAT_NOKIA, nullptr, &count, title, &length, nullptr),
      RV_UNSUPPORTED);
  count = 0;
  EXPECT_EQ(
      rvmReadBuffer(kOneNote.data(), 20, RV_FORMAT_NOKIA, &r, &count, title, &length, nullptr),
      RV_BAD_COUNT);
  count = 1;
  EXPECT_EQ(
      rvmReadBuffer(kOneNote.data(), 20, RV_FORMAT_NOKIA, &r, &count, title, &length, nullptr),
      RV_OK);
}

// The report carries the composer reader's delimiter and header line in, and the Sagem hex
// reader's count of a text too long out; the clipboard texts have no file read.
TEST(ReadBuffer, ComposerOptionsAndTheSagemHexLength) {
  Buffer b;
  const std::string composer = "Name:Tune BPM:90 No.:2\r\n4c1;8.d2";
  b.count = 16;
  b.titleLength = 31;
  b.report = RvReadReport{};
  b.report.delimiter = ';';
  b.report.readHeader = 1;
  ASSERT_EQ(
      rvmReadBuffer(composer.data(), static_cast<uint32_t>(composer.size()), RV_FORMAT_COMPOSER,
                    b.records.data(), &b.count, b.title, &b.titleLength, &b.report),
      RV_OK);
  EXPECT_EQ(b.count, 2);
  EXPECT_STREQ(b.title, "Tune");
  EXPECT_EQ(b.report.bpm, 90);
  EXPECT_EQ(b.records[1].EventVal1, 86);
  // The report's defaults: ',' and no header line.
  EXPECT_EQ(b.read(composer, RV_FORMAT_COMPOSER), RV_COMPOSER_NO_DELIMITER);
  EXPECT_EQ(b.read(std::string(700, '0'), RV_FORMAT_SAGEM_HEX), RV_SAGEM_HEX_TOO_LONG);
  EXPECT_EQ(b.report.value, 700);
  ASSERT_EQ(b.read("01000078 3C000A", RV_FORMAT_SAGEM_HEX), RV_OK);
  EXPECT_EQ(b.report.bpm, 120);
  EXPECT_EQ(rvtMeloSupport(RV_FORMAT_COMPOSER), RV_SUPPORT_WRITE);
  EXPECT_EQ(rvtMeloSupport(RV_FORMAT_SAGEM_HEX), 0);
}

TEST(CountNotes, CountsTheNokiaRenderingAndRefusesWhatItDoesNotKnow) {
  std::vector<EventRecord> records = {{4, 0, RV_EVENT_NOTE, 72, 100, 0, 0},
                                      {8, 0, RV_EVENT_PAUSE, 0, 0, 0, 0},
                                      {8, 0, RV_EVENT_NOTE, 96, 100, 0, 0}};
  char buffer[256];
  for (int32_t header : {0, 1}) {
    uint32_t length = sizeof buffer;
    int32_t control[9] = {9, RV_WHERE_STRING, RV_FORMAT_NOKIA, 0, 0, 0, header, 0, 140};
    ASSERT_EQ(rvmMelo2String(records.data(), 3, buffer, &length, "T", nullptr, control), 1);
    const int32_t what = header ? RV_COUNT_NOKIA_NOTES_BEHIND_HEADER : RV_COUNT_NOKIA_NOTES;
    EXPECT_EQ(rvmCountNotes(buffer, length, what), 3);
    EXPECT_EQ(rvmCountNotes(buffer, length - 4, what), -1);
  }
  EXPECT_EQ(rvmCountNotes(buffer, 10, 77), -2);
  const std::string sagem = "$MUS$1.0$\nTitre:T\nData:3-385-120\n";
  EXPECT_EQ(rvmCountNotes(sagem.data(), static_cast<uint32_t>(sagem.size()), RV_COUNT_SAGEM_CODES),
            3);
  const std::string imy = "BEGIN:IMELODY\r\nMELODY:V5c2r3*5d1\r\nEND:IMELODY\r\n";
  EXPECT_EQ(rvmCountNotes(imy.data(), static_cast<uint32_t>(imy.size()), RV_COUNT_IMELODY_NOTES),
            3);
  EXPECT_EQ(rvmCountNotes(imy.data(), static_cast<uint32_t>(imy.size()), RV_COUNT_IMELODY_TOKENS),
            4);
  EXPECT_EQ(rvmCountNotes(nullptr, 1, RV_COUNT_NOKIA_NOTES), -2);
  EXPECT_EQ(rvmCountNotes(nullptr, 0, RV_COUNT_NOKIA_NOTES), -1);
}

// The program binds the new exports by name from the shared library.
TEST(ReadBuffer, TheSharedLibraryExportsThem) {
  void* lib = dlopen(PEALIX_BIN_DIR "/librvmelody.so", RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << dlerror();
  EXPECT_NE(dlsym(lib, "rvmReadBuffer"), nullptr);
  EXPECT_NE(dlsym(lib, "rvmCountNotes"), nullptr);
  EXPECT_EQ(dlsym(lib, "_ZN2rv9readNokiaERSiRNS_6MelodyERNS_11ReadRequestE"), nullptr);
  dlclose(lib);
}

}  // namespace
