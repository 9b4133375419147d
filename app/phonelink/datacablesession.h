// The AT-command sessions with a phone on the serial line: text and ringtone SMS in PDU
// mode, key presses into the phone's composer, the Siemens MIDI transfer and the clock.
// Each session opens the port, checks the phone with "AT", runs its commands with a wait
// for the expected answer after each, reports progress in the status text and closes the
// port. Waits run a local event loop: the window stays responsive, received data arrives
// between the steps, and Stop ends the current wait at once with code 4.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringDecoder>

#include <functional>

#include "phonelink/statustext.h"

class CommPort;
class clCommProps;
class clSMSProps;

class DataCableSession : public QObject {
  Q_OBJECT

 public:
  // Answer codes of WaitForAnswer.
  enum Answer : int { kAnswerOk = 1, kAnswerError = 2, kAnswerTimeout = 3, kAnswerStopped = 4 };
  // Session results besides the answer codes: the port could not be tested or opened, the
  // PDU could not be built, or a session was already running.
  enum Result : int { kPortFailed = 0, kPduFailed = -1, kBusy = -2 };

  // Resource strings the sessions show.
  enum : int {
    kResError = 2,
    kResSms = 12,
    kResPortNotOpen = 450,
    kResTesting = 451,
    kResClosed = 452,
    kResPduMode = 453,
    kResSending = 454,
    kResClock = 456,
    kResAnswerError = 457,
    kResAnswerTimeout = 458,
    kResAnswerStopped = 459,
    kResPortLost = 1131,
    kResBadSettings = 1133,
    kResBadHandshaking = 1134,
    kResNoSuchPort = 1135,
    kResPartOf = 2100,
    kResSentAsUcs2 = 2101,
    kResTooManyTextParts = 2102,
    kResTooManyRingtoneParts = 2103,
  };

  DataCableSession(CommPort& port, clCommProps& comm, clSMSProps& sms, QObject* parent = nullptr);

  // Seams: resource strings (default: the current language), the time-outs and pauses
  // (scaled by `factor`; tests shorten them), the computer's clock, and the box that shows
  // a port error (default: none, the text goes to the status).
  void setStrings(std::function<QString(int)> res) { res_ = std::move(res); }
  void setTimeScale(double factor) { timeScale_ = factor > 0 ? factor : 1.0; }
  void setClock(std::function<QDateTime()> clock) { clock_ = std::move(clock); }
  void setPortErrorHandler(std::function<void(const QString&)> h) { portError_ = std::move(h); }
  // Run by TestPort first: the window copies its controls into the properties.
  void setTakeControls(std::function<void()> take) { takeControls_ = std::move(take); }

  StatusText& status() { return status_; }
  const QString& RxBuffer() const { return rx_; }
  bool isRunning() const { return running_; }
  bool StopRequested() const { return stop_; }
  void requestStop();
  bool LocalEcho() const { return echo_; }
  void setLocalEcho(bool on) { echo_ = on; }
  // The code of the answer that ended the last session (1 when it succeeded).
  int lastResult() const { return lastResult_; }
  // The parts of the last SMS session's message, and the part that failed (0: none).
  int partCount() const { return partCount_; }
  int failedPart() const { return failedPart_; }

  // 1 the expected text arrived (case-sensitive), 2 "Error" arrived (any case; wins over
  // the expected text), 3 time-out (0 means 5000 ms) or the port was lost, 4 stopped.
  int WaitForAnswer(const QString& expected, int timeoutMs);
  // Pauses for `ms` while events go on being processed; a Stop ends the pause.
  void WaitMs(int ms);
  // Closes the port between sessions (a running session closes it itself).
  void closePort();
  // Line break, the message for the answer code, ": " and the step.
  void ReportAnswerError(int code, const QString& step);
  void AppendStatus(const QString& text) { status_.append(text); }
  // Applies the communication properties to the port, opens and closes it once. On a
  // failure the error is shown (when asked), the port number goes back to 1 and the device
  // path is dropped; false.
  bool TestPort(bool showErrors);

  // The sessions; a message longer than one SMS goes out part by part, each confirmed
  // before the next. Each returns 1 on success, else the answer code that ended it (2, 3, 4)
  // or one of Result.
  int SendSmsPdu(const QByteArray& text, int ringType, bool store);
  int SendKeypress(const QByteArray& keys);
  int SendSiemensDC(const QByteArray& fileBytes);
  int SyncClock();

  // The hex text of the PDUs SendSmsPdu would send (one line a part), without the port;
  // empty on failure.
  QString PduHex(const QByteArray& text, int ringType, int* tpduLength = nullptr) const;

  // Number of pieces of `length` characters cut at `size` (below 1: one piece).
  static int PieceCount(qsizetype length, int size);
  // Number of 352-character Siemens blocks of a hex text.
  static int SiemensBlockCount(qsizetype length);
  // The clock command for a moment: at+cclk="yy/MM/dd,hh:mm:ss" and a carriage return.
  static QByteArray ClockCommand(const QDateTime& when);

  static constexpr int kKeysPerCommand = 60;
  static constexpr int kSiemensBlock = 352;

 signals:
  void runningChanged(bool running);
  // The port number was reset to 1 after a failed test.
  void portReset();
  // Wakes a running wait (data, Stop, lost port); no use outside.
  void wakeWaiter();

 private:
  class Run;
  void onComm();
  bool startSession(bool abortInput, bool atCheck, bool echoAt);
  void endSession();
  int fail(int code, const QString& step);
  // One command: after pauseMs (0: none) the text received so far is dropped, the command
  // is written and its answer waited for; WaitForAnswer's code.
  int exchange(const QByteArray& command, const QString& expected, int timeoutMs, int pauseMs = 0);
  // exchange, and on any answer but the expected one the session fails there (fail with
  // failedStep): false, the code in lastResult().
  bool step(const QByteArray& command, const QString& expected, int timeoutMs,
            const QString& failedStep, int pauseMs = 0);
  void write(const QByteArray& bytes);
  int scaled(int ms) const;
  QString res(int id) const;

  CommPort& port_;
  clCommProps& comm_;
  clSMSProps& sms_;
  StatusText status_;
  QString rx_;
  QStringDecoder decoder_{QStringDecoder::Utf8};
  bool running_ = false;
  bool stop_ = false;
  bool echo_ = false;
  bool portLost_ = false;
  int lastResult_ = 0;
  int partCount_ = 0;
  int failedPart_ = 0;
  double timeScale_ = 1.0;
  std::function<QString(int)> res_;
  std::function<QDateTime()> clock_;
  std::function<void(const QString&)> portError_;
  std::function<void()> takeControls_;
};
