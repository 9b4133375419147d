#include "commport.h"

#include <QSerialPortInfo>

#include <algorithm>

namespace {

struct LineSettings {
  qint32 baud = 9600;
  QSerialPort::Parity parity = QSerialPort::NoParity;
  QSerialPort::DataBits dataBits = QSerialPort::Data8;
  QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};

// "speed,parity,data bits,stop bits"; the stop bits may be written "1,5".
bool parseSettings(const QString& text, LineSettings* out) {
  QStringList parts = text.split(',');
  if (parts.size() == 5) parts = {parts[0], parts[1], parts[2], parts[3] + '.' + parts[4]};
  if (parts.size() != 4) return false;
  for (QString& p : parts) p = p.trimmed();
  bool ok = false;
  const int baud = parts[0].toInt(&ok);
  if (!ok || baud <= 0) return false;
  LineSettings s;
  s.baud = baud;
  const QString parity = parts[1].toLower();
  if (parity == "n")
    s.parity = QSerialPort::NoParity;
  else if (parity == "e")
    s.parity = QSerialPort::EvenParity;
  else if (parity == "o")
    s.parity = QSerialPort::OddParity;
  else if (parity == "m")
    s.parity = QSerialPort::MarkParity;
  else if (parity == "s")
    s.parity = QSerialPort::SpaceParity;
  else
    return false;
  const int bits = parts[2].toInt(&ok);
  if (!ok || bits < 5 || bits > 8) return false;
  s.dataBits = static_cast<QSerialPort::DataBits>(bits);
  if (parts[3] == "1")
    s.stopBits = QSerialPort::OneStop;
  else if (parts[3] == "1.5")
    s.stopBits = QSerialPort::OneAndHalfStop;
  else if (parts[3] == "2")
    s.stopBits = QSerialPort::TwoStop;
  else
    return false;
  if (out) *out = s;
  return true;
}

}  // namespace

CommPort::CommPort(QObject* parent) : QObject(parent), port_(new QSerialPort(this)) {
  connect(port_, &QSerialPort::readyRead, this, &CommPort::readIncoming);
  connect(port_, &QSerialPort::errorOccurred, this, &CommPort::handleError);
}

CommPort::~CommPort() {
  if (port_->isOpen()) port_->close();
}

QList<CommPort::Device> CommPort::Devices() {
  QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
  std::sort(infos.begin(), infos.end(), [](const QSerialPortInfo& a, const QSerialPortInfo& b) {
    return a.systemLocation() < b.systemLocation();
  });
  QList<Device> list;
  for (const QSerialPortInfo& info : infos) {
    Device d;
    d.number = static_cast<int>(list.size()) + 1;
    d.path = info.systemLocation();
    d.description = info.description();
    if (d.description.isEmpty()) d.description = info.manufacturer();
    list.append(d);
  }
  return list;
}

QString CommPort::PathOfNumber(int number) {
  const QList<Device> list = Devices();
  return number >= 1 && number <= list.size() ? list[number - 1].path : QString();
}

QString CommPort::ResolvedDevice() const {
  return path_.isEmpty() ? PathOfNumber(number_) : path_;
}

bool CommPort::AcceptsSettings(const QString& text) {
  return parseSettings(text, nullptr);
}

bool CommPort::setSettings(const QString& text) {
  if (!parseSettings(text, nullptr)) return false;
  settings_ = text.trimmed();
  if (port_->isOpen()) return applySettings();
  return true;
}

bool CommPort::setHandshaking(int mode) {
  if (mode < 0 || mode > 3) return false;
  handshaking_ = mode;
  if (port_->isOpen()) return applySettings();
  return true;
}

bool CommPort::applySettings() {
  LineSettings s;
  parseSettings(settings_, &s);
  // The serial driver knows one flow control at a time: "both" runs on RTS/CTS, which
  // governs the line whenever it is on.
  const QSerialPort::FlowControl flow = handshaking_ == 1   ? QSerialPort::SoftwareControl
                                        : handshaking_ >= 2 ? QSerialPort::HardwareControl
                                                            : QSerialPort::NoFlowControl;
  const bool ok = port_->setBaudRate(s.baud) && port_->setParity(s.parity) &&
                  port_->setDataBits(s.dataBits) && port_->setStopBits(s.stopBits) &&
                  port_->setFlowControl(flow);
  if (!ok) error_ = port_->errorString();
  return ok;
}

bool CommPort::PortOpen() const {
  return port_->isOpen();
}

bool CommPort::setPortOpen(bool open) {
  if (!open) {
    if (port_->isOpen()) port_->close();
    input_.clear();
    return true;
  }
  if (port_->isOpen()) return true;
  error_.clear();
  const QString device = ResolvedDevice();
  if (device.isEmpty()) {
    error_ = tr("There is no serial port number %1 on this computer.").arg(number_);
    return false;
  }
  port_->setPortName(device);
  if (!port_->open(QIODevice::ReadWrite)) {
    error_ = device + QStringLiteral(": ") + port_->errorString();
    return false;
  }
  if (!applySettings()) {
    error_ = device + QStringLiteral(": ") + error_;
    port_->close();
    return false;
  }
  input_.clear();
  port_->clear(QSerialPort::AllDirections);
  return true;
}

void CommPort::setInBufferCount(int n) {
  if (n != 0) return;
  input_.clear();
  if (port_->isOpen()) {
    port_->clear(QSerialPort::Input);
    port_->readAll();  // what Qt had read already
  }
}

bool CommPort::Output(const QByteArray& data) {
  if (!port_->isOpen()) return false;
  if (port_->bytesToWrite() + data.size() > outBufferSize_) {
    raise(comEventTxFull);
    return false;
  }
  return port_->write(data) == data.size();
}

QByteArray CommPort::Input() {
  QByteArray data;
  data.swap(input_);
  return data;
}

void CommPort::raise(int code) {
  event_ = code;
  emit OnComm();
}

void CommPort::readIncoming() {
  const QByteArray data = port_->readAll();
  if (data.isEmpty()) return;
  const qsizetype room = std::max<qsizetype>(0, inBufferSize_ - input_.size());
  input_.append(data.left(room));
  if (room > 0) raise(comEvReceive);
  if (data.size() > room) raise(comEventRxOver);
}

void CommPort::handleError(QSerialPort::SerialPortError error) {
  if (error == QSerialPort::NoError) return;
  error_ = port_->errorString();
  // A device that went away fails every read and write from then on (a USB cable says
  // so with a resource error, a closed pseudo-terminal with read errors): the port is
  // closed rather than left polling a dead line.
  const bool lost = error == QSerialPort::ResourceError || error == QSerialPort::ReadError ||
                    error == QSerialPort::WriteError;
  if (lost && port_->isOpen()) {
    port_->close();
    raise(comEventPortLost);
  }
}
