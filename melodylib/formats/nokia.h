// Nokia smart-messaging ringtone (format 9): writer, reader and the note count of a
// rendering.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "format_api.h"

namespace rv {

// Options of the export (control elements 6, 7, 8): user data header, hex text, and the
// size limit in bytes of the whole message including the header.
struct NokiaOptions {
  bool userDataHeader = true;
  bool hexText = true;
  int32_t sizeLimit = 140;
};

// Renders the ringtone into out. Returns 1, or -1 (out left empty) for a melody without
// events. The melody is the call's own copy: its notes are moved into keys 60..107.
int renderNokia(Melody& melody, const NokiaOptions& options, std::string& out);

void writeNokia(Melody& melody, WriteTarget target, const FormatOptions& options, WriteResult& out);

// Reads a ringtone: the binary message or its hex text (blanks and line breaks allowed, a
// line may begin with the text-mode header "//SCKL<ports> "); a leading user data header is
// skipped. One event per note, pause, style, tempo and volume instruction; a tempo before
// the first note is the melody's tempo (63 without one). A pattern's loop plays it loop
// value + 1 times (an endless loop, 15, plays it once); a pattern without instructions
// plays the pattern of its id again. Returns 1, or one of RV_NOKIA_* (rvmelody.h) for
// anything that is not a complete basic-song ringtone, request.failPosition and failValue
// saying where and what.
int readNokia(std::istream& in, Melody& melody, ReadRequest& request);

// The note and pause instructions of the first pattern of a ringtone as renderNokia makes
// it (bytes, not hex text; behind the 7-byte user data header when withHeader); -1 when
// the data ends early or holds an unknown instruction.
int32_t countNokiaNotes(std::string_view bytes, bool withHeader);

}  // namespace rv
