// Test XML (format 19): writer (file and clipboard only).
#pragma once

#include "format_api.h"

namespace rv {

void writeTestXml(Melody& melody, WriteTarget target, const FormatOptions& options, WriteResult& out);

}  // namespace rv
