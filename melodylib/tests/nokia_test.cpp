// Nokia smart-messaging writer: exact bytes, the instruction list, the size fitting, the
// 255-instruction cap and the options. A small independent decoder reads the bits back.
// The reader: ringtones as phones and other tools write them, built bit by bit, damaged
// ones, and the note count of the writer's rendering.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "formats/nokia.h"
#include "formats/registry.h"
#include "model/melody.h"
#include "rvmelody.h"
#include "test_melodies.h"

#include <sstream>

namespace rv {
namespace {

struct Decoded {
  std::string title;
  std::vector<std::pair<int, uint32_t>> instructions;  // (identifier, fields)
  size_t bytes = 0;                                    // ringtone part, without the header
};

class BitReader {
 public:
  explicit BitReader(const std::string& bytes) : bytes_(bytes) {}
  uint32_t get(int bits) {
    uint32_t value = 0;
    for (int i = 0; i < bits; ++i) {
      if (pos_ / 8 >= bytes_.size()) throw std::runtime_error("past the end");
      const unsigned char byte = static_cast<unsigned char>(bytes_[pos_ / 8]);
      value = (value << 1) | ((byte >> (7 - pos_ % 8)) & 1u);
      ++pos_;
    }
    return value;
  }
  size_t position() const { return pos_; }

 private:
  const std::string& bytes_;
  size_t pos_ = 0;
};

// Decodes a raw ringtone (no user data header) and checks its frame.
Decoded decode(const std::string& bytes) {
  Decoded d;
  BitReader in(bytes);
  EXPECT_EQ(in.get(26), 600297u);
  const uint32_t titleLength = in.get(4);
  for (uint32_t i = 0; i < titleLength; ++i) d.title.push_back(static_cast<char>(in.get(8)));
  EXPECT_EQ(in.get(8), 1u);  // one pattern
  EXPECT_EQ(in.get(9), 0u);  // pattern header, first pattern, no loop
  const uint32_t count = in.get(8);
  const int fieldBits[] = {0, 9, 2, 2, 5, 4};
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t id = in.get(3);
    if (id < 1 || id > 5) {
      ADD_FAILURE() << "bad instruction identifier " << id;
      return d;
    }
    d.instructions.push_back({static_cast<int>(id), in.get(fieldBits[id])});
  }
  while (in.position() % 8) EXPECT_EQ(in.get(1), 0u);
  EXPECT_EQ(in.get(8), 0u);  // command end
  EXPECT_EQ(in.position() / 8, bytes.size()) << "bytes after the command end";
  d.bytes = bytes.size();
  return d;
}

constexpr int kNote = 1, kScale = 2, kStyle = 3, kTempo = 4, kVolume = 5;

std::string render(Melody& melody, bool udh, bool hex, int32_t limit = 140) {
  std::string out;
  EXPECT_EQ(renderNokia(melody, NokiaOptions{udh, hex, limit}, out), 1);
  return out;
}

Decoded renderAndDecode(Melody melody, int32_t limit = 140) {
  return decode(render(melody, false, false, limit));
}

Melody melodyAt(int32_t bpm) {
  Melody melody;
  melody.setBPM(bpm);
  return melody;
}

// A long tune that changes octave often, so trimming meets scale instructions.
Melody longTune(int notes) {
  Melody melody = melodyAt(63);
  for (int i = 0; i < notes; ++i) melody.addRecord(8, 0, Note, i % 3 == 0 ? 62 : 86, 100, 0, 0);
  return melody;
}

TEST(NokiaBytes, SingleQuarterA) {
  Melody melody = melodyAt(63);
  melody.addRecord(4, 0, Note, 81, 100, 0, 0);
  EXPECT_EQ(render(melody, false, true), "024A3A40040002690000");
  EXPECT_EQ(render(melody, true, true), "06050415811581024A3A40040002690000");
  const std::string raw = render(melody, true, false);
  EXPECT_EQ(
      raw, std::string("\x06\x05\x04\x15\x81\x15\x81\x02\x4A\x3A\x40\x04\x00\x02\x69\x00\x00", 17));
  const Decoded d = decode(raw.substr(7));
  ASSERT_EQ(d.instructions.size(), 1u);
  EXPECT_EQ(d.instructions[0], std::make_pair(kNote, 0b101001000u));  // A, quarter, no dot
}

TEST(NokiaBytes, OptionsFromTheControlElements) {
  Melody melody = melodyAt(63);
  melody.addRecord(4, 0, Note, 81, 100, 0, 0);
  WriteResult out;
  writeNokia(melody, WriteTarget::String, FormatOptions{}, out);  // defaults 1, 1, 140
  EXPECT_EQ(out.bytes, "06050415811581024A3A40040002690000");
  EXPECT_EQ(out.returnValue, 1);
  EXPECT_EQ(out.resultValue, 1);

  FormatOptions options;
  options.option6 = 0, options.has6 = true;
  options.option7 = 2, options.has7 = true;  // only 1 asks for hex text
  writeNokia(melody, WriteTarget::File, options, out);
  EXPECT_EQ(out.bytes, std::string("\x02\x4A\x3A\x40\x04\x00\x02\x69\x00\x00", 10));

  const FormatEntry* entry = findFormat(9);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->write, &writeNokia);
  EXPECT_EQ(entry->read, nullptr);
  EXPECT_EQ(formatSupport(9), 1);
}

TEST(NokiaBytes, EmptyMelodyGivesNoOutput) {
  Melody melody;
  std::string out = "stale";
  EXPECT_EQ(renderNokia(melody, NokiaOptions{}, out), -1);
  EXPECT_TRUE(out.empty());
  WriteResult result;
  writeNokia(melody, WriteTarget::String, FormatOptions{}, result);
  EXPECT_EQ(result.returnValue, -1);
  EXPECT_TRUE(result.bytes.empty());
}

TEST(NokiaInstructions, LeadingTempoOnlyWhenNot63) {
  const std::pair<int32_t, int> cases[] = {{63, -1},  {64, -1},  {67, 9},   {118, 14}, {117, 13},
                                           {120, 14}, {900, 31}, {999, 31}, {1, 0}};
  for (auto [bpm, code] : cases) {
    Melody melody = melodyAt(bpm);
    melody.addRecord(4, 0, Note, 81, 100, 0, 0);
    const Decoded d = renderAndDecode(melody);
    if (code < 0) {
      EXPECT_EQ(d.instructions.size(), 1u) << bpm;
    } else {
      ASSERT_EQ(d.instructions.size(), 2u) << bpm;
      EXPECT_EQ(d.instructions[0], std::make_pair(kTempo, static_cast<uint32_t>(code))) << bpm;
    }
  }
}

TEST(NokiaInstructions, EventsInOrder) {
  Melody melody = melodyAt(63);
  melody.addRecord(4, 0, Note, 60, 100, 0, 0);  // octave 5: scale 0 first
  melody.addRecord(8, 0, Note, 61, 100, 0, 0);  // same octave: no scale
  melody.addRecord(16, 3, Pause, 0, 0, 0, 0);   // sixteenth, specifier 3
  melody.addRecord(0, 0, StyleChange, 2, 0, 0, 0);
  melody.addRecord(0, 0, TempoChange, 63, 0, 0, 0);  // code 8 is written here
  melody.addRecord(0, 0, Loop, 1, 2, 0, 0);          // nothing
  melody.addRecord(0, 0, VolumeChange, 0, 100, 0, 0);
  melody.addRecord(2, 1, Note, 107, 100, 0, 0);  // octave 8: scale 3
  melody.addRecord(1, 2, Note, 72, 100, 0, 0);   // octave 6: scale 1
  melody.addRecord(64, 0, Note, 83, 100, 0, 0);
  const Decoded d = renderAndDecode(melody);
  const std::vector<std::pair<int, uint32_t>> expected = {
      {kScale, 0},
      {kNote, (1u << 5) | (2u << 2)},       // C quarter
      {kNote, (2u << 5) | (3u << 2)},       // C# eighth
      {kNote, (0u << 5) | (4u << 2) | 3u},  // pause sixteenth, x5/3
      {kStyle, 2},
      {kTempo, 8},
      {kVolume, 11},  // velocity 100 is level 11
      {kScale, 3},
      {kNote, (12u << 5) | (1u << 2) | 1u},  // B dotted half
      {kScale, 1},
      {kNote, (1u << 5) | (0u << 2) | 2u},  // C whole double-dotted
      {kNote, (12u << 5) | (5u << 2)},      // B sixty-fourth as 5
  };
  EXPECT_EQ(d.instructions, expected);
}

TEST(NokiaInstructions, NotesAreFittedIntoTheRange) {
  // A tune from key 40 moves up as a whole so that its lowest key is 60.
  Melody melody = melodyAt(63);
  melody.addRecord(4, 0, Note, 40, 100, 0, 0);
  melody.addRecord(4, 0, Note, 52, 100, 0, 0);
  const Decoded d = renderAndDecode(melody);
  ASSERT_EQ(d.instructions.size(), 4u);
  EXPECT_EQ(d.instructions[0], std::make_pair(kScale, 0u));
  EXPECT_EQ(d.instructions[1].second >> 5, 1u);  // C of octave 5
  EXPECT_EQ(d.instructions[2], std::make_pair(kScale, 1u));
}

TEST(NokiaInstructions, VolumeSteps) {
  Melody melody = melodyAt(63);
  melody.addRecord(0, 0, VolumeChange, 1, -5, 0, 0);
  melody.addRecord(0, 0, VolumeChange, 1, -5, 0, 0);  // running -3 is written as 7
  melody.addRecord(0, 0, VolumeChange, 1, INT32_MAX, 0, 0);
  melody.addRecord(0, 0, VolumeChange, 1, INT32_MAX, 0, 0);  // no overflow: 15
  melody.addRecord(0, 0, VolumeChange, 0, INT32_MIN, 0, 0);  // negative velocity: level 7
  melody.addRecord(0, 0, VolumeChange, 0, 0, 0, 0);
  const Decoded d = renderAndDecode(melody);
  const std::vector<std::pair<int, uint32_t>> expected = {
      {kVolume, 2}, {kVolume, 7}, {kVolume, 15}, {kVolume, 15}, {kVolume, 7}, {kVolume, 0}};
  EXPECT_EQ(d.instructions, expected);
}

TEST(NokiaSize, FitsTheLimitAndNeverEndsOnAScale) {
  for (int notes : {60, 61, 62, 63, 80, 120, 300}) {
    for (int32_t limit : {30, 31, 32, 33, 40, 100, 140}) {
      Melody melody = longTune(notes);
      melody.title = "A title of twenty chars";
      const std::string withHeader = render(melody, true, false, limit);
      EXPECT_LE(withHeader.size(), static_cast<size_t>(limit));
      const Decoded d = decode(withHeader.substr(7));
      ASSERT_FALSE(d.instructions.empty());
      EXPECT_NE(d.instructions.back().first, kScale) << notes << " notes, limit " << limit;
      // Without the header the ringtone is the same, so 7 bytes stay unused.
      Melody again = longTune(notes);
      again.title = melody.title;
      EXPECT_EQ(render(again, false, false, limit), withHeader.substr(7));
    }
  }
}

int64_t neededBytes(const std::vector<std::pair<int, uint32_t>>& list, size_t count) {
  const int fieldBits[] = {0, 9, 2, 2, 5, 4};
  int64_t bits = 55;
  for (size_t i = 0; i < count; ++i) bits += 3 + fieldBits[list[i].first];
  return (bits + 7) / 8 + 1;
}

TEST(NokiaSize, KeepsTheLongestPrefixThatFitsWithoutAScaleLast) {
  Melody untrimmed = longTune(200);
  const Decoded all = renderAndDecode(untrimmed, 100000);
  bool scaleDropped = false;
  for (int32_t limit = 30; limit <= 60; ++limit) {
    Melody melody = longTune(200);
    const Decoded d = renderAndDecode(melody, limit);
    const size_t kept = d.instructions.size();
    ASSERT_LT(kept + 2, all.instructions.size());
    for (size_t i = 0; i < kept; ++i) EXPECT_EQ(d.instructions[i], all.instructions[i]);
    EXPECT_LE(neededBytes(all.instructions, kept), limit - 7);
    if (all.instructions[kept].first == kScale) {
      // The scale would have fitted but would only have led to a note that did not.
      EXPECT_GT(neededBytes(all.instructions, kept + 2), limit - 7) << limit;
      if (neededBytes(all.instructions, kept + 1) <= limit - 7) scaleDropped = true;
    } else {
      EXPECT_GT(neededBytes(all.instructions, kept + 1), limit - 7) << limit;
    }
  }
  EXPECT_TRUE(scaleDropped);
}

TEST(NokiaSize, SmallAndHugeLimits) {
  Melody a = longTune(100), b = longTune(100), c = longTune(100), e = longTune(100);
  EXPECT_EQ(render(a, true, true, 10), render(b, true, true, 30));
  EXPECT_EQ(render(c, true, true, 0), render(e, true, true, 140));
  Melody f = longTune(100), g = longTune(100);
  EXPECT_EQ(render(f, true, true, -5), render(g, true, true, 140));
  Melody tiny = longTune(100), thirty = longTune(100);
  EXPECT_EQ(render(tiny, true, false, 1), render(thirty, true, false, 30));
  EXPECT_LE(render(tiny, true, false, 1).size(), 30u);
}

TEST(NokiaSize, InstructionListIsCappedAt255) {
  for (int notes : {254, 255, 256, 300, 5000}) {
    Melody melody = longTune(notes);
    melody.title = "Long";
    const std::string out = render(melody, true, false, INT32_MAX);
    const Decoded d = decode(out.substr(7));
    EXPECT_LE(d.instructions.size(), 255u);
    EXPECT_GE(d.instructions.size(), 254u);
    EXPECT_NE(d.instructions.back().first, kScale);
    EXPECT_EQ(d.title, "Long");
  }
}

TEST(NokiaTitle, UsesTheRoomLeftUpTo15Characters) {
  Melody melody = melodyAt(63);
  melody.title = "Twenty characters...";
  melody.addRecord(4, 0, Note, 81, 100, 0, 0);
  EXPECT_EQ(renderAndDecode(melody).title, "Twenty characte");

  // Limit 30 leaves a budget of 23 bytes. Nine eighth notes need ceil((108 + 55) / 8) + 1
  // = 22 bytes, so one character fits; ten need 23 and leave none.
  for (auto [notes, title] : {std::pair{9, "T"}, std::pair{10, ""}}) {
    Melody melody = melodyAt(63);
    melody.title = "Tune";
    for (int i = 0; i < notes; ++i) melody.addRecord(8, 0, Note, 81, 100, 0, 0);
    const Decoded d = renderAndDecode(melody, 30);
    EXPECT_EQ(d.title, title);
    EXPECT_EQ(d.instructions.size(), static_cast<size_t>(notes));
  }
  Melody bytes = melodyAt(63);
  bytes.title = std::string("\xC3\xA9t\xC3\xA9", 5);  // written byte by byte
  bytes.addRecord(4, 0, Note, 81, 100, 0, 0);
  EXPECT_EQ(renderAndDecode(bytes).title, bytes.title);
}

TEST(NokiaRobustness, ArbitraryEventsDecode) {
  std::mt19937 random(11);
  const int32_t extremes[] = {0, -1, 1, 2, 7, 16, 127, 128, 384, INT32_MAX, INT32_MIN, -384};
  auto pick = [&]() -> int32_t {
    return random() % 2 ? extremes[random() % std::size(extremes)]
                        : static_cast<int32_t>(random() % 300) - 20;
  };
  const int32_t kinds[] = {Note, Pause, StyleChange, TempoChange, VolumeChange, Loop, 2, 99};
  for (int round = 0; round < 200; ++round) {
    Melody melody;
    melody.setBPM(pick());
    const int events = 1 + static_cast<int>(random() % 400);
    for (int i = 0; i < events; ++i)
      melody.addRecord(pick(), static_cast<int32_t>(random() % 5) - 1,
                       kinds[random() % std::size(kinds)], pick(), pick(), pick(), pick());
    if (melody.empty()) continue;
    if (random() % 4 == 0) melody.setNoteAt(0, pick());
    const int32_t limit = pick();
    std::string out;
    ASSERT_EQ(renderNokia(melody, NokiaOptions{true, false, limit}, out), 1);
    const int64_t effective = limit <= 0 ? 140 : std::max<int64_t>(limit, 30);
    EXPECT_LE(static_cast<int64_t>(out.size()), effective);
    const Decoded d = decode(out.substr(7));
    EXPECT_LE(d.instructions.size(), 255u);
    if (!d.instructions.empty()) {
      EXPECT_NE(d.instructions.back().first, kScale);
    }
  }
}

// Through the exported string function, as the phone link calls it.
TEST(NokiaExport, StringWithOptions) {
  const EventRecord records[] = {{4, 0, Note, 81, 100, 0, 0}};
  char buffer[64];
  uint32_t length = sizeof buffer;
  int32_t control[9] = {9, 0, 9, 63, 77, 0, 0, 1, 140};
  EXPECT_EQ(rvmMelo2String(records, 1, buffer, &length, "", nullptr, control), 1);
  EXPECT_EQ(std::string(buffer, length), "024A3A40040002690000");
  EXPECT_EQ(control[4], 1);

  // Defaults of the missing elements: header on, hex text, limit 140.
  int32_t shortControl[5] = {5, 0, 9, 63, 0};
  length = sizeof buffer;
  EXPECT_EQ(rvmMelo2String(records, 1, buffer, &length, "", nullptr, shortControl), 1);
  EXPECT_EQ(std::string(buffer, length), "06050415811581024A3A40040002690000");

  // One byte too small: the needed length comes back.
  length = 33;
  EXPECT_EQ(rvmMelo2String(records, 1, buffer, &length, "", nullptr, shortControl), 217);
  EXPECT_EQ(length, 34u);
}

TEST(NokiaExport, HugeMelodyAtTheLargestLimit) {
  std::vector<EventRecord> records;
  for (int i = 0; i < 20000; ++i)
    records.push_back({8, 0, i % 2 ? Note : Pause, i % 2 ? 40 + i % 80 : 0, 100, 0, 0});
  std::vector<char> buffer(4096);
  uint32_t length = static_cast<uint32_t>(buffer.size());
  int32_t control[9] = {9, 0, 9, 0, 0, 0, 1, 0, INT32_MAX};  // header, raw bytes
  ASSERT_EQ(rvmMelo2String(records.data(), static_cast<int32_t>(records.size()), buffer.data(),
                           &length, "Title", nullptr, control),
            1);
  const Decoded d = decode(std::string(buffer.data() + 7, length - 7));
  EXPECT_LE(d.instructions.size(), 255u);
  EXPECT_GE(d.instructions.size(), 254u);
  EXPECT_EQ(d.title, "Title");
}

// ---- Reading ----------------------------------------------------------------------

// Builds a smart-messaging ringtone bit by bit, most significant bit first.
class Bits {
 public:
  Bits& put(uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
      if (used_ % 8 == 0) bytes_.push_back('\0');
      if ((value >> i) & 1u)
        bytes_.back() =
            static_cast<char>(static_cast<unsigned char>(bytes_.back()) | (0x80u >> (used_ % 8)));
      ++used_;
    }
    return *this;
  }
  Bits& align() {
    used_ = bytes_.size() * 8;
    return *this;
  }
  Bits& note(uint32_t value, uint32_t duration, uint32_t specifier = 0) {
    return put(1, 3).put(value, 4).put(duration, 3).put(specifier, 2);
  }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
  size_t used_ = 0;
};

// Command length, ringing-tone programming, sound, basic song, the title in 8-bit
// characters, then the patterns' bits are added by the caller.
Bits songStart(const std::string& title, uint32_t patterns) {
  Bits b;
  b.put(2, 8).put(0x25, 7).align().put(0x1D, 7).put(1, 3).put(static_cast<uint32_t>(title.size()),
                                                              4);
  for (char c : title) b.put(static_cast<unsigned char>(c), 8);
  return b.put(patterns, 8);
}

struct Read {
  int result = 0;
  Melody melody;
  ReadRequest request;
  std::vector<std::string> events() const { return eventLines(melody); }
};

Read readBytes(const std::string& data) {
  Read r;
  std::istringstream in(data, std::ios::binary);
  r.result = readNokia(in, r.melody, r.request);
  return r;
}

std::string fromHex(const std::string& hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return out;
}

TEST(NokiaRead, TheWritersFormsOfOneNote) {
  // One quarter A (key 81) at the default tempo, with an empty title.
  const std::string hex = "024A3A40040002690000";
  const std::string udh = "06050415811581";
  std::string lower = hex;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const std::string& data :
       {hex, udh + hex, fromHex(hex), fromHex(udh + hex),
        std::string("06 05 04 15 81 15 81\r\n024A3A4004\n0002690000\n"), lower,
        "//SCKL15811581 " + hex + "\r\n", "  //SCKL15811581 " + hex}) {
    const Read r = readBytes(data);
    ASSERT_EQ(r.result, 1) << data;
    EXPECT_EQ(r.events(), std::vector<std::string>{"1 4 0 81 127"}) << data;
    EXPECT_EQ(r.melody.getBPM(), 63);
    EXPECT_EQ(r.melody.title, "");
  }
}

TEST(NokiaRead, ScalesStylesTempoVolumeAndLoops) {
  // Title "Tune", tempo 140 (code 15), scale 0, style staccato, volume 12, a dotted
  // eighth C#, a 16th pause, scale 3 and a half B with the 2/3 specifier; a second
  // pattern loops twice more over a whole D at the last scale, then a tempo change.
  Bits b = songStart("Tune", 2);
  b.put(0, 3).put(0, 2).put(0, 4).put(8, 8);  // pattern 0, no loop, 8 instructions
  b.put(4, 3).put(15, 5);                     // tempo 140
  b.put(2, 3).put(0, 2);                      // scale 0: octave of A = 440 Hz
  b.put(3, 3).put(2, 2);                      // staccato
  b.put(5, 3).put(12, 4);                     // volume 12
  b.note(2, 3, 1).note(0, 4).put(2, 3).put(3, 2).note(12, 1, 3);
  b.put(0, 3).put(1, 2).put(2, 4).put(2, 8);  // pattern 1, loop 2, 2 instructions
  b.note(3, 0).put(4, 3).put(18, 5);          // whole D, tempo 200
  b.align().put(0, 8);
  const Read r = readBytes(b.bytes());
  ASSERT_EQ(r.result, 1);
  EXPECT_EQ(r.melody.title, "Tune");
  EXPECT_EQ(r.melody.getBPM(), 140);
  const std::vector<std::string> expected = {"3 0 0 2 0",    "5 0 0 0 105",   "1 8 1 61 127",
                                             "16 16 0 0 0",  "1 2 3 107 127", "1 1 0 98 127",
                                             "4 0 0 200 0",  "1 1 0 98 127",  "4 0 0 200 0",
                                             "1 1 0 98 127", "4 0 0 200 0"};
  EXPECT_EQ(r.events(), expected);
}

TEST(NokiaRead, TitlesInUnicodeUtf8AndLatin1AndARepeatedPattern) {
  Bits b;
  b.put(3, 8).put(0x25, 7).align().put(0x22, 7).align().put(0x1D, 7).put(1, 3).put(3, 4);
  b.put(0x00E9, 16).put(0x4E2D, 16).put(0xD800, 16);  // "é中" and a lone surrogate
  b.put(3, 8);
  b.put(0, 3).put(1, 2).put(0, 4).put(1, 8).note(10, 2);  // pattern 1: quarter A
  b.put(0, 3).put(1, 2).put(1, 4).put(0, 8);              // pattern 1 again, twice
  b.put(0, 3).put(2, 2).put(15, 4).put(1, 8).note(1, 3);  // endless loop: once
  b.align().put(0, 8);
  const Read r = readBytes(b.bytes());
  ASSERT_EQ(r.result, 1);
  EXPECT_EQ(r.melody.title, "\xC3\xA9\xE4\xB8\xAD\xEF\xBF\xBD");
  ASSERT_EQ(r.melody.count(), 4);
  EXPECT_EQ(r.melody.value1At(2), 81);
  EXPECT_EQ(r.melody.value1At(3), 72);

  for (const auto& [title, expected] :
       {std::pair<std::string, std::string>{"Caf\xC3\xA9", "Caf\xC3\xA9"},
        {"Caf\xE9", "Caf\xC3\xA9"},
        {"\xC0\xAF", "\xC3\x80\xC2\xAF"}}) {
    Bits t = songStart(title, 1);
    t.put(0, 3).put(0, 2).put(0, 4).put(1, 8).note(1, 2).align().put(0, 8);
    EXPECT_EQ(readBytes(t.bytes()).melody.title, expected) << title;
  }
}

TEST(NokiaRead, RefusesWhatIsNoRingtoneAndSaysWhy) {
  Bits good = songStart("x", 1);
  good.put(0, 3).put(0, 2).put(0, 4).put(2, 8).note(1, 2).note(3, 2).align().put(0, 8);
  const std::string bytes = good.bytes();
  ASSERT_EQ(readBytes(bytes).melody.count(), 2);
  // Every cut before the last instruction is complete fails with a reason.
  for (size_t n = 0; n + 2 < bytes.size(); ++n) {
    const Read r = readBytes(bytes.substr(0, n));
    EXPECT_GE(r.result, RV_NOKIA_EMPTY) << n;
    EXPECT_LE(r.result, RV_NOKIA_ENDS_EARLY) << n;
    EXPECT_TRUE(r.melody.empty());
  }
  const Read cut = readBytes(bytes.substr(0, 6));
  EXPECT_EQ(cut.result, RV_NOKIA_ENDS_EARLY);
  EXPECT_GE(cut.request.failPosition, 5);

  Bits midi;
  midi.put(2, 8).put(0x25, 7).align().put(0x1D, 7).put(3, 3).put(0, 4).put(1, 8);
  const Read notBasic = readBytes(midi.bytes());
  EXPECT_EQ(notBasic.result, RV_NOKIA_NOT_BASIC_SONG);
  EXPECT_EQ(notBasic.request.failValue, 3);
  Bits unknown;
  unknown.put(1, 8).put(0x7F, 7).align();
  const Read command = readBytes(unknown.bytes());
  EXPECT_EQ(command.result, RV_NOKIA_UNKNOWN_COMMAND);
  EXPECT_EQ(command.request.failValue, 0x7F);
  Bits silent = songStart("", 1);
  silent.put(0, 3).put(0, 2).put(0, 4).put(1, 8).put(4, 3).put(3, 5).align().put(0, 8);
  EXPECT_EQ(readBytes(silent.bytes()).result, RV_NOKIA_NO_NOTE);
  Bits noPattern = songStart("", 0);
  EXPECT_EQ(readBytes(noPattern.align().put(0, 8).bytes()).result, RV_NOKIA_NO_PATTERN);
  Bits badInstruction = songStart("", 1);
  badInstruction.put(0, 3).put(0, 2).put(0, 4).put(1, 8).put(7, 3).align();
  const Read instruction = readBytes(badInstruction.bytes());
  EXPECT_EQ(instruction.result, RV_NOKIA_UNKNOWN_INSTRUCTION);
  EXPECT_EQ(instruction.request.failValue, 7);
  EXPECT_EQ(readBytes("").result, RV_NOKIA_EMPTY);
  for (const char* text : {"0", "hello", "024A3A4", "\x02\x4A"})
    EXPECT_NE(readBytes(text).result, 1) << text;

  // Endless loops of every pattern make more events than the reader unrolls.
  Bits loops = songStart("", 255);
  loops.put(0, 3).put(0, 2).put(14, 4).put(255, 8);
  for (int i = 0; i < 255; ++i) loops.note(1, 2);
  for (int p = 1; p < 255; ++p) loops.put(0, 3).put(0, 2).put(14, 4).put(0, 8);
  const Read many = readBytes(loops.align().put(0, 8).bytes());
  EXPECT_EQ(many.result, RV_NOKIA_TOO_MANY_EVENTS);
  EXPECT_EQ(many.request.failValue, kMaxUnrolledEvents);

  std::mt19937 rng(17);
  for (int round = 0; round < 2000; ++round) {
    std::string junk(rng() % 64, '\0');
    for (char& c : junk) c = static_cast<char>(rng());
    if (round % 2) junk = bytes.substr(0, rng() % bytes.size()) + junk;
    readBytes(junk);
    countNokiaNotes(junk, round % 4 < 2);
  }
}

// The cable message's check: the writer's ringtone counts the notes and pauses it holds,
// with or without the user data header, and a cut one counts as ended early.
TEST(NokiaRead, CountsTheNotesOfTheWritersRingtone) {
  Melody m;
  for (int i = 0; i < 6; ++i) m.addRecord(8, 0, i % 3 ? Note : Pause, 60 + 12 * (i % 3), 100, 0, 0);
  m.addRecord(0, 0, TempoChange, 200, 0, 0, 0);
  for (bool udh : {true, false}) {
    Melody copy = m;
    const std::string raw = render(copy, udh, false, 400);
    EXPECT_EQ(countNokiaNotes(raw, udh), 6) << udh;
    EXPECT_EQ(countNokiaNotes(raw.substr(0, raw.size() - 3), udh), -1) << udh;
    const Read back = readBytes(raw);
    ASSERT_EQ(back.result, 1);
    EXPECT_EQ(back.melody.count(), 7);
  }
  EXPECT_EQ(countNokiaNotes("", false), -1);
}

}  // namespace
}  // namespace rv
