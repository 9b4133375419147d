// Motorola text (format 12): writer (file and clipboard only).
#pragma once

#include "format_api.h"

namespace rv {

void writeMotorola(Melody& melody, WriteTarget target, const FormatOptions& options, WriteResult& out);

}  // namespace rv
