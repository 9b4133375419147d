// Sagem text (format 2): reader and writer.
#pragma once

#include "format_api.h"

namespace rv {

int readSagem(std::istream& in, Melody& melody, ReadRequest& request);
void writeSagem(Melody& melody, WriteTarget target, const FormatOptions& options, WriteResult& out);

}  // namespace rv
