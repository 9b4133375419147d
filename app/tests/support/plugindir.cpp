// Linked into every app test: the tests run from their own folder, and take the device
// plugin from the application directory of the build.
#include "devices/deviceplugin.h"

namespace {

const bool kPluginDirSet = [] {
  pxdevices::setDirectory(QStringLiteral(PEALIX_BIN_DIR));
  return true;
}();

}  // namespace
