// Nokia composer text (format 23): tokens such as 8#f2 or 4.- separated by a delimiter, as
// the phone's composer shows a melody; reader and writer.
#pragma once

#include "format_api.h"

namespace rv {

// Reads the tokens: a length 1..64, "." (dotted) and "#" (sharp) anywhere, then "-" or
// "p" for a pause or a letter (h is b) and its octave digit; octave 1 of the composer is
// the octave of C5 (key 72). Unusable tokens are skipped, control characters removed.
// request.delimiter separates the tokens; with request.readHeader a first line "Name:...
// BPM:... No.:..." (the writer's) gives the title and the tempo. Returns 1,
// RV_COMPOSER_NO_DELIMITER when the delimiter is not among the first seven characters, or
// RV_COMPOSER_LONG_REST when an undelimited rest of 17 characters or more ends the text.
int readComposer(std::istream& in, Melody& melody, ReadRequest& request);

// Renders "Name:<title> BPM:<bpm> No.:<tokens>", CR LF, then the tokens of the events
// with a composer length (notes; any other a pause) joined by the delimiter (option 6, a character
// code; 0 is
// ','); keys are moved into 72..107 one by one. resultValue: the tokens written.
void writeComposer(Melody& melody, WriteTarget target, const FormatOptions& options,
                   WriteResult& out);

}  // namespace rv
