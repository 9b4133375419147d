// Writing an export's bytes to a file without ever leaving a half-written file behind.
#pragma once

#include <string>

namespace rv {

// A regular file (or a new one) is written to a temporary file in the same folder that
// replaces it only once every byte was written; a target that exists and is not a regular
// file (a device, a pipe) is written directly. Returns 1, or 51 when the file or its
// temporary file cannot be opened; throws RVXFileErrWrite (53) when writing, closing or
// replacing fails, in which case an existing file is as it was and no file is created.
int writeFileReplacing(const std::string& path, const std::string& bytes);

}  // namespace rv
