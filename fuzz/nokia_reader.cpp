// The Nokia ringtone reader on any bytes (binary or hex, with or without header) and the
// note count of a rendering. A failed read says why; a ringtone it reads holds only events
// the format gives, and the library's own rendering of it counts as many notes as it has.
#include <cstdlib>
#include <sstream>
#include <string>

#include "formats/nokia.h"
#include "model/melody.h"
#include "rvmelody.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const int32_t counted = rv::countNokiaNotes(bytes, size % 2 == 1);
  if (counted < -1 || counted > 255) std::abort();

  std::istringstream in(bytes, std::ios::binary);
  rv::Melody melody;
  rv::ReadRequest request;
  const int result = rv::readNokia(in, melody, request);
  if (result != 1) {
    if (result != RV_READ_FAILED && (result < RV_NOKIA_EMPTY || result > RV_NOKIA_ENDS_EARLY))
      std::abort();
    if (!melody.empty()) std::abort();
    return 0;
  }
  if (melody.empty() || melody.count() > rv::kMaxUnrolledEvents || melody.getBPM() < 25 ||
      melody.getBPM() > 900)
    std::abort();
  int notes = 0;
  for (const rv::MelodyEvent& e : melody.events()) {
    if (e.EID == rv::Note && (e.EventVal1 < 0 || e.EventVal1 > 127)) std::abort();
    if (e.EID != rv::Note && e.EID != rv::Pause && e.EID != rv::StyleChange &&
        e.EID != rv::TempoChange && e.EID != rv::VolumeChange)
      std::abort();
    notes += e.EID == rv::Note || e.EID == rv::Pause;
  }
  // Without octave changes or a cut (a few notes, a generous limit), the writer's
  // ringtone holds every note and pause read.
  if (melody.count() <= 20) {
    rv::Melody copy = melody;
    rv::NokiaOptions options;
    options.hexText = false;
    options.sizeLimit = 4096;
    std::string out;
    if (rv::renderNokia(copy, options, out) != 1) std::abort();
    if (rv::countNokiaNotes(out, true) != notes) std::abort();
  }
  return 0;
}
