// The serial side of the device plugin: Qt SerialPort behind SerialLine.
#include <QSerialPort>
#include <QSerialPortInfo>

#include "phonelink/serialline.h"

namespace pxplugin {

namespace {

QSerialPort::Parity parityOf(char p) {
  switch (p) {
    case 'e':
      return QSerialPort::EvenParity;
    case 'o':
      return QSerialPort::OddParity;
    case 'm':
      return QSerialPort::MarkParity;
    case 's':
      return QSerialPort::SpaceParity;
    default:
      return QSerialPort::NoParity;
  }
}

QSerialPort::StopBits stopBitsOf(int tenths) {
  return tenths == 15   ? QSerialPort::OneAndHalfStop
         : tenths == 20 ? QSerialPort::TwoStop
                        : QSerialPort::OneStop;
}

QSerialPort::FlowControl flowOf(int flow) {
  return flow == 1   ? QSerialPort::SoftwareControl
         : flow == 2 ? QSerialPort::HardwareControl
                     : QSerialPort::NoFlowControl;
}

class QtSerialLine : public SerialLine {
 public:
  explicit QtSerialLine(Events events) : events_(std::move(events)) {
    QObject::connect(&port_, &QSerialPort::readyRead, &port_, [this] {
      if (events_.readyRead) events_.readyRead();
    });
    QObject::connect(&port_, &QSerialPort::errorOccurred, &port_,
                     [this](QSerialPort::SerialPortError e) { onError(e); });
  }
  ~QtSerialLine() override {
    if (port_.isOpen()) port_.close();
  }
  bool open(const QString& device, QString* error) override {
    port_.setPortName(device);
    if (port_.open(QIODevice::ReadWrite)) return true;
    if (error) *error = port_.errorString();
    return false;
  }
  void close() override {
    if (port_.isOpen()) port_.close();
  }
  bool isOpen() const override { return port_.isOpen(); }
  bool configure(const SerialLineSettings& s, QString* error) override {
    const bool ok = port_.setBaudRate(s.baud) && port_.setParity(parityOf(s.parity)) &&
                    port_.setDataBits(static_cast<QSerialPort::DataBits>(s.dataBits)) &&
                    port_.setStopBits(stopBitsOf(s.stopBitsTenths)) &&
                    port_.setFlowControl(flowOf(s.flow));
    if (!ok && error) *error = port_.errorString();
    return ok;
  }
  void clear(bool input, bool output) override {
    if (!port_.isOpen()) return;
    if (input && output)
      port_.clear(QSerialPort::AllDirections);
    else if (input)
      port_.clear(QSerialPort::Input);
    else if (output)
      port_.clear(QSerialPort::Output);
  }
  qint64 bytesToWrite() const override { return port_.bytesToWrite(); }
  qint64 write(const QByteArray& data) override { return port_.write(data); }
  QByteArray readAll() override { return port_.readAll(); }

 private:
  void onError(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::NoError) return;
    // A device that went away fails every read and write from then on (a USB cable says
    // so with a resource error, a closed pseudo-terminal with read errors): the line is
    // closed rather than left polling a dead device.
    const bool lost = error == QSerialPort::ResourceError || error == QSerialPort::ReadError ||
                      error == QSerialPort::WriteError;
    const QString text = port_.errorString();
    const bool wasOpen = port_.isOpen();
    if (lost && wasOpen) port_.close();
    if (events_.failed) events_.failed(lost && wasOpen, text);
  }

  Events events_;
  QSerialPort port_;
};

class QtSerialSystem : public SerialSystem {
 public:
  QList<SerialDeviceInfo> devices() override {
    QList<SerialDeviceInfo> list;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
      list.append({info.systemLocation(), info.description(), info.manufacturer()});
    return list;
  }
  std::unique_ptr<SerialLine> newLine(SerialLine::Events events) override {
    return std::make_unique<QtSerialLine>(std::move(events));
  }
};

}  // namespace

}  // namespace pxplugin

extern "C" __attribute__((visibility("default"))) SerialSystem* pealixSerialSystem(int version) {
  static pxplugin::QtSerialSystem system;
  return version == kSerialInterfaceVersion ? &system : nullptr;
}
