// The file commands on real files through the melody library: new, open (with the MIDI
// channel round), save in every dialog format, and what is left after bad input.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "files/filecommands.h"
#include "melody/rvmelodyapi.h"
#include "melody_fixtures.h"
#include "settings/mainsettings.h"

namespace {

pxvbMelody sample() {
  pxvbMelody m;
  m.setsName(QStringLiteral("Sample"));
  m.setbpm(100);
  m.addevent(4, 0, 1, 72, 127);
  m.addevent(8, 1, 1, 76, 127);
  m.addevent(8, 0, 16);
  m.addevent(2, 0, 1, 79, 127);
  return m;
}

// Notes on channels 1 and 3: a quarter C5 (60) on channel 1, a quarter E5 (64) on 3.
QByteArray twoChannelMidi() {
  const QByteArray track = QByteArray::fromHex(
      "00903C64"
      "60803C00"
      "00924064"
      "60824000"
      "00FF2F00");
  QByteArray file = QByteArray::fromHex("4D546864000000060000000100604D54726B");
  const int n = static_cast<int>(track.size());
  file.append(char(n >> 24)).append(char(n >> 16)).append(char(n >> 8)).append(char(n));
  return file + track;
}

class FileCommandsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RvMelodyApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR)); }

  QString writeFile(const QString& name, const QByteArray& bytes) {
    const QString path = dir_.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
  }
  QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  QTemporaryDir dir_;
  MainSettings options_;
};

TEST_F(FileCommandsTest, NewMelodyIsOneEighthNoteAtTempo120) {
  pxvbMelody m = sample();
  filecmd::MakeNewMelody(m);
  ASSERT_EQ(m.size(), 1);
  EXPECT_EQ(m.getEvent(0), 1);
  EXPECT_EQ(m.getEventVal1(0), 72);
  EXPECT_EQ(m.getEventVal2(0), 127);
  EXPECT_EQ(m.getSimpleLen(0), 8);
  EXPECT_EQ(m.getDotLen(0), 0);
  EXPECT_EQ(m.bpm(), 120);
  EXPECT_EQ(m.sName(), QStringLiteral("Pealix"));
  EXPECT_EQ(m.sComposer(), QStringLiteral("Pealix"));
  EXPECT_EQ(m.sCopyright(), QStringLiteral("Pealix"));
  EXPECT_EQ(filecmd::NewMelodyFileName(res), QStringLiteral("<4><103>"));
}

TEST_F(FileCommandsTest, DialogFiltersAndExtensions) {
  // The dialogs take blank-separated patterns; the open dialog starts with all melodies.
  EXPECT_TRUE(filecmd::OpenDialogFilters(res).startsWith(
      QStringLiteral("<2510> (*.txt *.rtx *.mid *.midi *.srt *.ota *.ott *.rng *.imy *.fmf);;"
                     "<2812> (*.txt *.rtx);;<2813> (*.mid *.midi);;<2814> (*.srt *.txt)")));
  EXPECT_TRUE(filecmd::OpenDialogFilters(res).endsWith(QStringLiteral(";;<2511> (*)")));
  EXPECT_TRUE(filecmd::SaveDialogFilters(res).startsWith(
      QStringLiteral("<2817> (*.srt);;<2814> (*.srt);;<2812>")));
  // The names come with the catalogue's entries, the formats added last included.
  EXPECT_TRUE(
      filecmd::SaveDialogFilters(res).endsWith(QStringLiteral(";;<2650> (*.fmf);;<2826> (*.h)")));
  // Without the language tables the dialogs show the tables' own texts.
  EXPECT_TRUE(filecmd::SaveDialogFilters().startsWith(
      QStringLiteral("Sagem SMS opti. (*.srt);;SagemMelodie (*.srt);;RTTTL/Nokring")));
  EXPECT_EQ(filecmd::SaveFilterIndex(QStringLiteral("iMelody (*.imy)")), 8);
  EXPECT_EQ(filecmd::SaveFilterIndex(QStringLiteral("unknown")), 1);
  EXPECT_EQ(filecmd::OpenFilterIndex(QStringLiteral("Midi (*.mid;*.midi)")), 2);
  EXPECT_EQ(filecmd::OpenFileType(3), 3);
  EXPECT_EQ(filecmd::SaveFilterText(99), filecmd::SaveFilterText(1));

  const filetables::SaveFilter& rtttl = filetables::SaveFilters()[2];
  EXPECT_EQ(filecmd::SavePath(QStringLiteral("/x/song"), rtttl), QStringLiteral("/x/song.rtx"));
  EXPECT_EQ(filecmd::SavePath(QStringLiteral("/x/song.rtx"), rtttl), QStringLiteral("/x/song.rtx"));
  EXPECT_EQ(filecmd::SavePath(QStringLiteral("/x/song.RTX"), rtttl), QStringLiteral("/x/song.RTX"));
  EXPECT_EQ(filecmd::SavePath(QStringLiteral("/x/song.txt"), rtttl),
            QStringLiteral("/x/song.txt.rtx"));
}

TEST_F(FileCommandsTest, SaveRequestsCarryTheFilterOptions) {
  options_.sagemOpti = 120;
  options_.sagemOptiLF = 0;
  options_.nokiaExport = 0;
  options_.nokiaUDH = 1;
  options_.nokiaOpti = 90;
  const auto& f = filetables::SaveFilters();
  EXPECT_EQ(filecmd::SaveRequest(f[0], options_),
            (rvTonehead::Request{1, 2, 0, 0, 255, 120, 0, 0}));
  EXPECT_EQ(filecmd::SaveRequest(f[1], options_), (rvTonehead::Request{1, 2, 0, 0, 255, 0, 0, 0}));
  EXPECT_EQ(filecmd::SaveRequest(f[4], options_), (rvTonehead::Request{1, 3, 0, 0, 255, 1, 1, 0}));
  EXPECT_EQ(filecmd::SaveRequest(f[6], options_), (rvTonehead::Request{1, 9, 0, 0, 255, 0, 1, 90}));
  EXPECT_EQ(filecmd::SaveRequest(f[3], options_)[1], 10);
}

TEST_F(FileCommandsTest, SavesEveryFormatAndReadsTheReadableOnesBack) {
  const pxvbMelody m = sample();
  for (const filetables::SaveFilter& f : filetables::SaveFilters()) {
    const QString path = filecmd::SavePath(dir_.filePath(QStringLiteral("out%1").arg(f.index)), f);
    const filecmd::Result r = filecmd::SaveMelodyFile(m, path, f, options_, res);
    ASSERT_EQ(r.result, 1) << f.filterText.toStdString() << " " << r.errorText.toStdString();
    ASSERT_GT(QFileInfo(path).size(), 0) << f.filterText.toStdString();
    if (f.recentType == filetables::kTypeNone) continue;

    pxvbMelody back = existing();
    const filecmd::Result o = filecmd::OpenMelodyFile(
        back, path, f.recentType, [](int) { return 1; }, res);
    ASSERT_EQ(o.result, 1) << f.filterText.toStdString() << " " << o.errorText.toStdString();
    int notes = 0;
    for (int i = 0; i < back.size(); ++i) notes += back.getEvent(i) == 1;
    EXPECT_EQ(notes, 3) << f.filterText.toStdString();
    EXPECT_EQ(back.getEventVal1(0), 72) << f.filterText.toStdString();
  }
}

TEST_F(FileCommandsTest, MidiIsReadAgainOnTheChosenChannel) {
  const QString path = writeFile(QStringLiteral("two.mid"), twoChannelMidi());
  int offered = -1;
  pxvbMelody m = existing();
  filecmd::Result r = filecmd::OpenMelodyFile(
      m, path, filetables::kTypeMidi,
      [&](int mask) {
        offered = mask;
        return 3;
      },
      res);
  ASSERT_EQ(r.result, 1) << r.errorText.toStdString();
  EXPECT_EQ(offered, 0b101);
  EXPECT_EQ(r.channel, 3);
  int firstNote = 0;
  while (firstNote < m.size() && m.getEvent(firstNote) != 1) ++firstNote;
  ASSERT_LT(firstNote, m.size());
  EXPECT_EQ(m.getEventVal1(firstNote), 64);

  // Cancel (999) and a channel outside 1..16 end the command without change.
  for (int answer : {999, 0, 17}) {
    pxvbMelody kept = existing();
    r = filecmd::OpenMelodyFile(
        kept, path, filetables::kTypeMidi, [&](int) { return answer; }, res);
    EXPECT_EQ(r.result, 0);
    expectExisting(kept);
  }
}

TEST_F(FileCommandsTest, BadFilesLeaveTheMelodyAsItWas) {
  const QString missing = dir_.filePath(QStringLiteral("gone.rtx"));
  pxvbMelody m = existing();
  filecmd::Result r = filecmd::OpenMelodyFile(m, missing, filetables::kTypeRtttl, nullptr, res);
  EXPECT_EQ(r.result, -1);
  EXPECT_EQ(r.errorText, QStringLiteral("<1550>: \n") + missing);
  expectExisting(m);

  QByteArray garbage;
  for (int i = 0; i < 600; ++i) garbage.append(char((i * 7919) & 0xFF));
  const struct {
    const char* name;
    QByteArray bytes;
    int type;
    const char* prefix;  // the real format's name, then the reading and the error
  } bad[] = {
      {"empty.rtx", QByteArray(), filetables::kTypeRtttl, "<850> - <842>\n<2>: <2505>"},
      {"garbage.rtx", garbage, filetables::kTypeRtttl, "<850> - <842>\n<2>: <2809>"},
      {"garbage.mid", garbage, filetables::kTypeMidi, "<2501> - <842>\n<2>: <2506>"},
      {"garbage.srt", garbage, filetables::kTypeSagem, "<846> - <842>\n<2>: <2809>"},
      {"nonotes.mid", QByteArray::fromHex("4D546864000000060000000100604D54726B0000000400FF2F00"),
       filetables::kTypeMidi, "<2501> - <842>\n<2> #"}};
  for (const auto& b : bad) {
    const QString path = writeFile(QString::fromLatin1(b.name), b.bytes);
    pxvbMelody kept = existing();
    bool asked = false;
    r = filecmd::OpenMelodyFile(
        kept, path, b.type,
        [&](int) {
          asked = true;
          return 1;
        },
        res);
    EXPECT_EQ(r.result, -1) << b.name;
    EXPECT_EQ(r.errorTitle, QStringLiteral("Pealix - <2>"));
    EXPECT_TRUE(r.errorText.startsWith(QString::fromLatin1(b.prefix)))
        << b.name << " " << r.errorText.toStdString();
    EXPECT_FALSE(asked) << b.name;
    expectExisting(kept);
  }
  // No notes on any channel reads as a MIDI file without notes.
  EXPECT_TRUE(r.errorText.endsWith(QStringLiteral(": <838>"))) << r.errorText.toStdString();

  // The application's own readers refuse garbage the same way.
  for (int type : {filetables::kTypeNokia, filetables::kTypeImelody}) {
    const QString path = writeFile(QStringLiteral("garbage%1").arg(type), garbage);
    pxvbMelody kept = existing();
    r = filecmd::OpenMelodyFile(kept, path, type, nullptr, res);
    EXPECT_EQ(r.result, -1) << type;
    EXPECT_TRUE(r.errorText.startsWith(
        (type == filetables::kTypeNokia ? QStringLiteral("<1700>") : QStringLiteral("<1701>")) +
        QStringLiteral(" - <842>\n<2>: ")))
        << type << " " << r.errorText.toStdString();
    expectExisting(kept);
  }
}

TEST_F(FileCommandsTest, AFailedSaveLeavesTheExistingFile) {
  const filetables::SaveFilter& rtttl = filetables::SaveFilters()[2];
  QDir(dir_.path()).mkdir(QStringLiteral("locked"));
  const QString folder = dir_.filePath(QStringLiteral("locked"));
  const QString path = folder + QStringLiteral("/keep.rtx");
  writeFile(QStringLiteral("locked/keep.rtx"), "keep:d=4,o=5,b=63:c");
  QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
  QFile::setPermissions(path, QFileDevice::ReadOwner);

  const filecmd::Result r = filecmd::SaveMelodyFile(sample(), path, rtttl, options_, res);
  QFile::setPermissions(folder,
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  if (QFileInfo(folder).isWritable() && r.result == 1) GTEST_SKIP() << "running with root rights";
  EXPECT_EQ(r.result, -1);
  EXPECT_TRUE(r.errorText.startsWith(QStringLiteral("<850> - <843>\n<2> #")))
      << r.errorText.toStdString();
  EXPECT_EQ(readFile(path), QByteArray("keep:d=4,o=5,b=63:c"));
  EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST_F(FileCommandsTest, ASaveIntoAFolderThatCannotExistFails) {
  writeFile(QStringLiteral("plain"), "x");
  const filetables::SaveFilter& midi = filetables::SaveFilters()[3];
  const filecmd::Result r = filecmd::SaveMelodyFile(
      sample(), dir_.filePath(QStringLiteral("plain/a.mid")), midi, options_, res);
  EXPECT_EQ(r.result, -1);
  EXPECT_TRUE(r.errorText.startsWith(QStringLiteral("<848> - <843>\n<2> #")))
      << r.errorText.toStdString();
  EXPECT_EQ(readFile(dir_.filePath(QStringLiteral("plain"))), QByteArray("x"));
}

// The Flipper Zero writer has no double dot of 7/4 (two dots are 2.25 times the length):
// the save says how many notes it put to the nearest length, the other writers say nothing.
TEST_F(FileCommandsTest, SaveAsFlipperSaysWhatTheWriterRounded) {
  pxvbMelody m = sample();
  m.addevent(4, 2, 1, 74, 127);
  m.addevent(8, 2, 16);
  const filetables::SaveFilter* flipper = filetables::SaveFilterForFormat(RV_FORMAT_FLIPPER);
  const filetables::SaveFilter* rtttl = filetables::SaveFilterForFormat(RV_FORMAT_RTTTL);
  ASSERT_TRUE(flipper && rtttl);
  const QString path = filecmd::SavePath(dir_.filePath(QStringLiteral("round")), *flipper);
  const filecmd::Result r = filecmd::SaveMelodyFile(m, path, *flipper, options_, res);
  ASSERT_EQ(r.result, 1) << r.errorText.toStdString();
  EXPECT_EQ(r.writerValue, -2);
  EXPECT_TRUE(filecmd::SaveChangesText(m, path, *flipper, res, r.writerValue)
                  .contains(QStringLiteral("<2830>")));
  const filecmd::Result exact = filecmd::SaveMelodyFile(sample(), path, *flipper, options_, res);
  EXPECT_FALSE(filecmd::SaveChangesText(sample(), path, *flipper, res, exact.writerValue)
                   .contains(QStringLiteral("<2830>")));
  const QString rtx = filecmd::SavePath(dir_.filePath(QStringLiteral("round")), *rtttl);
  const filecmd::Result other = filecmd::SaveMelodyFile(m, rtx, *rtttl, options_, res);
  EXPECT_FALSE(
      filecmd::SaveChangesText(m, rtx, *rtttl, res, -2).contains(QStringLiteral("<2830>")));
  EXPECT_EQ(other.result, 1);
}

TEST_F(FileCommandsTest, InPlaceSavingAndTheTitle) {
  ASSERT_NE(filecmd::InPlaceSaveFilter(filetables::kTypeRtttl), nullptr);
  EXPECT_EQ(filecmd::InPlaceSaveFilter(filetables::kTypeRtttl)->formatId, 7);
  EXPECT_EQ(filecmd::InPlaceSaveFilter(filetables::kTypeMidi)->formatId, 10);
  // Sagem files are written back as the plain melody, not the size-limited SMS.
  EXPECT_EQ(filecmd::InPlaceSaveFilter(filetables::kTypeSagem)->index, 2);
  EXPECT_EQ(filecmd::InPlaceSaveFilter(filetables::kTypeNone), nullptr);

  EXPECT_EQ(filecmd::WindowTitle(QStringLiteral("Pealix"), QString(), true),
            QStringLiteral("Pealix"));
  EXPECT_EQ(filecmd::WindowTitle(QStringLiteral("Pealix"), QStringLiteral("/a/b.rtx"), false),
            QStringLiteral("b.rtx - Pealix"));
  EXPECT_EQ(filecmd::WindowTitle(QStringLiteral("Pealix"), QStringLiteral("/a/b.rtx"), true),
            QStringLiteral("b.rtx* - Pealix"));
}

}  // namespace
