// Flipper Zero music files (format 21): "Key: value" lines, the melody in the Notes line.
#pragma once

#include "format_api.h"

namespace rv {

// Reads the Filetype, BPM, Duration and Octave lines and the Notes line. A length or a
// key the melody cannot hold is read to the nearest it can; request.roundedEvents says
// how many were. Returns 1, or -1 when the text is not such a file.
int readFlipper(std::istream& in, Melody& melody, ReadRequest& request);

// Writes notes and pauses with the default duration and octave that give the shortest
// text. resultValue: 1 when every note was written as the melody has it, else minus the
// number of notes and pauses written to the nearest length or key the file holds.
void writeFlipper(Melody& melody, WriteTarget target, const FormatOptions& options,
                  WriteResult& out);

}  // namespace rv
