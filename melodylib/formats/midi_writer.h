// Standard MIDI file writer (format 10).
#pragma once

#include "format_api.h"

namespace rv {

void writeMidi(Melody& melody, WriteTarget target, const FormatOptions& options, WriteResult& out);

}  // namespace rv
