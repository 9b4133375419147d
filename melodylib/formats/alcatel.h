// Alcatel text (format 8): writer.
#pragma once

#include "format_api.h"

namespace rv {

// Most rest pauses one long event may expand into (about 500 whole notes); keeps the
// text of a duration given in raw ticks (up to 2^31 - 1) within reason.
constexpr int64_t kAlcatelMaxRests = 1024;

// Result value: tokens written. Return value: 1, or 0 when no token was written (a
// melody without events, or one of style, tempo, volume and loop events only: those
// have no duration and give no token).
void writeAlcatel(Melody& melody, WriteTarget target, const FormatOptions& options,
                  WriteResult& out);

}  // namespace rv
