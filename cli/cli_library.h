// What the parts of pealix-cli share about the melody library beyond cli_common.h: the
// per-thread hook state and the calls through its read and string exports.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <QByteArray>

#include "cli_common.h"

namespace cli {

// The clipboard hooks carry standard input (or one tune of a collection) in and a
// rendering out. Each thread has its own, so a batch converts on all cores at once.
struct HookState {
  std::string clipboardIn;
  bool hasClipboardIn = false;
  std::string clipboardOut;
  std::string libraryMessage;  // the last message the library showed, not yet reported
};

HookState& hookState();

// Reads through rvmReadMelo, growing the records until the whole melody fits.
bool readThroughLibrary(const std::string& path, int32_t source, const CliFormat& format,
                        int32_t channel, Document& doc, std::string& error);

// The title as the writer of a format takes it: ASCII for the phone text formats.
QByteArray writerTitle(const Document& doc, int32_t formatId);

// The library's string rendering; a buffer that turns out too small (217 with the needed
// length) is grown once and the call repeated.
int32_t melo2String(const Document& doc, std::vector<int32_t>& control, std::string& out);

}  // namespace cli
