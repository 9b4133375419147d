// Reading standard MIDI files: a generated format-1 file with 16 tracks of notes on
// several channels, read from memory. Reports MB/s, the process's peak resident memory
// (ru_maxrss) and read_peak: how far the resident memory rose above its level before the
// reads (the melody built plus the reader's fixed buffers, whatever the file's size).
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdint>
#include <fstream>
#include <istream>
#include <streambuf>
#include <string>

#include "formats/midi_reader.h"
#include "model/melody.h"

namespace {

// Reads a buffer in place, so the benchmark's memory holds the file only once.
class MemoryBuffer : public std::streambuf {
 public:
  explicit MemoryBuffer(const std::string& data) {
    char* begin = const_cast<char*>(data.data());
    setg(begin, begin, begin + data.size());
  }
};

void appendBe32(std::string& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(v >> shift));
}

void appendVarLen(std::string& out, uint32_t v) {
  char bytes[4];
  int n = 0;
  bytes[n++] = static_cast<char>(v & 0x7F);
  while ((v >>= 7) != 0) bytes[n++] = static_cast<char>((v & 0x7F) | 0x80);
  while (n > 0) out.push_back(bytes[--n]);
}

// 16 tracks of about equal size; track t plays on channel t % 4, so the automatic
// choice (channel 0) takes the notes of four tracks. Notes use running status and end
// with note-on velocity 0, as most sequencers write them; a controller and a pitch bend
// now and then keep the other event kinds in the mix.
std::string generateFile(size_t totalBytes) {
  constexpr int kTracks = 16;
  std::string file;
  file.reserve(totalBytes + 1024);
  file.append("MThd");
  appendBe32(file, 6);
  file.append({0, 1, 0, kTracks, 0x01, static_cast<char>(0xE0)});  // division 480
  const size_t perTrack = totalBytes / kTracks;
  uint32_t seed = 12345;
  for (int t = 0; t < kTracks; ++t) {
    const size_t start = file.size();
    file.append("MTrk");
    appendBe32(file, 0);
    const char channel = static_cast<char>(t % 4);
    file.append({0, static_cast<char>(0xFF), 0x03, 5, 'T', 'r', 'a', 'c', 'k'});
    file.append({0, static_cast<char>(0xC0 | channel), static_cast<char>(t * 5)});
    file.append({0, static_cast<char>(0x90 | channel), 60, 0});
    int count = 0;
    while (file.size() - start < perTrack) {
      seed = seed * 1103515245 + 12345;
      const char key = static_cast<char>(48 + (seed >> 16) % 36);
      appendVarLen(file, (seed >> 8) % 4 == 0 ? 120 : 0);  // sometimes a rest
      file.append({key, 100});
      appendVarLen(file, 60 + ((seed >> 4) % 8) * 60);
      file.append({key, 0});
      if (++count % 64 == 0) {
        // Controller and pitch bend, then an explicit note-on status (a stray end of
        // the key just released) so that running status continues with notes.
        file.append({0, static_cast<char>(0xB0 | channel), 7, 90, 0,
                     static_cast<char>(0xE0 | channel), 0, 64, 0, static_cast<char>(0x90 | channel),
                     key, 0});
      }
    }
    file.append({0, static_cast<char>(0xFF), 0x2F, 0});
    const uint32_t length = static_cast<uint32_t>(file.size() - start - 8);
    for (int i = 0; i < 4; ++i) file[start + 4 + i] = static_cast<char>(length >> (24 - 8 * i));
  }
  return file;
}

long maxRssKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// A line of /proc/self/status in KiB (VmRSS now, VmHWM the peak since the last reset).
long statusKiB(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(key) + ":";
  while (std::getline(status, line))
    if (line.compare(0, prefix.size(), prefix) == 0) return std::stol(line.substr(prefix.size()));
  return 0;
}

// ru_maxrss never goes down; resetting VmHWM lets each benchmark see its own peak.
void resetPeakRss() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
}

void readAll(benchmark::State& state, int32_t channelChoice) {
  const std::string file = generateFile(static_cast<size_t>(state.range(0)) << 20);
  resetPeakRss();
  const long rssBefore = statusKiB("VmRSS");
  int32_t events = 0;
  for (auto _ : state) {
    MemoryBuffer buffer(file);
    std::istream in(&buffer);
    rv::Melody melody;
    rv::ReadRequest request;
    request.channelChoice = channelChoice;
    if (rv::readMidi(in, melody, request) != 1) state.SkipWithError("read failed");
    events = melody.count();
    benchmark::DoNotOptimize(melody);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(file.size()));
  state.counters["file_MiB"] = static_cast<double>(file.size()) / (1 << 20);
  state.counters["events"] = events;
  state.counters["maxrss_MiB"] = static_cast<double>(maxRssKiB()) / 1024;
  state.counters["read_peak_MiB"] = static_cast<double>(statusKiB("VmHWM") - rssBefore) / 1024;
}

// The automatic channel choice: the melody holds the notes of four of the 16 tracks.
void BM_MidiRead16Tracks(benchmark::State& state) {
  readAll(state, 255);
}
BENCHMARK(BM_MidiRead16Tracks)->Arg(8)->Unit(benchmark::kMillisecond);

// A channel without notes: the whole file is parsed but the melody stays empty, so the
// memory growth is the reader's own and must not follow the file's size.
void BM_MidiReadSilentChannel(benchmark::State& state) {
  readAll(state, 9);
}
BENCHMARK(BM_MidiReadSilentChannel)->Arg(2)->Arg(8)->Arg(32)->Unit(benchmark::kMillisecond);

}  // namespace
