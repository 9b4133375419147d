// The Flipper Zero music reader on any text; a file it reads is written and must read back
// with as many events.
#include <cstdlib>
#include <sstream>
#include <string>

#include "formats/flipper.h"
#include "model/melody.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::istringstream in(text, std::ios::binary);
  rv::Melody melody;
  rv::ReadRequest request;
  if (rv::readFlipper(in, melody, request) != 1) return 0;
  if (request.roundedEvents < 0 || request.roundedEvents > melody.count()) std::abort();
  if (melody.empty()) return 0;
  rv::WriteResult out;
  rv::writeFlipper(melody, rv::WriteTarget::File, rv::FormatOptions(), out);
  std::istringstream again(out.bytes, std::ios::binary);
  rv::Melody back;
  rv::ReadRequest second;
  if (rv::readFlipper(again, back, second) != 1 || back.count() != melody.count()) std::abort();
  return 0;
}
