// SMS-SUBMIT PDUs through rvMakeSubmitPDU: a full 7-bit text, a full UCS2 text and an
// 8-bit ringtone with its port header.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "rvsms.h"

namespace {

SubmitParams Params(int inType, int outType) {
  SubmitParams p{};
  p.TextInType = inType;
  p.TextInCodepage = 65001;
  p.WithSMSC = 1;
  p.TextOutType = outType;
  p.MsgClass = 255;
  return p;
}

void RunSubmit(benchmark::State& state, const std::string& text, const SubmitParams& p) {
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

void BM_SubmitGsm7Bit160(benchmark::State& state) {
  std::string text;
  while (text.size() < 160) text += "Meet me at 8, bring {the} map & 20 EUR! ";
  text.resize(160);
  RunSubmit(state, text, Params(1, 0));
}
BENCHMARK(BM_SubmitGsm7Bit160);

void BM_SubmitUcs2_70(benchmark::State& state) {
  std::string text;
  for (int i = 0; i < 70; ++i) text += "\xD0\x96";  // Cyrillic Zhe, two bytes in UTF-8
  RunSubmit(state, text, Params(1, 2));
}
BENCHMARK(BM_SubmitUcs2_70);

void BM_SubmitRingtone8Bit(benchmark::State& state) {
  // Port addressing header for 5505, then ringtone-like bytes with zeros in them.
  std::string data("\x06\x05\x04\x15\x81\x15\x81", 7);
  data += std::string("\x02\x4A\x3A\x51\xD1\x95\xCD\xD0\x04\x00\x8A\x00\x0B", 13);
  for (int i = 0; data.size() < 130; ++i) data += static_cast<char>((i * 37) & 0xFF);
  SubmitParams p = Params(3, 3);
  p.MsgClass = 1;
  p.TPDCSType = 1;
  p.UDHI = 1;
  RunSubmit(state, data, p);
}
BENCHMARK(BM_SubmitRingtone8Bit);

}  // namespace
