// pealix-cli pdu end to end: the program, both libraries and the stored SMS settings.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "cli_process.h"

namespace {

struct CliRun {
  int exitCode = -1;
  QStringList lines;
  QString errors;
};

class CliPduTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cli_ = QStringLiteral(PEALIX_BIN_DIR "/pealix-cli");
    if (!QFileInfo(cli_).isExecutable()) GTEST_SKIP() << "pealix-cli is not built";
    ASSERT_TRUE(config_.isValid());
  }
  CliRun run(const QStringList& args) {
    const ProcessRun p = runProcess(cli_, QStringList{"pdu"} + args, config_.path(), {}, 30000);
    return {p.exitCode, QString::fromUtf8(p.output).split('\n', Qt::SkipEmptyParts), p.errors};
  }
  void storeSettings(const QByteArray& ini) {
    QDir().mkpath(config_.path() + "/Pealix");
    QFile f(config_.path() + "/Pealix/Pealix.conf");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(ini);
  }
  static QString example(const char* name) {
    return QStringLiteral(PEALIX_SOURCE_DIR "/examples/") + name;
  }
  QString cli_;
  QTemporaryDir config_;
};

TEST_F(CliPduTest, NokiaRingtoneHasHeaderFlagAndCodingGroup) {
  const CliRun r = run({"--ringtone", "nokia", example("Twinkle.rtx"), "--to", "+4917112345"});
  ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
  ASSERT_EQ(r.lines.size(), 2);
  const QByteArray pdu = QByteArray::fromHex(r.lines[0].toLatin1());
  ASSERT_GT(pdu.size(), 12);
  EXPECT_EQ(static_cast<unsigned char>(pdu[0]), 0x00);  // the phone's own service centre
  EXPECT_EQ(static_cast<unsigned char>(pdu[1]), 0x41);
  // 00, first octet, MR, 10 digits (5 octets) with count and type, PID, then TP-DCS.
  EXPECT_EQ(static_cast<unsigned char>(pdu[3]), 10);
  EXPECT_EQ(static_cast<unsigned char>(pdu[4]), 0x81);
  EXPECT_EQ(static_cast<unsigned char>(pdu[11]), 0xF5);
  // The ringtone's header for port 5505.
  EXPECT_EQ(pdu.mid(13, 7).toHex(), "06050415811581");
  EXPECT_EQ(r.lines[1], QString("AT+CMGS=%1").arg(pdu.size() - 1));
}

TEST_F(CliPduTest, StoredServiceCentreAndFlagsReachThePdu) {
  storeSettings("[SMS]\nSMSC=+49171076000\nSMSCt=1\nTP-SRR=0\n");
  const CliRun r = run({"--text", "hellohello", "--to", "12345678", "--international",
                        "--status-report", "--flash", "--store"});
  ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
  ASSERT_EQ(r.lines.size(), 2);
  EXPECT_EQ(r.lines[0],
            "07919471016700F0"
            "2100089121436587"
            "0010"
            "0AE8329BFD4697D9EC37");
  EXPECT_EQ(r.lines[1], "AT+CMGW=20");
}

TEST_F(CliPduTest, EmsIMelodyAndSagemMessages) {
  CliRun r = run({"--ringtone", "imelody", example("Twinkle.rtx"), "--to", "123"});
  ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
  QByteArray pdu = QByteArray::fromHex(r.lines[0].toLatin1());
  EXPECT_EQ(static_cast<unsigned char>(pdu[1]), 0x41);
  EXPECT_EQ(static_cast<unsigned char>(pdu[8]), 0x00);   // TP-DCS: GSM 7-bit
  EXPECT_EQ(static_cast<unsigned char>(pdu[11]), 0x0C);  // EMS user defined sound
  EXPECT_TRUE(pdu.contains("BEGIN:IMELODY"));

  r = run({"--ringtone", "sagem", example("Twinkle.rtx"), "--to", "123"});
  ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
  pdu = QByteArray::fromHex(r.lines[0].toLatin1());
  EXPECT_EQ(static_cast<unsigned char>(pdu[1]), 0x01);
  EXPECT_LE(static_cast<unsigned char>(pdu[9]), 160);
}

TEST_F(CliPduTest, BadUseIsRefusedWithAReason) {
  EXPECT_EQ(run({"--text", "hi"}).exitCode, 2);
  EXPECT_EQ(run({"--text", "hi", "--ringtone", "nokia", "x.rtx", "--to", "1"}).exitCode, 2);
  EXPECT_EQ(run({"--ringtone", "flute", example("Twinkle.rtx"), "--to", "1"}).exitCode, 2);
  EXPECT_EQ(run({"--text", "", "--to", "1"}).exitCode, 2);
  EXPECT_EQ(run({"--text", "hi", "--to", "+()"}).exitCode, 2);
  const CliRun bad = run({"--text", "hi", "--to", "12x"});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_TRUE(bad.errors.contains(" Error #213: unknown error"));
  EXPECT_EQ(run({"--ringtone", "nokia", "/no/such/file.rtx", "--to", "1"}).exitCode, 1);
}

}  // namespace
