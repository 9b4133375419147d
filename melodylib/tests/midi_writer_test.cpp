// The MIDI writer: exact bytes of small files, loop markers and style texts, write-read
// round trips, and every written file checked by an independent parser (midicsv).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "formats/midi_reader.h"
#include "formats/midi_writer.h"
#include "interface/host.h"
#include "midi_test_bytes.h"
#include "model/errors.h"
#include "model/melody.h"
#include "rvmelody.h"

namespace rv {
namespace {

using namespace rv::testing;

std::string write(Melody& melody, WriteTarget target = WriteTarget::File) {
  WriteResult out;
  writeMidi(melody, target, FormatOptions{}, out);
  EXPECT_EQ(out.returnValue, 1);
  EXPECT_EQ(out.resultValue, 0);
  return out.bytes;
}

std::string conductorTrack(const std::string& title, uint32_t micros) {
  return track(meta(0, 1, kMidiCreditLine) + meta(0, 3, title) + tempoMeta(0, micros));
}

std::string fileWith(const std::string& melodyTrackEvents, const std::string& title = "",
                     uint32_t micros = 500000) {
  return header(1, 2, 96) + conductorTrack(title, micros) + track(melodyTrackEvents);
}

// The melody track's events, without the chunk header and the end of track.
std::string melodyTrackEvents(const std::string& file) {
  const size_t first = file.find("MTrk");
  const size_t second = file.find("MTrk", first + 4);
  const std::string body = file.substr(second + 8);
  return body.substr(0, body.size() - 4);
}

TEST(MidiWriter, EmptyMelodyIsAComplete2TrackFile) {
  Melody melody;
  const std::string file = write(melody);
  EXPECT_EQ(file, fileWith(""));
  EXPECT_EQ(file.substr(file.size() - 12), "MTrk" + be32(4) + bytes({0, 0xFF, 0x2F, 0}));
}

TEST(MidiWriter, OneQuarterNoteByteForByte) {
  Melody melody;
  melody.appendEvent(Note, 96, 60, 100);
  const std::string file = write(melody);
  EXPECT_EQ(file.substr(0, 14), bytes({'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0, 0x60}));
  EXPECT_NE(file.find(bytes({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20})), std::string::npos);
  EXPECT_EQ(file.substr(file.size() - 20),
            "MTrk" + bytes({0, 0, 0, 12, 0x00, 0x90, 0x3C, 0x64, 0x60, 0x80, 0x3C, 0x00, 0x00, 0xFF,
                            0x2F, 0x00}));
}

TEST(MidiWriter, PausesBecomeDeltaTimes) {
  Melody melody;
  melody.appendEvent(Pause, 96);
  melody.appendEvent(Note, 200, 62, 90);
  melody.appendEvent(Pause, 50);
  melody.appendEvent(VolumeChange, 0, 0, 40);
  melody.appendEvent(Pause, 50);
  melody.appendEvent(Note, 96, 64, 90);
  melody.appendEvent(Pause, 1000);  // trailing rest: not written
  EXPECT_EQ(melodyTrackEvents(write(melody)), bytes({0x60, 0x90, 62, 90, 0x81, 0x48, 0x80, 62, 0,
                                                     0x64, 0x90, 64, 90, 0x60, 0x80, 64, 0}));
}

TEST(MidiWriter, StylesTemposAndLoops) {
  Melody melody;
  melody.appendEvent(StyleChange, 0, 2);
  melody.appendEvent(Loop, 0, 1, 3);
  melody.appendEvent(Loop, 0, 2, 9);  // another id inside loop 1: nothing
  melody.appendEvent(Note, 96, 60, 100);
  melody.appendEvent(Pause, 48);
  melody.appendEvent(Loop, 0, 1, 0);  // lands before the rest on the time line
  melody.appendEvent(TempoChange, 0, 140);
  melody.appendEvent(StyleChange, 0, 1);
  melody.appendEvent(Note, 96, 62, 100);
  melody.setValueAt(melody.count() - 2, 1, 7);  // an unknown style name
  EXPECT_EQ(melodyTrackEvents(write(melody)),
            meta(0, 1, "StyleChange:Staccato") + meta(0, 6, "LoopId:1:Repeat:3") +
                on(0, 0, 60, 100) + off(96, 0, 60) + meta(0, 6, "LoopId:1:Repeat:0") +
                tempoMeta(0, 60000000 / 140) + meta(0, 1, "StyleChange:Unknown") +
                on(48, 0, 62, 100) + off(96, 0, 62));
}

// Values that do not fit the file's fields are brought into range rather than written
// as something else: a silent velocity, a tempo below 4 BPM, rests beyond 28 bits.
TEST(MidiWriter, OutOfRangeValuesStayValid) {
  Melody slow;
  slow.setBPM(2);
  EXPECT_NE(write(slow).find(bytes({0xFF, 0x51, 0x03, 0xFF, 0xFF, 0xFF})), std::string::npos);

  Melody quiet;
  quiet.appendEvent(Note, 96, 60, 0);
  quiet.appendEvent(TempoChange, 0, 100);
  quiet.setValueAt(1, 1, 0);  // a tempo change of 0 writes nothing
  quiet.appendEvent(Note, 96, 60, 100);
  quiet.setValueAt(2, 1, 130);  // only the low seven bits of a key are kept
  EXPECT_EQ(melodyTrackEvents(write(quiet)),
            on(0, 0, 60, 127) + off(96, 0, 60) + on(0, 0, 2, 100) + off(96, 0, 2));

  Melody longRest;
  longRest.appendEvent(Pause, 0x7FFFFFFF);
  longRest.appendEvent(Pause, 0x7FFFFFFF);
  longRest.appendEvent(Note, 96, 60, 100);
  const std::string events = melodyTrackEvents(write(longRest));
  const uint64_t total = 2ull * 0x7FFFFFFF;
  std::string expected;
  for (uint64_t left = total; left > 0x0FFFFFFF; left -= 0x0FFFFFFF)
    expected += vlq(0x0FFFFFFF) + bytes({0xFF, 0x01, 0x00});
  expected += on(static_cast<uint32_t>(total % 0x0FFFFFFF), 0, 60, 100) + off(96, 0, 60);
  EXPECT_EQ(events, expected);
}

// The string export reports a writer failure as -1 and no bytes; the file and clipboard
// exports get the exception and report its code.
TEST(MidiWriter, FailuresReachTheExports) {
  Melody melody;
  ASSERT_TRUE(melody.setPPQN(40000));
  WriteResult out;
  out.bytes = "stale";
  writeMidi(melody, WriteTarget::String, FormatOptions{}, out);
  EXPECT_EQ(out.returnValue, -1);
  EXPECT_TRUE(out.bytes.empty());
  EXPECT_THROW(writeMidi(melody, WriteTarget::File, FormatOptions{}, out), RVXFileErrWrite);
  EXPECT_THROW(writeMidi(melody, WriteTarget::Clipboard, FormatOptions{}, out), RVXFileErrWrite);
}

Melody sampleMelody() {
  Melody m;
  m.title = "Round trip";
  m.setBPM(100);
  m.appendEvent(StyleChange, 0, 1);
  m.appendEvent(Note, 96, 60, 100);
  m.appendEvent(Pause, 48);
  m.appendEvent(Note, 144, 62, 80);
  m.appendEvent(TempoChange, 0, 140);
  m.appendEvent(StyleChange, 0, 2);
  m.appendEvent(Note, 1000, 64, 90);  // longer than a whole note
  m.appendEvent(Pause, 500);
  m.appendEvent(Note, 24, 127, 1);
  m.appendEvent(Note, 384, 0, 127);
  return m;
}

TEST(MidiWriter, WrittenAndReadBackGivesTheSameEvents) {
  Melody original = sampleMelody();
  std::istringstream in(write(original), std::ios::binary);
  Melody back;
  ReadRequest request;
  ASSERT_EQ(readMidi(in, back, request), 1);
  EXPECT_EQ(back.title, "Round trip");
  EXPECT_EQ(back.getBPM(), 100);
  EXPECT_EQ(request.channelMask, 1);
  Melody split;
  original.copySplit(split);
  EXPECT_EQ(events(back), events(split));
  EXPECT_EQ(events(back), (std::vector<Ev>{{StyleChange, 0, 1, 0},
                                           {Note, 96, 60, 100},
                                           {Pause, 48, 0, 0},
                                           {Note, 144, 62, 80},
                                           {TempoChange, 0, 140, 0},
                                           {StyleChange, 0, 2, 0},
                                           {Note, 384, 64, 127},
                                           {Pause, 616, 0, 0},
                                           {Pause, 384, 0, 0},
                                           {Pause, 116, 0, 0},
                                           {Note, 24, 127, 1},
                                           {Note, 384, 0, 127}}));
}

// midicsv parses the file independently; its listing must show our events, and csvmidi
// must turn that listing back into the very same bytes (so every length and delta was
// read as meant). A time limit guards against the tool looping on a broken file.
std::string runTool(const std::string& command, int& status) {
  std::string output;
  FILE* pipe = ::popen(("timeout 20 " + command + " 2>&1").c_str(), "r");
  if (!pipe) {
    status = -1;
    return output;
  }
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  status = ::pclose(pipe);
  return output;
}

std::string runMidicsv(const std::string& file, int& status) {
  namespace fs = std::filesystem;
  const fs::path base =
      fs::temp_directory_path() / ("pealix_midicsv_" + std::to_string(::getpid()));
  const fs::path mid = base.string() + ".mid", csv = base.string() + ".csv",
                 again = base.string() + "_again.mid";
  {
    std::ofstream out(mid, std::ios::binary);
    out << file;
  }
  const std::string listing = runTool("midicsv '" + mid.string() + "'", status);
  {
    std::ofstream out(csv, std::ios::binary);
    out << listing;
  }
  int csvStatus = 0;
  const std::string csvOutput =
      runTool("csvmidi '" + csv.string() + "' '" + again.string() + "'", csvStatus);
  std::ifstream in(again, std::ios::binary);
  const std::string rebuilt((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(csvStatus, 0) << csvOutput;
  EXPECT_TRUE(rebuilt == file) << "csvmidi rebuilt a different file from:\n" << listing;
  EXPECT_EQ(listing.find("Unknown_event"), std::string::npos) << listing;
  for (const fs::path& p : {mid, csv, again}) fs::remove(p);
  return listing;
}

TEST(MidiWriterIndependentParser, MidicsvReadsEveryWrittenFile) {
  Melody empty;
  Melody one;
  one.title = "One";
  one.appendEvent(Note, 96, 60, 100);
  int status = 0;
  EXPECT_EQ(runMidicsv(write(one), status),
            "0, 0, Header, 1, 2, 96\n"
            "1, 0, Start_track\n"
            "1, 0, Text_t, \"" +
                std::string(kMidiCreditLine) +
                "\"\n"
                "1, 0, Title_t, \"One\"\n"
                "1, 0, Tempo, 500000\n"
                "1, 0, End_track\n"
                "2, 0, Start_track\n"
                "2, 0, Note_on_c, 0, 60, 100\n"
                "2, 96, Note_off_c, 0, 60, 0\n"
                "2, 96, End_track\n"
                "0, 0, End_of_file\n");
  EXPECT_EQ(status, 0);

  Melody loops = sampleMelody();
  loops.appendEvent(Loop, 0, 4, 2);
  loops.appendEvent(Note, 96, 65, 100);
  loops.appendEvent(Loop, 0, 4, 0);
  Melody longRest;
  // Beyond 28 bits per delta, within the 31 bits of absolute time csvmidi accepts.
  longRest.appendEvent(Pause, 0x30000000);
  longRest.appendEvent(Note, 0x20000000, 60, 100);

  for (Melody* melody : {&empty, &loops, &longRest}) {
    const std::string listing = runMidicsv(write(*melody), status);
    EXPECT_EQ(status, 0) << listing;
    EXPECT_EQ(listing.find("rror"), std::string::npos) << listing;
    EXPECT_NE(listing.find("2, 0, Start_track"), std::string::npos) << listing;
    EXPECT_NE(listing.find("End_of_file"), std::string::npos) << listing;
  }
  const std::string listing = runMidicsv(write(loops), status);
  for (const char* expected :
       {"Tempo, 600000", "Text_t, \"StyleChange:Continuous\"", "Note_on_c, 0, 60, 100",
        "Note_off_c, 0, 62, 0", "Tempo, 428571", "Marker_t, \"LoopId:4:Repeat:2\"",
        "Marker_t, \"LoopId:4:Repeat:0\"", "Title_t, \"Round trip\""})
    EXPECT_NE(listing.find(expected), std::string::npos) << expected << "\n" << listing;
}

// The exports: the string form carries the raw file, the clipboard form the marker and
// hex digits, and reading the clipboard gives the melody back.
TEST(MidiWriterExports, StringClipboardAndReadBack) {
  const EventRecord records[] = {
      {4, 0, Note, 60, 100, 0, 0}, {8, 0, Pause, 0, 0, 0, 0}, {2, 1, Note, 67, 90, 0, 0}};
  int32_t control[] = {5, 0, 10, 0, 0};
  char buffer[512];
  uint32_t length = sizeof buffer;
  ASSERT_EQ(rvmMelo2String(records, 3, buffer, &length, "Tune", nullptr, control), 1);
  Melody melody;
  melody.title = "Tune";
  melody.appendEvent(Note, 96, 60, 100);
  melody.appendEvent(Pause, 48);
  melody.appendEvent(Note, 288, 67, 90);
  EXPECT_EQ(std::string(buffer, length), write(melody));

  uint32_t small = length - 1;
  EXPECT_EQ(rvmMelo2String(records, 3, buffer, &small, "Tune", nullptr, control), 217);
  EXPECT_EQ(small, length);

  int32_t exportControl[] = {5, 2, 10, 0, 0};
  ASSERT_EQ(rvmMeloExport(records, 3, "Tune", nullptr, nullptr, exportControl), 1);
  EXPECT_EQ(
      hostGetClipboardText().value_or(""), "//RVPXPX4D546864" + [&] {
        std::string hex;
        static constexpr char kDigits[] = "0123456789ABCDEF";
        for (const char c : write(melody).substr(4)) {
          hex.push_back(kDigits[static_cast<unsigned char>(c) >> 4]);
          hex.push_back(kDigits[c & 0x0F]);
        }
        return hex;
      }());
  EventRecord back[8] = {};
  int32_t count = 8;
  char title[32];
  uint32_t titleLength = sizeof title - 1;
  int32_t readControl[] = {7, 2, 10, 0, 255, 0, 0};
  ASSERT_EQ(rvmReadMelo(back, &count, title, &titleLength, readControl, nullptr, nullptr, nullptr),
            1);
  EXPECT_EQ(std::string(title), "Tune");
  EXPECT_EQ(readControl[3], 120);
  EXPECT_EQ(readControl[4], 0);
  EXPECT_EQ(readControl[5], 1);
  ASSERT_EQ(count, 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(back[i].iSimpleLen, records[i].iSimpleLen) << i;
    EXPECT_EQ(back[i].iDotLen, records[i].iDotLen) << i;
    EXPECT_EQ(back[i].nEvent, records[i].nEvent) << i;
    EXPECT_EQ(back[i].EventVal1, records[i].EventVal1) << i;
  }
}

// Clipboard texts: too short for the marker and a header is 39; odd length or non-hex
// digits after the marker is -1, like any other unreadable MIDI data.
TEST(MidiWriterExports, ClipboardTextsThatAreRefused) {
  const auto readClipboard = [](const std::string& text) {
    hostSetClipboardText(text);
    EventRecord records[4] = {};
    int32_t count = 4;
    char title[8];
    uint32_t titleLength = 7;
    int32_t control[] = {7, 2, 10, 0, 255, 0, 0};
    return rvmReadMelo(records, &count, title, &titleLength, control, nullptr, nullptr, nullptr);
  };
  EXPECT_EQ(readClipboard("//RVPXPX4D546864000"), 39);  // eleven characters after the marker
  EXPECT_EQ(readClipboard("//RVPYPX4D54686400000006"), 39);
  EXPECT_EQ(readClipboard("//RVPXPX4D5468640000000"), -1);
  EXPECT_EQ(readClipboard("//RVPXPX4D546864000000Z6"), -1);
  EXPECT_EQ(readClipboard("//RVPXPX4D54686400000006"), -1);  // a header cut short
}

// A file that cannot be read gives -1; a file that cannot be written gives 53.
TEST(MidiWriterExports, FailureCodes) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("pealix_midi_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path bad = dir / "bad.mid";
  {
    std::ofstream out(bad, std::ios::binary);
    out << header(0, 1, 96) << "MTrk" << be32(0x7FFFFFFF);
  }
  EventRecord records[4] = {};
  int32_t count = 4;
  char title[8];
  uint32_t titleLength = 7;
  int32_t readControl[] = {7, 1, 10, 0, 255, 0, 0};
  EXPECT_EQ(
      rvmReadMelo(records, &count, title, &titleLength, readControl, bad.c_str(), nullptr, nullptr),
      -1);

  const EventRecord note[] = {{4, 0, Note, 60, 100, 0, 0}};
  int32_t exportControl[] = {5, 1, 10, 0, 0};
  if (fs::exists("/dev/full")) {
    EXPECT_EQ(rvmMeloExport(note, 1, "T", "/dev/full", nullptr, exportControl), 53);
  }

  fs::remove_all(dir);
}

}  // namespace
}  // namespace rv
