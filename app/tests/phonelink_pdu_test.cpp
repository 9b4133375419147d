// modPDU over the real librvsms.so: whole PDUs, the presets' octets, the error box and
// the EMS iMelody message.
#include <gtest/gtest.h>

#include <QStringList>

#include "languages/reslang.h"
#include "phonelink/clsmsprops.h"
#include "phonelink/modpdu.h"
#include "phonelink/rvsmsapi.h"

namespace {

class PduTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RvSmsApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR));
    ASSERT_TRUE(RvSmsApi::instance().load()) << RvSmsApi::instance().errorText().toStdString();
    errors_ = modPDU::ShowErrorsWith([this](const QString& title, const QString& text) {
      titles_ << title;
      texts_ << text;
    });
  }
  QStringList titles_, texts_;
  modPDU::ErrorScope errors_;
};

// Octet i of a PDU whose SMSC field is the single octet 00 and whose destination has
// `digits` digits: first octet at 1, TP-DCS after the address and the PID.
int dcsIndex(int digits) {
  return 1 + 1 + 1 + 2 + (digits + 1) / 2 + 1;
}

TEST_F(PduTest, TextMessageIsBuiltOctetForOctet) {
  clSMSProps p;
  p.SetDestAdr("+12345678", 1);
  QByteArray pdu;
  int tpdu = 0;
  ASSERT_EQ(modPDU::BuildSmsPdu("hellohello", &pdu, &tpdu, p), 1);
  EXPECT_EQ(modPDU::ToHex(pdu),
            "0001000891214365870000"
            "0AE8329BFD4697D9EC37");
  EXPECT_EQ(tpdu, 20);
  EXPECT_TRUE(texts_.isEmpty());

  p.setStatusSMS(1);
  p.setFlashSMS(1);
  ASSERT_EQ(modPDU::BuildSmsPdu("hellohello", &pdu, &tpdu, p), 1);
  EXPECT_EQ(static_cast<unsigned char>(pdu[1]), 0x21);
  EXPECT_EQ(static_cast<unsigned char>(pdu[dcsIndex(8)]), 0x10);
}

TEST_F(PduTest, NokiaPresetGivesHeaderFlagAndCodingGroup) {
  clSMSProps global;
  global.SetDestAdr("0171123456", 2);
  global.setFlashSMS(1);  // the preset overrides the class
  const QByteArray ringtone = QByteArray::fromHex("06050415811581024A3A");
  QByteArray pdu;
  int tpdu = 0;
  ASSERT_EQ(modPDU::MakeMessagePdu(modPDU::kNokiaRing, ringtone, global, &pdu, &tpdu), 1);
  EXPECT_EQ(static_cast<unsigned char>(pdu[1]), 0x41);
  EXPECT_EQ(static_cast<unsigned char>(pdu[dcsIndex(10)]), 0xF5);
  EXPECT_EQ(static_cast<unsigned char>(pdu[dcsIndex(10) + 1]), ringtone.size());
  EXPECT_TRUE(pdu.endsWith(ringtone));
  EXPECT_EQ(tpdu, pdu.size() - 1);
  // The global object is untouched.
  EXPECT_EQ(global.GetMsgClass(), 0);
  EXPECT_EQ(global.GetUDHI(), 0);
}

TEST_F(PduTest, LibraryFailureIsShownOnceAndGivesMinusOne) {
  reslang::SetAppDirectory(QStringLiteral(PEALIX_BIN_DIR));
  clSMSProps p;
  p.SetDestAdr("12x4", 1);
  QByteArray pdu = "untouched";
  int tpdu = 7;
  EXPECT_EQ(modPDU::BuildSmsPdu("hi", &pdu, &tpdu, p), -1);
  ASSERT_EQ(texts_.size(), 1);
  EXPECT_EQ(titles_[0], "Pealix SMSSend - Error");
  const QStringList lines = texts_[0].split('\n');
  ASSERT_EQ(lines.size(), 2);
  // The number comes with what it means (here from the English fallback table).
  EXPECT_EQ(lines[1],
            " Error #213: The destination number is missing or holds a character other than a "
            "digit.");
  EXPECT_EQ(pdu, "untouched");
  EXPECT_EQ(tpdu, 7);
  reslang::SetAppDirectory(QString());
}

TEST_F(PduTest, EmptyTextOrDestinationGivesMinusOneWithoutAMessage) {
  clSMSProps p;
  QByteArray pdu;
  int tpdu = 0;
  EXPECT_EQ(modPDU::BuildSmsPdu("", &pdu, &tpdu, p), -1);
  p.SetDestAdr("+ ()", 1);
  EXPECT_EQ(p.DestAddress(), "");
  EXPECT_EQ(modPDU::BuildSmsPdu("hi", &pdu, &tpdu, p), -1);
  EXPECT_TRUE(texts_.isEmpty());
  EXPECT_EQ(modPDU::MakeMessagePdu(5, "hi", p, &pdu, &tpdu), -1);
}

TEST_F(PduTest, PackingBehindAHeaderStartsOnASeptetBoundary) {
  QByteArray packed;
  // 6 header octets = 48 bits: one fill bit, so "A" (0x41) starts at bit 1.
  ASSERT_EQ(modPDU::PackGsmAfterHeader("A", 0, 6, &packed), 1);
  EXPECT_EQ(modPDU::ToHex(packed), "82");
  ASSERT_EQ(modPDU::PackGsmAfterHeader("hellohello", 0, 0, &packed), 1);
  EXPECT_EQ(modPDU::ToHex(packed), "E8329BFD4697D9EC37");
}

TEST_F(PduTest, EmsHeaderOf104OctetsTakesOneFillBit) {
  const QByteArray imelody(100, 'x');
  const QByteArray header = modPDU::EmsIMelodyHeader(imelody);
  ASSERT_EQ(header.size(), 104);
  EXPECT_EQ(static_cast<unsigned char>(header[0]), 103);
  EXPECT_EQ(static_cast<unsigned char>(header[1]), 0x0C);
  EXPECT_EQ(static_cast<unsigned char>(header[2]), 101);
  EXPECT_EQ(static_cast<unsigned char>(header[3]), 0x00);
  EXPECT_EQ(header.mid(4), imelody);

  QByteArray data;
  ASSERT_EQ(modPDU::MakeEmsIMelodyData(imelody, &data), 1);
  ASSERT_TRUE(data.startsWith(header));
  // 832 header bits leave 7 - (832 mod 7) = 1 fill bit: the first display character
  // ("P", 0x50) begins at bit 1 of the first octet after the header.
  const QString display = modPDU::EmsDisplayText();
  ASSERT_TRUE(display.startsWith('P'));
  EXPECT_EQ(static_cast<unsigned char>(data[104]), 0xA0);
  const int bits = 1 + 7 * static_cast<int>(display.size());
  EXPECT_EQ(data.size(), 104 + (bits + 7) / 8);

  clSMSProps global;
  global.SetDestAdr("12345678", 1);
  QByteArray pdu;
  int tpdu = 0;
  ASSERT_EQ(modPDU::MakeMessagePdu(modPDU::kEmsIMelody, data, global, &pdu, &tpdu), 1);
  EXPECT_EQ(static_cast<unsigned char>(pdu[1]), 0x41);
  EXPECT_EQ(static_cast<unsigned char>(pdu[dcsIndex(8)]), 0x00);
  EXPECT_EQ(static_cast<unsigned char>(pdu[dcsIndex(8) + 1]), data.size() * 8 / 7);
  EXPECT_TRUE(pdu.endsWith(data));
}

// Septet k of 7-bit user data, counted from the first bit of the data.
int septetAt(const QByteArray& ud, int k) {
  const int bit = k * 7;
  unsigned v = static_cast<unsigned char>(ud[bit / 8]) >> (bit % 8);
  if (bit % 8 > 1 && bit / 8 + 1 < ud.size())
    v |= static_cast<unsigned>(static_cast<unsigned char>(ud[bit / 8 + 1])) << (8 - bit % 8);
  return static_cast<int>(v & 0x7F);
}

// A phone reads TP-UDL = octets x 8 / 7 septets: after the header come the display
// text and, where seven bits are to spare, a carriage return, never an '@' (code 0).
TEST_F(PduTest, EmsDisplayTextReadsBackAfterEveryHeaderLength) {
  const QString display = modPDU::EmsDisplayText();
  for (int n = 1; n <= 119; ++n) {
    QByteArray data;
    ASSERT_EQ(modPDU::MakeEmsIMelodyData(QByteArray(n, 'x'), &data), 1) << n;
    const int udl = static_cast<int>(data.size()) * 8 / 7;
    const int first = ((n + 4) * 8 + 6) / 7;
    QString read;
    for (int k = first; k < udl; ++k) {
      const int c = septetAt(data, k);
      read += c == 0x0D ? QChar('\r') : QChar(c);  // plain letters sit at their own codes
    }
    EXPECT_TRUE(read == display || read == display + '\r') << n << " " << read.toStdString();
  }
}

TEST_F(PduTest, EmsMessageOverOneSmsIsRefusedWithAMessage) {
  QByteArray data = "kept";
  EXPECT_EQ(modPDU::MakeEmsIMelodyData(QByteArray(136, 'x'), &data), modPDU::kEmsTooLong);
  EXPECT_EQ(modPDU::MakeEmsIMelodyData(QByteArray(300, 'x'), &data), modPDU::kEmsTooLong);
  EXPECT_EQ(data, "kept");
  EXPECT_EQ(texts_.size(), 2);
  // The largest iMelody text that still fits with the display text.
  const int room = 140 - 4 - (1 + 7 * static_cast<int>(modPDU::EmsDisplayText().size()) + 7) / 8;
  EXPECT_EQ(modPDU::MakeEmsIMelodyData(QByteArray(room - 1, 'x'), &data), 1);
  EXPECT_LE(data.size(), 140);
}

}  // namespace
