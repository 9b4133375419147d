// iMelody writer: header lines, tokens, line folding, and the size-limited string form.
// The reader: texts as phones and other tools write them, and what it refuses, why and
// where.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "formats/imelody.h"
#include "rvmelody.h"
#include "test_melodies.h"

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

// ---- Reading ----------------------------------------------------------------------

struct Read {
  int result = 0;
  Melody melody;
  ReadRequest request;
  std::vector<std::string> events() const { return eventLines(melody); }
};

Read readText(const std::string& text) {
  Read r;
  std::istringstream in(text, std::ios::binary);
  r.result = readImelody(in, r.melody, r.request);
  return r;
}

TEST(ImelodyRead, TheWritersExampleAndTheHeader) {
  const Read r = readText(
      "BEGIN:IMELODY\r\nVERSION:1.0\r\nFORMAT:CLASS1.0\r\nNAME:Tune\r\n"
      "MELODY:c2#d3.r4*3e1\r\nEND:IMELODY\r\n");
  ASSERT_EQ(r.result, 1);
  EXPECT_EQ(r.melody.title, "Tune");
  EXPECT_EQ(r.melody.getBPM(), 120);
  EXPECT_FALSE(r.request.hasComposer);
  EXPECT_EQ(r.events(), (std::vector<std::string>{"1 4 0 72 127", "1 8 1 75 127", "16 16 0 0 0",
                                                  "1 2 0 64 127"}));

  // iMelody 1.2: beat, style, volume, composer, line feeds only, lower-case keys, with a
  // byte order mark; a Latin-1 name.
  const Read n = readText(
      "\xEF\xBB\xBF"
      "begin:imelody\nVERSION:1.2\nFORMAT:CLASS1.0\nNAME:Alle\nCOMPOSER:Trad.\nBEAT:180\n"
      "STYLE:S2\nVOLUME:V10\nMELODY:*5c0:&e5;#b3\nEND:IMELODY");
  ASSERT_EQ(n.result, 1);
  EXPECT_EQ(n.melody.getBPM(), 180);
  EXPECT_TRUE(n.request.hasComposer);
  EXPECT_EQ(n.request.composer, "Trad.");
  // Flat of E is D#; sharp of B is the C above.
  EXPECT_EQ(n.events(), (std::vector<std::string>{"3 0 0 2 0", "5 0 0 0 91", "1 1 2 84 127",
                                                  "1 32 3 87 127", "1 8 0 96 127"}));
  EXPECT_EQ(readText("BEGIN:IMELODY\nNAME:Caf\xE9\nBEAT: 5 \nMELODY:c3\n").melody.title,
            "Caf\xC3\xA9");
  EXPECT_EQ(readText("BEGIN:IMELODY\nBEAT: 5 \nMELODY:c3\n").melody.getBPM(), 25);
  EXPECT_EQ(readText("BEGIN:IMELODY\nBEAT:+2000\nMELODY:c3\n").melody.getBPM(), 900);
}

TEST(ImelodyRead, VolumesRepeatsAndSkippedElements) {
  const Read r = readText(
      "BEGIN:IMELODY\nMELODY:ledonV5(c3vibeond3@3V+)backoffV-V+ledoffr2(e2@0)"
      "(f3(g3@2)@2)vibeoffbackon\nEND:IMELODY\n");
  ASSERT_EQ(r.result, 1);
  const std::vector<std::string> expected = {
      "5 0 0 0 54",   "1 8 0 72 127", "1 8 0 74 127", "5 0 0 1 1",    "1 8 0 72 127",
      "1 8 0 74 127", "5 0 0 1 1",    "1 8 0 72 127", "1 8 0 74 127", "5 0 0 1 1",
      "5 0 0 1 -1",   "5 0 0 1 1",    "16 4 0 0 0",   "1 4 0 76 127", "1 8 0 77 127",
      "1 8 0 79 127", "1 8 0 79 127", "1 8 0 77 127", "1 8 0 79 127", "1 8 0 79 127"};
  EXPECT_EQ(r.events(), expected);
}

TEST(ImelodyRead, FoldedLinesJoin) {
  std::string melody = "MELODY:";
  for (int i = 0; i < 40; ++i) melody += i % 2 ? "c3" : "*5d2";
  const std::string folded =
      melody.substr(0, 60) + "\r\n " + melody.substr(60, 40) + "\r\n\t" + melody.substr(100);
  const Read r = readText("BEGIN:IMELODY\r\n" + folded + "\r\nEND:IMELODY\r\n");
  ASSERT_EQ(r.result, 1);
  EXPECT_EQ(r.melody.count(), 40);
  EXPECT_EQ(r.melody.value1At(39), 84);
}

TEST(ImelodyRead, RefusesWithReasonAndPlace) {
  struct Row {
    const char* text;
    int code;
    int position;  // character of the melody, or the header line for header faults
  } rows[] = {
      {"", RV_IMELODY_EMPTY, 0},
      {"MELODY:c2\n", RV_IMELODY_NO_BEGIN, 1},
      {"BEGIN:IMELODY\nNAME:x\nEND:IMELODY\n", RV_IMELODY_NO_MELODY, 0},
      {"BEGIN:IMELODY\nMELODY:c2x3\n", RV_IMELODY_UNEXPECTED, 3},
      {"BEGIN:IMELODY\nMELODY:c2d\n", RV_IMELODY_NO_DURATION, 4},
      {"BEGIN:IMELODY\nMELODY:c6\n", RV_IMELODY_NO_DURATION, 2},
      {"BEGIN:IMELODY\nMELODY:*9c2\n", RV_IMELODY_NO_OCTAVE, 2},
      {"BEGIN:IMELODY\nMELODY:#2\n", RV_IMELODY_NO_LETTER, 2},
      {"BEGIN:IMELODY\nMELODY:(c2@2\n", RV_IMELODY_NOT_CLOSED, 6},
      {"BEGIN:IMELODY\nMELODY:(c2\n", RV_IMELODY_NO_AT, 4},
      {"BEGIN:IMELODY\nMELODY:(c2@)\n", RV_IMELODY_NO_COUNT, 5},
      {"BEGIN:IMELODY\nMELODY:c2)\n", RV_IMELODY_NO_BLOCK, 3},
      {"BEGIN:IMELODY\nMELODY:V\n", RV_IMELODY_NO_VOLUME, 2},
      {"BEGIN:IMELODY\nMELODY:ledon\n", RV_IMELODY_NO_NOTE, 0},
      {"BEGIN:IMELODY\nBEAT:fast\nMELODY:c2\n", RV_IMELODY_BAD_BEAT, 2},
      {"BEGIN:IMELODY\nBEAT:0\nMELODY:c2\n", RV_IMELODY_BAD_BEAT, 2},
      {"BEGIN:IMELODY\n\nSTYLE:S7\nMELODY:c2\n", RV_IMELODY_BAD_STYLE, 3},
      {"BEGIN:IMELODY\nVOLUME:V16\nMELODY:c2\n", RV_IMELODY_BAD_VOLUME, 2},
      {"BEGIN:IMELODY\nMELODY:c2\nMELODY:d2\n", RV_IMELODY_SECOND_MELODY, 3},
      {"BEGIN:IMELODY\nMELODY:((((((((((c2@2)@2)@2)@2)@2)@2)@2)@2)@2)@2)\n", RV_IMELODY_NESTS_DEEP,
       9},
  };
  for (const Row& row : rows) {
    const Read r = readText(row.text);
    EXPECT_EQ(r.result, row.code) << row.text;
    const bool inHeader = row.code >= RV_IMELODY_NO_BEGIN && row.code <= RV_IMELODY_SECOND_MELODY;
    EXPECT_EQ(inHeader ? r.request.failLine : r.request.failPosition, row.position) << row.text;
    EXPECT_TRUE(r.melody.empty());
  }
  EXPECT_EQ(readText("BEGIN:IMELODY\nMELODY:c2x3\n").request.failValue, 'x');
  const Read many = readText("BEGIN:IMELODY\nMELODY:((((c2d2@99)@99)@99)@99)\n");
  EXPECT_EQ(many.result, RV_IMELODY_TOO_MANY_EVENTS);
  EXPECT_EQ(many.request.failValue, kMaxUnrolledEvents);

  std::mt19937 rng(23);
  const std::string alphabet = "cdefgabr#&*0123456789.:;()@V+-ledonvibackf \n";
  for (int round = 0; round < 3000; ++round) {
    std::string junk = "BEGIN:IMELODY\nMELODY:";
    for (int i = rng() % 40; i > 0; --i) junk += alphabet[rng() % alphabet.size()];
    readText(junk);
    countImelodyTokens(junk, round % 2);
  }
}

// The cable message's checks count what the string form of a melody holds: notes and
// rests, and with the volume changes for the EMS objects.
TEST(ImelodyRead, CountsTheTokensOfARendering) {
  const std::string text =
      "BEGIN:IMELODY\r\nNAME:a MELODY: b\r\nMELODY:V7*4c2#d3.r4V+*3e1\r\nEND:IMELODY\r\n";
  EXPECT_EQ(countImelodyTokens(text, false), 4);
  EXPECT_EQ(countImelodyTokens(text, true), 6);
  EXPECT_EQ(countImelodyTokens("NAME:x\nEND:IMELODY", true), 0);
  Melody m;
  m.addRecord(4, 0, Note, 72, 100, 0, 0);
  m.addRecord(8, 0, Pause, 0, 0, 0, 0);
  m.addRecord(8, 1, Note, 79, 100, 0, 0);
  EXPECT_EQ(countImelodyTokens(write(m), false), 3);
}

}  // namespace
}  // namespace rv
