#include "phonesim.h"

#include <QFile>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QTimer>

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>

namespace phonesim {
namespace {

constexpr char kCtrlZ = 26;
constexpr char kEsc = 27;
const QByteArray kOk = "\r\nOK\r\n";
const QByteArray kError = "\r\nERROR\r\n";
const QByteArray kPrompt = "\r\n> ";

bool matches(const QByteArray& trigger, const QByteArray& event) {
  const QByteArray t = trigger.toUpper();
  if (t == "*") return true;
  if (t.endsWith('*')) return event.startsWith(t.chopped(1));
  return event == t;
}

// Noise without letters, so that it can hold neither an answer nor an error.
QByteArray noise(int n) {
  QByteArray bytes(n, '\0');
  unsigned v = 12345;
  for (char& c : bytes) {
    v = v * 1103515245u + 12345u;
    const unsigned r = (v >> 16) & 0xFF;
    c = static_cast<char>(r < 0x80 ? 0x80 | r : r);
  }
  return bytes;
}

QByteArray floodText(int n) {
  static const QByteArray line = "0123456789ABCDEF0123456789ABCDEF\r\n";
  QByteArray bytes;
  bytes.reserve(n);
  while (bytes.size() < n) bytes.append(line);
  bytes.truncate(n);
  return bytes;
}

}  // namespace

bool ParseRule(const QString& text, Rule* rule) {
  const qsizetype eq = text.lastIndexOf('=');
  if (eq <= 0) return false;
  Rule r;
  r.trigger = text.left(eq).toLatin1();
  static const QRegularExpression nth(QStringLiteral("^(.+)#([1-9]\\d{0,5})$"));
  if (const auto m = nth.match(QString::fromLatin1(r.trigger)); m.hasMatch()) {
    r.trigger = m.captured(1).toLatin1();
    r.occurrence = m.captured(2).toInt();
  }
  const QString action = text.mid(eq + 1);
  const QString kind = action.section(':', 0, 0).toLower();
  const QString arg = action.section(':', 1);
  bool ok = true;
  const int number = arg.isEmpty() ? 0 : arg.toInt(&ok);
  if (kind == "silent") {
    r.fault = Fault::Silent;
  } else if (kind == "error") {
    r.fault = Fault::Reply;
    r.payload = kError;
  } else if (kind == "cms") {
    r.fault = Fault::Reply;
    r.payload = "\r\n+CMS ERROR: " + (arg.isEmpty() ? QByteArray("500") : arg.toLatin1()) + "\r\n";
    ok = true;
  } else if (kind == "reply") {
    r.fault = Fault::Reply;
    r.payload = arg.toLatin1().replace("\\r", "\r").replace("\\n", "\n");
    ok = true;
  } else if (kind == "garbage") {
    r.fault = Fault::Garbage;
    r.count = arg.isEmpty() ? 256 : number;
  } else if (kind == "flood") {
    r.fault = Fault::Flood;
    r.count = arg.isEmpty() ? (1 << 20) : number;
  } else if (kind == "hangup") {
    r.fault = Fault::HangUp;
  } else if (kind == "slow") {
    r.fault = Fault::Slow;
    r.count = number;
  } else {
    return false;
  }
  if (!ok) return false;
  if (rule) *rule = r;
  return true;
}

PhoneSim::PhoneSim(QObject* parent) : QObject(parent) {}

PhoneSim::~PhoneSim() {
  closeLine();
}

bool PhoneSim::start() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
    error_ =
        QStringLiteral("cannot open a pseudo-terminal: ") + QString::fromLocal8Bit(strerror(errno));
    closeLine();
    return false;
  }
  char name[128] = {};
  if (ptsname_r(master_, name, sizeof name) != 0) {
    error_ = QStringLiteral("cannot name the pseudo-terminal");
    closeLine();
    return false;
  }
  path_ = QString::fromLocal8Bit(name);
  // Holding the far end open keeps the line alive between the sessions that open and
  // close it; raw mode means the line discipline neither echoes nor edits.
  slave_ = ::open(name, O_RDWR | O_NOCTTY);
  if (slave_ >= 0) {
    termios t{};
    if (tcgetattr(slave_, &t) == 0) {
      cfmakeraw(&t);
      tcsetattr(slave_, TCSANOW, &t);
    }
  }
  readNotifier_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
  connect(readNotifier_, &QSocketNotifier::activated, this, &PhoneSim::readMaster);
  writeNotifier_ = new QSocketNotifier(master_, QSocketNotifier::Write, this);
  writeNotifier_->setEnabled(false);
  connect(writeNotifier_, &QSocketNotifier::activated, this, &PhoneSim::writeMaster);
  return true;
}

void PhoneSim::closeLine() {
  // The notifiers may be the very senders running now: they go when control returns.
  for (QSocketNotifier* n : {readNotifier_, writeNotifier_}) {
    if (!n) continue;
    n->setEnabled(false);
    n->deleteLater();
  }
  readNotifier_ = writeNotifier_ = nullptr;
  if (master_ >= 0) ::close(master_);
  if (slave_ >= 0) ::close(slave_);
  master_ = slave_ = -1;
  out_.clear();
}

void PhoneSim::hangUp() {
  closeLine();
}

void PhoneSim::beginPendingInput(int announcedLength) {
  mode_ = Mode::SmsSend;
  announced_ = announcedLength;
  data_ = "0011000B91";
}

void PhoneSim::send(const QByteArray& bytes) {
  if (master_ < 0 || bytes.isEmpty()) return;
  out_.append(bytes);
  writeMaster();
}

void PhoneSim::writeMaster() {
  while (master_ >= 0 && !out_.isEmpty()) {
    const ssize_t n = ::write(master_, out_.constData(), static_cast<size_t>(out_.size()));
    if (n > 0) {
      out_.remove(0, n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    break;  // the line is full: go on when it can take more
  }
  if (writeNotifier_) writeNotifier_->setEnabled(!out_.isEmpty());
}

void PhoneSim::readMaster() {
  char buffer[4096];
  const ssize_t n = ::read(master_, buffer, sizeof buffer);
  if (n <= 0) return;
  const QByteArray bytes(buffer, n);
  received_.append(bytes);
  if (!recordPath_.isEmpty()) {
    QFile record(recordPath_);
    if (record.open(QIODevice::Append)) record.write(bytes);
  }
  for (const char c : bytes) {
    if (master_ < 0) return;  // hung up meanwhile
    if (mode_ == Mode::Command) {
      if (c == '\r') {
        const QByteArray line = line_;
        line_.clear();
        if (echo_) send(line + '\r');
        handleLine(line);
      } else if (c == kEsc || c == kCtrlZ) {
        line_.clear();
      } else if (c != '\n') {
        line_.append(c);
      }
      continue;
    }
    if (echo_ && c != kEsc) send(QByteArray(1, c));
    if (c == kEsc) {
      mode_ = Mode::Command;
      line_.clear();
      data_.clear();
      ++cancelled_;
    } else if (c == '\r') {
      handleData(false);
    } else if (c == kCtrlZ) {
      handleData(true);
    } else if (c != '\n') {
      line_.append(c);
    }
  }
}

void PhoneSim::applyRule(const QByteArray& event, const std::function<void()>& answer) {
  for (Rule& r : rules_) {
    if (!matches(r.trigger, event)) continue;
    ++r.seen;
    if (r.occurrence > 0 && r.seen != r.occurrence) continue;
    switch (r.fault) {
      case Fault::Silent:
        return;
      case Fault::Reply:
        send(r.payload);
        return;
      case Fault::Garbage:
        send(noise(r.count > 0 ? r.count : 256));
        return;
      case Fault::Flood:
        send(floodText(r.count > 0 ? r.count : (1 << 20)));
        return;
      case Fault::HangUp:
        closeLine();
        return;
      case Fault::Slow:
        QTimer::singleShot(r.count, this, answer);
        return;
    }
  }
  answer();
}

void PhoneSim::handleLine(const QByteArray& line) {
  commands_.append(line);
  emit commandReceived(line);
  const QByteArray upper = line.trimmed().toUpper();
  if (upper.isEmpty()) return;
  applyRule(upper, [this, line, upper] {
    Mode next = Mode::Command;
    const QByteArray answer = answerFor(upper, line, &next);
    mode_ = next;
    if (next != Mode::Command) {
      line_.clear();
      data_.clear();
    }
    send(answer);
  });
}

QByteArray PhoneSim::answerFor(const QByteArray& upper, const QByteArray& line, Mode* next) {
  static const QRegularExpression length(QStringLiteral("^AT\\+CMG[SW]=(\\d{1,3})$"));
  static const QRegularExpression block(QStringLiteral("^AT\\^SBNW=\"MID\",0,(\\d+),(\\d+)$"));
  static const QRegularExpression clock(
      QStringLiteral("^AT\\+CCLK=\"\\d\\d/\\d\\d/\\d\\d,\\d\\d:\\d\\d:\\d\\d([+-]\\d\\d)?\"$"));
  const QString text = QString::fromLatin1(upper);
  if (upper == "AT" || upper == "ATZ" || upper == "AT+CMGF=0" || upper == "AT+CMGF=1") return kOk;
  if (upper == "ATE0" || upper == "ATE1") {
    echo_ = upper == "ATE1";
    return kOk;
  }
  if (upper.startsWith("AT+CPMS=")) return "\r\n+CPMS: 0,30,0,30,0,30\r\n" + kOk;
  if (const auto m = length.match(text); m.hasMatch()) {
    const int n = m.captured(1).toInt();
    if (n < 1 || n > 164) return "\r\n+CMS ERROR: 304\r\n";
    announced_ = n;
    *next = upper.startsWith("AT+CMGS") ? Mode::SmsSend : Mode::SmsStore;
    return kPrompt;
  }
  if (upper.startsWith("AT+CKPD=\"") && upper.endsWith('"') && upper.size() > 10) {
    keys_.append(line.trimmed().mid(9).chopped(1));
    return kOk;
  }
  if (upper == "AT^SBNW=?") return "\r\n^SBNW: (\"bmp\",\"mid\",\"vcf\",\"vcs\"),(0-3)\r\n" + kOk;
  if (const auto m = block.match(text); m.hasMatch()) {
    const int k = m.captured(1).toInt(), n = m.captured(2).toInt();
    if (k < 1 || k > n) return kError;
    *next = Mode::Block;
    return kPrompt;
  }
  if (clock.match(text).hasMatch()) return kOk;
  return kError;
}

void PhoneSim::handleData(bool final) {
  const QByteArray piece = line_;
  line_.clear();
  dataLines_.append(piece);
  data_.append(piece);
  if (!final) {
    applyRule("LINE", [this] { send(kPrompt); });
    return;
  }
  const Mode mode = mode_;
  const QByteArray data = data_;
  mode_ = Mode::Command;
  data_.clear();
  applyRule("DATA", [this, mode, data] {
    if (mode == Mode::Block) {
      blocks_.append(data);
      send(kOk);
      return;
    }
    // The PDU must hold the TPDU length announced, after its service-centre field.
    const bool hex = QRegularExpression(QStringLiteral("^([0-9A-Fa-f]{2})+$"))
                         .match(QString::fromLatin1(data))
                         .hasMatch();
    const QByteArray pdu = QByteArray::fromHex(data);
    const int smsc = pdu.isEmpty() ? 0 : static_cast<unsigned char>(pdu[0]);
    if (!hex || pdu.size() - 1 - smsc != announced_) {
      send("\r\n+CMS ERROR: 304\r\n");
      return;
    }
    messageRef_ = (messageRef_ + 1) % 256;
    if (mode == Mode::SmsSend) {
      sent_.append(data);
      send("\r\n+CMGS: " + QByteArray::number(messageRef_) + "\r\n" + kOk);
    } else {
      stored_.append(data);
      send("\r\n+CMGW: " + QByteArray::number(stored_.size()) + "\r\n" + kOk);
    }
  });
}

}  // namespace phonesim
