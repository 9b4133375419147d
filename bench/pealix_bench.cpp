// One table of the libraries' speed through their exports: reading, writing and modifying
// a 301-event melody and building SMS-SUBMIT PDUs. Names read Group/Format/Target.
// (midi_bench.cpp adds the MIDI reader's throughput on a generated 8 MB file.)
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "rvmelody.h"
#include "rvsms.h"

namespace {

constexpr int kMelodyEvents = 301;

std::string tempPath(const std::string& name) {
  return "/tmp/pealix-bench-" + std::to_string(getpid()) + "-" + name;
}

// A phone melody of 301 events: tempo and style first (unless only notes and pauses are
// asked for), then notes of varied lengths and velocities with a pause every seventh
// event, a volume change every 25th when asked.
std::vector<EventRecord> melody(bool volumeEvents, bool controlEvents = true) {
  std::vector<EventRecord> r;
  if (controlEvents) {
    r.push_back({0, 0, 4, 140, 0, 0, 0});
    r.push_back({0, 0, 3, 1, 0, 0, 0});
  }
  static constexpr int kLengths[] = {8, 8, 4, 16, 8, 2, 4, 16};
  static constexpr int kKeys[] = {0, 2, 4, 5, 7, 9, 11, 12, 11, 9, 7, 4};
  for (int i = 0; static_cast<int>(r.size()) < kMelodyEvents; ++i) {
    if (volumeEvents && i % 25 == 0) {
      r.push_back({0, 0, 5, 0, 40 + (i * 7) % 80, 0, 0});
    } else if (i % 7 == 6) {
      r.push_back({kLengths[i % 8], 0, 16, 0, 0, 0, 0});
    } else {
      const int key = 60 + kKeys[i % 12] + 12 * ((i / 12) % 2);
      r.push_back({kLengths[i % 8], i % 5 == 0 ? 1 : 0, 1, key, 60 + (i * 13) % 68, 0, 0});
    }
  }
  return r;
}

// The key-press composer enters notes and pauses only: an event without duration (tempo,
// style) makes its writer refuse the melody, so it gets the melody of notes and pauses.
const std::vector<EventRecord>& tune(int32_t format = 0) {
  static const std::vector<EventRecord> records = melody(false);
  static const std::vector<EventRecord> notesOnly = melody(false, false);
  return format == 3 ? notesOnly : records;
}

struct Format {
  int32_t id;
  const char* name;
  bool string;  // has a string form (rvmMelo2String)
};

constexpr Format kFormats[] = {
    {2, "Sagem", true},      {3, "Keypress", true}, {7, "RTTTL", true},
    {8, "Alcatel", true},    {9, "Nokia", true},    {10, "MIDI", true},
    {12, "Motorola", false}, {14, "iMelody", true}, {19, "TestXML", false}};

void WriteFile(benchmark::State& state, int32_t format) {
  const std::vector<EventRecord>& records = tune(format);
  const std::string path = tempPath("write-" + std::to_string(format));
  for (auto _ : state) {
    int32_t control[9] = {9, 1, format, 0, 0, 0, 0, 0, 0};
    const int32_t rc = rvmMeloExport(records.data(), static_cast<int32_t>(records.size()),
                                     "Bench tune", path.c_str(), nullptr, control);
    if (rc != 1) state.SkipWithError("rvmMeloExport failed");
  }
  std::remove(path.c_str());
}

void WriteString(benchmark::State& state, int32_t format) {
  const std::vector<EventRecord>& records = tune(format);
  std::vector<char> buffer(1 << 20);
  for (auto _ : state) {
    uint32_t length = static_cast<uint32_t>(buffer.size());
    int32_t control[9] = {9, 0, format, 0, 0, 0, 0, 0, 0};
    const int32_t rc = rvmMelo2String(records.data(), static_cast<int32_t>(records.size()),
                                      buffer.data(), &length, "Bench tune", nullptr, control);
    if (rc != 1) state.SkipWithError("rvmMelo2String failed");
    benchmark::DoNotOptimize(buffer.data());
  }
}

// The melody written once in a format, then read back from that file on every call.
void ReadFile(benchmark::State& state, int32_t format) {
  const std::vector<EventRecord>& written = tune();
  const std::string path = tempPath("read-" + std::to_string(format));
  int32_t control[9] = {9, 1, format, 0, 0, 0, 0, 0, 0};
  if (rvmMeloExport(written.data(), static_cast<int32_t>(written.size()), "Bench tune",
                    path.c_str(), nullptr, control) != 1) {
    state.SkipWithError("could not write the input file");
    return;
  }
  std::vector<EventRecord> records(4096);
  char title[64];
  int32_t count = 0;
  for (auto _ : state) {
    count = static_cast<int32_t>(records.size());
    uint32_t titleLength = sizeof title - 1;
    int32_t readControl[6] = {6, 1, format, 0, 255, 0};
    const int32_t rc = rvmReadMelo(records.data(), &count, title, &titleLength, readControl,
                                   path.c_str(), nullptr, nullptr);
    if (rc != 1) state.SkipWithError("rvmReadMelo failed");
    benchmark::DoNotOptimize(records.data());
  }
  state.counters["events"] = count;
  std::remove(path.c_str());
}

// Each call transforms a fresh copy of the melody (the copy of 301 records is part of the
// time; it is small next to the operation).
void Modify(benchmark::State& state, int32_t operation, int32_t factor, bool volumeEvents) {
  const std::vector<EventRecord> source = melody(volumeEvents);
  std::vector<EventRecord> records(4096);
  int32_t count = 0;
  for (auto _ : state) {
    std::copy(source.begin(), source.end(), records.begin());
    count = static_cast<int32_t>(source.size());
    const int32_t rc = rvmModifyMelody(records.data(), static_cast<int32_t>(records.size()), &count,
                                       operation, factor);
    if (rc != 1) state.SkipWithError("rvmModifyMelody failed");
    benchmark::DoNotOptimize(records.data());
  }
  state.counters["events"] = count;
}

// --- SMS-SUBMIT PDUs ---------------------------------------------------------------------

SubmitParams Params(int inType, int outType) {
  SubmitParams p{};
  p.TextInType = inType;
  p.TextInCodepage = 65001;
  p.WithSMSC = 1;
  p.TextOutType = outType;
  p.MsgClass = 255;
  return p;
}

void Submit(benchmark::State& state, const std::string& text, const SubmitParams& p) {
  const AddressParam dest{12, "491701234567", 1};
  const AddressParam smsc{12, "491710760000", 1};
  std::vector<unsigned char> buffer(2 * text.size() + 120);
  for (auto _ : state) {
    int32_t size = static_cast<int32_t>(buffer.size());
    int32_t tpdu = 0;
    const int32_t rc = rvMakeSubmitPDU(text.data(), static_cast<int32_t>(text.size()),
                                       buffer.data(), &size, &dest, &smsc, &p, &tpdu);
    if (rc != 1) state.SkipWithError("rvMakeSubmitPDU failed");
    benchmark::DoNotOptimize(buffer.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}

void SubmitGsm7Bit160(benchmark::State& state) {
  std::string text;
  while (text.size() < 160) text += "Meet me at 8, bring {the} map & 20 EUR! ";
  text.resize(160);
  Submit(state, text, Params(1, 0));
}

void SubmitUcs2_70(benchmark::State& state) {
  std::string text;
  for (int i = 0; i < 70; ++i) text += "\xD0\x96";  // Cyrillic Zhe, two bytes in UTF-8
  Submit(state, text, Params(1, 2));
}

// The Nokia ringtone of the 301-event melody with its port header, as the phone link
// sends it: 8-bit data, class 1, header indicator.
void SubmitNokiaRingtone(benchmark::State& state) {
  std::vector<char> bytes(4096);
  uint32_t length = static_cast<uint32_t>(bytes.size());
  int32_t control[9] = {9, 0, 9, 0, 0, 0, 0, 0, 0};
  const std::vector<EventRecord>& records = tune();
  if (rvmMelo2String(records.data(), static_cast<int32_t>(records.size()), bytes.data(), &length,
                     "Bench tune", nullptr, control) != 1) {
    state.SkipWithError("no Nokia ringtone");
    return;
  }
  SubmitParams p = Params(3, 3);
  p.MsgClass = 1;
  p.TPDCSType = 1;
  p.UDHI = 1;
  Submit(state, std::string(bytes.data(), length), p);
  state.counters["bytes"] = length;
}

// A 1,000-character text as the parts of a concatenated SMS, both calls a caller makes
// (the size query, then the PDUs): 7-bit with extension characters, and a mixed text that
// the automatic coding sends as UCS2.
void SubmitParts1000(benchmark::State& state, bool mixed) {
  std::string text;
  const char* piece = mixed ? "Gr\xC3\xBC\xC3\x9F"
                              "e \xE2\x82\xAC \xE6\x97\xA5\xE6\x9C\xAC. "
                            : "Meet me at 8, bring {the} map & 20 EUR! ";
  size_t characters = 0;
  while (characters < 1000) {
    for (const char* c = piece; *c && characters < 1000; ++c) {
      text += *c;
      if ((static_cast<unsigned char>(c[1]) & 0xC0) != 0x80) ++characters;
    }
  }
  const SubmitParams p = Params(1, 4);
  const AddressParam dest{12, "491701234567", 1};
  std::vector<unsigned char> buffer(8192);
  std::vector<int32_t> sizes(16), tpdus(16);
  SubmitPartsInfo info{};
  for (auto _ : state) {
    int32_t rc = rvMakeSubmitParts(text.data(), static_cast<int32_t>(text.size()), &dest, nullptr,
                                   &p, 1, nullptr, nullptr, nullptr, nullptr, 0, &info);
    int32_t size = static_cast<int32_t>(buffer.size());
    if (rc == 1)
      rc = rvMakeSubmitParts(text.data(), static_cast<int32_t>(text.size()), &dest, nullptr, &p, 1,
                             buffer.data(), &size, sizes.data(), tpdus.data(),
                             static_cast<int32_t>(sizes.size()), &info);
    if (rc != 1) state.SkipWithError("rvMakeSubmitParts failed");
    benchmark::DoNotOptimize(buffer.data());
  }
  state.counters["parts"] = info.PartCount;
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 1000);
}

const bool registered = [] {
  using benchmark::kMicrosecond;
  for (const char* name : {"RTTTL", "Sagem", "MIDI"}) {
    for (const Format& f : kFormats)
      if (std::string(f.name) == name)
        benchmark::RegisterBenchmark((std::string("Read/") + f.name + "/file").c_str(), ReadFile,
                                     f.id)
            ->Unit(kMicrosecond);
  }
  for (const Format& f : kFormats) {
    benchmark::RegisterBenchmark((std::string("Write/") + f.name + "/file").c_str(), WriteFile,
                                 f.id)
        ->Unit(kMicrosecond);
    if (f.string)
      benchmark::RegisterBenchmark((std::string("Write/") + f.name + "/string").c_str(),
                                   WriteString, f.id)
          ->Unit(kMicrosecond);
  }
  benchmark::RegisterBenchmark("Modify/1 durations x2", Modify, 1, 2, false)->Unit(kMicrosecond);
  benchmark::RegisterBenchmark("Modify/5 velocities to volume", Modify, 5, 0, false)
      ->Unit(kMicrosecond);
  benchmark::RegisterBenchmark("Modify/6 volume to velocities", Modify, 6, 0, true)
      ->Unit(kMicrosecond);
  benchmark::RegisterBenchmark("SubmitPDU/7-bit 160 chars", SubmitGsm7Bit160)->Unit(kMicrosecond);
  benchmark::RegisterBenchmark("SubmitPDU/UCS2 70 chars", SubmitUcs2_70)->Unit(kMicrosecond);
  benchmark::RegisterBenchmark("SubmitPDU/Nokia ringtone", SubmitNokiaRingtone)->Unit(kMicrosecond);
  benchmark::RegisterBenchmark("SubmitParts/1000 characters GSM 7-bit", SubmitParts1000, false)
      ->Unit(kMicrosecond);
  benchmark::RegisterBenchmark("SubmitParts/1000 characters UCS2", SubmitParts1000, true)
      ->Unit(kMicrosecond);
  return true;
}();

}  // namespace
