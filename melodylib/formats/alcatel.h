// Alcatel text (format 8): writer.
#pragma once

#include "format_api.h"

namespace rv {

void writeAlcatel(Melody& melody, WriteTarget target, const FormatOptions& options, WriteResult& out);

}  // namespace rv
