#include "phonelink/serialline.h"

#include "devices/deviceplugin.h"

SerialSystem* serialSystem(QString* error) {
  using Entry = SerialSystem* (*)(int);
  const auto fn = reinterpret_cast<Entry>(pxdevices::entry(kSerialEntry, error));
  if (!fn) return nullptr;
  SerialSystem* system = fn(kSerialInterfaceVersion);
  if (!system && error)
    *error = QStringLiteral(
                 "The sound and serial plugin %1 was built for another version of "
                 "the program.")
                 .arg(pxdevices::pluginPath());
  return system;
}
