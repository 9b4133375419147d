#include <gtest/gtest.h>

#include "files/filetables.h"

using namespace filetables;

TEST(FileTables, ExtensionsAndTypes) {
  EXPECT_EQ(WithExtension(QStringLiteral("song"), QStringLiteral(".rtx")),
            QStringLiteral("song.rtx"));
  EXPECT_EQ(WithExtension(QStringLiteral("song.rtx"), QStringLiteral(".rtx")),
            QStringLiteral("song.rtx"));
  EXPECT_EQ(WithExtension(QStringLiteral("song.RTX"), QStringLiteral(".rtx")),
            QStringLiteral("song.RTX"));
  EXPECT_EQ(FileTypeFromPath(QStringLiteral("/a/B.MID")), kTypeMidi);
  EXPECT_EQ(FileTypeFromPath(QStringLiteral("x.midi")), kTypeMidi);
  EXPECT_EQ(FileTypeFromPath(QStringLiteral("x.txt")), kTypeNone);
  EXPECT_EQ(FileTypeFromPath(QStringLiteral("rtx")), kTypeNone);
  EXPECT_EQ(FileTypeFromPath(QStringLiteral("dir.rtx/song")), kTypeNone);
  // Nokia ringtones and iMelody, which the application reads itself.
  EXPECT_EQ(FileTypeFromPath(QStringLiteral("tune.OTT")), kTypeNokia);
  EXPECT_EQ(FileTypeFromPath(QStringLiteral("tune.rng")), kTypeNokia);
  EXPECT_EQ(FileTypeFromPath(QStringLiteral("tune.ota")), kTypeNokia);
  EXPECT_EQ(FileTypeFromPath(QStringLiteral("tune.imy")), kTypeImelody);
  EXPECT_EQ(FormatIdForFileType(kTypeNokia), 9);
  EXPECT_EQ(FormatIdForFileType(kTypeImelody), 14);
  EXPECT_EQ(FormatIdForFileType(kTypeSagem), 2);

  ASSERT_EQ(SaveFilters().size(), 11);
  ASSERT_TRUE(SaveFilterForFile(QStringLiteral("buzzer.h")));
  EXPECT_EQ(SaveFilterForFile(QStringLiteral("buzzer.h"))->formatId, 22);
  const SaveFilter* f = SaveFilterForFile(QStringLiteral("x.imy"));
  ASSERT_TRUE(f);
  EXPECT_EQ(f->formatId, 14);
  f = SaveFilterForFile(QStringLiteral("x.txt"));
  ASSERT_TRUE(f);
  EXPECT_EQ(f->formatId, 7);
  EXPECT_EQ(SaveFilterForFile(QStringLiteral("x.doc")), nullptr);
  EXPECT_EQ(SaveFilterForFile(QStringLiteral("noext")), nullptr);
  f = SaveFilterForFormat(9);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->options.at(1).settingKey, QStringLiteral("NokiaUDH"));
  EXPECT_FALSE(SaveFilterForFormat(10)->hasOptions);
}
