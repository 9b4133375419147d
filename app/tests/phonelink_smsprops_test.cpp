// clSMSProps: cleaning and checks on assignment, the presets, copy and the "SMS" section.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "phonelink/clsmsprops.h"
#include "phonelink/rvsmsapi.h"
#include "settings/settingsstore.h"

using pxsettings::SettingsStore;

namespace {

TEST(SmsProps, NumbersKeepOnlyTheirDigitsInOrder) {
  clSMSProps p;
  EXPECT_EQ(p.DestAddress(), "123");
  p.setDestAddress("+49 (171) 123-45/67");
  EXPECT_EQ(p.DestAddress(), "491711234567");
  QByteArray digits;
  int32_t size = 0, type = 0;
  p.GetDestAdrStruct(&digits, &size, &type);
  EXPECT_EQ(digits, "491711234567");
  EXPECT_EQ(size, 12);
  EXPECT_EQ(type, 2);
  p.SetSMSCAdr("+33 6", 1);
  p.GetSMSCStruct(&digits, &size, &type);
  EXPECT_EQ(digits, "336");
  EXPECT_EQ(type, 1);
}

TEST(SmsProps, RejectedValuesGetTheirReplacements) {
  clSMSProps p;
  p.setDestAdrType(5);
  EXPECT_EQ(p.DestAdrType(), 2);
  p.setSMSCAdrType(-1);
  EXPECT_EQ(p.SMSCAdrType(), 2);
  p.setTextOutType(4);
  EXPECT_EQ(p.TextOutType(), 0);
  p.setTextInType(3);
  EXPECT_EQ(p.TextInType(), 3);
  p.setTextInType(-3);
  EXPECT_EQ(p.TextInType(), 0);
  p.setTP_MR(300);
  EXPECT_EQ(p.TP_MR(), 0);
  p.setTP_MR(255);
  EXPECT_EQ(p.TP_MR(), 255);
  p.SetUDHI(2);
  EXPECT_EQ(p.GetUDHI(), 0);
  p.setTP_PID(QStringLiteral("not a number"));
  EXPECT_EQ(p.PidValue(), 0);
  p.setTP_PID(65);
  EXPECT_EQ(p.PidValue(), 65);
}

TEST(SmsProps, FlashIsAViewOfTheMessageClass) {
  clSMSProps p;
  EXPECT_EQ(p.GetMsgClass(), 255);
  p.setFlashSMS(1);
  EXPECT_EQ(p.GetMsgClass(), 0);
  EXPECT_EQ(p.FlashSMS(), 1);
  p.setFlashSMS(2);
  EXPECT_EQ(p.GetMsgClass(), 255);
  EXPECT_EQ(p.FlashSMS(), 0);
  p.SetTPDCSType(1, 1);
  EXPECT_EQ(p.GetMsgClass(), 1);
  EXPECT_EQ(p.GetTPDCSType(), 1);
  p.SetTPDCSType(7);
  EXPECT_EQ(p.GetTPDCSType(), 0);
}

TEST(SmsProps, PresetsForTheRingtoneKinds) {
  clSMSProps p;
  p.Set2NokiaRing();
  EXPECT_EQ(p.GetMsgClass(), 1);
  EXPECT_EQ(p.GetUDHI(), 1);
  EXPECT_EQ(p.GetTPDCSType(), 1);
  EXPECT_EQ(p.TextInType(), 3);
  EXPECT_EQ(p.TextOutType(), 3);
  p.Set2SagemRing();
  EXPECT_EQ(p.GetMsgClass(), 255);
  EXPECT_EQ(p.GetUDHI(), 0);
  EXPECT_EQ(p.GetTPDCSType(), 0);
  EXPECT_EQ(p.TextInType(), 1);
  EXPECT_EQ(p.TextOutType(), 0);
}

TEST(SmsProps, CopyLeavesReferenceAndGroupAndDropsOtherClasses) {
  clSMSProps from;
  from.Set2NokiaRing();
  from.SetDestAdr("0123", 0);
  from.setStatusSMS(1);
  from.setTP_PID(5);
  from.setTP_MR(9);
  clSMSProps to;
  to.setTP_MR(42);
  from.copy(to);
  EXPECT_EQ(to.GetMsgClass(), 255);
  EXPECT_EQ(to.GetTPDCSType(), 0);
  EXPECT_EQ(to.TP_MR(), 42);
  EXPECT_EQ(to.DestAddress(), "0123");
  EXPECT_EQ(to.DestAdrType(), 0);
  EXPECT_EQ(to.StatusSMS(), 1);
  EXPECT_EQ(to.GetUDHI(), 1);
  EXPECT_EQ(to.TextInType(), 3);
  EXPECT_EQ(to.PidValue(), 5);
  from.setFlashSMS(1);
  from.copy(to);
  EXPECT_EQ(to.GetMsgClass(), 0);
}

class SmsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  SettingsStore store() { return SettingsStore::atPath(dir_.path() + "/Pealix.conf"); }
  QTemporaryDir dir_;
};

TEST_F(SmsStoreTest, SaveAndLoadRoundTrip) {
  clSMSProps a;
  a.setFlashSMS(1);
  a.setStatusSMS(1);
  a.setTextInCodepage(1252);
  a.setTextInType(3);
  a.setTextOutCodepage(850);
  a.setTextOutType(2);
  a.SetSMSCAdr("+491710760000", 1);
  a.SetUDHI(1);
  SettingsStore s = store();
  a.RegSave(s);
  EXPECT_EQ(s.read("SMS", "TP-SRR", ""), "1");
  EXPECT_EQ(s.read("SMS", "SMSC", ""), "491710760000");
  clSMSProps b;
  b.RegLoad(s);
  EXPECT_EQ(b.FlashSMS(), 1);
  EXPECT_EQ(b.StatusSMS(), 1);
  EXPECT_EQ(b.TextInCodepage(), 1252);
  EXPECT_EQ(b.TextInType(), 1);  // always code-page text after loading
  EXPECT_EQ(b.TextOutCodepage(), 850);
  EXPECT_EQ(b.TextOutType(), 2);
  EXPECT_EQ(b.SMSCAddress(), "491710760000");
  EXPECT_EQ(b.SMSCAdrType(), 1);
  EXPECT_EQ(b.GetUDHI(), 1);
}

TEST_F(SmsStoreTest, MissingOrGarbageValuesReadAsZero) {
  SettingsStore s = store();
  s.write("SMS", "TOutType", "9");
  s.write("SMS", "SMSCt", "x");
  s.write("SMS", "Flash", "yes");
  clSMSProps p;
  p.setStatusSMS(1);
  p.RegLoad(s);
  EXPECT_EQ(p.TextOutType(), 0);
  EXPECT_EQ(p.SMSCAdrType(), 0);
  EXPECT_EQ(p.FlashSMS(), 0);
  EXPECT_EQ(p.StatusSMS(), 0);
  EXPECT_EQ(p.SMSCAddress(), "");
}

// The counter of the SMS text box, counted by the real librvsms.so: septets in 7-bit
// (extension characters two), UTF-16 units once a character needs UCS2, octets in 8-bit
// text, per part once the text takes more than one.
TEST(SmsProps, CharactersLeftInThisPartAndParts) {
  RvSmsApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR));
  ASSERT_TRUE(RvSmsApi::instance().load()) << RvSmsApi::instance().errorText().toStdString();
  clSMSProps p;
  p.setTextInCodepage(65001);
  struct Case {
    QString text;
    QString shown;
    bool ucs2;
  };
  const Case cases[] = {
      {"", "160 / 1", false},
      {"hello", "155 / 1", false},
      {QString::fromUtf8("\u20AC{}[]~^|\\"), "142 / 1", false},  // nine characters, 18 septets
      {QString::fromUtf8("Gr\u00FC\u00DFe"), "155 / 1", false},
      {QString(160, 'a'), "0 / 1", false},
      {QString(161, 'a'), "145 / 2", false},
      // The escape would be the 153rd septet: the pair moves on to part 2.
      {QString(152, 'a') + QString::fromUtf8("\u20AC") + QString(8, 'a'), "143 / 2", false},
      {QString::fromUtf8("Gr\u00FC\u00DFe \u65E5"), "63 / 1", true},
      {QString::fromUtf8("\U0001F600"), "68 / 1", true},  // two units
      {QString(71, QChar(0x65E5)), "63 / 2", true},
  };
  for (const Case& c : cases) {
    const clSMSProps::CharsLeftCount count = p.CharsLeft(c.text);
    EXPECT_EQ(clSMSProps::CharsLeftText(count), c.shown) << c.text.toStdString();
    EXPECT_EQ(count.ucs2, c.ucs2) << c.text.toStdString();
  }
  // 8-bit text and UCS2 chosen in the settings.
  p.setTextOutType(1);
  EXPECT_EQ(clSMSProps::CharsLeftText(p.CharsLeft("hello")), "135 / 1");
  p.setTextOutType(2);
  EXPECT_EQ(clSMSProps::CharsLeftText(p.CharsLeft("hello")), "65 / 1");
  // Forced 7-bit counts what goes: the character without a code is left out.
  p.setTextOutType(0);
  p.setForceGsm(true);
  EXPECT_EQ(clSMSProps::CharsLeftText(p.CharsLeft(QString::fromUtf8("a\u65E5"))), "159 / 1");
  p.setForceGsm(false);
  // More than 255 parts: no part left to type into.
  const clSMSProps::CharsLeftCount tooLong = p.CharsLeft(QString(153 * 255 + 1, 'a'));
  EXPECT_TRUE(tooLong.tooLong);
  EXPECT_EQ(tooLong.parts, 256);
  EXPECT_EQ(clSMSProps::CharsLeftText(tooLong), "0 / 256");
}

}  // namespace
