// CommPort: the serial line to the phone behind the properties and the one communication
// event the data-cable sessions work with (port number, settings text, handshaking, open
// state, input-buffer count, output, input, event code). Port number n is the n-th serial
// device of the system's list; a device path (a USB cable, a pseudo-terminal) can be given
// instead and then wins. The line itself is the device plugin's (phonelink/serialline.h),
// loaded when a port is first listed or opened.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class SerialLine;

class CommPort : public QObject {
  Q_OBJECT

 public:
  // Event codes of CommEvent().
  enum Event : int {
    comEvReceive = 2,        // data arrived
    comEventOverrun = 1006,  // the line delivered more than could be read
    comEventRxOver = 1008,   // the input buffer is full; what arrived beyond it is lost
    comEventTxFull = 1010,   // the output buffer is full; the write was refused
    comEventPortLost = 1100  // the device went away (cable unplugged, line hung up)
  };

  explicit CommPort(QObject* parent = nullptr);
  ~CommPort() override;

  // One serial device of the system: its number (from 1), path and description.
  struct Device {
    int number = 0;
    QString path;
    QString description;
  };
  // The system's serial devices in a stable order (by path); number n is entry n - 1. Empty
  // with the reason in error when the device plugin cannot be loaded.
  static QList<Device> Devices(QString* error = nullptr);
  // The device path of port number n, empty when there is none.
  static QString PathOfNumber(int number);

  int Port() const { return number_; }
  void setPort(int n) { number_ = n; }
  QString PortPath() const { return path_; }
  void setPortPath(const QString& path) { path_ = path; }
  // The device that opening uses: the path when one is given, else port number's device.
  QString ResolvedDevice() const;

  // "19200,n,8,1": speed, parity (e, m, n, o, s), data bits 5..8, stop bits 1, 1.5 or 2.
  // False (nothing changed) for a text the port cannot take.
  QString Settings() const { return settings_; }
  bool setSettings(const QString& text);
  static bool AcceptsSettings(const QString& text);
  // 0 none, 1 XON/XOFF, 2 RTS/CTS, 3 both (RTS/CTS governs). Anything else is refused.
  int Handshaking() const { return handshaking_; }
  bool setHandshaking(int mode);

  // Opens or closes the port. Opening an open port is a no-op; a failure leaves the port
  // closed with ErrorText() saying why.
  bool PortOpen() const;
  bool setPortOpen(bool open);
  QString ErrorText() const { return error_; }

  // Bytes waiting to be read; setting it to 0 empties the input (ours and the driver's).
  int InBufferCount() const { return static_cast<int>(input_.size()); }
  void setInBufferCount(int n);
  // The most bytes held unread; beyond it comEventRxOver is raised and data is dropped.
  int InBufferSize() const { return inBufferSize_; }
  void setInBufferSize(int n) { inBufferSize_ = n < 1 ? 1 : n; }
  // The most bytes queued for sending; a write beyond it raises comEventTxFull.
  int OutBufferSize() const { return outBufferSize_; }
  void setOutBufferSize(int n) { outBufferSize_ = n < 1 ? 1 : n; }

  // Writes bytes; false when the port is closed or the output buffer is full.
  bool Output(const QByteArray& data);
  // Takes everything received so far.
  QByteArray Input();
  // The code of the last communication event.
  int CommEvent() const { return event_; }

 signals:
  // The communication event; CommEvent() tells which.
  void OnComm();

 private:
  void raise(int code);
  void readIncoming();
  void lineFailed(bool lost, const QString& text);
  bool applySettings();
  bool lineOpen() const;

  std::unique_ptr<SerialLine> line_;  // made when the port is first opened
  int number_ = 1;
  QString path_;
  QString settings_ = QStringLiteral("9600,n,8,1");
  int handshaking_ = 0;
  QString error_;
  QByteArray input_;
  int inBufferSize_ = 1 << 20;
  int outBufferSize_ = 1 << 20;
  int event_ = 0;
};
