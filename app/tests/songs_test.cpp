// Songs into ringtones: the channel table and melody choice on made-up bands, the skyline,
// the fitting to the ringtone grid and to target formats, the titles, the MIDI channel
// dialog and the command line.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <QDir>
#include <QRegularExpression>

#include "cli_process.h"
#include "document/meloformatcheck.h"
#include "files/filecommands.h"
#include "files/memoryread.h"
#include "files/ui/frmmidiopendlg.h"
#include "languages/reslang.h"
#include "melody/rvmelodyapi.h"
#include "melody/rvtonehead.h"
#include "melody/titletext.h"
#include "song_fixtures.h"
#include "songs/channeloverview.h"
#include "songs/songhook.h"
#include "songs/songmelody.h"

namespace {

using songs::ChannelInfo;

// The window classes need an application; the bridge finds the library in the build.
class SongEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "songs_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
    RvMelodyApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR));
    reslang::SetAppDirectory(QStringLiteral(PEALIX_BIN_DIR));
  }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new SongEnvironment);

songs::SongOverview overviewOf(const QByteArray& file) {
  const songs::SongScan song = songs::ScanSong(file);
  EXPECT_TRUE(song.ok) << song.error.toStdString();
  return songs::OverviewOf(song, {});
}

const ChannelInfo* row(const songs::SongOverview& o, int channel) {
  for (const ChannelInfo& c : o.channels)
    if (c.channel == channel) return &c;
  return nullptr;
}

songs::SongRequest request(int channel, int fitFormatId,
                           songs::ExcerptKind excerpt = songs::ExcerptKind::Auto) {
  songs::SongRequest r;
  r.channel = channel;
  r.fitFormatId = fitFormatId;
  r.excerpt.kind = excerpt;
  return r;
}

// The events of a melody as "len.dot key" words ("8 76", "4.1 p").
QStringList words(const pxvbMelody& m) {
  QStringList out;
  for (int i = 0; i < m.size(); ++i) {
    QString w = QString::number(m.getSimpleLen(i));
    if (m.getDotLen(i)) w += QLatin1Char('.') + QString::number(m.getDotLen(i));
    out << w + QLatin1Char(' ') +
               (m.getEvent(i) == 1 ? QString::number(m.getEventVal1(i)) : QStringLiteral("p"));
  }
  return out;
}

TEST(SongChannels, TheLeadIsChosenOverPadBassAndDrums) {
  for (const bool named : {true, false}) {
    BandOptions o;
    o.nameTracks = named;
    // Unnamed, the lead is told apart by its line alone (program 0, a piano).
    const songs::SongOverview ov = overviewOf(BandSong(o));
    ASSERT_EQ(ov.channels.size(), 4);
    EXPECT_EQ(ov.best, 4) << "named " << named;
    EXPECT_EQ(ov.channels.first().channel, 4);
    EXPECT_EQ(ov.channels.last().channel, 10);
    EXPECT_TRUE(ov.channels.last().drums);
    EXPECT_EQ(ov.channels.last().score, 0);

    const ChannelInfo* pad = row(ov, 1);
    const ChannelInfo* lead = row(ov, 4);
    ASSERT_TRUE(pad && lead);
    EXPECT_GT(pad->polyphony, 0.95);
    EXPECT_LT(lead->polyphony, 0.2);  // only the legato overlaps
    EXPECT_EQ(lead->noteCount, static_cast<int>(2 * BandTune().size()));
    EXPECT_EQ(lead->lowKey, 72);
    EXPECT_EQ(lead->highKey, 79);
    EXPECT_GT(lead->repetition, 0.5);  // the tune is played twice
    EXPECT_GT(lead->score, row(ov, 2)->score);
    EXPECT_EQ(named ? QStringList{"Melody"} : QStringList{}, lead->trackNames);
  }
}

TEST(SongChannels, ALeadNamedOnlyByItsProgramBeatsAHighChordPart) {
  BandOptions o;
  o.nameTracks = false;
  o.leadProgram = 80;  // "Lead 1 (square)"
  o.leadChannel = 6;
  const songs::SongScan song = songs::ScanSong(BandSong(o));
  QStringList names;
  for (int i = 0; i < 128; ++i) names << QStringLiteral("P%1").arg(i);
  const songs::SongOverview ov = songs::OverviewOf(song, names);
  EXPECT_EQ(ov.best, 7);
  EXPECT_EQ(row(ov, 7)->instrument, QStringLiteral("P80"));
  EXPECT_EQ(row(ov, 7)->program, 80);
  EXPECT_TRUE(row(ov, 10)->instrument.isEmpty());  // a program on channel 10 is a drum kit
}

TEST(SongChannels, NamesPointAtTheMelodyInThreeLanguages) {
  for (const char* name : {"Melody", "LEAD VOCALS", "Hauptmelodie", "Gesang", "Singstimme",
                           "Mélodie", "voix", "Chant principal", "Solo Trumpet", "tune"})
    EXPECT_EQ(songs::NameHint(QString::fromUtf8(name)), 1) << name;
  for (const char* name : {"Bass", "Basse", "Drums", "Schlagzeug", "Batterie", "Begleitung",
                           "Accords", "Strings Pad", "Rhythm Guitar"})
    EXPECT_EQ(songs::NameHint(QString::fromUtf8(name)), -1) << name;
  // Short words count at the start of a word only.
  for (const char* name : {"misleading", "Piano", "Track 3", "Unsung hero"})
    EXPECT_EQ(songs::NameHint(QString::fromUtf8(name)), 0) << name;
}

TEST(SongChannels, ADrumsOnlySongHasNoMelodyToTake) {
  BandOptions o;
  o.drumsOnly = true;
  const songs::SongScan song = songs::ScanSong(BandSong(o));
  const songs::SongOverview ov = songs::OverviewOf(song, {});
  ASSERT_EQ(ov.channels.size(), 1);
  EXPECT_EQ(ov.best, 0);
  const songs::SongMelody m = songs::MelodyOfSong(song, ov, {});
  EXPECT_FALSE(m.ok);
  EXPECT_TRUE(m.error.contains(QStringLiteral("drum channel (10)"))) << m.error.toStdString();
  // Asked for by number, the drums are read.
  EXPECT_TRUE(songs::MelodyOfSong(song, ov, request(10, 0)).ok);
  EXPECT_FALSE(songs::MelodyOfSong(song, ov, request(3, 0)).ok);
}

TEST(SongScan, DamagedFilesGiveReasonsAndShortTracksReadAsFarAsTheyGo) {
  EXPECT_FALSE(songs::ScanSong(QByteArray("RIFF....")).ok);
  QByteArray smpte = BandSong();
  smpte[12] = char(0xE7);  // -25 frames a second
  EXPECT_TRUE(songs::ScanSong(smpte).error.contains(QStringLiteral("SMPTE")));
  QByteArray zero = BandSong();
  zero[12] = zero[13] = 0;
  EXPECT_FALSE(songs::ScanSong(zero).ok);

  // Every cut of the file reads without a fault; a cut inside the lead keeps its start.
  const QByteArray full = BandSong();
  for (qsizetype n = 0; n < full.size(); n += 7) songs::ScanSong(full.left(n));
  const songs::SongScan half = songs::ScanSong(full.left(full.size() - 200));
  ASSERT_TRUE(half.ok);
  EXPECT_EQ(songs::OverviewOf(half, {}).best, 4);
}

TEST(SongLine, TheSkylineKeepsTheHighestNoteAndCutsTheLowerOnes) {
  SongBuilder b(480);
  const int t = b.track();
  b.note(t, 0, 0, 480, 60);    // C under everything
  b.note(t, 0, 240, 480, 64);  // E from the second eighth
  b.note(t, 0, 240, 120, 67);  // G above it for a sixteenth
  b.note(t, 0, 960, 20, 90);   // shorter than a 64th (30 ticks): dropped
  b.note(t, 0, 960, 240, 62);
  const std::vector<songs::LineNote> line = songs::Skyline(songs::ScanSong(b.bytes()), 1);
  ASSERT_EQ(line.size(), 4u);
  const std::vector<std::tuple<int64_t, int64_t, int>> want = {
      {0, 240, 60}, {240, 360, 67}, {360, 720, 64}, {980, 1200, 62}};
  for (size_t i = 0; i < want.size(); ++i)
    EXPECT_EQ(std::make_tuple(line[i].start, line[i].end, line[i].key), want[i]) << i;
}

TEST(SongFit, OnsetsAndLengthsLandOnTheGridAndShortRestsJoinTheNoteBefore) {
  // Played by hand: onsets a little early or late, staccato notes, one real rest.
  SongBuilder b(480);
  const int t = b.track();
  b.note(t, 0, 10, 430, 72);    // quarter, cut short
  b.note(t, 0, 475, 200, 74);   // eighth
  b.note(t, 0, 722, 700, 76);   // dotted quarter
  b.note(t, 0, 1680, 940, 77);  // after an eighth rest: half
  b.note(t, 0, 2640, 100, 79);  // sixteenth, then a 32nd gap
  b.note(t, 0, 2760, 480, 77);  // quarter
  const songs::SongScan song = songs::ScanSong(b.bytes());
  const songs::SongOverview ov = songs::OverviewOf(song, {});
  songs::SongMelody m = songs::MelodyOfSong(song, ov, {});
  ASSERT_TRUE(m.ok);
  EXPECT_EQ(m.fit.grid, 16);
  EXPECT_EQ(m.melody.bpm(), 120);
  EXPECT_EQ(words(m.melody),
            (QStringList{"4 72", "8 74", "4.1 76", "8 p", "2 77", "16 79", "4 77"}));

  // Round trip: the fitted melody written as MIDI by the library reads back the same.
  QByteArray file;
  ASSERT_EQ(rvTonehead::Melo2String(m.melody, 10, {}, file).result, 1);
  const songs::SongScan again = songs::ScanSong(file);
  const songs::SongMelody back = songs::MelodyOfSong(again, songs::OverviewOf(again, {}), {});
  ASSERT_TRUE(back.ok);
  EXPECT_EQ(words(back.melody), words(m.melody));
  EXPECT_EQ(back.melody.bpm(), 120);
}

TEST(SongFit, EveryTargetFormatsRangeCheckPasses) {
  // A tune of four octaves and many short notes: too wide and too long for every phone.
  SongBuilder b(96);
  const int t = b.track("Wide");
  b.tempo(t, 0, 500000);
  int64_t at = 0;
  for (int i = 0; i < 400; ++i) {
    const int len = (i % 7 == 6) ? 96 : 12 * (1 + i % 3);
    b.note(t, 0, at, len, 40 + (i * 7) % 50);
    at += len + (i % 9 == 8 ? 48 : 0);
  }
  const songs::SongScan song = songs::ScanSong(b.bytes());
  const songs::SongOverview ov = songs::OverviewOf(song, {});
  clMeloFormatProps formats;
  formats.RegisterDefaultFormats();
  for (const int id : meloformatcheck::FormatChoiceIds()) {
    const songs::SongMelody m = songs::MelodyOfSong(song, ov, request(0, id));
    ASSERT_TRUE(m.ok) << id;
    const auto rows = meloformatcheck::Run(formats, m.melody, QString::number(m.melody.size()),
                                           QString::number(m.melody.bpm()), {id});
    ASSERT_TRUE(rows.has_value());
    const meloformatcheck::RowResult& r = rows->first();
    EXPECT_EQ(r.tooHigh + r.tooLow + r.tooLong + r.tooShort, 0) << id;
    EXPECT_GE(r.remaining, 0) << id;
    if (id != 8) {  // the Alcatel row counts its tempo as a code, not in beats per minute
      // Close to the event limit is as good as inside it.
      EXPECT_TRUE(meloformatcheck::Verdict(r) != QStringLiteral("does not fit")) << id;
    }
    if (id != 14) {  // iMelody has no event limit
      EXPECT_GT(m.fit.cutEvents, 0) << id;
    }
    // The cut falls at the end of a phrase: a long note or one before a rest.
    EXPECT_EQ(m.melody.getEvent(m.melody.last()), 1) << id;
  }
}

TEST(SongFit, ANarrowLineMovesByOctavesIntoTheRange) {
  songs::FitTarget target;
  target.lowKey = 57;
  target.highKey = 85;
  const std::vector<songs::LineNote> line = {{0, 480, 40, 100}, {480, 960, 47, 100}};
  pxvbMelody out;
  const songs::FitReport r = songs::FitLine(line, 480, 500000, target, out);
  EXPECT_EQ(r.transpose, 24);
  EXPECT_EQ(r.folded, 0);
  EXPECT_EQ(words(out), (QStringList{"4 64", "4 71"}));
}

TEST(SongTitles, NotUtf8IsWindows1252AndPhoneTextWritersGetAscii) {
  using namespace titletext;
  EXPECT_EQ(DecodeTitle("Caf\xE9 \x93Ol\xE9\x94"), QString::fromUtf8("Café “Olé”"));
  EXPECT_EQ(DecodeTitle("Caf\xC3\xA9"), QString::fromUtf8("Café"));
  EXPECT_EQ(DecodeTitle("Gr\xC3"), QStringLiteral("Gr"));  // a character cut at the end
  EXPECT_EQ(AsciiTitle(QString::fromUtf8("Crème Brûlée – Größe Æon")),
            QByteArray("Creme Brulee - Grosse AEon"));
  EXPECT_EQ(AsciiTitle(QString::fromUtf8("日本 Song\t")), QByteArray("Song"));
  EXPECT_EQ(TitleForWriter(QString::fromUtf8("Olé"), 7), QByteArray("Ole"));
  EXPECT_EQ(TitleForWriter(QString::fromUtf8("Olé"), 10), QString::fromUtf8("Olé").toUtf8());

  // Through the bridge: a MIDI track name in Windows-1252 reads as text and writes as
  // ASCII RTTTL.
  SongBuilder b(96);
  const int t = b.track("Fr\xE8re Jacques");
  b.note(t, 0, 0, 96, 72);
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("t.mid"));
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(b.bytes());
  f.close();
  pxvbMelody m;
  rvTonehead::Request request = {1, 10, 0, 0, 255, 0};
  ASSERT_EQ(rvTonehead::ReadMelo(m, request, path, true).result, 1);
  EXPECT_EQ(m.sName(), QString::fromUtf8("Frère Jacques"));
  QByteArray rtttl;
  ASSERT_EQ(rvTonehead::Melo2String(m, 7, {}, rtttl).result, 1);
  EXPECT_TRUE(rtttl.startsWith("Frere Jac:")) << rtttl.toStdString();
}

TEST(SongFit, StaccatoGapsJoinTheNoteBeforeAndLongSilencesShortenToABar) {
  SongBuilder b(480);
  const int t = b.track();
  b.note(t, 0, 0, 400, 72);      // a quarter played short: an 80-tick gap is articulation
  b.note(t, 0, 480, 120, 74);    // an eighth played as a 16th: a detached eighth, no rest
  b.note(t, 0, 720, 120, 76);    // a 16th, then an eighth of silence: a rest
  b.note(t, 0, 1080, 840, 77);   // sounds 7/16 of 10/16: a half (nearest), an eighth rest
  b.note(t, 0, 2280, 480, 74);   // a quarter, then two and a half bars of silence
  b.note(t, 0, 7560, 480, 79);   // on the bar after the shortened silence
  b.note(t, 0, 8040, 1440, 77);  // a dotted half, then a dotted-quarter rest
  b.note(t, 0, 10200, 480, 76);
  const songs::SongScan song = songs::ScanSong(b.bytes());
  const songs::SongMelody m = songs::MelodyOfSong(song, songs::OverviewOf(song, {}), {});
  ASSERT_TRUE(m.ok);
  EXPECT_EQ(m.fit.merged, 2);
  EXPECT_EQ(m.fit.shortened, 1);
  // The silence is one bar (a whole rest); a dotted rest is written as two plain ones.
  EXPECT_EQ(words(m.melody), (QStringList{"4 72", "8 74", "16 76", "8 p", "2 77", "8 p", "4 74",
                                          "1 p", "4 79", "2.1 77", "4 p", "8 p", "4 76"}));
  EXPECT_EQ(m.fit.events, 13);
  EXPECT_EQ(m.fit.notes, 8);
  // One silence is said in the singular, two gaps in the plural.
  const QString said = songs::FitSummaryText(m, [](int id) {
    return id == 2605   ? QStringLiteral(", %1 gaps")
           : id == 2618 ? QStringLiteral(", %1 gap")
           : id == 2606 ? QStringLiteral(", %1 silences")
           : id == 2619 ? QStringLiteral(", %1 silence")
                        : QString();
  });
  EXPECT_EQ(said, QStringLiteral(", 2 gaps, 1 silence"));
}

TEST(SongFit, EveryWriterKeepsTheOnsetsAndLengthOfAFittedSong) {
  // Dotted notes and rests of every length, a long silence, notes on and off the grid.
  SongBuilder b(96);
  const int t = b.track("Timing");
  b.tempo(t, 0, 500000);
  const std::vector<std::tuple<int, int, int>> notes = {
      // (gap before, length, key)
      {0, 96, 72},   {0, 48, 74},  {24, 72, 76}, {72, 144, 77}, {0, 24, 79},   {36, 96, 77},
      {144, 48, 76}, {0, 288, 74}, {96, 48, 72}, {12, 36, 71},  {480, 96, 72}, {0, 192, 76}};
  int64_t at = 0;
  for (const auto& [gap, length, key] : notes) {
    at += gap;
    b.note(t, 0, at, length, key);
    at += length;
  }
  const songs::SongScan song = songs::ScanSong(b.bytes());
  const songs::SongOverview ov = songs::OverviewOf(song, {});
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("back"));
  // (writer, the range-check format fitted to)
  for (const auto& [writer, target] :
       std::vector<std::pair<int, int>>{{7, 9}, {9, 9}, {2, 2}, {10, 0}, {14, 14}, {7, 0}}) {
    const songs::SongMelody m = songs::MelodyOfSong(song, ov, request(0, target));
    ASSERT_TRUE(m.ok) << writer;
    int64_t total = 0, backTotal = 0;
    const std::vector<int64_t> want = songs::NoteOnsets(m.melody, &total);
    ASSERT_EQ(rvTonehead::MeloExport(m.melody, {1, writer, 0, 0, 255, 0, 0, 0}, path).result, 1)
        << writer;
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    std::vector<int64_t> got;
    if (writer == 10) {  // read with the song reader, which keeps every tick
      const songs::SongScan again = songs::ScanSong(bytes);
      for (const songs::SongNote& n : again.notes)
        got.push_back(n.start * 384 / (4 * again.division));
      backTotal = again.endTick * 384 / (4 * again.division);
    } else {
      pxvbMelody back;
      if (writer == 9) {
        ASSERT_TRUE(memoryread::Read(RV_FORMAT_NOKIA, bytes, back));
      } else if (writer == 14) {
        ASSERT_TRUE(memoryread::Read(RV_FORMAT_IMELODY, bytes, back));
      } else {
        rvTonehead::Request r = {1, writer, 0, 0, 255, 0};
        ASSERT_EQ(rvTonehead::ReadMelo(back, r, path, false).result, 1);
      }
      got = songs::NoteOnsets(back, &backTotal);
    }
    EXPECT_EQ(got, want) << "writer " << writer;
    EXPECT_EQ(backTotal, total) << "writer " << writer;
  }
}

TEST(SongChannels, AMelodyMovingFromOneInstrumentToAnotherIsFollowedBarByBar) {
  // Eight bars of intro on a flute (channel 5), then the tune on a piano (channel 6) for
  // sixteen bars; pad and bass play throughout. No names, no telling programs.
  SongBuilder b(480);
  const int q = b.division(), bar = 4 * q;
  b.track("Moving");
  const int flute = b.track(), piano = b.track(), pad = b.track(), bass = b.track();
  auto play = [&](int track, int channel, int64_t from, int bars) {
    int64_t t = from;
    while (t < from + int64_t{bars} * bar)
      for (const auto& [key, eighths] : BandTune()) {
        if (t >= from + int64_t{bars} * bar) break;
        b.note(track, channel, t, eighths * q / 2 - 20, key);
        t += eighths * q / 2;
      }
  };
  play(flute, 4, 0, 8);
  play(piano, 5, 8 * bar, 16);
  for (int64_t t = 0; t < 24 * bar; t += bar) {
    for (int key : {55, 59, 62}) b.note(pad, 0, t, bar, key, 60);
    for (int k = 0; k < 4; ++k) b.note(bass, 1, t + k * q, q - 40, 36 + k % 2 * 7);
  }
  const songs::SongScan song = songs::ScanSong(b.bytes());
  const songs::SongOverview ov = songs::OverviewOf(song, {});
  ASSERT_GE(ov.pathByBar.size(), 24u);
  for (size_t i = 0; i < 24; ++i) EXPECT_EQ(ov.pathByBar[i], i < 8 ? 5 : 6) << "bar " << i;
  EXPECT_EQ(row(ov, 5)->bars, QStringLiteral("1-8"));
  EXPECT_EQ(row(ov, 6)->bars, QStringLiteral("9-24"));
  EXPECT_TRUE(row(ov, 1)->bars.isEmpty());
  EXPECT_EQ(ov.best, 6);
  // The ringtone starts with the flute's intro and goes on with the piano.
  const songs::SongMelody m = songs::MelodyOfSong(song, ov, {});
  ASSERT_TRUE(m.ok);
  EXPECT_EQ(m.firstBar, 1);
  EXPECT_EQ(m.lastBar, 24);
  EXPECT_EQ(m.melody.getEventVal1(0), BandTune().front().first);
  // A channel asked for by number is read alone.
  EXPECT_EQ(songs::MelodyOfSong(song, ov, request(6, 0)).firstBar, 9);
}

TEST(SongChannels, AGeneralMidiLeadWithAnotherProgramWinsAndLeavesNoSilence) {
  // The tune on a flute track named after its soloist; a square lead (program 80) only
  // plays held chords in the second half. Drums, bass and a pad as well.
  SongBuilder b(480);
  const int q = b.division(), bar = 4 * q;
  b.track("Lead Song");
  const int solo = b.track("Maria"), square = b.track("Lead 1"), bass = b.track();
  const int drums = b.track();
  b.program(solo, 3, 73);
  b.program(square, 6, 80);
  b.program(bass, 1, 33);
  int64_t t = 0;
  for (int r = 0; r < 4; ++r)
    for (const auto& [key, eighths] : BandTune()) {
      b.note(solo, 3, t, eighths * q / 2 - 30, key);
      t += eighths * q / 2;
    }
  for (int64_t at = 0; at < t; at += bar) {
    if (at >= t / 2)
      for (int key : {67, 71, 74}) b.note(square, 6, at, bar, key, 80);
    for (int k = 0; k < 4; ++k) b.note(bass, 1, at + k * q, q - 40, 36 + k % 2 * 7);
    for (int k = 0; k < 8; ++k) b.note(drums, 9, at + k * q / 2, 60, k % 2 ? 42 : 36);
  }
  const songs::SongScan song = songs::ScanSong(b.bytes());
  const songs::SongOverview ov = songs::OverviewOf(song, {});
  EXPECT_EQ(ov.best, 4);
  EXPECT_GT(row(ov, 4)->score, row(ov, 7)->score);
  const songs::SongMelody m = songs::MelodyOfSong(song, ov, request(0, 9));
  ASSERT_TRUE(m.ok);
  // No pause of the ringtone is longer than a half note.
  for (int i = 0; i < m.melody.size(); ++i) {
    if (m.melody.getEvent(i) == 16) {
      EXPECT_GE(m.melody.getSimpleLen(i), 2) << i;
    }
  }
}

TEST(SongHook, TheChorusOfAVerseChorusSongIsTheExcerpt) {
  std::vector<int> chorus;
  const songs::SongScan song = songs::ScanSong(VerseChorusSong(&chorus));
  const songs::SongOverview ov = songs::OverviewOf(song, {});
  const songs::Hook hook = songs::FindHook(songs::Skyline(song, 1), ov.barTicks);
  ASSERT_TRUE(hook.found);
  EXPECT_EQ(hook.firstBar, chorus.front());  // the first chorus, not the verse before it
  EXPECT_EQ(hook.startTick, chorus.front() * ov.barTicks);
  EXPECT_GE(hook.bars, 4);

  // Asked for, the hook; fitted to a format too small for the song, the hook as well.
  songs::SongMelody m = songs::MelodyOfSong(song, ov, request(0, 0, songs::ExcerptKind::Hook));
  ASSERT_TRUE(m.ok);
  EXPECT_EQ(m.excerpt, songs::ExcerptKind::Hook);
  EXPECT_EQ(m.firstBar, chorus.front() + 1);
  EXPECT_EQ(m.melody.getEventVal1(0), 72);
  m = songs::MelodyOfSong(song, ov, request(0, 8));  // Alcatel: 35 events
  ASSERT_TRUE(m.ok);
  EXPECT_EQ(m.excerpt, songs::ExcerptKind::Hook);
  EXPECT_EQ(m.firstBar, chorus.front() + 1);
  EXPECT_GT(m.fit.cutEvents, 0);
  // From the start: the first verse, cut at the limit.
  m = songs::MelodyOfSong(song, ov, request(0, 8, songs::ExcerptKind::Start));
  EXPECT_EQ(m.firstBar, 3);
  EXPECT_EQ(m.melody.getEventVal1(0), 60);
  // Bars: the second verse alone.
  songs::SongRequest bars;
  ASSERT_TRUE(songs::ParseExcerpt(QStringLiteral("bars:7-10"), bars.excerpt));
  m = songs::MelodyOfSong(song, ov, bars);
  ASSERT_TRUE(m.ok);
  EXPECT_EQ(m.firstBar, 7);
  EXPECT_EQ(m.lastBar, 10);
  EXPECT_TRUE(songs::ParseExcerpt(QStringLiteral("bars:200-300"), bars.excerpt));
  EXPECT_FALSE(songs::MelodyOfSong(song, ov, bars).ok);
  for (const char* bad : {"bars:3-1", "bars:0-2", "chorus", "bars:1", ""})
    EXPECT_FALSE(songs::ParseExcerpt(QString::fromLatin1(bad), bars.excerpt)) << bad;

  // The window's status line says what was done, from the language table.
  m = songs::MelodyOfSong(song, ov, request(0, 8));
  const QString said = songs::FitSummaryText(
      m, [](int id) { return QStringLiteral("<%1:%2>").arg(id).arg(QStringLiteral("%1")); });
  EXPECT_TRUE(said.startsWith(QStringLiteral("<2600:")));
  EXPECT_TRUE(said.contains(QStringLiteral("<2601:")));  // the hook
  EXPECT_TRUE(said.contains(QStringLiteral("<2607:")));  // the cut
}

// A verse-chorus song whose every phrase starts on an upbeat: a quarter (the pick-up)
// before the phrase's first bar, the song's own first bar being that pick-up alone. The
// whole song begins shift ticks late, so its bars need not start where the tick-0 grid's
// do. chorusStarts: the chorus's first notes (its pick-ups).
QByteArray UpbeatSong(int64_t shift, std::vector<int64_t>* chorusStarts,
                      const char* sections = "vvccvcc") {
  SongBuilder b(480);
  const int q = b.division(), bar = 4 * q;
  const int conductor = b.track("Upbeat");
  b.tempo(conductor, 0, 500000);
  const int lead = b.track(), pad = b.track();
  // (key, length in eighths): four bars a phrase, the last quarter being the next
  // phrase's upbeat; each phrase ends on a long note.
  const std::vector<std::pair<int, int>> verse = {{55, 2}, {60, 2}, {62, 2}, {64, 4},
                                                  {62, 2}, {60, 4}, {57, 2}, {59, 2},
                                                  {60, 2}, {62, 2}, {64, 2}, {55, 6}};
  const std::vector<std::pair<int, int>> chorus = {{71, 2}, {72, 3}, {74, 1}, {76, 2}, {79, 2},
                                                   {77, 2}, {76, 2}, {74, 4}, {76, 2}, {77, 2},
                                                   {79, 3}, {81, 1}, {79, 2}, {74, 4}};
  int64_t phrase = shift + bar;  // the first phrase's first bar
  for (const char* section = sections; *section; ++section) {
    int64_t at = phrase - q;
    if (*section == 'c') chorusStarts->push_back(at);
    for (const auto& [key, eighths] : *section == 'v' ? verse : chorus) {
      b.note(lead, 0, at, eighths * q / 2 - 40, key);
      at += eighths * q / 2;
    }
    phrase += 4 * bar;
  }
  for (int64_t at = shift + bar; at < phrase; at += bar)
    for (int key : {48, 52, 55}) b.note(pad, 1, at, bar, key, 60);
  return b.bytes();
}

TEST(SongHook, TheChorusStartsOnItsUpbeatWhereverTheBarsFall) {
  for (const int64_t shift : {0, 480, 960, 1440}) {
    std::vector<int64_t> chorus;
    const songs::SongScan song = songs::ScanSong(UpbeatSong(shift, &chorus));
    const songs::SongOverview ov = songs::OverviewOf(song, {});
    const songs::Hook hook = songs::FindHook(songs::Skyline(song, 1), ov.barTicks, &song.notes);
    ASSERT_TRUE(hook.found) << shift;
    // On a chorus's pick-up: not on the verse, nor on the chorus's downbeat after it.
    EXPECT_NE(std::find(chorus.begin(), chorus.end(), hook.startTick), chorus.end())
        << shift << ": " << hook.startTick;
    const songs::SongMelody m =
        songs::MelodyOfSong(song, ov, request(0, 0, songs::ExcerptKind::Hook));
    ASSERT_TRUE(m.ok);
    EXPECT_EQ(m.startTick, hook.startTick) << shift;
    EXPECT_EQ(m.melody.getEventVal1(0), 71) << shift;
  }
}

TEST(SongHook, AVerseSungMoreOftenThanTheChorusIsStillTheVerse) {
  // The verse returns four times, the chorus three: the chorus (not the first section,
  // higher, after the verse) is the hook all the same.
  std::vector<int64_t> chorus;
  const songs::SongScan song = songs::ScanSong(UpbeatSong(0, &chorus, "vvcvvcc"));
  const songs::SongOverview ov = songs::OverviewOf(song, {});
  const songs::Hook hook = songs::FindHook(songs::Skyline(song, 1), ov.barTicks, &song.notes);
  ASSERT_TRUE(hook.found);
  EXPECT_NE(std::find(chorus.begin(), chorus.end(), hook.startTick), chorus.end())
      << hook.startTick;
}

TEST(SongHook, ATuneThatNeverReturnsHasNoHookAndPlaysFromTheStart) {
  // Each bar new: keys walk on by a fifth a note, lengths change every bar.
  SongBuilder b(480);
  const int q = b.division();
  const int t = b.track("Through");
  int64_t at = 0;
  for (int i = 0; i < 96; ++i) {
    const int len = q / 2 * (1 + (i / 4) % 3);
    b.note(t, 0, at, len - 20, 55 + (i * 7) % 29);
    at += len;
  }
  const songs::SongScan song = songs::ScanSong(b.bytes());
  const songs::SongOverview ov = songs::OverviewOf(song, {});
  EXPECT_FALSE(songs::FindHook(songs::Skyline(song, 1), ov.barTicks, &song.notes).found);
  const songs::SongMelody m =
      songs::MelodyOfSong(song, ov, request(0, 0, songs::ExcerptKind::Hook));
  ASSERT_TRUE(m.ok);
  EXPECT_EQ(m.excerpt, songs::ExcerptKind::Start);
  EXPECT_EQ(m.startTick, 0);
}

// A waltz (3/4, marked so in the file) sung verse, verse, chorus, chorus, verse, chorus;
// each section four bars of three quarters. chorusBars: where each chorus starts (0-based).
QByteArray WaltzSong(std::vector<int>* chorusBars) {
  SongBuilder b(480);
  const int q = b.division(), bar = 3 * q;
  const int conductor = b.track("Waltz");
  b.tempo(conductor, 0, 500000);
  b.meta(conductor, 0, 0x58, Bytes({3, 2, 24, 8}));
  const int lead = b.track();
  // (key, length in eighths), 24 eighths a section.
  const std::vector<std::pair<int, int>> verse = {{60, 2}, {62, 2}, {64, 2}, {62, 4}, {60, 2},
                                                  {55, 6}, {60, 2}, {64, 2}, {62, 2}};
  const std::vector<std::pair<int, int>> chorus = {{72, 2}, {76, 2}, {79, 2}, {77, 4}, {76, 2},
                                                   {74, 6}, {76, 2}, {72, 2}, {74, 2}};
  int64_t t = bar;
  int barAt = 1;
  for (const char section : {'v', 'v', 'c', 'c', 'v', 'c', 'c'}) {
    if (section == 'c') chorusBars->push_back(barAt);
    for (const auto& [key, eighths] : section == 'v' ? verse : chorus) {
      b.note(lead, 0, t, eighths * q / 2 - 30, key);
      t += eighths * q / 2;
    }
    barAt += 4;
  }
  return b.bytes();
}

TEST(SongHook, BarsFollowTheSongsTimeSignature) {
  std::vector<int> chorus;
  const songs::SongScan song = songs::ScanSong(WaltzSong(&chorus));
  const songs::SongOverview ov = songs::OverviewOf(song, {});
  EXPECT_EQ(ov.barTicks, 3 * 480);
  const songs::Hook hook = songs::FindHook(songs::Skyline(song, 1), ov.barTicks, &song.notes);
  ASSERT_TRUE(hook.found);
  EXPECT_NE(std::find(chorus.begin(), chorus.end(), hook.firstBar), chorus.end()) << hook.firstBar;
  // bars:A-B counts the waltz's bars, as a score of it does.
  songs::SongRequest bars;
  ASSERT_TRUE(songs::ParseExcerpt(QStringLiteral("bars:10-13"), bars.excerpt));
  const songs::SongMelody m = songs::MelodyOfSong(song, ov, bars);
  ASSERT_TRUE(m.ok);
  EXPECT_EQ(m.startTick, 9 * 3 * 480);
  EXPECT_EQ(m.melody.getEventVal1(0), 72);  // the first chorus's first note

  // The bar of the signature that holds longest; short bars doubled, long ones halved,
  // nonsense ignored.
  const auto barOf = [](std::vector<songs::MeterPoint> meters) {
    songs::SongScan s;
    s.division = 96;
    s.endTick = 96 * 400;
    s.meters = std::move(meters);
    return songs::SongBarTicks(s) / 96.0;
  };
  EXPECT_EQ(barOf({}), 4);
  EXPECT_EQ(barOf({{0, 1, 2}}), 4);   // 1/4, as some files mark 4/4 songs
  EXPECT_EQ(barOf({{0, 2, 2}}), 4);   // 2/4: two bars make one
  EXPECT_EQ(barOf({{0, 6, 3}}), 3);   // 6/8
  EXPECT_EQ(barOf({{0, 3, 3}}), 3);   // 3/8, doubled
  EXPECT_EQ(barOf({{0, 12, 3}}), 6);  // 12/8
  EXPECT_EQ(barOf({{0, 5, 2}}), 5);   // 5/4
  EXPECT_EQ(barOf({{0, 16, 2}}), 8);  // 16/4 halved
  EXPECT_EQ(barOf({{0, 255, 2}}), 4);
  EXPECT_EQ(barOf({{0, 3, 2}, {96 * 12, 4, 2}}), 4);  // a 3/4 opening, then 4/4
  EXPECT_EQ(barOf({{0, 4, 2}, {96 * 8, 3, 2}}), 3);
  EXPECT_EQ(barOf({{96 * 500, 3, 2}}), 3);  // past the last note: still the only one
}

TEST(SongHook, OddLinesGiveNoHookOrOneInsideTheLine) {
  const int64_t bar = 1920;
  EXPECT_FALSE(songs::FindHook({}, bar).found);
  EXPECT_FALSE(songs::FindHook({{0, 480, 60, 100}}, 0).found);
  EXPECT_FALSE(songs::FindHook({{0, 480, 60, 100}}, bar).found);
  EXPECT_TRUE(songs::HookCandidates({{0, 480, 60, 100}}, -5).empty());
  // A two-bar figure played eight times, then a single note far beyond the bars searched;
  // the song's other notes run on past the tune and use every channel.
  std::vector<songs::LineNote> line;
  std::vector<songs::SongNote> band;
  for (int r = 0; r < 8; ++r)
    for (int k = 0; k < 8; ++k) {
      const int64_t at = r * 2 * bar + k * bar / 4;
      line.push_back({at, at + bar / 4 - 10, 60 + (k * 5) % 12, 90});
    }
  line.push_back({5000 * bar, 5000 * bar + 480, 72, 90});
  for (int c = 0; c < 16; ++c)
    band.push_back({static_cast<int64_t>(c) * 3000 * bar, (c * 3000 + 1) * bar, 40, 80,
                    static_cast<uint8_t>(c), 1});
  for (const songs::HookCandidate& c : songs::HookCandidates(line, bar, &band)) {
    EXPECT_LT(c.bar, 1500);
    for (double f : c.features) EXPECT_TRUE(std::isfinite(f)) << c.bar;
  }
  const songs::Hook hook = songs::FindHook(line, bar, &band);
  ASSERT_TRUE(hook.found);
  EXPECT_LT(hook.startTick, 16 * bar);  // in the figure, not on the lonely note
  EXPECT_GE(hook.bars, 4);
}

class SongWindowTest : public ::testing::Test {
 protected:
  QString write(const QByteArray& bytes) {
    const QString path = dir_.filePath(QStringLiteral("song%1.mid").arg(++n_));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
  }
  static QString res(int id) { return QString::number(id); }
  QTemporaryDir dir_;
  int n_ = 0;
};

TEST_F(SongWindowTest, TheDialogShowsTheTableBestFirstAndAnswersChannelAndFit) {
  const songs::SongScan song = songs::ScanSong(BandSong());
  filecmd::MidiQuestion q;
  q.mask = 0b1000001011;
  q.scanned = true;
  q.overview = songs::OverviewOf(song, {});
  frmMidiOpenDlg dlg(q);
  auto* table = dlg.findChild<QTreeWidget*>(QStringLiteral("liwMidiChannels"));
  auto* channel = dlg.findChild<QComboBox*>(QStringLiteral("cboMidiChannel"));
  auto* fit = dlg.findChild<QComboBox*>(QStringLiteral("cboMidiFit"));
  ASSERT_TRUE(table && channel && fit);
  ASSERT_EQ(table->topLevelItemCount(), 4);
  EXPECT_EQ(table->topLevelItem(0)->text(0), QStringLiteral("4"));
  EXPECT_EQ(table->currentItem(), table->topLevelItem(0));
  EXPECT_EQ(table->topLevelItem(3)->text(0), QStringLiteral("10"));
  EXPECT_EQ(fit->currentData().toInt(), 0);       // the melody line
  table->setCurrentItem(table->topLevelItem(1));  // the list drives the channel box
  EXPECT_EQ(channel->currentText(), table->topLevelItem(1)->text(0));
  fit->setCurrentIndex(fit->findText(QStringLiteral("Sagem SMS")));
  auto* part = dlg.findChild<QComboBox*>(QStringLiteral("cboMidiPart"));
  auto* firstBar = dlg.findChild<QSpinBox*>(QStringLiteral("tfMidiFirstBar"));
  auto* lastBar = dlg.findChild<QSpinBox*>(QStringLiteral("tfMidiLastBar"));
  ASSERT_TRUE(part && firstBar && lastBar);
  EXPECT_FALSE(firstBar->isEnabled());
  part->setCurrentIndex(3);  // bars
  EXPECT_TRUE(firstBar->isEnabled());
  firstBar->setValue(5);
  lastBar->setValue(3);  // never before the first
  EXPECT_EQ(firstBar->value(), 3);
  lastBar->setValue(6);
  dlg.accept();
  EXPECT_EQ(dlg.request().excerpt.kind, songs::ExcerptKind::Bars);
  EXPECT_EQ(dlg.request().excerpt.firstBar, 3);
  EXPECT_EQ(dlg.request().excerpt.lastBar, 6);
  EXPECT_EQ(dlg.channel(), table->topLevelItem(1)->text(0).toInt());
  EXPECT_EQ(dlg.request().mode, songs::ReadMode::MelodyLine);
  EXPECT_EQ(dlg.request().fitFormatId, 2);
}

TEST_F(SongWindowTest, OpeningASongAsksOnceAndOneChannelFilesAreNotAsked) {
  const QString band = write(BandSong());
  int asked = 0;
  filecmd::MidiQuestion seen;
  pxvbMelody m;
  filecmd::Result r = filecmd::OpenMelodyFile(
      m, band, filetables::kTypeMidi,
      [&](const filecmd::MidiQuestion& q) {
        ++asked;
        seen = q;
        return filecmd::MidiAnswer{q.overview.best, request(0, 2)};
      },
      res);
  ASSERT_EQ(r.result, 1) << r.errorText.toStdString();
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(seen.scanned);
  EXPECT_EQ(seen.mask, 0b1000001011);
  EXPECT_EQ(r.channel, 4);
  EXPECT_TRUE(r.partOfFile);  // saving in place would lose the other channels
  EXPECT_EQ(m.sName(), QStringLiteral("Band Song"));
  EXPECT_LE(m.size(), 64);  // fitted to Sagem SMS
  EXPECT_EQ(m.getEventVal1(0), 76);

  SongBuilder one(96);
  const int t = one.track();
  one.note(t, 2, 0, 96, 60);
  one.note(t, 2, 96, 96, 62);
  asked = 0;
  r = filecmd::OpenMelodyFile(
      m, write(one.bytes()), filetables::kTypeMidi,
      [&](const filecmd::MidiQuestion&) {
        ++asked;
        return filecmd::MidiAnswer{};
      },
      res);
  ASSERT_EQ(r.result, 1);
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(r.channel, 3);
  EXPECT_FALSE(r.partOfFile);
  EXPECT_EQ(words(m), (QStringList{"4 60", "4 62"}));
}

class SongCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cli_ = QStringLiteral(PEALIX_BIN_DIR "/pealix-cli");
    if (!QFileInfo(cli_).isExecutable()) GTEST_SKIP() << "pealix-cli is not built";
  }
  QString write(const QString& name, const QByteArray& bytes) {
    const QString path = dir_.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
  }
  QString cli_;
  QTemporaryDir dir_;
};

// The channel table names notes as the event list does: key 60 is C5.
TEST_F(SongCliTest, TheChannelTableNamesNotesAsTheEventList) {
  const QString mid = dir_.filePath("ode.mid");
  ASSERT_EQ(
      runProcess(cli_, {"convert", QStringLiteral(PEALIX_SOURCE_DIR "/examples/OdeToJoy.rtx"), mid})
          .exitCode,
      0);
  const QString table = QString::fromUtf8(runProcess(cli_, {"info", mid, "--channels"}).output);
  EXPECT_TRUE(table.contains(QStringLiteral("C6-G6"))) << table.toStdString();
  const QString events = QString::fromUtf8(runProcess(cli_, {"info", mid}).output);
  EXPECT_TRUE(events.contains(QStringLiteral("note C6 (key 72"))) << events.toStdString();
}

TEST_F(SongCliTest, InfoListsTheChannelsAndConvertTakesTheMelody) {
  const QString band = write("band.mid", BandSong());
  ProcessRun p = runProcess(cli_, {"info", band, "--channels"});
  ASSERT_EQ(p.exitCode, 0) << p.errors.toStdString();
  const QString table = QString::fromUtf8(p.output);
  EXPECT_TRUE(table.contains(QStringLiteral("melody: channel 4"))) << table.toStdString();
  EXPECT_TRUE(table.contains(QRegularExpression(QStringLiteral("\\n\\s+10\\s+drums"))));
  EXPECT_TRUE(table.contains(QStringLiteral("480 ticks a quarter note, bars of 4 quarters\n")));
  std::vector<int> chorus;
  p = runProcess(cli_, {"info", write("waltz.mid", WaltzSong(&chorus)), "--channels"});
  EXPECT_TRUE(QString::fromUtf8(p.output).contains(QStringLiteral("bars of 3 quarters")));

  const QString out = dir_.filePath("band.rtx");
  for (const QString& how : {QStringLiteral("--melody"), QStringLiteral("--channel=auto")}) {
    p = runProcess(cli_, {"convert", band, out, how, "--fit", "rtttl"});
    ASSERT_EQ(p.exitCode, 0) << p.errors.toStdString();
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().startsWith("Band Song:d=4,o=5,b=100:8e,8d,c,d,e,e,2e,d,d,2d"));
  }
  // Without --melody the file reads as before: the first channel with notes (the drums).
  p = runProcess(cli_, {"convert", band, out});
  ASSERT_EQ(p.exitCode, 0);

  // Batches take the melody of every MIDI input.
  const QString outDir = dir_.filePath("out");
  QDir().mkpath(outDir);
  p = runProcess(
      cli_, {"convert", "--to", "sagem", "--out-dir", outDir, "--melody", "--fit", "sagem", band});
  ASSERT_EQ(p.exitCode, 0) << p.errors.toStdString();
  EXPECT_TRUE(QFileInfo::exists(outDir + "/band.srt"));

  BandOptions drums;
  drums.drumsOnly = true;
  p = runProcess(cli_, {"convert", write("drums.mid", BandSong(drums)), out, "--melody"});
  EXPECT_EQ(p.exitCode, 1);
  EXPECT_TRUE(p.errors.contains(QStringLiteral("only the drum channel (10) carries notes")));
  p = runProcess(cli_, {"convert", band, out, "--melody", "--fit", "walkman"});
  EXPECT_EQ(p.exitCode, 2);

  // --excerpt: the hook of a verse-chorus song, its bars said on the way.
  const QString song = write("vc.mid", VerseChorusSong());
  p = runProcess(cli_, {"convert", song, out, "--melody", "--excerpt", "hook"});
  ASSERT_EQ(p.exitCode, 0) << p.errors.toStdString();
  EXPECT_TRUE(p.output.contains("melody: channel 1, bars 11-")) << p.output.toStdString();
  EXPECT_TRUE(p.output.contains("(the hook)"));
  p = runProcess(cli_, {"convert", song, out, "--melody", "--excerpt", "bars:3-4"});
  EXPECT_TRUE(p.output.contains("bars 3-4")) << p.output.toStdString();
  p = runProcess(cli_, {"convert", song, out, "--melody", "--excerpt", "refrain"});
  EXPECT_EQ(p.exitCode, 2);
  EXPECT_TRUE(p.errors.contains("--excerpt takes hook, start or bars:A-B"));
  p = runProcess(cli_, {"convert", song, out, "--excerpt", "hook"});
  EXPECT_EQ(p.exitCode, 2);  // needs --melody
}

}  // namespace
