// RTTTL through the exports: reading a 300-note file and rendering 300 records as text.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "rvmelody.h"

namespace {

std::vector<EventRecord> tune(int n) {
  std::vector<EventRecord> records;
  records.reserve(n);
  static constexpr int kLengths[] = {4, 8, 8, 16, 2, 4, 32, 8};
  for (int i = 0; i < n; ++i) {
    records.push_back({kLengths[i % 8], i % 3 == 0 ? 1 : 0, 1, 60 + (i * 5) % 36, 127, 0, 0});
  }
  return records;
}

std::string render(const std::vector<EventRecord>& records) {
  std::string text(65536, '\0');
  uint32_t length = text.size();
  int32_t control[5] = {5, 0, 7, 0, 0};
  if (rvmMelo2String(records.data(), records.size(), text.data(), &length, "Bench tune", nullptr,
                     control) != 1)
    return {};
  text.resize(length);
  return text;
}

void BM_RtttlReadFile300(benchmark::State& state) {
  const std::string path = "/tmp/pealix_rtttl_bench_" + std::to_string(getpid()) + ".rtx";
  const std::string text = render(tune(300));
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
  std::vector<EventRecord> records(301);
  char title[64];
  for (auto _ : state) {
    int32_t count = records.size();
    uint32_t titleLength = sizeof title - 1;
    int32_t control[4] = {4, 1, 7, 0};
    const int32_t result = rvmReadMelo(records.data(), &count, title, &titleLength, control,
                                       path.c_str(), nullptr, nullptr);
    if (result != 1 || count != 300) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(records.data());
  }
  std::remove(path.c_str());
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_RtttlReadFile300);

void BM_RtttlMelo2String300(benchmark::State& state) {
  const std::vector<EventRecord> records = tune(300);
  std::string buffer(65536, '\0');
  for (auto _ : state) {
    uint32_t length = buffer.size();
    int32_t control[5] = {5, 0, 7, 0, 0};
    const int32_t result = rvmMelo2String(records.data(), records.size(), buffer.data(), &length,
                                          "Bench tune", nullptr, control);
    if (result != 1) state.SkipWithError("render failed");
    benchmark::DoNotOptimize(buffer.data());
  }
}
BENCHMARK(BM_RtttlMelo2String300);

}  // namespace
