// Motorola text (format 12): writer (file and clipboard only).
#pragma once

#include <string>

#include "format_api.h"

namespace rv {

// The writer's melody: keys 59..89, durations 36..192 ticks at 96 per quarter.
class MotorolaMelody : public Melody {
 public:
  explicit MotorolaMelody(const Melody& source);
};

// Bits of the Motorola option word (control element 6, element 7 shifted left by 2).
constexpr int32_t kMotoHeaderTrailer = 1;  // "L35&" header and "&&" check trailer
constexpr int32_t kMotoNoTokenLimit = 2;   // write all tokens, not only the first 35
constexpr int32_t kMotoBlankBefore = 4;    // a blank before each token

// The one token of a note or pause (duration above 0) at 96 ticks per quarter.
std::string motorolaToken(const MelodyEvent& event, int32_t wholeTicks);
char motorolaTempoDigit(int32_t bpm);

// Result value: tokens written. Return value: 1, or -1 when no token was written.
void writeMotorola(Melody& melody, WriteTarget target, const FormatOptions& options,
                   WriteResult& out);

}  // namespace rv
