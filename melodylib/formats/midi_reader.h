// Standard MIDI file reader (format 10).
#pragma once

#include "format_api.h"

namespace rv {

int readMidi(std::istream& in, Melody& melody, ReadRequest& request);

}  // namespace rv
