// Nokia smart-messaging writer: exact bytes, the instruction list, the size fitting, the
// 255-instruction cap and the options. A small independent decoder reads the bits back.
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

}  // namespace
}  // namespace rv
