// A simulated phone on a pseudo-terminal, for tests and demos. It answers the AT commands
// of the data-cable sessions like a phone in PDU mode: "OK" to AT, AT+CMGF, AT+CPMS,
// AT+CKPD, AT^SBNW=? and at+cclk; the prompt "> " after AT+CMGS / AT+CMGW / a Siemens
// block header, again after each line of data, and "+CMGS: n" / "+CMGW: n" and OK after
// the data's Ctrl-Z (or +CMS ERROR: 304 when the PDU's length is not the announced one).
// ESC cancels data input. It echoes command lines unless told not to, records every byte
// it receives, and can be told to misbehave on chosen commands.
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QSocketNotifier;

namespace phonesim {

enum class Fault {
  Silent,   // no answer at all
  Reply,    // answer `payload` instead (e.g. "\r\nERROR\r\n", "\r\n+CMS ERROR: 500\r\n")
  Garbage,  // `count` bytes of noise (no letters), no answer
  Flood,    // `count` bytes of printable text without an answer in it
  HangUp,   // the line goes dead: the pseudo-terminal is closed
  Slow,     // the normal answer, `count` milliseconds late
};

// A misbehaviour and the command it answers. `trigger` is a command line in any case
// ("AT", "AT+CMGF=0"), a prefix ending in '*' ("AT+CMGS=*"), "DATA" for the Ctrl-Z that
// ends a message or block, "LINE" for a line of data ended by a carriage return, or "*"
// for everything. `occurrence` N > 0 limits the rule to the N-th event it matches (the
// second message of a concatenated SMS: "DATA#2"); 0 means every one.
struct Rule {
  QByteArray trigger;
  Fault fault = Fault::Silent;
  QByteArray payload;
  int count = 0;
  int occurrence = 0;
  int seen = 0;  // events matched so far
};

// "TRIGGER[#N]=KIND[:ARG]" as the program's --fault takes it (#N: the N-th match only); KIND
// silent, error, cms (ARG the code, default 500), reply (ARG the text, \r and \n allowed), garbage,
// flood (ARG bytes, default 1 MB), hangup, slow (ARG ms). False when it cannot be read.
bool ParseRule(const QString& text, Rule* rule);

class PhoneSim : public QObject {
  Q_OBJECT

 public:
  explicit PhoneSim(QObject* parent = nullptr);
  ~PhoneSim() override;

  // Opens the pseudo-terminal; false with errorText() on failure.
  bool start();
  QString devicePath() const { return path_; }
  QString errorText() const { return error_; }

  void addRule(const Rule& rule) { rules_.append(rule); }
  void setEcho(bool on) { echo_ = on; }
  // Acts as if a message were half entered when the session begins.
  void beginPendingInput(int announcedLength);
  // Every received byte is also appended to this file (the program's --record).
  void setRecordFile(const QString& path) { recordPath_ = path; }
  // Closes the line now.
  void hangUp();

  // Everything received, in order.
  const QByteArray& received() const { return received_; }
  // Command lines received (without their carriage return).
  const QList<QByteArray>& commands() const { return commands_; }
  // Data written after a prompt: each line or final piece as it arrived (without CR or
  // Ctrl-Z).
  const QList<QByteArray>& dataLines() const { return dataLines_; }
  // The PDUs (hex) sent with AT+CMGS and stored with AT+CMGW.
  const QList<QByteArray>& sentMessages() const { return sent_; }
  const QList<QByteArray>& storedMessages() const { return stored_; }
  // The Siemens blocks (hex) and the key texts received.
  const QList<QByteArray>& blocks() const { return blocks_; }
  const QList<QByteArray>& keys() const { return keys_; }
  // Messages whose input was cancelled with ESC.
  int cancelledInputs() const { return cancelled_; }

 signals:
  void commandReceived(const QByteArray& line);

 private:
  enum class Mode { Command, SmsSend, SmsStore, Block };

  void readMaster();
  void writeMaster();
  void send(const QByteArray& bytes);
  void handleLine(const QByteArray& line);
  void handleData(bool final);
  // Gives the first rule that matches the event its say; without one, answers normally.
  void applyRule(const QByteArray& event, const std::function<void()>& answer);
  QByteArray answerFor(const QByteArray& upper, const QByteArray& line, Mode* next);
  void closeLine();

  int master_ = -1;
  int slave_ = -1;
  QSocketNotifier* readNotifier_ = nullptr;
  QSocketNotifier* writeNotifier_ = nullptr;
  QString path_;
  QString error_;
  QString recordPath_;
  QList<Rule> rules_;
  bool echo_ = true;
  Mode mode_ = Mode::Command;
  int announced_ = 0;
  int messageRef_ = 0;
  QByteArray line_;
  QByteArray data_;
  QByteArray out_;
  QByteArray received_;
  QList<QByteArray> commands_;
  QList<QByteArray> dataLines_;
  QList<QByteArray> sent_;
  QList<QByteArray> stored_;
  QList<QByteArray> blocks_;
  QList<QByteArray> keys_;
  int cancelled_ = 0;
};

}  // namespace phonesim
