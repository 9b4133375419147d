// Batch conversion: many files, folders or collection files (one RTTTL tune per line)
// into one output folder, on all cores.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli_common.h"
#include "song_input.h"

namespace cli {

struct BatchSettings {
  const CliFormat* from = nullptr;  // null: each file's extension decides
  const CliFormat* to = nullptr;
  std::vector<int32_t> options;  // control elements 6..8 of the writer
  std::string outDir;
  bool eachLine = false;        // every non-empty line of an input is one RTTTL tune
  bool progress = true;         // a progress bar, when standard error is a terminal
  int jobs = 0;                 // worker threads; 0: one per core
  int32_t channel = 255;        // MIDI inputs: 0-based channel, 255 the first with notes
  std::string delimiter = " ";  // composer text inputs
  SongOptions song;             // MIDI inputs: the melody line instead of one channel
};

// Converts every input and prints each failure (file, line and reason) on standard error
// and a summary line on standard output. Every output is written to a temporary file in
// the output folder and renamed into place when complete. Returns the exit status: 0 all
// converted, 1 any input failed.
int runBatch(const BatchSettings& settings, const std::vector<std::string>& inputs);

// A tune name made into a file name: letters, digits, '-' and '_' kept, every other run of
// characters becomes one '_', none at either end, at most 80 characters; empty when
// nothing is left.
std::string safeFileName(const std::string& name);

}  // namespace cli
