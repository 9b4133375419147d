// The iMelody reader on any text. A failed read says why and where; a text it reads holds
// only events the format gives, and the library's file rendering of it reads back.
#include <cstdlib>
#include <sstream>
#include <string>

#include "formats/imelody.h"
#include "model/melody.h"
#include "rvmelody.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (rv::countImelodyTokens(text, false) > rv::countImelodyTokens(text, true)) std::abort();

  std::istringstream in(text, std::ios::binary);
  rv::Melody melody;
  rv::ReadRequest request;
  const int result = rv::readImelody(in, melody, request);
  if (result != 1) {
    if (result != RV_READ_FAILED && (result < RV_IMELODY_EMPTY || result > RV_IMELODY_NOT_CLOSED))
      std::abort();
    if (!melody.empty() || request.failPosition < 0 || request.failLine < 0) std::abort();
    return 0;
  }
  if (melody.empty() || melody.count() > rv::kMaxUnrolledEvents || melody.getBPM() < 25 ||
      melody.getBPM() > 900)
    std::abort();
  int sounding = 0;
  for (const rv::MelodyEvent& e : melody.events()) {
    if (e.EID == rv::Note && (e.EventVal1 < 0 || e.EventVal1 > 127)) std::abort();
    if (e.EID != rv::Note && e.EID != rv::Pause && e.EID != rv::StyleChange &&
        e.EID != rv::VolumeChange)
      std::abort();
    sounding += e.EID == rv::Note || e.EID == rv::Pause;
  }
  if (sounding == 0) std::abort();
  // What it read renders again as a text the reader takes.
  if (melody.count() > 400) return 0;
  rv::Melody copy = melody;
  rv::WriteResult out;
  rv::writeImelody(copy, rv::WriteTarget::File, rv::FormatOptions(), out);
  std::istringstream again(out.bytes, std::ios::binary);
  rv::Melody back;
  rv::ReadRequest second;
  if (rv::readImelody(again, back, second) != 1) std::abort();
  return 0;
}
