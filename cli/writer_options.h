// The writers' format options by name (control elements 6, 7 and 8 of the library's
// control array), with --option6/7/8 kept for the raw values.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli_common.h"

namespace cli {

// Takes every named option and --option6/7/8 from args and composes elements 6..8 for the
// output format. False with the reason in error (a usage error) when an option does not
// belong to the format, is given twice for one element, or has a bad value.
bool writerOptions(Args& args, const CliFormat& format, std::vector<int32_t>& options,
                   std::string& error);

// Takes the values of the options that have one out of the positional arguments (call
// before looking at them; writerOptions reads them later).
void claimWriterOptionValues(Args& args);

// The help lines of the named options, grouped by format.
std::string writerOptionsHelp();

}  // namespace cli
