// Program options, code pages, the note font and the event editor's rules.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "eventeditor/eventbuilder.h"
#include "settings/codepages.h"
#include "settings/mainsettings.h"
#include "settings/notefont.h"

namespace {

TEST(MainSettings, StandardValuesAndExportOptions) {
  MainSettings a;
  a.sagemOpti = 99;
  a.sagemOptiLF = 0;
  a.nokiaOpti = 33;
  a.nokiaExport = 0;
  a.nokiaUDH = 0;
  a.nokCImp = QStringLiteral(",");
  a.playAction = QStringLiteral("play");
  a.gridLines = true;
  a.motoSpace = 1;
  a.midExInstr = 40;
  a.newLang = 2;
  a.lastDir = QStringLiteral("/music");
  EXPECT_EQ(a.exportOption(QStringLiteral("SOpti")), 99);
  EXPECT_EQ(a.exportOption(QStringLiteral("SOptiLF")), 0);
  EXPECT_EQ(a.exportOption(QStringLiteral("NokiaOpti")), 33);
  EXPECT_EQ(a.exportOption(QStringLiteral("NokiaExport")), 0);
  EXPECT_EQ(a.exportOption(QStringLiteral("NokiaUDH")), 0);
  EXPECT_EQ(a.exportOption(QStringLiteral("LDir")), 0);

  a.setStandard();
  EXPECT_EQ(a.sagemOpti, 160);
  EXPECT_EQ(a.sagemOptiLF, 1);
  EXPECT_EQ(a.nokiaOpti, 140);
  EXPECT_EQ(a.nokCImp, QStringLiteral(" "));
  EXPECT_EQ(a.playAction, QStringLiteral("open"));
  EXPECT_FALSE(a.gridLines);
  EXPECT_EQ(a.motoSpace, 0);
  // Not options of the Standard button.
  EXPECT_EQ(a.lastDir, QStringLiteral("/music"));
  EXPECT_EQ(a.midExInstr, 40);
  EXPECT_EQ(a.newLang, 2);
}

TEST(CodePages, ValidityAndComboTexts) {
  EXPECT_TRUE(codepages::IsValidCodePage(0));
  EXPECT_TRUE(codepages::IsValidCodePage(1252));
  EXPECT_TRUE(codepages::IsValidCodePage(65001));
  EXPECT_FALSE(codepages::IsValidCodePage(12345));
  EXPECT_FALSE(codepages::IsValidCodePage(-1));
  EXPECT_EQ(codepages::FromComboText(QStringLiteral("(system default)"), true), 0);
  EXPECT_EQ(codepages::FromComboText(QStringLiteral("850"), false), 850);
  EXPECT_EQ(codepages::FromComboText(QStringLiteral("x"), false), 0);
}

TEST(NoteFont, InstallOutcomes) {
  QTemporaryDir app, fonts;
  const QString fontDir = fonts.filePath(QStringLiteral("f/fonts"));
  notefont::Outcome o = notefont::Install(app.path(), fontDir);
  EXPECT_EQ(o.status, notefont::Status::NothingToInstall);
  EXPECT_EQ(notefont::MessageRes(o.status), 1245);

  QFile font(QDir(app.path()).filePath(notefont::FontFileName()));
  ASSERT_TRUE(font.open(QIODevice::WriteOnly));
  font.write("font bytes");
  font.close();
  o = notefont::Install(app.path(), fontDir);
  EXPECT_EQ(o.status, notefont::Status::Installed);
  QFile copied(o.fontPath);
  ASSERT_TRUE(copied.open(QIODevice::ReadOnly));
  EXPECT_EQ(copied.readAll(), QByteArray("font bytes"));
  EXPECT_EQ(notefont::Install(app.path(), fontDir).status, notefont::Status::AlreadyInstalled);
  // Only in the font folder: installed already.
  QTemporaryDir emptyApp;
  EXPECT_EQ(notefont::Install(emptyApp.path(), fontDir).status, notefont::Status::AlreadyInstalled);
  // A font folder that cannot be made.
  QFile blocker(fonts.filePath(QStringLiteral("file")));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  EXPECT_EQ(notefont::Install(app.path(), fonts.filePath(QStringLiteral("file/fonts"))).status,
            notefont::Status::Failed);
}

TEST(EventBuilder, BuildsTheEventTheControlsDescribe) {
  using namespace eventbuilder;
  Choice c;
  c.group = kNote;
  c.noteIndex = 0;
  c.octave = 5;
  c.noteLength = 2;
  c.noteDot = 2;  // third dot entry "2/3"
  c.velocity = QStringLiteral("0");
  pxvbNote e = Build(c, nullptr);
  EXPECT_EQ(e.nEvent(), 1);
  EXPECT_EQ(e.getEventVal1(), 60);
  EXPECT_EQ(e.getEventVal2(), 1);
  EXPECT_EQ(e.iSimpleLen(), 4);
  EXPECT_EQ(e.iDotLen(), 3);
  c.velocity = QStringLiteral("200");
  c.octave = 10;
  c.noteIndex = 11;
  e = Build(c, nullptr);
  EXPECT_EQ(e.getEventVal2(), 127);
  EXPECT_EQ(e.getEventVal1(), 127);

  c.group = kPause;
  c.pauseLength = 3;
  c.pauseDot = 1;
  e = Build(c, nullptr);
  EXPECT_EQ(e.nEvent(), 16);
  EXPECT_EQ(e.iSimpleLen(), 8);
  EXPECT_EQ(e.iDotLen(), 1);

  c.group = kStyle;
  c.style = 2;
  e = Build(c, nullptr);
  EXPECT_EQ(e.nEvent(), 3);
  EXPECT_EQ(e.iSimpleLen(), 0);
  EXPECT_EQ(e.getEventVal1(), 2);

  c.group = kVolume;
  c.volumeStep = 7;
  e = Build(c, [](int step) { return step * 8; });
  EXPECT_EQ(e.nEvent(), 5);
  EXPECT_EQ(e.getEventVal1(), 0);
  EXPECT_EQ(e.getEventVal2(), 56);

  EXPECT_EQ(DotFromIndex(2), 3);
  EXPECT_EQ(DotFromIndex(3), 2);
  EXPECT_EQ(IndexFromDot(2), 3);
  EXPECT_EQ(VelocityFromText(QString()), 1);
  EXPECT_EQ(VelocityFromText(QStringLiteral("99999999999")), 127);
}

TEST(EventBuilder, FillsTheControlsFromAnEvent) {
  using namespace eventbuilder;
  pxvbNote n;
  n.setnEvent(1);
  n.SetEventVal(61, 90);
  n.setiSimpleLen(16);
  n.setiDotLen(3);
  Choice c;
  ASSERT_TRUE(Fill(n, 15, c));
  EXPECT_EQ(c.group, kNote);
  EXPECT_EQ(c.noteIndex, 1);
  EXPECT_EQ(c.octave, 5);
  EXPECT_EQ(c.noteLength, 4);
  EXPECT_EQ(c.noteDot, 2);
  EXPECT_EQ(c.velocity, QStringLiteral("90"));
  // Building again gives the same event.
  EXPECT_EQ(Build(c, nullptr), n);

  pxvbNote v;
  v.setnEvent(5);
  ASSERT_TRUE(Fill(v, 9, c));
  EXPECT_EQ(c.volumeStep, 9);
  pxvbNote tempo;
  tempo.setnEvent(4);
  Choice before = c;
  EXPECT_FALSE(Fill(tempo, 0, c));
  EXPECT_EQ(c.group, before.group);
}

}  // namespace
