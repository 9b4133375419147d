// Nokia smart-messaging ringtone (format 9): writer.
#pragma once

#include <cstdint>
#include <string>

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

}  // namespace rv
