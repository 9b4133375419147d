// clCommProps: checks on assignment, the port settings text, the store list and the
// "Comm" section.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "phonelink/clcommprops.h"
#include "settings/settingsstore.h"

using pxsettings::SettingsStore;

namespace {

TEST(CommProps, DefaultsGiveTheStandardLine) {
  clCommProps p;
  EXPECT_EQ(p.Port(), 1);
  EXPECT_EQ(p.getmsoptions(), "9600,n,8,1");
  EXPECT_EQ(p.Handshaking(), 0);
  EXPECT_FALSE(p.LocalEcho());
  EXPECT_EQ(p.MaxATLineSizeSMS(), 0);
  EXPECT_EQ(p.GetCPMSMem(), "\"MT\"");
}

TEST(CommProps, AssignmentsReplaceRejectedValues) {
  clCommProps p;
  p.setBaud("14400");
  EXPECT_EQ(p.Baud(), "9600");
  p.setBaud("115200");
  EXPECT_EQ(p.Baud(), "115200");
  p.setBaud("");
  EXPECT_EQ(p.Baud(), "9600");
  p.setParity("EVEN");
  EXPECT_EQ(p.Parity(), "even");
  EXPECT_EQ(p.getmsoptions(), "9600,e,8,1");
  p.setParity("x");
  EXPECT_EQ(p.Parity(), "n");
  p.setParity("");
  EXPECT_EQ(p.Parity(), "n");
  p.setDataBits(9);
  EXPECT_EQ(p.DataBits(), 8);
  p.setDataBits(4);
  EXPECT_EQ(p.DataBits(), 4);
  p.setDataBits(3);
  EXPECT_EQ(p.DataBits(), 8);
  p.setHandshaking(4);
  EXPECT_EQ(p.Handshaking(), 0);
  p.setHandshaking(3);
  EXPECT_EQ(p.Handshaking(), 3);
  p.setHandshaking(-1);
  EXPECT_EQ(p.Handshaking(), 0);
  p.setMaxATLineSizeSMS(-5);
  EXPECT_EQ(p.MaxATLineSizeSMS(), 0);
  EXPECT_EQ(p.MaxATLineSizeIndex(), 0);
  p.setMaxATLineSizeSMS(60);
  EXPECT_EQ(p.MaxATLineSizeIndex(), 1);
  p.setStopBits("3");
  EXPECT_EQ(p.StopBits(), "1");
  p.setSMSMemRead("");
  EXPECT_EQ(p.SMSMemRead(), "MT");
}

TEST(CommProps, SettingsTextRoundTripsWithOneAndAHalfStopBits) {
  clCommProps p;
  p.setStopBits("1.5");
  EXPECT_EQ(p.getmsoptions(), "9600,n,8,1.5");
  clCommProps q;
  q.setBaud("19200");
  ASSERT_TRUE(q.setmsoptions(p.getmsoptions()));
  EXPECT_EQ(q.Baud(), "9600");
  EXPECT_EQ(q.Parity(), "n");
  EXPECT_EQ(q.DataBits(), 8);
  EXPECT_EQ(q.StopBits(), "1.5");
  // The comma form of 1.5 does not shift the other parts.
  ASSERT_TRUE(q.setmsoptions("115200,e,7,1,5"));
  EXPECT_EQ(q.Baud(), "115200");
  EXPECT_EQ(q.Parity(), "e");
  EXPECT_EQ(q.DataBits(), 7);
  EXPECT_EQ(q.StopBits(), "1,5");
  // Texts of another form change nothing.
  for (const char* bad : {"", "9600", "9600,n,8", ",n,8,1", "1,,8,1"}) {
    EXPECT_FALSE(q.setmsoptions(bad)) << bad;
    EXPECT_EQ(q.getmsoptions(), "115200,e,7,1,5") << bad;
  }
}

TEST(CommProps, StoreListNeedsTheSendingStoreForTheReceivingOne) {
  clCommProps p;
  p.setSMSMemRead("MT");
  p.setSMSMemOut("SM");
  p.setSMSMemIn("ME");
  EXPECT_EQ(p.GetCPMSMem(), "\"MT\",\"SM\",\"ME\"");
  p.setSMSMemRead("SM");
  p.setSMSMemOut("");
  EXPECT_EQ(p.GetCPMSMem(), "\"SM\"");
}

TEST(CommProps, ImportAndExportCopyTenPropertiesThroughTheChecks) {
  clCommProps a;
  a.setPort(4);
  a.setBaud("57600");
  a.setDataBits(7);
  a.setParity("odd");
  a.setStopBits("2");
  a.setHandshaking(2);
  a.setLocalEcho(true);
  a.setSMSMemOut("SM");
  a.setSMSMemIn("IM");
  a.setMaxATLineSizeSMS(60);
  clCommProps b;
  b.ImportClass(a);
  EXPECT_EQ(b.getmsoptions(), "57600,o,7,2");
  EXPECT_EQ(b.Port(), 4);
  EXPECT_EQ(b.Handshaking(), 2);
  EXPECT_TRUE(b.LocalEcho());
  EXPECT_EQ(b.GetCPMSMem(), "\"MT\",\"SM\",\"IM\"");
  EXPECT_EQ(b.MaxATLineSizeSMS(), 0);
  clCommProps c;
  a.ExportClass(c);
  EXPECT_EQ(c.getmsoptions(), b.getmsoptions());
}

class CommStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  SettingsStore store() { return SettingsStore::atPath(dir_.path() + "/Pealix.conf"); }
  QTemporaryDir dir_;
};

TEST_F(CommStoreTest, MissingSectionGivesTheStandardLineWithRtsCts) {
  SettingsStore s = store();
  clCommProps p;
  p.setBaud("19200");
  p.RegLoad(s);
  EXPECT_EQ(p.Port(), 1);
  EXPECT_EQ(p.getmsoptions(), "9600,n,8,1");
  EXPECT_EQ(p.Parity(), "none");
  EXPECT_EQ(p.Handshaking(), 2);
  EXPECT_FALSE(p.LocalEcho());
  EXPECT_EQ(p.SMSMemRead(), "MT");
}

TEST_F(CommStoreTest, SaveAndLoadRoundTrip) {
  clCommProps a;
  a.setPort(3);
  a.setBaud("115200");
  a.setParity("even");
  a.setStopBits("1.5");
  a.setHandshaking(1);
  a.setLocalEcho(true);
  a.setMaxATLineSizeSMS(60);
  a.setSMSMemOut("SM");
  SettingsStore s = store();
  a.RegSave(s);
  EXPECT_EQ(s.read("Comm", "Settings", ""), "115200,e,8,1.5");
  EXPECT_EQ(s.read("Comm", "LocalEcho", ""), "True");
  clCommProps b;
  b.RegLoad(s);
  EXPECT_EQ(b.getmsoptions(), a.getmsoptions());
  EXPECT_EQ(b.Port(), 3);
  EXPECT_EQ(b.Handshaking(), 1);
  EXPECT_TRUE(b.LocalEcho());
  EXPECT_EQ(b.MaxATLineSizeSMS(), 60);
  EXPECT_EQ(b.GetCPMSMem(), "\"MT\",\"SM\"");
}

TEST_F(CommStoreTest, StoredGarbageIsCheckedLikeAnAssignment) {
  SettingsStore s = store();
  s.write("Comm", "ComPort", "COM1");
  s.write("Comm", "Baud", "fast");
  s.write("Comm", "DataBits", "nine");
  s.write("Comm", "Parity", "?");
  s.write("Comm", "StopBits", "7");
  s.write("Comm", "Handshaking", "99");
  s.write("Comm", "LocalEcho", "perhaps");
  s.write("Comm", "MaxLineSMSSize", "-60");
  s.write("Comm", "SMSMemRead", "");
  clCommProps p;
  p.RegLoad(s);
  EXPECT_EQ(p.Port(), 1);
  EXPECT_EQ(p.getmsoptions(), "9600,n,8,1");
  EXPECT_EQ(p.Handshaking(), 0);
  EXPECT_FALSE(p.LocalEcho());
  EXPECT_EQ(p.MaxATLineSizeSMS(), 0);
  EXPECT_EQ(p.SMSMemRead(), "MT");
}

}  // namespace

namespace {

// A device path given instead of a port number is stored with the line, travels with the
// other properties, and gives way when another port number is chosen.
TEST_F(CommStoreTest, DevicePathIsKeptUntilAnotherNumberIsChosen) {
  clCommProps p;
  p.setPort(3);
  p.setPortPath(" /dev/ttyUSB0 ");
  EXPECT_EQ(p.PortPath(), "/dev/ttyUSB0");
  {
    SettingsStore s = store();
    p.RegSave(s);
  }
  clCommProps loaded;
  const SettingsStore s = store();
  loaded.RegLoad(s);
  EXPECT_EQ(loaded.Port(), 3);
  EXPECT_EQ(loaded.PortPath(), "/dev/ttyUSB0");
  clCommProps copy;
  loaded.ExportClass(copy);
  EXPECT_EQ(copy.PortPath(), "/dev/ttyUSB0");
  copy.setPort(3);  // the same number keeps the path
  EXPECT_EQ(copy.PortPath(), "/dev/ttyUSB0");
  copy.setPort(2);
  EXPECT_TRUE(copy.PortPath().isEmpty());
}

}  // namespace
