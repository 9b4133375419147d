// iMelody (format 14): writer.
#pragma once

#include "format_api.h"

namespace rv {

void writeImelody(Melody& melody, WriteTarget target, const FormatOptions& options, WriteResult& out);

}  // namespace rv
