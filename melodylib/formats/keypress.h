// Phone key-press sequences (format 3): writer.
#pragma once

#include <string>

#include "format_api.h"

namespace rv {

// The writer's melody: the composer's limits, keys 57..85 and 24..384 ticks.
class KeypressMelody : public Melody {
 public:
  explicit KeypressMelody(const Melody& source);
};

// What the composer shows for one event: key position (A at 57 = 1 .. C# at 85 = 17),
// sharp, duration code (1 whole .. 5 sixteenth), dot 0..2, and pause entry.
struct ComposerRecord {
  int32_t key = 7;
  int32_t sharp = 0;
  int32_t code = 3;
  int32_t dot = 0;
  bool pause = false;
};

// False when the event's length cannot be entered (no duration, or a note value
// other than 1, 2, 4, 8, 16, 32 and 64).
bool composerRecord(const MelodyEvent& event, ComposerRecord& record);

// Options: element 6 = 2 for keypad codes (else readable labels; default 1), element 7
// = 1 for the header line (default 1), element 8 = first event whose keys are written
// (default 0). Result value: 1 written, 72 / 73 written after the notes were moved /
// moved and clamped into range, 0 no events, -3 an event cannot be entered (nothing
// written). Return value: 1 whenever a text was written, else the same 0 or -3.
void writeKeypress(Melody& melody, WriteTarget target, const FormatOptions& options,
                   WriteResult& out);

}  // namespace rv
