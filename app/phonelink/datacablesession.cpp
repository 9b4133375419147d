#include "datacablesession.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <cmath>

#include "languages/reslang.h"
#include "phonelink/clcommprops.h"
#include "phonelink/clsmsprops.h"
#include "phonelink/commport.h"
#include "phonelink/modpdu.h"

namespace {

constexpr char kCtrlZ = 26;
constexpr char kEsc = 27;
const QString kBreak = QStringLiteral("\r");
// RxBuffer keeps the most recent answer text only: a phone that floods the line must not
// make every search slower than the last.
constexpr qsizetype kRxKeep = 32 * 1024;

// How long the phone has to answer, and the pauses between commands (all scaled by the
// session's time scale).
constexpr int kAnswerMs = 5000;         // "OK" or ">" to an ordinary command
constexpr int kKeysAnswerMs = 10000;    // AT+CKPD: the phone types up to 60 keys first
constexpr int kStoredAnswerMs = 10000;  // the last line of a message stored in the phone
constexpr int kSentAnswerMs = 25000;    // the last line of a message sent: the network answers
constexpr int kSiemensPromptMs = 3000;  // ">" to a Siemens block header
constexpr int kSiemensBlockMs = 4000;   // "OK" to a Siemens block
constexpr int kSettleMs = 1000;         // after opening the port, before the first command
constexpr int kPauseMs = 150;           // before each command of a session

}  // namespace

// Marks a session as running for its lifetime, so that no second one starts meanwhile.
class DataCableSession::Run {
 public:
  explicit Run(DataCableSession& s) : s_(s) {
    s_.running_ = true;
    emit s_.runningChanged(true);
  }
  ~Run() {
    s_.running_ = false;
    emit s_.runningChanged(false);
  }
  Run(const Run&) = delete;
  Run& operator=(const Run&) = delete;

 private:
  DataCableSession& s_;
};

DataCableSession::DataCableSession(CommPort& port, clCommProps& comm, clSMSProps& sms,
                                   QObject* parent)
    : QObject(parent), port_(port), comm_(comm), sms_(sms), status_(this) {
  connect(&port_, &CommPort::OnComm, this, &DataCableSession::onComm);
  clock_ = [] { return QDateTime::currentDateTime(); };
}

QString DataCableSession::res(int id) const {
  if (res_) return res_(id);
  return GetResString(id);
}

int DataCableSession::scaled(int ms) const {
  return static_cast<int>(std::lround(ms * timeScale_));
}

void DataCableSession::requestStop() {
  stop_ = true;
  emit wakeWaiter();
}

void DataCableSession::write(const QByteArray& bytes) {
  port_.Output(bytes);
}

// The communication event: received text goes into RxBuffer (and, with the echo on, into
// the status); line errors are only shown.
void DataCableSession::onComm() {
  switch (port_.CommEvent()) {
    case CommPort::comEvReceive: {
      const QString text = decoder_(port_.Input());
      rx_ += text;
      if (rx_.size() > 2 * kRxKeep) rx_.remove(0, rx_.size() - kRxKeep);
      if (echo_) AppendStatus(text);
      break;
    }
    case CommPort::comEventOverrun:
      if (echo_) AppendStatus(kBreak + QStringLiteral("E/W: Overrun - Data will be lost"));
      break;
    case CommPort::comEventRxOver:
      if (echo_) AppendStatus(kBreak + QStringLiteral("E/W: RX Buffer Overrun"));
      break;
    case CommPort::comEventTxFull:
      if (echo_) AppendStatus(kBreak + QStringLiteral("E/W: Send Buffer is full"));
      break;
    case CommPort::comEventPortLost:
      portLost_ = true;
      // A running session ends with one line that names the lost port as the cause.
      if (!running_) AppendStatus(kBreak + res(kResPortLost));
      break;
    default:
      return;
  }
  emit wakeWaiter();
}

int DataCableSession::WaitForAnswer(const QString& expected, int timeoutMs) {
  if (timeoutMs == 0) timeoutMs = 5000;
  const qint64 limit = scaled(timeoutMs);
  QElapsedTimer elapsed;
  elapsed.start();
  QEventLoop loop;
  QTimer timer;
  timer.setSingleShot(true);
  connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  connect(this, &DataCableSession::wakeWaiter, &loop, &QEventLoop::quit);
  for (;;) {
    if (stop_) return kAnswerStopped;
    if (rx_.contains(QStringLiteral("error"), Qt::CaseInsensitive)) return kAnswerError;
    if (rx_.contains(expected)) return kAnswerOk;
    // A lost port brings no answer: waiting out the time-out would only delay the end.
    if (portLost_ || !port_.PortOpen()) return kAnswerTimeout;
    const qint64 left = limit - elapsed.elapsed();
    if (left <= 0) return kAnswerTimeout;
    timer.start(static_cast<int>(left));
    loop.exec();
  }
}

void DataCableSession::WaitMs(int ms) {
  const int wait = scaled(ms);
  if (wait <= 0 || stop_) return;
  QEventLoop loop;
  QTimer timer;
  timer.setSingleShot(true);
  connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  // A Stop cuts the pause short; the wait that follows then ends the session.
  connect(this, &DataCableSession::wakeWaiter, &loop, [this, &loop] {
    if (stop_) loop.quit();
  });
  timer.start(wait);
  loop.exec();
}

void DataCableSession::closePort() {
  if (!running_) port_.setPortOpen(false);
}

void DataCableSession::ReportAnswerError(int code, const QString& step) {
  int id = kResError;
  if (code == kAnswerError)
    id = kResAnswerError;
  else if (code == kAnswerTimeout)
    id = portLost_ ? kResPortLost : kResAnswerTimeout;
  else if (code == kAnswerStopped)
    id = kResAnswerStopped;
  AppendStatus(kBreak + res(id) + QStringLiteral(": ") + step);
}

bool DataCableSession::TestPort(bool showErrors) {
  if (takeControls_) takeControls_();
  port_.setPortOpen(false);
  port_.setPort(comm_.Port());
  port_.setPortPath(comm_.PortPath());
  echo_ = comm_.LocalEcho();
  QString error;
  if (!port_.setSettings(comm_.getmsoptions()))
    error = res(kResBadSettings) + ' ' + comm_.getmsoptions();
  else if (!port_.setHandshaking(comm_.Handshaking()))
    error = res(kResBadHandshaking) + ' ' + QString::number(comm_.Handshaking());
  else if (port_.ResolvedDevice().isEmpty())
    error = res(kResNoSuchPort) + ' ' + QString::number(comm_.Port());
  else if (!port_.setPortOpen(true))
    error = port_.ErrorText();  // the system's own words, with the device's path
  if (error.isEmpty()) {
    port_.setPortOpen(false);
    return true;
  }
  if (showErrors) {
    if (portError_)
      portError_(error);
    else
      AppendStatus(kBreak + error);
  }
  comm_.setPort(1);
  comm_.setPortPath(QString());
  emit portReset();
  return false;
}

bool DataCableSession::startSession(bool abortInput, bool atCheck, bool echoAt) {
  stop_ = false;
  portLost_ = false;
  lastResult_ = kPortFailed;
  decoder_.resetState();
  if (!TestPort(true)) return false;
  port_.setPortOpen(true);
  if (!port_.PortOpen()) {
    AppendStatus(res(kResPortNotOpen) + kBreak);
    return false;
  }
  const QString testing = kBreak + res(kResTesting) + QStringLiteral("...");
  if (abortInput) {
    port_.setInBufferCount(0);
    status_.clear();
    rx_.clear();
    AppendStatus(testing);
    // ESC cancels a message the phone may still be waiting for; Ctrl-Z would send it.
    write(QByteArray(1, kEsc));
    WaitMs(kSettleMs);
    port_.setInBufferCount(0);
  } else {
    AppendStatus(testing);
    WaitMs(kSettleMs);
  }
  if (!atCheck) return true;
  if (echoAt && echo_) AppendStatus(kBreak + QStringLiteral("Local echo: AT"));
  return step("AT\r", QStringLiteral("OK"), kAnswerMs, res(kResTesting));
}

void DataCableSession::endSession() {
  if (port_.PortOpen()) port_.setPortOpen(false);
  AppendStatus(kBreak + res(kResClosed));
}

int DataCableSession::fail(int code, const QString& step) {
  ReportAnswerError(code, step);
  endSession();
  lastResult_ = code;
  return code;
}

int DataCableSession::exchange(const QByteArray& command, const QString& expected, int timeoutMs,
                               int pauseMs) {
  if (pauseMs > 0) WaitMs(pauseMs);
  rx_.clear();
  write(command);
  return WaitForAnswer(expected, timeoutMs);
}

bool DataCableSession::step(const QByteArray& command, const QString& expected, int timeoutMs,
                            const QString& failedStep, int pauseMs) {
  const int code = exchange(command, expected, timeoutMs, pauseMs);
  if (code == kAnswerOk) return true;
  fail(code, failedStep);
  return false;
}

int DataCableSession::SendSmsPdu(const QByteArray& text, int ringType, bool store) {
  if (running_) return kBusy;
  Run run(*this);
  // The message is built before the port is opened: one that cannot go whole (a bad
  // number, too many parts) never reaches the phone, not even in part.
  if (takeControls_) takeControls_();
  partCount_ = failedPart_ = 0;
  const QString smsStep = res(kResSending) + ' ' + res(kResSms);
  modPDU::MessageParts parts;
  const int built = modPDU::MakeMessageParts(ringType, text, sms_, &parts);
  if (built != 1) {
    if (built == modPDU::kTooManyParts)
      AppendStatus(kBreak + res(ringType == modPDU::kTextSms ? kResTooManyTextParts
                                                             : kResTooManyRingtoneParts)
                                .arg(parts.info.PartCount)
                                .arg(ringType == modPDU::kTextSms ? modPDU::kMaxTextParts
                                                                  : modPDU::kMaxRingtoneParts));
    ReportAnswerError(kPduFailed, smsStep);
    lastResult_ = kPduFailed;
    return kPduFailed;
  }
  if (!startSession(true, true, false)) return lastResult_;

  AppendStatus(kBreak + res(kResPduMode) + QStringLiteral("..."));
  if (!step("AT+CMGF=0\r", QStringLiteral("OK"), kAnswerMs, res(kResPduMode), kPauseMs))
    return lastResult_;

  AppendStatus(kBreak + res(kResPduMode) + QStringLiteral(" II..."));
  // Phones that know no such stores refuse the command and send all the same; only
  // the user's Stop ends the session here.
  int code = exchange("AT+CPMS=" + comm_.GetCPMSMem().toUtf8() + '\r', QStringLiteral("OK"),
                      kAnswerMs, kPauseMs);
  if (code == kAnswerStopped) return fail(code, res(kResPduMode) + QStringLiteral(" II"));

  // A text with a character the GSM alphabet lacks goes as UCS2: say so.
  if (ringType == modPDU::kTextSms && parts.info.TextOutType == 2 && sms_.TextOutType() == 0)
    AppendStatus(kBreak + res(kResSentAsUcs2));
  AppendStatus(kBreak + res(kResSending) + QStringLiteral(" (") + res(kResSms) +
               QStringLiteral(")..."));

  const int count = static_cast<int>(parts.pdus.size());
  partCount_ = count;
  for (int part = 1; part <= count; ++part) {
    if (count > 1) failedPart_ = part;  // until the phone confirms it
    // Each part is announced, written and confirmed before the next one starts.
    const QString partText = count > 1 ? res(kResPartOf).arg(part).arg(count) : QString();
    if (count > 1) AppendStatus(kBreak + res(kResSending) + ' ' + partText);
    const QString hex = modPDU::ToHex(parts.pdus[part - 1]);
    const QString partStep = count > 1 ? smsStep + ", " + partText : smsStep;
    const QByteArray command =
        (store ? "AT+CMGW=" : "AT+CMGS=") + QByteArray::number(parts.tpduLengths[part - 1]) + '\r';
    if (!step(command, QStringLiteral(">"), kAnswerMs, partStep, kPauseMs)) return lastResult_;

    const int lineSize = comm_.MaxATLineSizeSMS();
    const int pieces = PieceCount(hex.size(), lineSize);
    const qsizetype size = lineSize < 1 ? hex.size() : lineSize;
    for (int k = 1; k <= pieces; ++k) {
      const bool last = k == pieces;
      AppendStatus(kBreak + res(kResSending) + QStringLiteral(" %1/%2 ").arg(k).arg(pieces));
      // The EMS message's data is not echoed while it is written and answered.
      const bool echo = echo_;
      const QByteArray line = hex.mid((k - 1) * size, size).toLatin1() + (last ? kCtrlZ : '\r');
      const int timeoutMs = !last ? kAnswerMs : store ? kStoredAnswerMs : kSentAnswerMs;
      WaitMs(kPauseMs);
      if (ringType == modPDU::kEmsIMelody) echo_ = false;
      code = exchange(line, last ? QStringLiteral("OK") : QStringLiteral(">"), timeoutMs);
      echo_ = echo;
      if (code != kAnswerOk) {
        const QString where = res(kResSending) + ' ' + QString::number(k - 1);
        return fail(code, count > 1 ? where + ", " + partText : where);
      }
    }
  }
  failedPart_ = 0;
  endSession();
  AppendStatus(kBreak + res(kResSending) + QStringLiteral(": OK"));
  lastResult_ = kAnswerOk;
  return kAnswerOk;
}

int DataCableSession::SendKeypress(const QByteArray& keys) {
  if (running_) return kBusy;
  Run run(*this);
  if (!startSession(false, true, true)) return lastResult_;
  const int pieces = static_cast<int>((keys.size() + kKeysPerCommand - 1) / kKeysPerCommand);
  for (int k = 1; k <= pieces; ++k) {
    AppendStatus(kBreak + res(kResSending) + ' ' + QString::number(k) + kBreak);
    const QByteArray command =
        "AT+CKPD=\"" + keys.mid((k - 1) * kKeysPerCommand, kKeysPerCommand) + "\"\r";
    if (!step(command, QStringLiteral("OK"), kKeysAnswerMs,
              res(kResSending) + ' ' + QString::number(k), kPauseMs))
      return lastResult_;
  }
  port_.setPortOpen(false);
  AppendStatus(res(kResClosed) + kBreak + res(kResSending) + QStringLiteral(": OK") + kBreak);
  lastResult_ = kAnswerOk;
  return kAnswerOk;
}

int DataCableSession::SendSiemensDC(const QByteArray& fileBytes) {
  if (running_) return kBusy;
  Run run(*this);
  if (!startSession(true, false, false)) return lastResult_;
  const QByteArray command = QByteArray("AT") + '^' + "SBNW";
  if (!step(command + "=?\r", QStringLiteral("OK"), kAnswerMs, res(kResTesting)))
    return lastResult_;

  const QByteArray hex = fileBytes.toHex().toUpper();
  const int blocks = SiemensBlockCount(hex.size());
  for (int k = 1; k <= blocks; ++k) {
    AppendStatus(kBreak + res(kResSending) + QStringLiteral(" %1/%2 ").arg(k).arg(blocks));
    const QString failedStep = res(kResSending) + ' ' + QString::number(k);
    const QByteArray header =
        command + "=\"mid\",0," + QByteArray::number(k) + ',' + QByteArray::number(blocks) + '\r';
    const QByteArray block =
        hex.mid(static_cast<qsizetype>(k - 1) * kSiemensBlock, kSiemensBlock) + kCtrlZ;
    if (!step(header, QStringLiteral(">"), kSiemensPromptMs, failedStep) ||
        !step(block, QStringLiteral("OK"), kSiemensBlockMs, failedStep))
      return lastResult_;
  }
  port_.setPortOpen(false);
  lastResult_ = kAnswerOk;
  return kAnswerOk;
}

int DataCableSession::SyncClock() {
  if (running_) return kBusy;
  Run run(*this);
  if (!startSession(false, true, true)) return lastResult_;
  AppendStatus(kBreak + res(kResClock));
  WaitMs(kPauseMs);
  const QByteArray command = ClockCommand(clock_());
  if (echo_) AppendStatus(kBreak + QStringLiteral("Local echo: ") + QString::fromLatin1(command));
  if (!step(command, QStringLiteral("OK"), kAnswerMs, res(kResClock))) return lastResult_;
  port_.setPortOpen(false);
  AppendStatus(kBreak + res(kResClosed));
  lastResult_ = kAnswerOk;
  return kAnswerOk;
}

QString DataCableSession::PduHex(const QByteArray& text, int ringType, int* tpduLength) const {
  modPDU::MessageParts parts;
  if (modPDU::MakeMessageParts(ringType, text, sms_, &parts) != 1) return {};
  if (tpduLength) *tpduLength = parts.tpduLengths.value(0);
  QStringList hex;
  for (const QByteArray& pdu : parts.pdus) hex << modPDU::ToHex(pdu);
  return hex.join('\n');
}

int DataCableSession::PieceCount(qsizetype length, int size) {
  if (size < 1 || length <= size) return 1;
  return static_cast<int>((length + size - 1) / size);
}

int DataCableSession::SiemensBlockCount(qsizetype length) {
  if (length <= kSiemensBlock) return 1;
  return static_cast<int>(length / kSiemensBlock + (length % kSiemensBlock ? 1 : 0));
}

QByteArray DataCableSession::ClockCommand(const QDateTime& when) {
  const QString date = when.toString(QStringLiteral("dd.MM.yy"));
  const QString time = when.toString(QStringLiteral("hh:mm:ss"));
  const QString stamp = date.right(2) + '/' + date.mid(3, 2) + '/' + date.left(2) + ',' + time;
  return "at+cclk=\"" + stamp.toLatin1() + "\"\r";
}
