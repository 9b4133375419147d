// The Nokia composer text reader on any text, with or without the header line; what it
// reads the writer renders, and the rendering reads back with as many tokens.
#include <cstdlib>
#include <sstream>
#include <string>

#include "formats/composer.h"
#include "model/melody.h"
#include "rvmelody.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t mode = data[0];
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  rv::ReadRequest request;
  request.delimiter = mode & 1 ? U';' : U',';
  request.readHeader = mode & 2;
  std::istringstream in(text, std::ios::binary);
  rv::Melody melody;
  const int result = rv::readComposer(in, melody, request);
  if (result != 1) {
    if (result != RV_COMPOSER_NO_DELIMITER && result != RV_COMPOSER_LONG_REST &&
        result != RV_READ_FAILED)
      std::abort();
    return 0;
  }
  for (const rv::MelodyEvent& e : melody.events())
    if ((e.EID != rv::Note && e.EID != rv::Pause) || e.EventVal1 > 127) std::abort();
  rv::WriteResult out;
  rv::FormatOptions options;
  options.has6 = true;
  options.option6 = mode & 1 ? ';' : ',';
  rv::Melody copy = melody;
  rv::writeComposer(copy, rv::WriteTarget::String, options, out);
  if (out.resultValue != melody.count()) std::abort();
  // One token has no delimiter to be known by.
  if (melody.count() < 2) return 0;
  rv::ReadRequest again;
  again.delimiter = request.delimiter;
  again.readHeader = true;
  std::istringstream back(out.bytes, std::ios::binary);
  rv::Melody second;
  if (rv::readComposer(back, second, again) != 1 || second.count() != melody.count()) std::abort();
  return 0;
}
