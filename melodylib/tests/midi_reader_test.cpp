// The MIDI reader: header and track checks, the melody builder's channel choice, note
// tracking and time scaling, and malformed files that must fail fast and cheaply.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <sstream>
#include <vector>

#include "formats/midi_reader.h"
#include "formats/midihex.h"
#include "midi_test_bytes.h"
#include "model/melody.h"

// The largest single allocation while a counter is armed, to show that no length field
// of a file turns into an allocation of its size.
namespace {
size_t gLargestAllocation = 0;
bool gCounting = false;
}  // namespace

void* operator new(size_t size) {
  if (gCounting && size > gLargestAllocation) gLargestAllocation = size;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
// Called through a pointer, so that the compiler does not pair free with new expressions.
void (*volatile gFree)(void*) = std::free;
void operator delete(void* p) noexcept {
  gFree(p);
}
void operator delete(void* p, size_t) noexcept {
  gFree(p);
}

namespace rv {
namespace {

using namespace rv::testing;

struct ReadOutcome {
  int result;
  Melody melody;
  ReadRequest request;
};

ReadOutcome read(const std::string& file, int32_t channelChoice = 255) {
  ReadOutcome o;
  o.request.channelChoice = channelChoice;
  std::istringstream in(file, std::ios::binary);
  o.result = readMidi(in, o.melody, o.request);
  return o;
}

// A format-1 file: a tempo track and one melody track.
std::string twoTrackFile(const std::string& melodyEvents, int division = 96) {
  return header(1, 2, division) + track(tempoMeta(0, 500000) + meta(0, 3, "Song")) +
         track(melodyEvents);
}

TEST(MidiReaderHeader, RefusesWhatIsNotAStandardMidiFile) {
  const std::string body = track(on(0, 0, 60, 100) + off(96, 0, 60));
  EXPECT_EQ(read("RIFF" + header(0, 1, 96).substr(4) + body).result, -1);
  EXPECT_EQ(read(header(0, 1, 96, 7) + bytes({0}) + body).result, -1);
  EXPECT_EQ(read(header(3, 1, 96) + body).result, -1);
  EXPECT_EQ(read(header(0, 1, 0x8000 | 96) + body).result, -1);
  EXPECT_EQ(read(header(0, 1, 96) + "MTrx" + body.substr(4)).result, -1);
  EXPECT_EQ(read("").result, -1);
  EXPECT_EQ(read(header(0, 1, 96) + body).result, 1);
}

TEST(MidiReaderBuilder, TempoTrackAndMelodyTrackOnFirstChannel) {
  const ReadOutcome o =
      read(twoTrackFile(on(0, 0, 60, 100) + off(96, 0, 60) + on(48, 0, 62, 90) + off(192, 0, 62)));
  ASSERT_EQ(o.result, 1);
  EXPECT_EQ(o.melody.title, "Song");
  EXPECT_EQ(o.melody.getBPM(), 120);
  EXPECT_EQ(o.melody.getPPQN(), 96);
  EXPECT_EQ(o.request.channelUsed, 0);
  EXPECT_EQ(o.request.channelMask, 1);
  EXPECT_EQ(events(o.melody),
            (std::vector<Ev>{{Note, 96, 60, 100}, {Pause, 48, 0, 0}, {Note, 192, 62, 90}}));
}

TEST(MidiReaderBuilder, ChannelChoiceAndMask) {
  // Channels 3 and 5 interleaved in one track; each note-off carries time that belongs to
  // the other channel's notes as well.
  const std::string file =
      header(0, 1, 96) + track(on(0, 3, 60, 100) + on(0, 5, 70, 80) + off(96, 3, 60) +
                               on(0, 3, 62, 100) + off(48, 5, 70) + off(48, 3, 62));
  const ReadOutcome autoChoice = read(file);
  ASSERT_EQ(autoChoice.result, 1);
  EXPECT_EQ(autoChoice.request.channelUsed, 3);
  EXPECT_EQ(autoChoice.request.channelMask, (1 << 3) | (1 << 5));
  EXPECT_EQ(events(autoChoice.melody), (std::vector<Ev>{{Note, 96, 60, 100}, {Note, 96, 62, 100}}));

  const ReadOutcome five = read(file, 5);
  ASSERT_EQ(five.result, 1);
  EXPECT_EQ(five.request.channelUsed, 5);
  EXPECT_EQ(events(five.melody), (std::vector<Ev>{{Note, 144, 70, 80}}));

  // Any other choice is channel 0, which has no notes here.
  for (int32_t choice : {16, -1, 254}) {
    const ReadOutcome other = read(file, choice);
    ASSERT_EQ(other.result, 1);
    EXPECT_EQ(other.request.channelUsed, 0);
    EXPECT_TRUE(other.melody.empty());
  }
}

TEST(MidiReaderBuilder, OverlappingNotesAndVelocityZero) {
  // A on, B on, A off, B off: A lasts until B starts, B from its start to its end.
  const ReadOutcome overlap =
      read(twoTrackFile(on(0, 0, 60, 100) + on(50, 0, 64, 100) + off(30, 0, 60) + off(20, 0, 64)));
  ASSERT_EQ(overlap.result, 1);
  EXPECT_EQ(events(overlap.melody), (std::vector<Ev>{{Note, 50, 60, 100}, {Note, 50, 64, 100}}));

  // Note-on velocity 0 ends a note; the tempo after it is a TempoChange, the one before
  // the first note's end sets the melody's BPM. The same holds after a note-off.
  for (const std::string& end : {on(96, 0, 60, 0), off(96, 0, 60)}) {
    const ReadOutcome o =
        read(header(0, 1, 96) + track(on(0, 0, 60, 100) + tempoMeta(0, 400000) + end +
                                      tempoMeta(0, 1000000) + on(0, 0, 62, 100) + off(96, 0, 62)));
    ASSERT_EQ(o.result, 1);
    EXPECT_EQ(o.melody.getBPM(), 150);
    EXPECT_EQ(events(o.melody),
              (std::vector<Ev>{{Note, 96, 60, 100}, {TempoChange, 0, 60, 0}, {Note, 96, 62, 100}}));
  }
}

TEST(MidiReaderBuilder, DivisionScaling) {
  const std::string notes = on(0, 0, 60, 100) + off(480, 0, 60);
  EXPECT_EQ(events(read(twoTrackFile(notes, 480)).melody), (std::vector<Ev>{{Note, 96, 60, 100}}));
  const std::string longer = on(0, 0, 60, 100) + off(300, 0, 60);
  EXPECT_EQ(events(read(twoTrackFile(longer, 120)).melody),
            (std::vector<Ev>{{Note, 300, 60, 100}}));  // 120 / 96 = 1: ticks unchanged
  EXPECT_EQ(events(read(twoTrackFile(on(0, 0, 60, 100) + off(24, 0, 60), 48)).melody),
            (std::vector<Ev>{{Note, 48, 60, 100}}));
  EXPECT_EQ(events(read(twoTrackFile(longer, 0)).melody),  // 0 is taken as 96
            (std::vector<Ev>{{Note, 300, 60, 100}}));
}

TEST(MidiReaderBuilder, StyleTextsAndOtherEventsKeepTheirTime) {
  const ReadOutcome o =
      read(twoTrackFile(meta(0, 1, "StyleChange:Staccato") + on(0, 0, 60, 100) + off(96, 0, 60) +
                        meta(10, 1, "StyleChange:staccato") + meta(10, 6, "LoopId:1:Repeat:2") +
                        vlq(10) + bytes({0xB0, 7, 100}) + vlq(10) + bytes({0xF0, 3, 1, 2, 0xF7}) +
                        on(10, 1, 50, 50) + off(0, 0, 77) + on(10, 0, 62, 100) + off(96, 0, 62)));
  ASSERT_EQ(o.result, 1);
  EXPECT_EQ(events(o.melody), (std::vector<Ev>{{StyleChange, 0, 2, 0},
                                               {Note, 96, 60, 100},
                                               {StyleChange, 0, 0, 0},
                                               {Pause, 60, 0, 0},
                                               {Note, 96, 62, 100}}));
  EXPECT_EQ(o.request.channelMask, 3);
}

TEST(MidiReaderBuilder, LongNotesAreSplitIntoWholeNoteAndRests) {
  const ReadOutcome o = read(
      twoTrackFile(on(0, 0, 60, 100) + off(1000, 0, 60) + on(0, 0, 62, 90) + off(1200, 0, 62)));
  ASSERT_EQ(o.result, 1);
  EXPECT_EQ(events(o.melody), (std::vector<Ev>{{Note, 384, 60, 127},
                                               {Pause, 616, 0, 0},
                                               {Note, 384, 62, 127},
                                               {Pause, 384, 0, 0},
                                               {Pause, 432, 0, 0}}));
}

TEST(MidiReaderBuilder, RunningStatusSysexAndUnknownMetasAreRead) {
  const std::string events_ = on(0, 0, 60, 100) + vlq(96) + bytes({60, 0}) +  // running status
                              meta(0, 0x21, bytes({0})) +                     // port: unknown
                              meta(0, 0x7F, "xyz") + vlq(0) + bytes({0xF0, 2, 1, 0xF7}) + vlq(0) +
                              bytes({62, 80}) + vlq(48) + bytes({0x80, 62, 0});
  const ReadOutcome o = read(twoTrackFile(events_));
  ASSERT_EQ(o.result, 1);
  EXPECT_EQ(events(o.melody), (std::vector<Ev>{{Note, 96, 60, 100}, {Note, 48, 62, 80}}));
}

TEST(MidiReaderBuilder, DataAfterTheLastTrackIsNotRead) {
  const std::string file = twoTrackFile(on(0, 0, 60, 100) + off(96, 0, 60));
  EXPECT_EQ(read(file + "garbage\xFF\xFF").result, 1);
  EXPECT_EQ(read(file + "MTrk" + be32(0x7FFFFFFF)).result, 1);
  // Events after the end of track but inside the track's length are still parsed.
  EXPECT_EQ(
      read(header(0, 1, 96) + track(bytes({0, 0xFF, 0x2F, 0, 0, 0xFF, 0x2F, 1, 0}), false)).result,
      -1);
}

// A read that fails leaves the caller's melody as it was.
TEST(MidiReaderMalformed, FailureLeavesTheMelodyAlone) {
  Melody melody;
  melody.appendEvent(Note, 96, 70, 100);
  melody.title = "kept";
  ReadRequest request;
  std::istringstream in(header(0, 1, 96) + track(on(0, 0, 60, 100) + off(96, 0, 60), false),
                        std::ios::binary);
  EXPECT_EQ(readMidi(in, melody, request), -1);
  EXPECT_EQ(melody.count(), 1);
  EXPECT_EQ(melody.title, "kept");
}

TEST(MidiReaderMalformed, EveryTruncationFails) {
  const std::string file = twoTrackFile(meta(0, 1, "StyleChange:Natural") + on(0, 0, 60, 100) +
                                        off(200, 0, 60) + vlq(0) + bytes({0xF0, 3, 1, 2, 0xF7}) +
                                        on(0x0FFFFF, 0, 62, 100) + off(5, 0, 62));
  ASSERT_EQ(read(file).result, 1);
  for (size_t n = 0; n < file.size(); ++n)
    EXPECT_EQ(read(file.substr(0, n)).result, -1) << "truncated at " << n;
}

TEST(MidiReaderMalformed, BadEventsFail) {
  const auto one = [](const std::string& events_) {
    return read(header(0, 1, 96) + track(events_)).result;
  };
  EXPECT_EQ(one(vlq(0) + bytes({60, 100})), -1);                           // running status first
  EXPECT_EQ(one(bytes({0x80, 0x80, 0x80, 0x80, 0x00, 0x90, 60, 1})), -1);  // 5-byte delta
  EXPECT_EQ(one(bytes({0x00, 0xFF, 0x01, 0x80, 0x80, 0x80, 0x80, 0x00})), -1);  // 5-byte length
  EXPECT_EQ(one(bytes({0x00, 0xF0, 0x80, 0x80, 0x80, 0x80, 0x01})), -1);
  EXPECT_EQ(one(tempoMeta(0, 0)), -1);               // tempo 0
  EXPECT_EQ(one(meta(0, 0x51, bytes({1, 2}))), -1);  // short tempo
  EXPECT_EQ(one(meta(0, 0x58, bytes({4, 2, 24}))), -1);
  EXPECT_EQ(one(meta(0, 0x54, bytes({1, 2, 3, 4}))), -1);
  EXPECT_EQ(one(meta(0, 0x00, bytes({1}))), -1);
  EXPECT_EQ(one(meta(0, 0x20, "")), -1);
  EXPECT_EQ(one(meta(0, 0x59, bytes({8, 0}))), -1);     // 8 sharps
  EXPECT_EQ(one(meta(0, 0x59, bytes({0xF8, 0}))), -1);  // 8 flats
  EXPECT_EQ(one(meta(0, 0x59, bytes({0xF9, 1}))), 1);   // 7 flats, minor
  EXPECT_EQ(read(header(0, 1, 96) + track(meta(0, 0x2F, bytes({0})), false)).result, -1);
  EXPECT_EQ(read(header(0, 1, 96) + "MTrk" + be32(0x80000004) + bytes({0, 0xFF, 0x2F, 0})).result,
            -1);
}

// Length fields that point far past the data fail without allocating their size and
// without waiting for data that is not there.
TEST(MidiReaderMalformed, HugeLengthsFailCheaply) {
  std::vector<std::string> files;
  files.push_back(header(0, 1, 96) + "MTrk" + be32(0x7FFFFFFF) + on(0, 0, 60, 100) +
                  meta(0, 1, std::string(60, 'x')));
  files.push_back(header(0, 1, 96) + "MTrk" + be32(0x7FFFFFFF) + vlq(0) + bytes({0xF0}) +
                  vlq(0x0FFFFFFF) + std::string(60, 'x'));
  files.push_back(header(0, 1, 96) + "MTrk" + be32(0x7FFFFFFF) + vlq(0) + bytes({0xFF, 0x01}) +
                  vlq(0x0FFFFFFF) + std::string(60, 'x'));
  files.push_back(header(0, 1, 96) + "MTrk" + be32(80) + vlq(0) + bytes({0xF0}) + vlq(1u << 27) +
                  std::string(60, 'x'));
  files.push_back(header(0, 0xFFF, 96) + track(""));
  for (const std::string& file : files) {
    ASSERT_LE(file.size(), 100u);
    gLargestAllocation = 0;
    gCounting = true;
    const int result = read(file).result;
    gCounting = false;
    EXPECT_EQ(result, -1);
    EXPECT_LT(gLargestAllocation, 256u * 1024u);
  }
}

// Random damage to a valid file: every read ends in 1 or -1 (the sanitizer build checks
// that none reads or writes outside its buffers).
TEST(MidiReaderMalformed, RandomDamageNeverEscapes) {
  const std::string file = twoTrackFile(
      meta(0, 1, "StyleChange:Natural") + on(0, 0, 60, 100) + off(200, 0, 60) + vlq(0) +
      bytes({0xF0, 3, 1, 2, 0xF7}) + on(100, 0, 62, 100) + vlq(50) + bytes({62, 0}) +
      meta(0, 0x59, bytes({2, 0})) + tempoMeta(0, 300000) + on(0, 1, 64, 100) + off(10, 1, 64));
  uint32_t seed = 7;
  const auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
  for (int round = 0; round < 3000; ++round) {
    std::string damaged = file;
    const int changes = 1 + static_cast<int>(next() % 4);
    for (int c = 0; c < changes; ++c)
      damaged[next() % damaged.size()] = static_cast<char>(next() >> 24);
    const int result = read(damaged).result;
    EXPECT_TRUE(result == 1 || result == -1) << result;
  }
}

TEST(MidiReaderMalformed, FailedStreamFails) {
  std::istringstream in(twoTrackFile(on(0, 0, 60, 100) + off(96, 0, 60)), std::ios::binary);
  in.setstate(std::ios::failbit);
  Melody melody;
  ReadRequest request;
  EXPECT_EQ(readMidi(in, melody, request), -1);
}

TEST(MidiClipboardForm, EncodesUpperCaseHexAfterTheMarker) {
  EXPECT_EQ(encodeClipboardMidi(bytes({'M', 'T', 'h', 'd', 0x00, 0xAB, 0xFF})),
            "//RVPXPX4D546864"
            "00ABFF");
  EXPECT_EQ(encodeClipboardMidi(""), "//RVPXPX");
}

TEST(MidiClipboardForm, DecodesPairsAndAnOddLastDigit) {
  EXPECT_EQ(decodeClipboardMidi("4d5468640a"), bytes({'M', 'T', 'h', 'd', 0x0A}));
  // An odd final digit is a byte of its own; a pair is read up to its first non-digit.
  EXPECT_EQ(decodeClipboardMidi("4D5"), bytes({'M', 0x05}));
  EXPECT_EQ(decodeClipboardMidi("4D54\r\n"), bytes({'M', 'T', 0x00}));
  EXPECT_EQ(decodeClipboardMidi("4G54"), bytes({0x04, 'T'}));
  EXPECT_EQ(decodeClipboardMidi(""), "");

  const std::string file = twoTrackFile(on(0, 0, 60, 100) + off(96, 0, 60));
  EXPECT_EQ(decodeClipboardMidi(encodeClipboardMidi(file).substr(8)), file);
}

// Every file of tests/data/midi/bad must fail; every file of tests/data/midi/ok must read.
TEST(MidiReaderData, Folders) {
  namespace fs = std::filesystem;
  const fs::path root = fs::path(PEALIX_TEST_DATA) / "midi";
  for (const char* folder : {"ok", "bad"}) {
    if (!fs::exists(root / folder)) continue;
    for (const auto& entry : fs::directory_iterator(root / folder)) {
      if (entry.path().extension() != ".mid") continue;
      std::ifstream in(entry.path(), std::ios::binary);
      Melody melody;
      ReadRequest request;
      EXPECT_EQ(readMidi(in, melody, request), std::string(folder) == "ok" ? 1 : -1)
          << entry.path();
    }
  }
}

}  // namespace
}  // namespace rv
