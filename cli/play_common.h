// What play and render share: the melody read from a file with the playback options
// applied as the note view applies them.
#pragma once

#include <string>

#include "cli_common.h"
#include "melody/pxvbmelody.h"

namespace cli {

struct PlaybackSetup {
  pxvbMelody melody;
  bool ignoreVolume = false;
  int program = 0;    // General MIDI instrument 0..127
  QString soundFont;  // --soundfont, else the one chosen in the options; empty: the system's
};

// Checks that `positional` arguments are left, then reads the first, INPUT (format by --from or its
// extension) and applies --instrument, --tempo (below 1 plays at 120, above 999 at 999), --style
// --ignore-volume and --soundfont; any option the caller has not asked for by then is refused.
// Prints why and returns 1 or 2 (exit status) on failure, 0 on success. The instrument defaults to
// the stored one.
int preparePlayback(const char* command, Args& args, size_t positional, PlaybackSetup& setup);
// The help lines of those options.
extern const char* const kPlaybackOptionsHelp;

}  // namespace cli
