// Nokia composer text: the tokens the reader takes and skips, what it refuses, the header
// line of the writer's rendering, and the rendering itself.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "formats/composer.h"
#include "formats/registry.h"
#include "rvmelody.h"
#include "test_melodies.h"

namespace rv {
namespace {

struct Read {
  int result = 0;
  Melody melody;
  std::vector<std::string> events() const { return eventLines(melody); }
};

Read readText(const std::string& text, char32_t delimiter = U',', bool header = false) {
  Read r;
  ReadRequest request;
  request.delimiter = delimiter;
  request.readHeader = header;
  std::istringstream in(text, std::ios::binary);
  r.result = readComposer(in, r.melody, request);
  return r;
}

std::string render(Melody melody, int32_t delimiter = 0, int32_t* tokens = nullptr) {
  WriteResult out;
  FormatOptions options;
  options.has6 = delimiter != 0;
  options.option6 = delimiter;
  writeComposer(melody, WriteTarget::String, options, out);
  EXPECT_EQ(out.returnValue, 1);
  if (tokens) *tokens = out.resultValue;
  return out.bytes;
}

TEST(ComposerRead, TokensTakenAndSkipped) {
  const Read r = readText("8#f2,4.-,16c1,3c1,4x1,4C1, 4d1,4e#1,4p,4,123456789,4d,2.h#0");
  ASSERT_EQ(r.result, 1);
  // Octave 1 is the octave of key 72; e# is f, h is b and stays b when sharp.
  EXPECT_EQ(r.events(),
            (std::vector<std::string>{"1 8 0 90 127", "16 4 1 0 0", "1 16 0 72 127", "1 4 0 72 127",
                                      "1 4 0 77 127", "16 4 0 0 0", "1 2 1 71 127"}));
  // Control characters inside tokens are removed, blanks are not; keys above 127 are 127.
  const Read c = readText("4c1;\r\n8d2\t;4b9", U';');
  EXPECT_EQ(c.events(),
            (std::vector<std::string>{"1 4 0 72 127", "1 8 0 86 127", "1 4 0 127 127"}));
  EXPECT_EQ(readText("4c1\xC2\xA7"
                     "4d1",
                     U'\u00A7')
                .melody.count(),
            2);
}

TEST(ComposerRead, WholeTextFailures) {
  EXPECT_EQ(readText("4c1").result, RV_COMPOSER_NO_DELIMITER);
  EXPECT_EQ(readText("1234567,4c1").result, RV_COMPOSER_NO_DELIMITER);
  EXPECT_EQ(readText("123456,4c1").result, 1);
  EXPECT_EQ(readText("4c1,4d1 4e1 4f1 4g1").result, 1);
  EXPECT_EQ(readText("4c1,4d1 4e1 4f1 4g1  ").result, RV_COMPOSER_LONG_REST);
  EXPECT_TRUE(readText("4c1,4d1 4e1 4f1 4g1  ").melody.empty());
  const Read many = readText([] {
    std::string s;
    for (int i = 0; i < 5000; ++i) s += "4c1,";
    return s;
  }());
  EXPECT_EQ(many.melody.count(), 5000);
}

TEST(ComposerRead, TheRenderingsHeaderLine) {
  const Read r = readText("Name:A B BPM:100 No.:2\r\n4c1,4d1 8e1", U',', true);
  ASSERT_EQ(r.result, 1);
  EXPECT_EQ(r.melody.title, "A B");
  EXPECT_EQ(r.melody.getBPM(), 100);
  EXPECT_EQ(r.melody.count(), 1);  // "4d1 8e1" is no token
  // Without the option the line is tokens like any other text: here too long a start.
  EXPECT_EQ(readText("Name:A B BPM:100 No.:2\r\n4c1,8e1").result, RV_COMPOSER_NO_DELIMITER);
  // No line end: no header; a tempo that is no number leaves the melody's.
  EXPECT_EQ(readText("Name:x BPM:", U',', true).result, RV_COMPOSER_NO_DELIMITER);
  const Read zz = readText("Name:x BPM:zz\n4c1,4d1", U',', true);
  EXPECT_EQ(zz.melody.getBPM(), 120);
  EXPECT_EQ(zz.melody.title, "x");
  EXPECT_EQ(readText("Name:only\n4c1,4d1", U',', true).melody.title, "only");
}

TEST(ComposerWrite, RenderingAndRoundTrip) {
  Melody m;
  m.title = "Song";
  m.setBPM(100);
  m.addRecord(4, 0, Note, 74, 100, 0, 0);
  int32_t tokens = 0;
  EXPECT_EQ(render(m, 0, &tokens), "Name:Song BPM:100 No.:1\r\n4D1");
  EXPECT_EQ(tokens, 1);

  Melody n;
  n.title = "Song";
  n.setBPM(100);
  n.addRecord(4, 1, Note, 85, 127, 0, 0);        // dotted C# of octave 2
  n.addRecord(8, 0, Note, 60, 127, 0, 0);        // raised to 72
  n.addRecord(16, 0, Note, 120, 127, 0, 0);      // lowered to 107
  n.addRecord(2, 1, Pause, 0, 0, 0, 0);          // pause: no dot
  n.addRecord(0, 0, TempoChange, 120, 0, 0, 0);  // control event: no token
  n.addRecord(128, 0, Note, 80, 127, 0, 0);      // no composer length
  EXPECT_EQ(render(n, ';', &tokens), "Name:Song BPM:100 No.:4\r\n4.#C2;8C1;16B3;2-");
  EXPECT_EQ(tokens, 4);
  EXPECT_EQ(render(Melody(), 0, &tokens), "Name: BPM:120 No.:0\r\n");
  EXPECT_EQ(tokens, 0);

  // Every key of the written range and every composer length reads back.
  Melody all;
  const int32_t lens[] = {1, 2, 4, 8, 16, 32, 64};
  for (int32_t key = 72; key <= 107; ++key)
    all.addRecord(lens[key % 7], key % 2, Note, key, 127, 0, 0);
  all.addRecord(16, 0, Pause, 0, 0, 0, 0);
  const Read back = readText(render(all), U',', true);
  ASSERT_EQ(back.result, 1);
  std::vector<std::string> expected = eventLines(all);
  EXPECT_EQ(back.events(), expected);
  EXPECT_EQ(formatSupport(RV_FORMAT_COMPOSER), RV_SUPPORT_WRITE);
}

TEST(ComposerRead, ArbitraryInputNeverBreaks) {
  std::mt19937 rng(7);
  const std::string alphabet = "0123456789.#-pcdefgabhx ,;\r\n\t";
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    for (int i = static_cast<int>(rng() % 60); i > 0; --i)
      text += rng() % 4 ? alphabet[rng() % alphabet.size()] : static_cast<char>(rng());
    const Read r = readText(text, round % 3 ? U',' : U';', round % 2);
    for (const MelodyEvent& e : r.melody.events()) {
      EXPECT_TRUE(e.EID == Note || e.EID == Pause);
      EXPECT_LE(e.EventVal1, 127);
    }
  }
}

}  // namespace
}  // namespace rv
