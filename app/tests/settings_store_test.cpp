// The settings store: defaults, the checks on reading, and files that are damaged,
// unreadable or missing.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <unistd.h>

#include "settings/settingsstore.h"

using pxsettings::Key;
using pxsettings::SettingsStore;

namespace {

class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    qputenv("XDG_CONFIG_HOME", dir_.path().toUtf8());
  }
  QString confPath() const { return dir_.path() + QStringLiteral("/Pealix/Pealix.conf"); }
  void writeFile(const QByteArray& text) {
    QDir().mkpath(dir_.path() + QStringLiteral("/Pealix"));
    QFile f(confPath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
  }
  QTemporaryDir dir_;
};

TEST_F(SettingsStoreTest, LivesInTheConfigFolderAndRoundTrips) {
  {
    SettingsStore store;
    EXPECT_EQ(store.filePath(), confPath());
    store.write("Properties", "LDir", "/home/me/tunes");
    store.setInteger(Key::SOpti, 99);
    store.setFlag(Key::SendSMS, true);
    store.setText(Key::NokCImp, " ");
    ASSERT_TRUE(store.sync());
  }
  SettingsStore again;
  EXPECT_EQ(again.lastDir(), "/home/me/tunes");
  EXPECT_EQ(again.sagemOpti(), 99);
  EXPECT_TRUE(again.sendSMS());
  EXPECT_EQ(again.read("Comm", "SendSMS", "x"), "True");
  EXPECT_EQ(again.nokiaComposerImportDelimiter(), " ");
}

TEST_F(SettingsStoreTest, MissingFileGivesTheTableDefaults) {
  SettingsStore store;
  EXPECT_EQ(store.midiplay(), "open");
  EXPECT_EQ(store.sagemOpti(), 160);
  EXPECT_EQ(store.nokiaOpti(), 140);
  EXPECT_EQ(store.sagemOptiLF(), 1);
  EXPECT_EQ(store.nokiaUDH(), 1);
  EXPECT_EQ(store.outDevice(), -1);
  EXPECT_EQ(store.ignoreVol(), 1);
  EXPECT_EQ(store.newEventLeft(), 1000);
  EXPECT_EQ(store.nokiaComposerExportDelimiter(), " ");
  EXPECT_FALSE(store.intNumbers());
  EXPECT_EQ(store.text(Key::ComPort), "1");
  EXPECT_EQ(store.text(Key::Baud), "9600");
  EXPECT_EQ(store.text(Key::DataBits), "8");
  EXPECT_EQ(store.text(Key::Parity), "none");
  EXPECT_EQ(store.text(Key::StopBits), "1");
  EXPECT_EQ(store.read("Nowhere", "nothing", "fallback"), "fallback");
}

TEST_F(SettingsStoreTest, OutOfRangeValuesReadAsTheDefault) {
  writeFile(
      "[Properties]\nSOpti=20\nNokiaOpti=19\nMidExInstr=128\nSOptiLF=2\nnewlang=7\n"
      "[Style]\nMainGirdLines=2\nNVFlatbar=1\n[MidiSetup]\nIntrument=-1\nIgnoreVol=0\n");
  SettingsStore store;
  EXPECT_EQ(store.sagemOpti(), 160);
  EXPECT_EQ(store.nokiaOpti(), 140);
  EXPECT_EQ(store.midExInstr(), 0);
  EXPECT_EQ(store.sagemOptiLF(), 1);
  EXPECT_EQ(store.mainGridLines(), 0);
  EXPECT_EQ(store.nvFlatbar(), 1);
  EXPECT_EQ(store.instrument(), 0);
  EXPECT_EQ(store.ignoreVol(), 0);
  EXPECT_EQ(store.newLang(3), 1);
  EXPECT_EQ(store.newLang(8), 7);
}

TEST_F(SettingsStoreTest, BoundariesAreAccepted) {
  writeFile("[Properties]\nSOpti=35\nNokiaOpti=20\nMidExInstr=127\n");
  SettingsStore store;
  EXPECT_EQ(store.sagemOpti(), 35);
  EXPECT_EQ(store.nokiaOpti(), 20);
  EXPECT_EQ(store.midExInstr(), 127);
}

TEST_F(SettingsStoreTest, GarbageAndWrongTypesGiveDefaults) {
  writeFile(
      "garbage line without equals\n[Properties]\nSOpti=abc\nNokiaOpti=1e3\nMidExInstr=12.5\n"
      "NokiaUDH=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x18)\nmidiplay=play\n"
      "[Comm]\nSendSMS=maybe\nIntNumbers=TRUE\nBaud=1,2\n[Settings]\nNewEvTop=99999999999\n"
      "[[[broken\n");
  SettingsStore store;
  EXPECT_EQ(store.sagemOpti(), 160);
  EXPECT_EQ(store.nokiaOpti(), 140);
  EXPECT_EQ(store.midExInstr(), 0);
  EXPECT_EQ(store.nokiaUDH(), 1);
  EXPECT_EQ(store.midiplay(), "play");
  EXPECT_FALSE(store.sendSMS());
  EXPECT_TRUE(store.intNumbers());
  EXPECT_EQ(store.text(Key::Baud), "1,2");  // text keys hand the text on; clCommProps checks
  EXPECT_EQ(store.newEventTop(), 1000);
}

TEST_F(SettingsStoreTest, UnreadableFileGivesDefaultsAndDoesNotCrash) {
  if (geteuid() == 0) {
    // root reads every file; a folder in the file's place cannot be read by anyone
    ASSERT_TRUE(QDir().mkpath(confPath()));
  } else {
    writeFile("[Properties]\nSOpti=50\n");
    QFile::setPermissions(confPath(), QFileDevice::Permissions());
  }
  SettingsStore store;
  EXPECT_EQ(store.sagemOpti(), 160);
  store.setInteger(Key::SOpti, 60);
  EXPECT_FALSE(store.sync());
}

TEST_F(SettingsStoreTest, DeleteSectionRemovesOnlyThatSection) {
  {
    SettingsStore store;
    store.setRecentFile(1, "/a.rtx", 1);
    store.setRecentFile(2, "/b.mid", 2);
    store.setInteger(Key::RecentCount, 2);
    store.setText(Key::Midiplay, "play");
    store.deleteSection("");  // never the whole store
    store.deleteSection("RecentFiles");
    ASSERT_TRUE(store.sync());
  }
  SettingsStore store;
  EXPECT_EQ(store.recentCount(), 0);
  EXPECT_EQ(store.recentFileName(1), "");
  EXPECT_EQ(store.recentFileType(2), 0);
  EXPECT_EQ(store.midiplay(), "play");
}

TEST(SettingsTable, EveryKeyHasItsSectionAndADefaultThatPassesItsCheck) {
  QTemporaryDir dir;
  SettingsStore store = SettingsStore::atPath(dir.path() + "/empty.conf");
  for (int k = 0; k <= static_cast<int>(Key::NewEvTop); ++k) {
    const auto& info = pxsettings::info(static_cast<Key>(k));
    EXPECT_EQ(static_cast<int>(info.key), k);
    EXPECT_EQ(store.text(info.key), QString::fromLatin1(info.defaultValue)) << info.name;
  }
}

}  // namespace
