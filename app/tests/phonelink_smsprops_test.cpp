// clSMSProps: cleaning and checks on assignment, the presets, copy and the "SMS" section.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "phonelink/clsmsprops.h"
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

}  // namespace
