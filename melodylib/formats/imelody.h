// iMelody (format 14): writer, reader and the token count of a rendering.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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

// Reads an iMelody text (UTF-8, else ISO 8859-1; a byte order mark is passed over): the
// events, the tempo (BEAT, else 120) and the name, and COMPOSER into request.composer when
// the text has one. STYLE and VOLUME lines become a style and a volume change before the
// first note. Folded lines (a line break followed by a blank) are joined; LED, vibration
// and backlight elements are skipped; a repeat block "(...@n)" is played n times (n = 0,
// endless, plays it once). Returns 1, or one of RV_IMELODY_* (rvmelody.h) with
// request.failLine, failPosition and failValue saying where and what.
int readImelody(std::istream& in, Melody& melody, ReadRequest& request);

// The notes and rests, and with volumes the volume changes, in the melody part of an
// iMelody text (the line that begins "MELODY:" up to "END:IMELODY").
int32_t countImelodyTokens(std::string_view imelody, bool volumes);

}  // namespace rv
