// The one table of result texts: the library's error classes take their messages from it,
// and a code's window text depends on the call and the format where the code does.
#include <gtest/gtest.h>

#include <string>

#include "model/errors.h"
#include "rvresulttexts.h"

namespace {

using rvresult::Call;

template <class Error>
void expectError(int code, const char* message) {
  const Error e;
  EXPECT_EQ(e.code(), code);
  EXPECT_EQ(std::string(e.what()), message) << code;
}

TEST(ResultTexts, ErrorClassesKeepTheirCodesAndMessages) {
  expectError<rv::RVXFileErrSave>(51, "could not save file");
  expectError<rv::RVXFileErrRead>(52, "could not read from file");
  expectError<rv::RVXFileErrWrite>(53, "could not write to file");
  expectError<rv::RVXEndofBuffer>(58, "EOF");
  expectError<rv::RVXFileFalseUserFormat>(59, "false file format");
  expectError<rv::RVXMemoryAllocErr>(60, "Memory allocation error (insufficient memory?)");
  expectError<rv::RVXErrErrFormatHead>(152, "false format header");
  expectError<rv::MFBadTrkSig>(1010, "MTrk not found in track header");
  expectError<rv::MFBadTrkLen>(1011, "invalid track length");
  expectError<rv::MFBadTrkData>(1012, "track data length error");
  expectError<rv::MFNoEot>(1013, "no EOT event in track");
  expectError<rv::MFBadMetaEvLen>(1014, "invalid meta event length");
  expectError<rv::MFBadMetaEvVal>(1015, "invalid meta event value");
}

TEST(ResultTexts, SagemReadCodesHaveTheirOwnWindowTexts) {
  // 152 is the MIDI reader's false header too, and the window reuses 153 for a MIDI
  // file without notes: only a Sagem read says what is wrong with a Sagem text.
  EXPECT_EQ(rvresult::textRes(RV_SAGEM_NO_MAGIC, Call::Read, RV_FORMAT_SAGEM), 2703);
  EXPECT_EQ(rvresult::textRes(RV_SAGEM_BAD_HEADER, Call::Read, RV_FORMAT_SAGEM), 2704);
  EXPECT_EQ(rvresult::textRes(RV_SAGEM_NO_CODE, Call::Read, RV_FORMAT_SAGEM), 2705);
  EXPECT_EQ(rvresult::textRes(RV_ERR_FORMAT_HEADER, Call::Read, RV_FORMAT_MIDI), 837);
  EXPECT_EQ(rvresult::textRes(RV_SAGEM_NO_CODE), 838);
  EXPECT_EQ(rvresult::textRes(RV_UNSUPPORTED, Call::Read), 2707);
  EXPECT_EQ(rvresult::textRes(RV_UNSUPPORTED, Call::Write), 2708);
  EXPECT_EQ(rvresult::textRes(RV_READ_FAILED, Call::Read), 841);
  EXPECT_EQ(rvresult::textRes(RV_READ_FAILED, Call::Write), 2711);
  EXPECT_EQ(rvresult::textRes(RV_SAGEM_NO_CODES, Call::Write, RV_FORMAT_SAGEM), 2718);
  EXPECT_EQ(rvresult::textRes(RV_KEYPRESS_CANNOT_ENTER, Call::Write, RV_FORMAT_KEYPRESS), 2719);
  EXPECT_EQ(rvresult::textRes(RV_RUNTIME_ERROR, Call::Write, RV_FORMAT_NOKIA), 2712);
  EXPECT_EQ(rvresult::textRes(12345), rvresult::kUnknownRes);
}

// A row for one call or format that stood behind the code's general row would never be
// found.
TEST(ResultTexts, EveryRowIsTheOneFoundForItsCallAndFormat) {
  for (const rvresult::Row& row : rvresult::kRows)
    EXPECT_EQ(rvresult::find(row.code, row.call, row.formatId), &row) << row.code;
}

// Every code the exports document has a window text and a command-line text of its own.
TEST(ResultTexts, EveryDocumentedCodeHasItsTexts) {
  const int codes[] = {RV_MODIFY_HAS_VOLUME,     RV_NO_CLIPBOARD_TEXT,    RV_EMPTY_CLIPBOARD_TEXT,
                       RV_BAD_CLIPBOARD_MIDI,    RV_CANNOT_OPEN_FILE,     RV_CANNOT_READ_FILE,
                       RV_CANNOT_WRITE_FILE,     RV_READ_TRUNCATED,       RV_BAD_COUNT,
                       RV_UNSUPPORTED,           RV_NO_RECORDS,           RV_BUFFER_TOO_SMALL,
                       RV_READ_FAILED,           RV_ERROR_MINUS_ONE,      RV_RUNTIME_ERROR,
                       RV_UNKNOWN_ERROR,         RV_ERR_END_OF_BUFFER,    RV_ERR_FALSE_FORMAT,
                       RV_ERR_NO_MEMORY,         RV_ERR_FORMAT_HEADER,    RV_ERR_MIDI_NO_TRACK,
                       RV_ERR_MIDI_TRACK_LENGTH, RV_ERR_MIDI_TRACK_DATA,  RV_ERR_MIDI_NO_EOT,
                       RV_ERR_MIDI_META_LENGTH,  RV_ERR_MIDI_META_VALUE,  RV_SAGEM_NO_MAGIC,
                       RV_SAGEM_NO_CODE,         RV_SAGEM_LIMIT_TOO_SMALL};
  for (int code : codes) {
    EXPECT_NE(rvresult::textRes(code), rvresult::kUnknownRes) << code;
    EXPECT_STRNE(rvresult::text(code), rvresult::kUnknownText) << code;
  }
}

}  // namespace
