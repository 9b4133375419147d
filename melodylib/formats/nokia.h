// Nokia smart-messaging ringtone (format 9): writer.
#pragma once

#include "format_api.h"

namespace rv {

void writeNokia(Melody& melody, WriteTarget target, const FormatOptions& options, WriteResult& out);

}  // namespace rv
