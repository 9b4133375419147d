// iMelody writer: header lines, tokens, line folding, and the size-limited string form.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/imelody.h"
#include "rvmelody.h"

namespace rv {
namespace {

std::string write(Melody& melody, WriteTarget target = WriteTarget::File) {
  WriteResult out;
  writeImelody(melody, target, FormatOptions(), out);
  EXPECT_EQ(out.returnValue, 1);
  EXPECT_EQ(out.resultValue, 1);
  return out.bytes;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    out.push_back(text.substr(start, end - start));
  EXPECT_EQ(start, text.size()) << "text does not end with a line end";
  return out;
}

// The melody part with its folds undone: "MELODY:" and the tokens.
std::string melodyPart(const std::string& text) {
  const size_t begin = text.find("MELODY:");
  const size_t end = text.find("\r\nEND:IMELODY");
  std::string part = text.substr(begin, end - begin);
  for (size_t at; (at = part.find("\r\n ")) != std::string::npos;) part.erase(at, 3);
  return part;
}

Melody melodyOf(std::initializer_list<int32_t> keys, int32_t simpleLen = 4) {
  Melody m;
  for (int32_t key : keys) m.addRecord(simpleLen, 0, Note, key, 127, 0, 0);
  return m;
}

TEST(ImelodyWrite, WorkedExample) {
  Melody m;
  m.title = "Tune";
  m.setBPM(125);
  m.addRecord(4, 0, Note, 72, 127, 0, 0);
  m.addRecord(8, 1, Note, 75, 127, 0, 0);
  m.addRecord(16, 0, Pause, 0, 0, 0, 0);
  m.addRecord(2, 0, Note, 64, 127, 0, 0);
  EXPECT_EQ(write(m),
            "BEGIN:IMELODY\r\nVERSION:1.0\r\nFORMAT:CLASS1.0\r\nNAME:Tune\r\nBEAT:125\r\n"
            "MELODY:c2#d3.r4*3e1\r\nEND:IMELODY\r\n");
}

TEST(ImelodyWrite, HeaderLines) {
  struct Row {
    int32_t bpm;
    const char* beatLine;
  } rows[] = {{110, "BEAT:110"}, {120, nullptr},  {112, "BEAT:112"}, {109, "BEAT:109"},
              {131, "BEAT:131"}, {20, "BEAT:25"}, {999, "BEAT:900"}};
  for (const Row& row : rows) {
    Melody m = melodyOf({72});
    m.setBPM(row.bpm);
    const std::string text = write(m);
    if (row.beatLine)
      EXPECT_NE(text.find(std::string("\r\n") + row.beatLine + "\r\n"), std::string::npos)
          << row.bpm;
    else
      EXPECT_EQ(text.find("BEAT:"), std::string::npos) << row.bpm;
  }

  Melody m = melodyOf({72});
  EXPECT_EQ(write(m).find("NAME:"), std::string::npos);  // empty title
  m.setStyle(2);
  m.setBPM(60);
  m.title = "Two\r\nLines";
  EXPECT_EQ(lines(write(m)),
            (std::vector<std::string>{"BEGIN:IMELODY", "VERSION:1.0", "FORMAT:CLASS1.0",
                                      "NAME:Two  Lines", "BEAT:60", "STYLE:S2", "MELODY:c2",
                                      "END:IMELODY"}));
}

TEST(ImelodyWrite, NoteTokens) {
  // The current octave starts at 4 and follows every note; pauses leave it alone.
  Melody m = melodyOf({72, 84, 84, 73, 61, 61});
  m.addRecord(4, 0, Pause, 0, 0, 0, 0);
  m.addRecord(4, 0, Note, 61, 127, 0, 0);
  EXPECT_EQ(melodyPart(write(m)), "MELODY:c2*5c2c2*4#c2*3#c2#c2r2#c2");

  // Octaves below 0 and above 8 are clamped; every semitone gets its letter.
  Melody range = melodyOf({0, 35, 36, 119, 120, 127});
  EXPECT_EQ(melodyPart(write(range)), "MELODY:*0c2b2*1c2*7b2*8c2g2");
  Melody scale;
  for (int32_t key = 48; key < 60; ++key) scale.addRecord(4, 0, Note, key, 127, 0, 0);
  EXPECT_EQ(melodyPart(write(scale)), "MELODY:*2c2#c2d2#d2e2f2#f2g2#g2a2#a2b2");

  // A key below 0 (kept by the model) still gives a letter in octave 0.
  Melody negative;
  negative.appendEvent(Note, 96, -3, 127);
  EXPECT_EQ(melodyPart(write(negative)), "MELODY:*0a2");
}

TEST(ImelodyWrite, DurationsAndVolumes) {
  Melody m;
  const int32_t values[] = {1, 2, 4, 8, 16, 32, 64, 128};
  for (int32_t value : values) m.addRecord(value, 0, Pause, 0, 0, 0, 0);
  for (int32_t dot = 1; dot <= 3; ++dot) m.addRecord(4, dot, Pause, 0, 0, 0, 0);
  EXPECT_EQ(melodyPart(write(m)), "MELODY:r0r1r2r3r4r5r5r5r2.r2:r2;");

  Melody volumes;
  volumes.addRecord(0, -1, VolumeChange, 0, 100, 0, 0);
  volumes.addRecord(0, -1, VolumeChange, 0, 100, 0, 0);
  volumes.addRecord(0, -1, VolumeChange, 1, 0, 0, 0);
  volumes.addRecord(0, -1, VolumeChange, 1, 1, 0, 0);
  volumes.addRecord(0, -1, StyleChange, 1, 0, 0, 0);
  volumes.addRecord(0, -1, TempoChange, 90, 0, 0, 0);
  volumes.addRecord(0, -1, Loop, 1, 2, 0, 0);
  EXPECT_EQ(melodyPart(write(volumes)), "MELODY:V11V11V-V+");
}

// Melody lines hold exactly 75 characters except the last; continuation lines start with
// one blank; unfolding gives back the tokens.
void expectFolded(const std::string& text, const std::string& tokens) {
  const std::vector<std::string> all = lines(text);
  size_t first = 0;
  while (first < all.size() && all[first].rfind("MELODY:", 0) != 0) ++first;
  ASSERT_LT(first + 1, all.size());
  const size_t last = all.size() - 2;  // the line before END:IMELODY
  for (size_t i = first; i <= last; ++i) {
    if (i < last)
      EXPECT_EQ(all[i].size(), 75u) << "line " << i << ": " << all[i];
    else
      EXPECT_LE(all[i].size(), 75u);
    if (i > first) {
      EXPECT_EQ(all[i][0], ' ') << all[i];
    }
  }
  EXPECT_EQ(melodyPart(text), tokens);
}

TEST(ImelodyWrite, FoldsLongMelodies) {
  Melody plain;
  std::string tokens = "MELODY:";
  for (int i = 0; i < 100; ++i) {
    plain.addRecord(4, 0, Note, 72, 127, 0, 0);
    tokens += "c2";
  }
  const std::string text = write(plain);
  EXPECT_EQ(lines(text)[3], tokens.substr(0, 75));
  expectFolded(text, tokens);

  // Tokens of every length, so folds fall at every offset inside a token.
  for (int shift = 0; shift < 7; ++shift) {
    Melody mixed;
    for (int i = 0; i < shift; ++i) mixed.addRecord(4, 0, Pause, 0, 0, 0, 0);
    const int32_t keys[] = {61, 73, 85, 97, 60, 109};
    for (int i = 0; i < 300; ++i)
      mixed.addRecord(i % 3 ? 8 : 4, i % 4, Note, keys[i % 6], 127, 0, 0);
    WriteResult unlimited;
    writeImelody(mixed, WriteTarget::File, FormatOptions(), unlimited);
    const std::string unfolded = melodyPart(unlimited.bytes);
    expectFolded(unlimited.bytes, unfolded);
  }
}

// The string form: fitted into 72..107, at most 122 characters, cut after a whole token.
TEST(ImelodyString, LimitedAndFitted) {
  for (int n = 1; n <= 120; ++n) {
    for (const std::string& title : {std::string(), std::string("Tune"), std::string(60, 'T')}) {
      Melody m;
      m.title = title;
      m.setBPM(n % 2 ? 200 : 120);
      m.setStyle(n % 3);
      for (int i = 0; i < n; ++i) {
        if (i % 7 == 3) m.addRecord(0, -1, VolumeChange, 0, 10 * i % 128, 0, 0);
        m.addRecord(i % 5 ? 8 : 16, i % 4, i % 9 == 4 ? Pause : Note, 60 + (i * 5) % 30, 127, 0, 0);
      }
      const std::string text = write(m, WriteTarget::String);
      SCOPED_TRACE(testing::Message() << n << " events, title of " << title.size());
      EXPECT_LE(text.size(), 122u);
      ASSERT_GE(text.size(), 15u);
      EXPECT_EQ(text.substr(text.size() - 15), "\r\nEND:IMELODY\r\n");

      // The tokens are the start of the unlimited rendering of the fitted melody.
      ImelodyMelody fitted;
      fitted.copyFrom(m, 0);
      fitted.fitToOctaves(4, 3, 1);
      const std::string full = melodyPart(renderImelody(fitted, 0));
      const std::string cut = melodyPart(text);
      EXPECT_EQ(full.compare(0, cut.size(), cut), 0) << cut;
      if (cut.size() < full.size()) {
        const char next = full[cut.size()];
        EXPECT_TRUE(next == '*' || next == '#' || next == 'r' || next == 'V' ||
                    (next >= 'a' && next <= 'g'))
            << "cut inside a token: " << cut << " | " << full;
      }
    }
  }
}

TEST(ImelodyString, MovesLowMelodiesUpTwoOctaves) {
  Melody m = melodyOf({48, 60, 70});
  m.title = "Tune";
  EXPECT_EQ(melodyPart(write(m, WriteTarget::String)), "MELODY:c2*5c2#a2");
  // The file export writes the keys as they are.
  EXPECT_EQ(melodyPart(write(m)), "MELODY:*2c2*3c2#a2");
}

TEST(ImelodyString, LongTitleStillFits) {
  Melody m = melodyOf({72, 74, 76});
  m.title = std::string(200, 'N');
  m.setBPM(60);
  m.setStyle(1);
  const std::string text = write(m, WriteTarget::String);
  EXPECT_LE(text.size(), 122u);
  EXPECT_NE(text.find("\r\nMELODY:"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 15), "\r\nEND:IMELODY\r\n");
  // The file export keeps the whole title.
  EXPECT_NE(write(m).find("NAME:" + std::string(200, 'N') + "\r\n"), std::string::npos);
}

// Through rvmMelo2String: format 14 gets the string settings, the file export does not.
TEST(ImelodyString, ThroughTheExports) {
  std::vector<EventRecord> records;
  for (int i = 0; i < 300; ++i)
    records.push_back({i % 2 ? 8 : 16, i % 3, 1, 40 + i % 40, 127, 0, 0});
  for (int n : {1, 5, 20, 300}) {
    int32_t control[] = {5, 0, 14, 200, 0};
    char buffer[512];
    uint32_t length = sizeof buffer;
    ASSERT_EQ(rvmMelo2String(records.data(), n, buffer, &length, "Export", nullptr, control), 1);
    EXPECT_LE(length, 122u) << n;
    EXPECT_EQ(control[4], 1);
    const std::string text(buffer, length);
    EXPECT_EQ(text.substr(text.size() - 15), "\r\nEND:IMELODY\r\n");
    EXPECT_EQ(text.find("*2"), std::string::npos) << "not fitted: " << text;
  }
}

}  // namespace
}  // namespace rv
