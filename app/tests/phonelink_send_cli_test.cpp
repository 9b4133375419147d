// pealix-cli ports and send end to end: the program talks to the simulated phone program
// on a pseudo-terminal with the real time-outs; what reached the phone is read back from
// the simulator's record and the PDUs are decoded independently.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "../../smslib/tests/pdu_decoder.h"

#include "cli_process.h"

namespace {

struct CliRun {
  int exitCode = -1;
  QString out;
  QString errors;
};

class SendCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cli_ = QStringLiteral(PEALIX_BIN_DIR "/pealix-cli");
    const QString sim = QStringLiteral(PEALIX_BIN_DIR "/pealix-phonesim");
    if (!QFileInfo(cli_).isExecutable() || !QFileInfo(sim).isExecutable())
      GTEST_SKIP() << "pealix-cli or pealix-phonesim is not built";
    ASSERT_TRUE(dir_.isValid());
    record_ = dir_.filePath("record");
  }
  void TearDown() override { stopPhone(); }

  void startPhone(const QStringList& faults = {}) {
    stopPhone();
    QFile::remove(record_);
    QStringList args = {"--record", record_};
    for (const QString& f : faults) args << "--fault" << f;
    phone_.start(QStringLiteral(PEALIX_BIN_DIR "/pealix-phonesim"), args);
    ASSERT_TRUE(phone_.waitForReadyRead(10000));
    device_ = QString::fromLocal8Bit(phone_.readLine()).trimmed();
    ASSERT_TRUE(device_.startsWith("/dev/")) << device_.toStdString();
  }
  void stopPhone() {
    if (phone_.state() == QProcess::NotRunning) return;
    phone_.terminate();
    if (!phone_.waitForFinished(5000)) phone_.kill();
    phone_.waitForFinished(5000);
  }
  CliRun run(const QStringList& args) {
    const ProcessRun p = runProcess(cli_, args, dir_.path(), {}, 120000);
    return {p.exitCode, QString::fromUtf8(p.output), p.errors};
  }
  CliRun send(const QString& what, const QStringList& args) {
    return run(QStringList{"send", what, "--port", device_} + args);
  }
  QByteArray record() const {
    QFile f(record_);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  // The PDUs written after AT+CMGS / AT+CMGW, decoded.
  std::vector<pdutest::Submit> pdus() const {
    std::vector<pdutest::Submit> out;
    static const QRegularExpression re(QStringLiteral("AT\\+CMG[SW]=(\\d+)\r([0-9A-F\r]+)\x1a"));
    auto it = re.globalMatch(QString::fromLatin1(record()));
    while (it.hasNext()) {
      const auto m = it.next();
      const QByteArray bytes = QByteArray::fromHex(m.captured(2).remove('\r').toLatin1());
      out.push_back(pdutest::Decode(pdutest::Bytes(bytes.begin(), bytes.end()), true));
      EXPECT_EQ(out.back().tpduLength, m.captured(1).toUInt());
    }
    return out;
  }
  static QString example(const char* name) {
    return QStringLiteral(PEALIX_SOURCE_DIR "/examples/") + name;
  }

  QString cli_, record_, device_;
  QTemporaryDir dir_;
  QProcess phone_;
};

TEST_F(SendCliTest, TextSmsAndEveryRingtoneKindReachThePhone) {
  startPhone();
  CliRun r = send("sms", {"--to", "+4917112345", "--text", "Hello phone", "--status-report",
                          "--line-size", "20", "--settings", "9600,n,8,1"});
  ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString() << r.out.toStdString();
  EXPECT_TRUE(r.out.contains("Sending 1/"));
  EXPECT_TRUE(r.out.contains("Sending: OK"));
  QFile shortTune(dir_.filePath("short.rtx"));  // EMS takes only a short melody whole
  ASSERT_TRUE(shortTune.open(QIODevice::WriteOnly));
  shortTune.write("Short:d=4,o=5,b=112:c,c,g,g,a,a,2g");
  shortTune.close();
  for (const char* kind : {"nokia", "sagem", "imelody"}) {
    const QString input =
        QByteArray(kind) == "imelody" ? shortTune.fileName() : example("Twinkle.rtx");
    r = send("ringtone", {"--kind", kind, "--to", "0171123", "--store", input});
    ASSERT_EQ(r.exitCode, 0) << kind << r.errors.toStdString() << r.out.toStdString();
  }
  const QByteArray rec = record();
  EXPECT_TRUE(
      rec.startsWith("\x1b"
                     "AT\rAT+CMGF=0\rAT+CPMS=\"MT\"\rAT+CMGS="));
  EXPECT_EQ(rec.count("AT+CMGW="), 3);

  const std::vector<pdutest::Submit> m = pdus();
  ASSERT_EQ(m.size(), 4u);
  EXPECT_EQ(m[0].error, "");
  EXPECT_EQ(m[0].da, "4917112345");
  EXPECT_EQ(m[0].daToa, 0x91);
  EXPECT_EQ(m[0].srr, 1);
  EXPECT_EQ(QString::fromStdU16String(m[0].text), "Hello phone");
  EXPECT_EQ(m[1].dcs, 0xF5);  // Nokia: 8-bit, class 1, with the port header
  EXPECT_EQ(m[1].udhi, 1);
  EXPECT_EQ(m[1].da, "0171123");
  EXPECT_NE(m[1].daToa, 0x91);
  EXPECT_EQ(m[2].alphabet, pdutest::Alphabet::kGsm7);  // Sagem text
  EXPECT_EQ(m[2].udhi, 0);
  ASSERT_GT(m[3].udh.size(), 2u);  // EMS iMelody
  EXPECT_EQ(m[3].udh[1], 0x0C);
}

TEST_F(SendCliTest, KeysSiemensAndClock) {
  startPhone();
  ASSERT_EQ(send("keys", {example("Twinkle.rtx")}).exitCode, 0);
  ASSERT_EQ(send("siemens", {example("Twinkle.rtx")}).exitCode, 0);
  const CliRun clock = send("clock", {"--echo"});
  ASSERT_EQ(clock.exitCode, 0) << clock.errors.toStdString();
  EXPECT_TRUE(clock.out.contains("Local echo: at+cclk=\""));
  const QString rec = QString::fromLatin1(record());
  EXPECT_TRUE(rec.contains("AT+CKPD=\""));
  EXPECT_TRUE(rec.contains("AT^SBNW=?\rAT^SBNW=\"mid\",0,1,"));
  EXPECT_TRUE(rec.contains("4D546864"));  // the MIDI file's MThd
  EXPECT_TRUE(rec.contains(
      QRegularExpression("at\\+cclk=\"\\d\\d/\\d\\d/\\d\\d,\\d\\d:\\d\\d:\\d\\d\"\r")));
}

TEST_F(SendCliTest, FailuresGiveStatusOneWithTheReason) {
  startPhone({"AT+CMGS=*=cms:500"});
  CliRun r = send("sms", {"--to", "123", "--text", "hi"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.errors.contains("answer code 2")) << r.errors.toStdString();
  EXPECT_TRUE(r.out.contains("The phone answered with an error"));
  EXPECT_TRUE(r.out.contains("Connection closed"));

  // A number with letters: the PDU library refuses it.
  startPhone();
  r = send("sms", {"--to", "12x4", "--text", "hi"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.errors.contains("Error #213"));
  EXPECT_FALSE(record().contains("AT+CMGS"));

  r = send("clock", {"--settings", "19200,x,8,1"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.errors.contains("19200,x,8,1")) << r.errors.toStdString();

  r = run({"send", "sms", "--port", "/dev/no-such-port", "--to", "1", "--text", "x"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.errors.contains("/dev/no-such-port"));
}

TEST_F(SendCliTest, LongTextGoesPartByPartOneCommandEach) {
  startPhone();
  QString text;
  for (int i = 0; i < 40; ++i) text += QString::fromUtf8("Ode [to] joy \u20AC ");
  CliRun r = send("sms", {"--to", "0171123", "--text", text, "--line-size", "60"});
  ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString() << r.out.toStdString();
  EXPECT_EQ(record().count("AT+CMGS="), 5);  // 40 x 18 septets = 720: five parts
  std::vector<pdutest::Submit> m = pdus();
  ASSERT_EQ(m.size(), 5u);
  std::u16string joined;
  for (size_t k = 0; k < m.size(); ++k) {
    EXPECT_EQ(m[k].error, "");
    EXPECT_EQ(pdutest::ConcatOf(m[k].udh).number, static_cast<int>(k + 1));
    EXPECT_EQ(pdutest::ConcatOf(m[k].udh).reference, pdutest::ConcatOf(m[0].udh).reference);
    joined += m[k].text;
  }
  EXPECT_EQ(QString::fromStdU16String(joined), text);
  EXPECT_TRUE(r.out.contains("Sending part 5 of 5"));

  // A character the GSM alphabet lacks: UCS2, and the status says so; forced 7-bit is
  // refused before the phone is called.
  startPhone();
  const QString mixed = QString::fromUtf8("Gr\u00FC\u00DFe \u20AC \u65E5\u672C \U0001F3B5");
  r = send("sms", {"--to", "0171123", "--text", mixed});
  ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
  EXPECT_TRUE(r.out.contains("UCS2"));
  m = pdus();
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].alphabet, pdutest::Alphabet::kUcs2);
  EXPECT_EQ(QString::fromStdU16String(m[0].text), mixed);
  startPhone();
  r = send("sms", {"--to", "0171123", "--text", mixed, "--alphabet", "gsm"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.errors.contains("U+1F3B5")) << r.errors.toStdString();
  EXPECT_TRUE(record().isEmpty());
}

TEST_F(SendCliTest, FailedSecondPartEndsTheSessionNamingIt) {
  startPhone({"DATA#2=cms:500"});
  const CliRun r = send("sms", {"--to", "123", "--text", QString(400, 'z')});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.errors.contains("in part 2 of 3")) << r.errors.toStdString();
  EXPECT_TRUE(r.out.contains("part 2 of 3"));
  const QByteArray rec = record();
  EXPECT_EQ(rec.count("AT+CMGS="), 2);  // the third part never starts
  EXPECT_FALSE(r.out.contains("Sending: OK"));

  // A ringtone over three parts is refused before the port is opened.
  startPhone();
  QFile tune(dir_.filePath("long.rtx"));
  ASSERT_TRUE(tune.open(QIODevice::WriteOnly));
  tune.write("long:d=8,o=5,b=125:" + QByteArray("c,d,e,f,g,a,b,").repeated(42) + "c");
  tune.close();
  const CliRun ring = send("ringtone", {"--kind", "nokia", "--to", "123", tune.fileName()});
  EXPECT_EQ(ring.exitCode, 1);
  EXPECT_TRUE(record().isEmpty());
}

TEST_F(SendCliTest, UsageErrorsAndThePortList) {
  EXPECT_EQ(run({"send", "sms", "--to", "1", "--text", "x", "--alphabet", "klingon"}).exitCode, 2);
  EXPECT_EQ(run({"send"}).exitCode, 2);
  EXPECT_EQ(run({"send", "fax"}).exitCode, 2);
  EXPECT_EQ(run({"send", "sms", "--text", "hi"}).exitCode, 2);
  EXPECT_EQ(run({"send", "sms", "--to", "1", "--text", ""}).exitCode, 2);
  EXPECT_EQ(run({"send", "sms", "--to", "+()", "--text", "hi"}).exitCode, 2);
  EXPECT_EQ(run({"send", "ringtone", "--kind", "flute", "--to", "1", "x.rtx"}).exitCode, 2);
  EXPECT_EQ(run({"send", "keys"}).exitCode, 2);
  EXPECT_EQ(run({"send", "clock", "--port", "0"}).exitCode, 2);
  EXPECT_EQ(run({"send", "clock", "--line-size", "-1"}).exitCode, 2);
  EXPECT_EQ(run({"send", "clock", "--settings", "fast"}).exitCode, 2);
  const CliRun ports = run({"ports"});
  EXPECT_EQ(ports.exitCode, 0);
  EXPECT_FALSE(ports.out.isEmpty());
  EXPECT_EQ(run({"ports", "extra"}).exitCode, 2);
}

}  // namespace
