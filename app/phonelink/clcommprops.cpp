#include "clcommprops.h"

#include <limits>

#include "settings/settingsstore.h"

using pxsettings::Key;

namespace {

const QStringList& acceptedBauds() {
  static const QStringList list = {"110",    "300",    "600",    "1200",  "2400",  "4800",
                                   "9600",   "19200",  "28800",  "38400", "56000", "57600",
                                   "115200", "128000", "256000", "460800"};
  return list;
}

int16_t clamp16(int value) {
  if (value > std::numeric_limits<int16_t>::max()) return std::numeric_limits<int16_t>::max();
  if (value < std::numeric_limits<int16_t>::min()) return std::numeric_limits<int16_t>::min();
  return static_cast<int16_t>(value);
}

// A stored number; text that is no number gives `fallback`.
int storedInt(const pxsettings::SettingsStore& store, Key key, int fallback) {
  int n = 0;
  return pxsettings::parseInt(store.text(key), &n) ? n : fallback;
}

}  // namespace

void clCommProps::Init() {
  port_ = 1;
  portPath_.clear();
  baud_ = QStringLiteral("9600");
  dataBits_ = 8;
  parity_ = QStringLiteral("none");
  stopBits_ = QStringLiteral("1");
  handshaking_ = 0;
  localEcho_ = false;
  maxLine_ = 0;
  memRead_ = QStringLiteral("MT");
  memOut_.clear();
  memIn_.clear();
}

void clCommProps::setBaud(const QString& value) {
  baud_ = acceptedBauds().contains(value) ? value : QStringLiteral("9600");
}

void clCommProps::setDataBits(int value) {
  dataBits_ = value >= 4 && value <= 8 ? value : 8;
}

void clCommProps::setParity(const QString& value) {
  const QString lower = value.toLower();
  const QChar first = lower.isEmpty() ? QChar() : lower[0];
  const bool known = first == 'e' || first == 'm' || first == 'n' || first == 'o' || first == 's';
  parity_ = known ? lower : QStringLiteral("n");
}

void clCommProps::setStopBits(const QString& value) {
  const bool known = value == "1" || value == "1.5" || value == "1,5" || value == "2";
  stopBits_ = known ? value : QStringLiteral("1");
}

void clCommProps::setHandshaking(int value) {
  handshaking_ = value >= 0 && value <= 3 ? value : 0;
}

void clCommProps::setMaxATLineSizeSMS(int value) {
  maxLine_ = value < 0 ? 0 : clamp16(value);
}

void clCommProps::setSMSMemRead(const QString& value) {
  memRead_ = value.isEmpty() ? QStringLiteral("MT") : value;
}

QString clCommProps::getmsoptions() const {
  return baud_.trimmed() + ',' + parity_.left(1).trimmed() + ',' +
         QString::number(dataBits_).trimmed() + ',' + stopBits_.trimmed();
}

bool clCommProps::setmsoptions(const QString& sData) {
  // speed,parity,databits,stopbits; the stop bits may themselves be "1,5".
  const QStringList parts = sData.split(',');
  if (parts.size() < 4 || parts[0].isEmpty() || parts[1].isEmpty() || parts[2].isEmpty())
    return false;
  baud_ = parts[0];
  parity_ = parts[1].left(1);
  // The data bits are the one character after the parity's comma, as a number.
  bool ok = false;
  const int bits = parts[2].left(1).toInt(&ok);
  dataBits_ = ok ? bits : 0;
  stopBits_ = parts.mid(3).join(',');
  return true;
}

QString clCommProps::GetCPMSMem() const {
  QString list;
  if (!memRead_.isEmpty()) list = '"' + memRead_ + '"';
  if (!memOut_.isEmpty()) {
    list += QStringLiteral(",\"") + memOut_ + '"';
    if (!memIn_.isEmpty()) list += QStringLiteral(",\"") + memIn_ + '"';
  }
  return list;
}

void clCommProps::ImportClass(const clCommProps& from) {
  from.ExportClass(*this);
}

void clCommProps::ExportClass(clCommProps& to) const {
  to.setBaud(Baud());
  to.setDataBits(DataBits());
  to.setHandshaking(Handshaking());
  to.setLocalEcho(LocalEcho());
  to.setParity(Parity());
  to.setPort(Port());
  to.setPortPath(PortPath());
  to.setStopBits(StopBits());
  to.setSMSMemRead(SMSMemRead());
  to.setSMSMemOut(SMSMemOut());
  to.setSMSMemIn(SMSMemIn());
}

void clCommProps::RegSave(pxsettings::SettingsStore& store) const {
  store.setText(Key::ComPort, QString::number(port_));
  store.setText(Key::CommSettings, getmsoptions());
  store.setText(Key::Baud, baud_);
  store.setText(Key::DataBits, QString::number(dataBits_));
  store.setText(Key::Parity, parity_);
  store.setText(Key::StopBits, stopBits_);
  store.setText(Key::Handshaking, QString::number(handshaking_));
  store.setText(Key::LocalEcho, localEcho_ ? QStringLiteral("True") : QStringLiteral("False"));
  store.setText(Key::MaxLineSMSSize, QString::number(maxLine_));
  store.setText(Key::SMSMemRead, memRead_);
  store.setText(Key::SMSMemOut, memOut_);
  store.setText(Key::SMSMemIn, memIn_);
  store.setText(Key::ComDevice, portPath_);
}

void clCommProps::RegLoad(const pxsettings::SettingsStore& store) {
  // Through the checked setters, so stored values are validated as on assignment.
  setPort(clamp16(storedInt(store, Key::ComPort, 1)));
  setBaud(store.text(Key::Baud).trimmed());
  setDataBits(storedInt(store, Key::DataBits, 8));
  setParity(store.text(Key::Parity).trimmed());
  setStopBits(store.text(Key::StopBits).trimmed());
  setHandshaking(storedInt(store, Key::Handshaking, 2));
  bool echo = false;
  setLocalEcho(pxsettings::parseBool(store.text(Key::LocalEcho), &echo) && echo);
  setMaxATLineSizeSMS(storedInt(store, Key::MaxLineSMSSize, 0));
  setSMSMemRead(store.text(Key::SMSMemRead));
  setSMSMemOut(store.text(Key::SMSMemOut));
  setSMSMemIn(store.text(Key::SMSMemIn));
  setPortPath(store.text(Key::ComDevice));
}

QStringList clCommProps::BaudList() {
  QStringList list = acceptedBauds();
  list.insert(list.indexOf("9600") + 1, QStringLiteral("14400"));  // offered, stored as 9600
  return list;
}
QStringList clCommProps::ParityList() {
  return {"even", "odd", "none", "mark", "space"};
}
QStringList clCommProps::StopBitsList() {
  return {"1", "1.5", "2"};
}
QStringList clCommProps::DataBitsList() {
  return {"4", "5", "6", "7", "8"};
}
QStringList clCommProps::MaxATLineSizeList() {
  return {"default", "60"};
}
QStringList clCommProps::ReadMemList() {
  return {"MT", "ME", "SM", "OM"};
}
QStringList clCommProps::SendMemList() {
  return {"MT", "ME", "SM", "OM", "DM"};
}
QStringList clCommProps::ReceiveMemList() {
  return {"MT", "ME", "SM", "IM"};
}
