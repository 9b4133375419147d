// The serial port box of the options window: the port numbers with the devices found on
// this system (as "pealix-cli ports" lists them), and what a typed or chosen entry means.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "phonelink/commport.h"

namespace portchoice {

// "1" .. "n" for n = max(minimum, number of devices); a number with a device reads
// "n: path (description)".
QStringList Entries(const QList<CommPort::Device>& devices, int minimum);

// A port number (path empty), or a device path typed in; port 0 and no path for an empty
// text.
struct Choice {
  int port = 0;
  QString path;
};
Choice Parse(const QString& text);

}  // namespace portchoice
