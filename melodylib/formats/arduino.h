// Arduino header (format 22): writer. A C header for a piezo buzzer: the melody as two
// arrays, each note's frequency in hertz (0 for a rest) and each event's length in
// milliseconds at the melody's tempo, with their length, the tempo and the title, and a
// tone() loop in a comment. The arrays go to program memory (PROGMEM) where the compiler
// has it; the header compiles as C and C++, with or without the Arduino headers.
#pragma once

#include "format_api.h"

namespace rv {

// The longest entry; a longer event continues in further entries.
constexpr int32_t kArduinoMaxMs = 65535;

// Result value: entries written. Return value: 1.
void writeArduino(Melody& melody, WriteTarget target, const FormatOptions& options,
                  WriteResult& out);

}  // namespace rv
