// Phone key-press sequences (format 3): writer.
#pragma once

#include "format_api.h"

namespace rv {

void writeKeypress(Melody& melody, WriteTarget target, const FormatOptions& options, WriteResult& out);

}  // namespace rv
