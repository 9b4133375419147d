// Standard MIDI file writer (format 10): format 1, a conductor track (credit line, title,
// tempo) and a melody track on channel 0 with notes, style texts, tempo changes and
// loop markers. The same bytes serve the file, the clipboard (hex form) and the string
// export. Throws rt_erri on failure; it never reports success for a file it could not
// build.
#pragma once

#include "format_api.h"

namespace rv {

// The credit line of the conductor track.
inline constexpr char kMidiCreditLine[] = "Created with Pealix, the ringtone editor";

void writeMidi(Melody& melody, WriteTarget target, const FormatOptions& options, WriteResult& out);

}  // namespace rv
