// Standard MIDI file reader (format 10): the melody builder on top of the generic
// parser of midi_parser.h turns the notes of one channel into a monophonic melody.
#pragma once

#include "format_api.h"

namespace rv {

// request.channelChoice: 0..15 selects that channel, 255 the first channel with a
// note-on, anything else channel 0. On return request.channelUsed holds the selected
// channel and request.channelMask bit n is set when channel n had a note-on.
// Returns 1, or -1 for any error (the melody is left as it was).
int readMidi(std::istream& in, Melody& melody, ReadRequest& request);

}  // namespace rv
