// What a format reader or writer receives from the exports, and what it gives back.
// Readers and writers work on streams and memory, never on paths.
#pragma once

#include <cstdint>
#include <istream>
#include <string>

#include "../model/melody.h"

namespace rv {

// Where a writer's bytes go; a few writers render differently for the string export.
enum class WriteTarget { File, Clipboard, String };

// Unrolling the loops and repeats of a phone ringtone stops at this many events.
constexpr int32_t kMaxUnrolledEvents = 20000;
// The velocity of every note a phone ringtone reader gives: these formats carry loudness
// only as volume changes.
constexpr int32_t kPhoneNoteVelocity = 127;

// Format options: control elements 6, 7 and 8 when the array holds them.
struct FormatOptions {
  int32_t option6 = 0, option7 = 0, option8 = 0;
  bool has6 = false, has7 = false, has8 = false;
  int32_t get6(int32_t fallback) const { return has6 ? option6 : fallback; }
  int32_t get7(int32_t fallback) const { return has7 ? option7 : fallback; }
  int32_t get8(int32_t fallback) const { return has8 ? option8 : fallback; }
};

struct ReadRequest {
  bool fromClipboard = false;
  int32_t channelChoice = 255;  // MIDI: 255 = first channel seen
  int32_t channelUsed = 0;      // out (MIDI)
  int32_t channelMask = 0;      // out (MIDI): bit n set when channel n carries notes
  int32_t roundedEvents = -1;   // out: events read to the nearest length or key the melody
                                // holds (-1: the reader does not say)
  // out, for the readers that say why a text is not in their format: the place (1-based
  // byte or character of what the reason names, 0 none), the line (1-based, 0 none) and a
  // number the reason names (an unknown command, the event limit).
  int32_t failPosition = 0;
  int32_t failLine = 0;
  int32_t failValue = 0;
  std::string composer;  // out: the composer a file names
  bool hasComposer = false;
  char32_t delimiter = U',';  // in (composer text): between the tokens
  bool readHeader = false;    // in (composer text): a first "Name:... BPM:..." line is read
};

struct WriteResult {
  std::string bytes;        // the rendering (text, or binary for MIDI)
  int32_t resultValue = 0;  // goes to control[4]
  int32_t returnValue = 1;  // what rvmMelo2String returns
};

// Returns 1 on success, anything else is the read's result code.
using ReadFn = int (*)(std::istream& in, Melody& melody, ReadRequest& request);
// Renders melody (the writer may change it: it is the call's own copy). May throw rt_erri.
using WriteFn = void (*)(Melody& melody, WriteTarget target, const FormatOptions& options,
                         WriteResult& out);

}  // namespace rv
