#include "commport.h"

#include <algorithm>

#include "phonelink/serialline.h"

namespace {

// "speed,parity,data bits,stop bits"; the stop bits may be written "1,5".
bool parseSettings(const QString& text, SerialLineSettings* out) {
  QStringList parts = text.split(',');
  if (parts.size() == 5) parts = {parts[0], parts[1], parts[2], parts[3] + '.' + parts[4]};
  if (parts.size() != 4) return false;
  for (QString& p : parts) p = p.trimmed();
  bool ok = false;
  const int baud = parts[0].toInt(&ok);
  if (!ok || baud <= 0) return false;
  SerialLineSettings s;
  s.baud = baud;
  const QString parity = parts[1].toLower();
  if (parity.size() != 1 || !QStringLiteral("neoms").contains(parity)) return false;
  s.parity = parity.at(0).toLatin1();
  const int bits = parts[2].toInt(&ok);
  if (!ok || bits < 5 || bits > 8) return false;
  s.dataBits = bits;
  if (parts[3] == "1")
    s.stopBitsTenths = 10;
  else if (parts[3] == "1.5")
    s.stopBitsTenths = 15;
  else if (parts[3] == "2")
    s.stopBitsTenths = 20;
  else
    return false;
  if (out) *out = s;
  return true;
}

}  // namespace

CommPort::CommPort(QObject* parent) : QObject(parent) {}

CommPort::~CommPort() = default;

QList<CommPort::Device> CommPort::Devices(QString* error) {
  SerialSystem* system = serialSystem(error);
  if (!system) return {};
  QList<SerialDeviceInfo> infos = system->devices();
  std::sort(infos.begin(), infos.end(),
            [](const SerialDeviceInfo& a, const SerialDeviceInfo& b) { return a.path < b.path; });
  QList<Device> list;
  for (const SerialDeviceInfo& info : infos) {
    Device d;
    d.number = static_cast<int>(list.size()) + 1;
    d.path = info.path;
    d.description = info.description.isEmpty() ? info.manufacturer : info.description;
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
  if (lineOpen()) return applySettings();
  return true;
}

bool CommPort::setHandshaking(int mode) {
  if (mode < 0 || mode > 3) return false;
  handshaking_ = mode;
  if (lineOpen()) return applySettings();
  return true;
}

bool CommPort::lineOpen() const {
  return line_ && line_->isOpen();
}

bool CommPort::applySettings() {
  SerialLineSettings s;
  parseSettings(settings_, &s);
  // The serial driver knows one flow control at a time: "both" runs on RTS/CTS, which
  // governs the line whenever it is on.
  s.flow = handshaking_ == 1 ? 1 : handshaking_ >= 2 ? 2 : 0;
  return line_->configure(s, &error_);
}

bool CommPort::PortOpen() const {
  return lineOpen();
}

bool CommPort::setPortOpen(bool open) {
  if (!open) {
    if (line_) line_->close();
    input_.clear();
    return true;
  }
  if (lineOpen()) return true;
  error_.clear();
  if (!line_) {
    SerialSystem* system = serialSystem(&error_);
    if (!system) return false;
    line_ = system->newLine({[this] { readIncoming(); },
                             [this](bool lost, const QString& text) { lineFailed(lost, text); }});
  }
  const QString device = ResolvedDevice();
  if (device.isEmpty()) {
    error_ = tr("There is no serial port number %1 on this computer.").arg(number_);
    return false;
  }
  QString why;
  if (!line_->open(device, &why)) {
    error_ = device + QStringLiteral(": ") + why;
    return false;
  }
  if (!applySettings()) {
    error_ = device + QStringLiteral(": ") + error_;
    line_->close();
    return false;
  }
  input_.clear();
  line_->clear(true, true);
  return true;
}

void CommPort::setInBufferCount(int n) {
  if (n != 0) return;
  input_.clear();
  if (lineOpen()) {
    line_->clear(true, false);
    line_->readAll();  // what had been read already
  }
}

bool CommPort::Output(const QByteArray& data) {
  if (!lineOpen()) return false;
  if (line_->bytesToWrite() + data.size() > outBufferSize_) {
    raise(comEventTxFull);
    return false;
  }
  return line_->write(data) == data.size();
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
  const QByteArray data = line_->readAll();
  if (data.isEmpty()) return;
  const qsizetype room = std::max<qsizetype>(0, inBufferSize_ - input_.size());
  input_.append(data.left(room));
  if (room > 0) raise(comEvReceive);
  if (data.size() > room) raise(comEventRxOver);
}

void CommPort::lineFailed(bool lost, const QString& text) {
  error_ = text;
  if (lost) raise(comEventPortLost);
}
