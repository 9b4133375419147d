// clCommProps: the serial line and the phone's message stores. Every assignment checks
// its value and silently replaces a rejected one by the property's default.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

namespace pxsettings {
class SettingsStore;
}

class clCommProps {
 public:
  clCommProps() { Init(); }

  // The defaults: port 1, 9600 baud, 8 data bits, no parity, 1 stop bit, no handshaking,
  // no echo, PDU text in one line, stores "MT", none, none.
  void Init();

  int16_t Port() const { return port_; }
  // Choosing another port number drops a device path given before.
  void setPort(int16_t value) {
    if (value != port_) portPath_.clear();
    port_ = value;
  }
  // A device path (a USB cable's /dev/ttyUSB0, a pseudo-terminal) given instead of the
  // port number; empty when the number chooses the device.
  QString PortPath() const { return portPath_; }
  void setPortPath(const QString& value) { portPath_ = value.trimmed(); }
  QString Baud() const { return baud_; }
  void setBaud(const QString& value);  // one of the accepted speeds, else "9600"
  int16_t DataBits() const { return dataBits_; }
  void setDataBits(int value);  // 4..8, else 8
  QString Parity() const { return parity_; }
  void setParity(const QString& value);  // lower-cased; first letter e, m, n, o or s, else "n"
  QString StopBits() const { return stopBits_; }
  void setStopBits(const QString& value);  // "1", "1.5", "1,5", "2", else "1"
  int16_t Handshaking() const { return handshaking_; }
  void setHandshaking(int value);  // 0 none, 1 XON/XOFF, 2 RTS/CTS, 3 both; else 0
  bool LocalEcho() const { return localEcho_; }
  void setLocalEcho(bool value) { localEcho_ = value; }
  int16_t MaxATLineSizeSMS() const { return maxLine_; }
  void setMaxATLineSizeSMS(int value);  // negative gives 0 (all in one line)
  QString SMSMemRead() const { return memRead_; }
  void setSMSMemRead(const QString& value);  // empty gives "MT"
  QString SMSMemOut() const { return memOut_; }
  void setSMSMemOut(const QString& value) { memOut_ = value; }
  QString SMSMemIn() const { return memIn_; }
  void setSMSMemIn(const QString& value) { memIn_ = value; }

  // The port's settings text, e.g. "9600,n,8,1".
  QString getmsoptions() const;
  // The reverse of getmsoptions: stores speed, parity, data bits and stop bits as given,
  // without the checks. False (nothing changed) for a text that is not of that form.
  bool setmsoptions(const QString& sData);
  // The store list of "AT+CPMS=", e.g. "MT","SM","ME" (with the double quotes).
  QString GetCPMSMem() const;

  // Copy ten properties and the device path from / to another object through the checked
  // setters; MaxATLineSizeSMS stays.
  void ImportClass(const clCommProps& from);
  void ExportClass(clCommProps& to) const;

  // Section "Comm" of the settings store.
  void RegSave(pxsettings::SettingsStore& store) const;
  void RegLoad(const pxsettings::SettingsStore& store);

  // Value lists of the windows' list fillers.
  static QStringList BaudList();  // the 17 speeds offered, "14400" among them
  static QStringList ParityList();
  static QStringList StopBitsList();
  static QStringList DataBitsList();
  static QStringList MaxATLineSizeList();  // "default", "60"
  int MaxATLineSizeIndex() const { return maxLine_ >= 1 ? 1 : 0; }
  static QStringList ReadMemList();
  static QStringList SendMemList();
  static QStringList ReceiveMemList();
  // The settings the data-cable window falls back to when the port refuses ours.
  static QString FallbackSettings() { return QStringLiteral("19200,n,8,1"); }

 private:
  int16_t port_ = 1;
  QString portPath_;
  QString baud_;
  int16_t dataBits_ = 8;
  QString parity_;
  QString stopBits_;
  int16_t handshaking_ = 0;
  bool localEcho_ = false;
  int16_t maxLine_ = 0;
  QString memRead_;
  QString memOut_;
  QString memIn_;
};
