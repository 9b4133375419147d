// pealix-cli pdu end to end: the program, both libraries and the stored SMS settings.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "../../smslib/tests/pdu_decoder.h"

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
  // An RTTTL tune of n notes, written into the test's folder.
  QString tune(int n) {
    QByteArray text = "long:d=8,o=5,b=125:";
    static const char* notes[] = {"c", "d", "e", "f", "g", "a", "b"};
    for (int i = 0; i < n; ++i) text += QByteArray(i ? "," : "") + notes[i % 7];
    const QString path = config_.filePath(QStringLiteral("tune%1.rtx").arg(n));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
    return path;
  }
  // The parts printed as "part K/N", the hex line, the AT line: decoded, checked in order.
  static std::vector<pdutest::Submit> parts(const CliRun& r) {
    std::vector<pdutest::Submit> out;
    const qsizetype n = r.lines.size() / 3;
    EXPECT_EQ(r.lines.size(), n * 3);
    for (qsizetype k = 0; k < n; ++k) {
      EXPECT_EQ(r.lines[k * 3], QString("part %1/%2").arg(k + 1).arg(n));
      const QByteArray pdu = QByteArray::fromHex(r.lines[k * 3 + 1].toLatin1());
      out.push_back(pdutest::Decode(pdutest::Bytes(pdu.begin(), pdu.end()), true));
      EXPECT_EQ(out.back().error, "");
      EXPECT_EQ(r.lines[k * 3 + 2], QString("AT+CMGS=%1").arg(pdu.size() - 1));
    }
    return out;
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
  // A melody that one EMS message cannot hold goes in parts: the prompt indicator and a
  // sound in the first, a sound in each other; over three parts it is refused, not cut.
  CliRun r = run({"--ringtone", "imelody", example("Twinkle.rtx"), "--to", "123"});
  ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
  const std::vector<pdutest::Submit> p = parts(r);
  ASSERT_EQ(p.size(), 3u);
  for (size_t k = 0; k < p.size(); ++k) {
    std::vector<int> ieis;
    for (const pdutest::HeaderElement& e : pdutest::HeaderElements(p[k].udh)) ieis.push_back(e.iei);
    const std::vector<int> first = {0x00, 0x13, 0x0C}, later = {0x00, 0x0C};
    EXPECT_EQ(ieis, k == 0 ? first : later);
  }
  r = run({"--ringtone", "imelody", tune(100), "--to", "123"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.lines.isEmpty());
  EXPECT_TRUE(r.errors.contains("a ringtone is sent in at most 3")) << r.errors.toStdString();
  r = run({"--ringtone", "imelody", tune(6), "--to", "123"});
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
  // One Sagem SMS holds about 60 notes: a longer melody is refused, not sent cut.
  r = run({"--ringtone", "sagem", tune(100), "--to", "123"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.errors.contains("of its 100 notes and pauses")) << r.errors.toStdString();
}

TEST_F(CliPduTest, BadUseIsRefusedWithAReason) {
  EXPECT_EQ(run({"--text", "hi"}).exitCode, 2);
  EXPECT_EQ(run({"--text", "hi", "--ringtone", "nokia", "x.rtx", "--to", "1"}).exitCode, 2);
  EXPECT_EQ(run({"--ringtone", "flute", example("Twinkle.rtx"), "--to", "1"}).exitCode, 2);
  EXPECT_EQ(run({"--text", "", "--to", "1"}).exitCode, 2);
  EXPECT_EQ(run({"--text", "hi", "--to", "+()"}).exitCode, 2);
  const CliRun bad = run({"--text", "hi", "--to", "12x"});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_TRUE(bad.errors.contains(" Error #213: The destination number is missing"))
      << bad.errors.toStdString();
  EXPECT_EQ(run({"--ringtone", "nokia", "/no/such/file.rtx", "--to", "1"}).exitCode, 1);
}

TEST_F(CliPduTest, LongAndInternationalTextsGoWholeInParts) {
  // 300 letters: two numbered parts, joined to the whole text (once cut at 160 silently).
  CliRun r = run({"--text", QString(300, 'x'), "--to", "123"});
  ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
  std::vector<pdutest::Submit> p = parts(r);
  ASSERT_EQ(p.size(), 2u);
  EXPECT_EQ(QString::fromStdU16String(p[0].text + p[1].text), QString(300, 'x'));
  EXPECT_EQ(pdutest::ConcatOf(p[1].udh).number, 2);

  // A character outside the GSM alphabet: UCS2, and the CLI says so.
  const QString mixed = QString::fromUtf8("Gr\u00FC\u00DFe \u20AC \u65E5\u672C");
  r = run({"--text", mixed, "--to", "123"});
  ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
  ASSERT_EQ(r.lines.size(), 2);
  QByteArray pdu = QByteArray::fromHex(r.lines[0].toLatin1());
  pdutest::Submit m = pdutest::Decode(pdutest::Bytes(pdu.begin(), pdu.end()), true);
  EXPECT_EQ(m.alphabet, pdutest::Alphabet::kUcs2);
  EXPECT_EQ(QString::fromStdU16String(m.text), mixed);
  EXPECT_TRUE(r.errors.contains("UCS2"));

  // Forced 7-bit: the characters it lacks are named and nothing is printed, unless
  // --allow-replace is given.
  r = run({"--text", mixed, "--to", "123", "--alphabet", "gsm"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.lines.isEmpty());
  EXPECT_TRUE(r.errors.contains(QString::fromUtf8("'\u65E5' (U+65E5), '\u672C' (U+672C)")))
      << r.errors.toStdString();
  r = run({"--text", mixed, "--to", "123", "--alphabet", "gsm", "--allow-replace"});
  ASSERT_EQ(r.exitCode, 0);
  pdu = QByteArray::fromHex(r.lines[0].toLatin1());
  m = pdutest::Decode(pdutest::Bytes(pdu.begin(), pdu.end()), true);
  EXPECT_EQ(m.alphabet, pdutest::Alphabet::kGsm7);
  EXPECT_EQ(QString::fromStdU16String(m.text), QString::fromUtf8("Gr\u00FC\u00DFe \u20AC "));
  EXPECT_EQ(run({"--text", "x", "--to", "1", "--alphabet", "latin"}).exitCode, 2);

  // 255 parts still go; 256 are refused with the count.
  r = run({"--text", QString(153 * 255, 'y'), "--to", "123"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.lines.size(), 3 * 255);
  r = run({"--text", QString(153 * 255 + 1, 'y'), "--to", "123"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.lines.isEmpty());
  EXPECT_TRUE(r.errors.contains("needs 256 SMS")) << r.errors.toStdString();
}

TEST_F(CliPduTest, LongNokiaRingtoneGoesInUpToThreePartsWithItsPort) {
  const CliRun r = run({"--ringtone", "nokia", tune(200), "--to", "123"});
  ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
  const std::vector<pdutest::Submit> p = parts(r);
  ASSERT_GE(p.size(), 2u);
  ASSERT_LE(p.size(), 3u);
  for (const pdutest::Submit& m : p) {
    EXPECT_EQ(m.dcs, 0xF5);
    std::vector<int> ieis;
    for (const pdutest::HeaderElement& e : pdutest::HeaderElements(m.udh)) ieis.push_back(e.iei);
    EXPECT_EQ(ieis, (std::vector<int>{0x05, 0x00}));  // port 5505, then the concatenation
  }
  // A melody with more instructions than a ringtone holds: refused, nothing printed.
  const CliRun tooLong = run({"--ringtone", "nokia", tune(300), "--to", "123"});
  EXPECT_EQ(tooLong.exitCode, 1);
  EXPECT_TRUE(tooLong.lines.isEmpty());
  EXPECT_TRUE(tooLong.errors.contains("at most 255")) << tooLong.errors.toStdString();
  // 200 notes, but an octave change before every other one: 400 instructions.
  const QString octaves = config_.filePath(QStringLiteral("octaves.rtx"));
  QFile f(octaves);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("octaves:d=8,o=5,b=125:" + QByteArray("c,c7,").repeated(99) + "c,c7");
  f.close();
  const CliRun cut = run({"--ringtone", "nokia", octaves, "--to", "123"});
  EXPECT_EQ(cut.exitCode, 1);
  EXPECT_TRUE(cut.lines.isEmpty());
  EXPECT_TRUE(cut.errors.contains("of the melody's 200 notes")) << cut.errors.toStdString();
}

}  // namespace
