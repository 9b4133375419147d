// pealix-cli ports: the serial devices of this computer with the numbers that --port and
// the data-cable window's port list give them.
#include <QString>

#include <iostream>

#include "commands.h"
#include "phonelink/commport.h"

namespace cli {

void helpPorts() {
  std::cout << "usage: pealix-cli ports\n\n"
               "Lists the serial devices, one a line: the port number, the device path and\n"
               "what the system says it is. 'pealix-cli send --port N' takes the number or\n"
               "the path; a USB cable is usually /dev/ttyUSB0 or /dev/ttyACM0.\n";
}

int runPorts(int argc, char** argv) {
  (void)argv;
  if (argc > 1) {
    return 2;
  }
  QString error;
  const QList<CommPort::Device> devices = CommPort::Devices(&error);
  if (!error.isEmpty()) {
    std::cerr << "pealix-cli ports: " << error.toStdString() << "\n";
    return 1;
  }
  if (devices.isEmpty()) {
    std::cout << "no serial ports found\n";
    return 0;
  }
  for (const CommPort::Device& d : devices) {
    std::cout << d.number << "\t" << d.path.toStdString();
    if (!d.description.isEmpty()) std::cout << "\t" << d.description.toStdString();
    std::cout << "\n";
  }
  return 0;
}

}  // namespace cli
