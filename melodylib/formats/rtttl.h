// RTTTL text (format 7): reader, writer, and the plain pitch fitting and tempo table the Nokia writer shares.
#pragma once

#include "format_api.h"

namespace rv {

int readRtttl(std::istream& in, Melody& melody, ReadRequest& request);
void writeRtttl(Melody& melody, WriteTarget target, const FormatOptions& options, WriteResult& out);

}  // namespace rv
