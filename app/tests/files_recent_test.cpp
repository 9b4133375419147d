// The recent-files list: its order rules and its round trip through the settings store.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "files/recentfiles.h"
#include "settings/settingsstore.h"

namespace {

QStringList paths(const RecentFiles& r) {
  QStringList out;
  for (const RecentFiles::Entry& e : r.entries()) out << e.path;
  return out;
}

TEST(RecentFiles, OrderRulesSurviveARestart) {
  QTemporaryDir dir;
  const QString ini = dir.filePath(QStringLiteral("Pealix.conf"));
  {
    RecentFiles r;
    EXPECT_FALSE(r.add(QString(), 1));
    EXPECT_TRUE(r.add(QStringLiteral("/m/a.rtx"), 1));
    EXPECT_TRUE(r.add(QStringLiteral("/m/b.mid"), 2));
    EXPECT_TRUE(r.add(QStringLiteral("/m/c.srt"), 3));
    // The same file again stays once, at its old place.
    EXPECT_FALSE(r.add(QStringLiteral("/m/b.mid"), 2));
    EXPECT_EQ(paths(r), (QStringList{"/m/c.srt", "/m/b.mid", "/m/a.rtx"}));
    pxsettings::SettingsStore store = pxsettings::SettingsStore::atPath(ini);
    r.save(store);
    store.sync();
  }
  RecentFiles r;
  pxsettings::SettingsStore store = pxsettings::SettingsStore::atPath(ini);
  r.load(store);
  ASSERT_EQ(paths(r), (QStringList{"/m/c.srt", "/m/b.mid", "/m/a.rtx"}));
  EXPECT_EQ(r.at(0)->fileType, 3);
  EXPECT_EQ(r.at(1)->fileType, 2);
  EXPECT_EQ(r.at(2)->fileType, 1);
  EXPECT_EQ(r.at(3), nullptr);

  r.add(QStringLiteral("/m/d.rtx"), 1);
  r.add(QStringLiteral("/m/e.rtx"), 1);
  // A sixth distinct file pushes the oldest out.
  r.add(QStringLiteral("/m/f.rtx"), 1);
  EXPECT_EQ(paths(r), (QStringList{"/m/f.rtx", "/m/e.rtx", "/m/d.rtx", "/m/c.srt", "/m/b.mid"}));
  r.save(store);
  EXPECT_EQ(store.recentCount(), 5);
  EXPECT_EQ(store.recentFileName(5), QStringLiteral("/m/b.mid"));

  // A shorter list leaves no stale keys behind.
  RecentFiles two;
  two.add(QStringLiteral("/x.rtx"), 1);
  two.save(store);
  EXPECT_EQ(store.recentCount(), 1);
  EXPECT_EQ(store.recentFileName(2), QString());
}

TEST(RecentFiles, LoadingSkipsEmptyAndRepeatedEntries) {
  QTemporaryDir dir;
  pxsettings::SettingsStore store =
      pxsettings::SettingsStore::atPath(dir.filePath(QStringLiteral("p.conf")));
  store.write(QStringLiteral("RecentFiles"), QStringLiteral("fcount"), QStringLiteral("9"));
  const char* names[] = {"/a", "", "/a", "/b", "/c", "/d", "/e", "/f", "/g"};
  for (int i = 0; i < 9; ++i) store.setRecentFile(i + 1, QString::fromLatin1(names[i]), 1);
  RecentFiles r;
  r.load(store);
  EXPECT_EQ(paths(r), (QStringList{"/a", "/b", "/c", "/d", "/e"}));
}

}  // namespace
