// Linked into every app test: the tests run from their own folder, take the device plugin
// from the application directory of the build, and run in a fixed locale (the first start
// follows the desktop's language; the tests that check that set their own).
#include <cstdlib>

#include "devices/deviceplugin.h"

namespace {

const bool kPluginDirSet = [] {
  pxdevices::setDirectory(QStringLiteral(PEALIX_BIN_DIR));
  return true;
}();

// Before main, so before any application object reads the locale. (ctest could pass only
// one variable through the discovered tests' properties.)
const bool kLocaleFixed = [] { return setenv("LC_ALL", "C.UTF-8", 1) == 0; }();

}  // namespace
