// The Sagem hex text reader on any text: a refusal is one of its reasons and leaves the
// melody empty; a read gives notes and pauses of the lengths the codes name.
#include <cstdlib>
#include <sstream>
#include <string>

#include "formats/sagem.h"
#include "model/melody.h"
#include "rvmelody.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  rv::countSagemCodes(text);
  std::istringstream in(text, std::ios::binary);
  rv::Melody melody;
  rv::ReadRequest request;
  const int result = rv::readSagemHex(in, melody, request);
  if (result != 1) {
    if (result < RV_SAGEM_HEX_TOO_LONG || result > RV_SAGEM_HEX_NOTHING || !melody.empty())
      std::abort();
    return 0;
  }
  if (melody.count() > 255 || melody.getBPM() < 5 || melody.getBPM() > 255) std::abort();
  for (const rv::MelodyEvent& e : melody.events())
    if ((e.EID != rv::Note && e.EID != rv::Pause) || e.EventVal1 > 127 || e.duration <= 0)
      std::abort();
  return 0;
}
