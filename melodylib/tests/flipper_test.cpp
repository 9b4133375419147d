// Flipper Zero music files: what real files hold reads note for note, lengths the melody
// cannot hold are counted, and written files read back.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "formats/flipper.h"
#include "golden.h"
#include "model/melody.h"

namespace rv {
namespace {

struct Read {
  int result = 0;
  int32_t rounded = -1;
  Melody melody;
};

Read read(const std::string& text) {
  Read r;
  std::istringstream in(text, std::ios::binary);
  ReadRequest request;
  r.result = readFlipper(in, r.melody, request);
  r.rounded = request.roundedEvents;
  return r;
}

std::string write(Melody& melody, int32_t* resultValue = nullptr) {
  WriteResult out;
  writeFlipper(melody, WriteTarget::File, FormatOptions(), out);
  if (resultValue) *resultValue = out.resultValue;
  return out.bytes;
}

const std::string kHeader = "Filetype: Flipper Music Format\nVersion: 0\n";

TEST(FlipperRead, RealFilesNoteForNote) {
  // Lower case, '_' and '#' for sharp, dots before or after the octave, blanks after
  // commas and blanks alone between tokens, a triplet and a double dot.
  const Read r = read(kHeader +
                      "BPM: 130\nDuration: 8\nOctave: 5\n"
                      "Notes: C, 4d#6, 16p, e4., 2B_4..,  12G  a, 4P.\n");
  ASSERT_EQ(r.result, 1);
  EXPECT_EQ(golden::dump(r.melody),
            "title \"\" bpm 130\n"
            "note 72 48\n"   // C5, the default eighth
            "note 87 96\n"   // D#6 quarter
            "pause 24\n"     // 16th pause
            "note 64 72\n"   // E4 dotted eighth
            "note 72 384\n"  // B#4 half with two dots (1.125 wholes): nearest a whole
            "note 79 36\n"   // G5 eighth triplet (32 ticks): nearest a dotted 16th
            "note 81 48\n"   // A5, separated by blanks alone
            "pause 144\n");  // dotted quarter pause
  EXPECT_EQ(r.rounded, 2);
}

TEST(FlipperRead, MissingDefaultsAndLinesThatGoOn) {
  // No BPM, Duration or Octave: 120, quarters, octave 4. Comment lines are skipped and the
  // Notes line may continue on the next line.
  const Read r = read("# a tune\r\nFiletype: Flipper Music Format\r\nNotes: C, 8E,\r\n  G5\r\n");
  ASSERT_EQ(r.result, 1);
  EXPECT_EQ(golden::dump(r.melody), "title \"\" bpm 120\nnote 60 96\nnote 64 48\nnote 79 96\n");
  EXPECT_EQ(r.rounded, 0);
  // Every length a power of two with many dots, and keys past MIDI's highest.
  const Read far = read(kHeader + "Notes: 1C................, 128C, 4B9, 4C16\n");
  ASSERT_EQ(far.result, 1);
  EXPECT_EQ(far.melody.count(), 4);
  EXPECT_EQ(far.melody.durationAt(0), 672);  // the longest the melody holds
  EXPECT_EQ(far.melody.durationAt(1), 3);
  EXPECT_EQ(far.melody.value1At(2), 127);
  EXPECT_EQ(far.melody.value1At(3), 127);
  EXPECT_EQ(far.rounded, 3);
}

TEST(FlipperRead, RefusesWhatIsNoSuchFile) {
  for (const std::string& bad :
       {std::string("Notes: C\n"), std::string("Filetype: Flipper Music Format Extra\nNotes: C"),
        kHeader + "Notes: 4X", kHeader + "Notes: 0C", kHeader + "Notes: 129..C",
        kHeader + "Notes: 4C17", kHeader + "Notes: 4C#5#", kHeader + "Notes: 4C.................",
        kHeader + "Duration: 200\nNotes: C", kHeader + "BPM: fast\nNotes: C",
        kHeader + "Octave: 17\nNotes: C", kHeader + "stray words\nNotes: C", std::string()})
    EXPECT_EQ(read(bad).result, -1) << bad;
  // A duration above 128 is read as 128 and counted.
  const Read r = read(kHeader + "Notes: 200C");
  ASSERT_EQ(r.result, 1);
  EXPECT_EQ(r.rounded, 1);
}

TEST(FlipperWrite, ShortestDefaultsAndReadBack) {
  Melody m;
  m.setBPM(140);
  m.appendEvent(Note, 48, 72, 100);
  m.appendEvent(Note, 48, 74, 100);
  m.appendEvent(Pause, 96);
  m.appendEvent(TempoChange, 0, 90);  // the file has one tempo
  m.appendEvent(Note, 72, 61, 100);
  m.appendEvent(Note, 48, 83, 100);
  Melody copy = m;
  int32_t value = 0;
  const std::string text = write(copy, &value);
  EXPECT_EQ(text, kHeader +
                      "BPM: 140\nDuration: 8\nOctave: 5\n"
                      "Notes: C, D, 4P, C#4., B\n");
  EXPECT_EQ(value, 1);

  const Read back = read(text);
  ASSERT_EQ(back.result, 1);
  EXPECT_EQ(back.rounded, 0);
  EXPECT_EQ(golden::dump(back.melody),
            "title \"\" bpm 140\nnote 72 48\nnote 74 48\npause 96\nnote 61 72\nnote 83 48\n");
}

TEST(FlipperWrite, LengthsAndKeysTheFileCannotHoldAreCounted) {
  Melody m;
  m.appendEvent(Note, 168, 60, 100);  // a double-dotted quarter (x7/4)
  m.appendEvent(Note, 96, 5, 100);    // below C0: an octave up
  m.appendEvent(Note, 96, 127, 100);  // G9, the highest key
  int32_t value = 0;
  const std::string text = write(m, &value);
  EXPECT_EQ(value, -2);
  const Read back = read(text);
  ASSERT_EQ(back.result, 1);
  EXPECT_EQ(back.melody.value1At(1), 17);
  EXPECT_EQ(back.melody.value1At(2), 127);
  EXPECT_NEAR(back.melody.durationAt(0), 168, 24);

  Melody empty;
  write(empty, &value);
  EXPECT_EQ(value, -1);
}

}  // namespace
}  // namespace rv
