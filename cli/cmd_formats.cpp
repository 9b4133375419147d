#include <algorithm>
#include <iomanip>
#include <iostream>

#include "cli_common.h"
#include "commands.h"
#include "melody/rvmelodyapi.h"

namespace cli {

void helpFormats() {
  std::cout << "usage: pealix-cli formats\n\n"
               "Lists every format with its id, whether it can be read and written, and the\n"
               "file extensions that choose it.\n";
}

int runFormats(int, char**) {
  if (!loadLibrary()) return 1;
  RvMelodyApi& api = RvMelodyApi::instance();
  std::cout << std::left << std::setw(10) << "name" << std::setw(4) << "id" << std::setw(6)
            << "read" << std::setw(7) << "write" << std::setw(16) << "extensions"
            << "description\n";
  for (const CliFormat& f : formats()) {
    int32_t support = isAppFormat(f) ? appFormatSupport(f) : api.rvtMeloSupport(f.id);
    if (appReaderFor(f))
      support = std::max(support, 0) | RV_SUPPORT_READ;  // read from the file's bytes
    const std::string extensions = extensionsOf(f);
    std::cout << std::setw(10) << f.name << std::setw(4) << f.id << std::setw(6)
              << (support > 0 && (support & RV_SUPPORT_READ) ? "yes" : "-") << std::setw(7)
              << (support > 0 && (support & RV_SUPPORT_WRITE) ? "yes" : "-") << std::setw(16)
              << extensions << f.description << "\n";
  }
  return 0;
}

}  // namespace cli
