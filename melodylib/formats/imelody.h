// iMelody (format 14): writer.
#pragma once

#include <cstdint>
#include <string>

#include "format_api.h"

namespace rv {

// The iMelody writer's melody: keys 24..131, durations 12..627 ticks.
class ImelodyMelody : public Melody {
 public:
  ImelodyMelody();
};

// Character limit of the string export (an EMS sound element).
constexpr int32_t kImelodyStringLimit = 122;

// Renders the iMelody text of melody; limit 0 means none. With a limit the text, trailer
// included, never exceeds it: the melody is cut after the last token that fits.
std::string renderImelody(const Melody& melody, int32_t limit);

// File and clipboard: the whole melody as it is. String: notes first fitted into keys
// 72..107 (whole octaves where possible), text limited to 122 characters. Result 1.
void writeImelody(Melody& melody, WriteTarget target, const FormatOptions& options,
                  WriteResult& out);

}  // namespace rv
