// MIDI songs on the command line: the channel table, and the melody chosen and fitted
// as a ringtone (`info --channels`, `convert --melody`, `--channel auto`, `--fit`, `--excerpt`).
#pragma once

#include <string>

#include "cli_common.h"
#include "songs/songmelody.h"

namespace cli {

struct SongOptions {
  bool melody = false;     // take the melody line instead of reading one channel as written
  int channel = 0;         // with melody: 1..16, 0 the best-scored channel
  int fitFormatId = 0;     // range-check format to fit into; 0 none
  songs::Excerpt excerpt;  // --excerpt: the hook, the start or bars
};

// Reads a MIDI file (or standard input, "-") and turns its melody into the document; the
// reason goes to error. report (may be null) receives one line on what was chosen and
// changed. Thread-safe for files.
bool readSongMelody(const std::string& path, const SongOptions& options, Document& doc,
                    std::string& error, std::string* report);

// Prints the channel table of a MIDI file; false (with the reason on standard error) when
// the file cannot be read.
bool printChannelTable(const std::string& path);

// "--excerpt hook|start|bars:A-B" into excerpt; false with a message.
bool excerptFromArgument(const char* command, const std::string& text, songs::Excerpt& excerpt);

// "--fit NAME": the range-check format id, or 0 with a message naming the choices.
int fitFormatFromArgument(const char* command, const std::string& name);
// The names --fit takes, blank-separated.
std::string fitNamesHelp();

}  // namespace cli
