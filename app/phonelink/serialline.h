// What the serial side of the device plugin offers (devices/deviceplugin.h): the list of
// the system's serial devices and a line to one of them. CommPort works on this interface;
// the plugin alone links the serial port library.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

// Bumped whenever the interface below changes; a plugin built for another version is
// refused.
inline constexpr int kSerialInterfaceVersion = 1;
// The plugin's entry function: SerialSystem* pealixSerialSystem(int version).
inline constexpr char kSerialEntry[] = "pealixSerialSystem";

// The line settings in plain numbers: speed, parity 'n', 'e', 'o', 'm' or 's', data bits
// 5..8, stop bits 10 (one), 15 (one and a half) or 20 (two), flow 0 none, 1 XON/XOFF,
// 2 RTS/CTS.
struct SerialLineSettings {
  int baud = 9600;
  char parity = 'n';
  int dataBits = 8;
  int stopBitsTenths = 10;
  int flow = 0;
};

struct SerialDeviceInfo {
  QString path;
  QString description;
  QString manufacturer;
};

class SerialLine {
 public:
  // What the line reports, on the thread that owns it, while the event loop runs.
  struct Events {
    std::function<void()> readyRead;
    // An error of the line; lost is true when the device went away (a USB cable
    // unplugged, a pseudo-terminal closed): the line is closed then.
    std::function<void(bool lost, const QString& text)> failed;
  };

  virtual ~SerialLine() = default;
  // Opens the device for reading and writing; false with the reason in error.
  virtual bool open(const QString& device, QString* error) = 0;
  virtual void close() = 0;
  virtual bool isOpen() const = 0;
  // Applies the settings to the open line; false with the reason in error.
  virtual bool configure(const SerialLineSettings& settings, QString* error) = 0;
  // Empties the driver's buffers.
  virtual void clear(bool input, bool output) = 0;
  virtual qint64 bytesToWrite() const = 0;
  virtual qint64 write(const QByteArray& data) = 0;
  virtual QByteArray readAll() = 0;
};

class SerialSystem {
 public:
  virtual ~SerialSystem() = default;
  virtual QList<SerialDeviceInfo> devices() = 0;
  virtual std::unique_ptr<SerialLine> newLine(SerialLine::Events events) = 0;
};

// The plugin's serial system, loading the plugin on the first call; null with the reason
// in error when the plugin is missing or was built for another version.
SerialSystem* serialSystem(QString* error);
