// RTTTL text (format 7): reader, writer, and the plain pitch fitting and tempo table that
// the Nokia smart-messaging writer shares.
#pragma once

#include "format_api.h"

namespace rv {

int readRtttl(std::istream& in, Melody& melody, ReadRequest& request);
void writeRtttl(Melody& melody, WriteTarget target, const FormatOptions& options, WriteResult& out);

// Moves the notes into lo..hi: transposes when the span fits, clamps when it does not.
void plainPitchFit(Melody& melody, int32_t lo, int32_t hi);

// The 32 tempo codes (25 .. 900 beats per minute) shared with the Nokia writer.
int32_t tempoToCode(int32_t bpm);
int32_t codeToTempo(int32_t code);

}  // namespace rv
