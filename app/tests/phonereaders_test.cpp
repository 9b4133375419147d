// The readers of Nokia ringtones (the library's, on the file's bytes) and iMelody (the
// application's): files as phones and other tools write them, damaged files, and round
// trips through the melody library's writers.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "files/filetables.h"
#include "files/memoryread.h"
#include "melody/rvmelodyapi.h"
#include "melody/rvtonehead.h"

// Readable failure output for the event lists.
inline void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}

namespace {

// One event as "kind len dot value1 value2", for whole-melody comparisons.
QStringList eventsOf(const pxvbMelody& m) {
  QStringList out;
  for (int i = 0; i < m.size(); ++i)
    out << QStringLiteral("%1 %2 %3 %4 %5")
               .arg(m.getEvent(i))
               .arg(m.getSimpleLen(i))
               .arg(m.getDotLen(i))
               .arg(m.getEventVal1(i))
               .arg(m.getEventVal2(i));
  return out;
}

// A Nokia ringtone through the library's reader of its bytes.
bool readNokiaRingtone(const QByteArray& data, pxvbMelody& m, QString* error = nullptr) {
  RvMelodyApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR));
  return memoryread::Read(RV_FORMAT_NOKIA, data, m, error);
}

// An iMelody text through the library's reader of its bytes.
bool readIMelody(const QByteArray& data, pxvbMelody& m, QString* error = nullptr) {
  RvMelodyApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR));
  return memoryread::Read(RV_FORMAT_IMELODY, data, m, error);
}

pxvbMelody readImy(const QByteArray& data, bool expectOk = true, QString* errorOut = nullptr) {
  pxvbMelody m;
  QString error;
  EXPECT_EQ(readIMelody(data, m, &error), expectOk) << error.toStdString() << "\n" << data.data();
  if (errorOut) *errorOut = error;
  return m;
}

// The reader itself is tested in the library; here the program's side: the melody it
// replaces, what is kept on failure, the error texts of the window and the command line.
TEST(NokiaRingtone, ThroughTheLibraryKeepsOrReplacesTheMelody) {
  pxvbMelody m;
  m.addevent(4, 0, 1, 60);
  m.setsName(QStringLiteral("keep"));
  m.setsComposer(QStringLiteral("Someone"));
  const QStringList before = eventsOf(m);
  QString error;
  EXPECT_FALSE(readNokiaRingtone("024A3A400400", m, &error));
  EXPECT_EQ(error, QStringLiteral("not a Nokia ringtone: it ends early, in byte 6"));
  EXPECT_FALSE(memoryread::Read(RV_FORMAT_NOKIA, "", m, &error,
                                [](int n) { return QStringLiteral("<%1> %1 %2").arg(n); }));
  EXPECT_EQ(error, QStringLiteral("<2831> 2831 0"));
  EXPECT_EQ(eventsOf(m), before);
  EXPECT_EQ(m.sName(), QStringLiteral("keep"));

  // Title "Tune", tempo 140, a dotted eighth C# in the default octave of A = 880 Hz.
  ASSERT_TRUE(readNokiaRingtone("024A3A5151D5B9940400051E49A000", m, &error))
      << error.toStdString();
  EXPECT_EQ(m.sName(), QStringLiteral("Tune"));
  EXPECT_EQ(m.bpm(), 140);
  EXPECT_EQ(m.sComposer(), QStringLiteral("Someone"));  // the rest is kept
  EXPECT_EQ(eventsOf(m), QStringList{"1 8 1 73 127"});
}

// The reader is tested in the library; here the composer and the name reach the melody.
TEST(IMelody, TheComposerAndTheNameReachTheMelody) {
  const pxvbMelody n = readImy(
      "BEGIN:IMELODY\nNAME:Alle\xC3\xA9\nCOMPOSER:Trad.\nBEAT:180\nMELODY:*5c0:\nEND:IMELODY");
  EXPECT_EQ(n.bpm(), 180);
  EXPECT_EQ(n.sName(), QString::fromUtf8("Alle\xC3\xA9"));
  EXPECT_EQ(n.sComposer(), QStringLiteral("Trad."));
  pxvbMelody kept;
  kept.setsComposer(QStringLiteral("Someone"));
  ASSERT_TRUE(readIMelody("BEGIN:IMELODY\nMELODY:c2\n", kept));
  EXPECT_EQ(kept.sComposer(), QStringLiteral("Someone"));
}

// The texts of the command line, as the reader said them before it moved into the library.
TEST(IMelody, RefusesWithReasonAndPlace) {
  pxvbMelody m;
  m.addevent(4, 0, 1, 60);
  struct Row {
    const char* text;
    const char* why;
  } rows[] = {
      {"", "empty"},
      {"MELODY:c2\n", "BEGIN:IMELODY"},
      {"BEGIN:IMELODY\nNAME:x\nEND:IMELODY\n", "no MELODY"},
      {"BEGIN:IMELODY\nMELODY:c2x3\n", "unexpected 'x' at character 3"},
      {"BEGIN:IMELODY\nMELODY:c2d\n", "duration 0..5 is missing at character 4"},
      {"BEGIN:IMELODY\nMELODY:c6\n", "duration"},
      {"BEGIN:IMELODY\nMELODY:*9c2\n", "octave"},
      {"BEGIN:IMELODY\nMELODY:(c2@2\n", "not closed"},
      {"BEGIN:IMELODY\nMELODY:(c2\n", "'@'"},
      {"BEGIN:IMELODY\nMELODY:c2)\n", "without a repeat block"},
      {"BEGIN:IMELODY\nMELODY:V\n", "volume"},
      {"BEGIN:IMELODY\nMELODY:ledon\n", "no note"},
      {"BEGIN:IMELODY\nBEAT:fast\nMELODY:c2\n", "BEAT"},
      {"BEGIN:IMELODY\nSTYLE:S7\nMELODY:c2\n", "STYLE"},
      {"BEGIN:IMELODY\nVOLUME:V16\nMELODY:c2\n", "VOLUME"},
      {"BEGIN:IMELODY\nMELODY:c2\nMELODY:d2\n", "second MELODY"},
      {"BEGIN:IMELODY\nMELODY:((((((((((c2@2)@2)@2)@2)@2)@2)@2)@2)@2)@2)\n", "nest"},
      {"BEGIN:IMELODY\nMELODY:((((c2d2@99)@99)@99)@99)\n", "more than 20000 events at character"},
      {"BEGIN:IMELODY\nMELODY:c2)\n", "')' without a repeat block at character 3"},
  };
  for (const Row& row : rows) {
    QString error;
    readImy(row.text, false, &error);
    EXPECT_TRUE(error.contains(QLatin1String(row.why)))
        << row.text << " -> " << error.toStdString();
    EXPECT_FALSE(readIMelody(row.text, m, nullptr));
  }
  EXPECT_EQ(m.size(), 1);
}

// Golden files: data/<format>/ok/NAME.<ext> reads into NAME.expected (title, tempo and
// the events); every file in data/<format>/bad/ is refused with a reason.
struct GoldenCase {
  const char* format;
  QString file;
};

std::vector<GoldenCase> goldenCases(const char* kind) {
  std::vector<GoldenCase> out;
  for (const char* format : {"nokia", "imelody"}) {
    const QDir dir(QStringLiteral(PEALIX_TEST_DATA "/%1/%2").arg(format, kind));
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name))
      if (!name.endsWith(QLatin1String(".expected"))) out.push_back({format, dir.filePath(name)});
  }
  return out;
}

bool readGolden(const GoldenCase& c, pxvbMelody& m, QString& error) {
  QFile f(c.file);
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << c.file.toStdString();
  const QByteArray data = f.readAll();
  return QByteArray(c.format) == "nokia" ? readNokiaRingtone(data, m, &error)
                                         : readIMelody(data, m, &error);
}

class PhoneGoodFile : public ::testing::TestWithParam<GoldenCase> {};
class PhoneBadFile : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(PhoneGoodFile, ReadsAsExpected) {
  pxvbMelody m;
  QString error;
  ASSERT_TRUE(readGolden(GetParam(), m, error)) << error.toStdString();
  const QString dump = QStringLiteral("title \"%1\" bpm %2\n").arg(m.sName()).arg(m.bpm()) +
                       eventsOf(m).join(QLatin1Char('\n')) + QLatin1Char('\n');
  const QFileInfo file(GetParam().file);
  QFile expected(file.path() + "/" + file.completeBaseName() + ".expected");
  ASSERT_TRUE(expected.open(QIODevice::ReadOnly)) << expected.fileName().toStdString();
  EXPECT_EQ(dump, QString::fromUtf8(expected.readAll()));
}

TEST_P(PhoneBadFile, IsRefusedWithAReason) {
  pxvbMelody m;
  QString error;
  EXPECT_FALSE(readGolden(GetParam(), m, error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_EQ(m.size(), 0);
}

std::string goldenName(const ::testing::TestParamInfo<GoldenCase>& info) {
  QString name =
      QString::fromLatin1(info.param.format) + "_" + QFileInfo(info.param.file).fileName();
  name.replace(QLatin1Char('.'), QLatin1Char('_'));
  return name.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Golden, PhoneGoodFile, ::testing::ValuesIn(goldenCases("ok")), goldenName);
INSTANTIATE_TEST_SUITE_P(Golden, PhoneBadFile, ::testing::ValuesIn(goldenCases("bad")), goldenName);

TEST(OpenFilters, TwoPhoneFormatsAfterTheLibrarysThree) {
  const QList<filetables::OpenFilter>& f = filetables::OpenFilters();
  ASSERT_EQ(f.size(), 6);
  EXPECT_EQ(f[0].filterText, QStringLiteral("RTTTL/Nokring (*.txt;*.rtx)"));
  EXPECT_EQ(f[2].filterText, QStringLiteral("SagemMelodie (*.srt;*.txt)"));
  EXPECT_EQ(f[3].filterText, QStringLiteral("Nokia ringtone (*.ota;*.ott;*.rng)"));
  EXPECT_EQ(f[4].filterText, QStringLiteral("iMelody (*.imy)"));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(f[i].read, nullptr);
  EXPECT_EQ(filetables::OpenFilterForFile(QStringLiteral("a/b.OTT"))->read, &memoryread::Read);
  EXPECT_EQ(filetables::OpenFilterForFile(QStringLiteral("x.imy"))->index, 5);
  EXPECT_EQ(filetables::OpenFilterForFile(QStringLiteral("x.txt"))->index, 1);
  EXPECT_EQ(filetables::OpenFilterForFile(QStringLiteral("x.ringtone")), nullptr);
}

// Tunes through the library's writers and back: every example melody and every tune of
// the test collection.
class RoundTrip : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RvMelodyApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR)); }

  static std::vector<pxvbMelody> tunes() {
    std::vector<pxvbMelody> out;
    QStringList texts;
    for (const QFileInfo& file :
         QDir(QStringLiteral(PEALIX_SOURCE_DIR "/examples")).entryInfoList({"*.rtx"})) {
      QFile f(file.filePath());
      EXPECT_TRUE(f.open(QIODevice::ReadOnly));
      texts << QString::fromUtf8(f.readAll()).trimmed();
    }
    QFile collection(QStringLiteral(PEALIX_TEST_DATA "/collections/public_domain.txt"));
    EXPECT_TRUE(collection.open(QIODevice::ReadOnly));
    for (const QByteArray& line : collection.readAll().split('\n'))
      if (!line.trimmed().isEmpty()) texts << QString::fromUtf8(line).trimmed();
    EXPECT_GE(texts.size(), 54);
    QTemporaryDir dir;
    for (const QString& text : texts) {
      const QString path = dir.filePath(QStringLiteral("t.rtx"));
      QFile f(path);
      EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
      f.write(text.toUtf8());
      f.close();
      pxvbMelody m;
      rvTonehead::Request request = {1, 7, 0, 0, 0};
      EXPECT_EQ(rvTonehead::ReadMelo(m, request, path, true).result, 1) << text.toStdString();
      // Every token of the notes part is read (blanks and empty tokens aside).
      int tokens = 0;
      for (const QString& token : text.section(QLatin1Char(':'), 2).split(QLatin1Char(',')))
        tokens += token.trimmed().isEmpty() ? 0 : 1;
      EXPECT_EQ(m.size(), tokens) << text.toStdString();
      out.push_back(m);
    }
    return out;
  }

  static void expectSameNotes(const pxvbMelody& in, const pxvbMelody& back, int transpose,
                              const QString& what) {
    ASSERT_EQ(back.size(), in.size()) << what.toStdString();
    for (int i = 0; i < in.size(); ++i) {
      EXPECT_EQ(back.getEvent(i), in.getEvent(i)) << what.toStdString() << " event " << i;
      EXPECT_EQ(back.getSimpleLen(i), in.getSimpleLen(i)) << what.toStdString() << " event " << i;
      EXPECT_EQ(back.getDotLen(i), in.getDotLen(i)) << what.toStdString() << " event " << i;
      if (in.getEvent(i) == 1) {
        EXPECT_EQ(back.getEventVal1(i), in.getEventVal1(i) + transpose)
            << what.toStdString() << " event " << i;
      }
    }
  }
};

// The Nokia writer moves a tune that reaches below key 60 up as a whole; the tempo snaps
// to the nearest of its 32 codes.
TEST_F(RoundTrip, ThroughTheNokiaWriter) {
  ASSERT_TRUE(rvTonehead::EnsureLoaded());
  const int table[] = {25,  28,  31,  35,  40,  45,  50,  56,  63,  70,  80,
                       90,  100, 112, 125, 140, 160, 180, 200, 225, 250, 285,
                       320, 355, 400, 450, 500, 565, 635, 715, 800, 900};
  for (const pxvbMelody& m : tunes()) {
    int hi = 0, lo = 0;
    m.HiLoNote(hi, lo);
    const int transpose = lo < 60 ? 60 - lo : hi > 107 ? 107 - hi : 0;
    for (const std::vector<int>& options :
         {std::vector<int>{1, 1, 2000}, {0, 1, 2000}, {1, 0, 2000}, {0, 0, 2000}}) {
      QByteArray bytes;
      ASSERT_EQ(rvTonehead::Melo2String(m, 9, options, bytes).result, 1);
      pxvbMelody back;
      QString error;
      ASSERT_TRUE(readNokiaRingtone(bytes, back, &error))
          << m.sName().toStdString() << ": " << error.toStdString();
      expectSameNotes(m, back, transpose, m.sName());
      const int* snapped = std::min_element(std::begin(table), std::end(table), [&](int a, int b) {
        return std::abs(a - m.bpm()) < std::abs(b - m.bpm());
      });
      EXPECT_LE(std::abs(back.bpm() - m.bpm()), std::abs(*snapped - m.bpm()) + 1)
          << m.sName().toStdString();
      EXPECT_TRUE(m.sName().startsWith(back.sName())) << back.sName().toStdString();
    }
  }
}

// The iMelody file export writes every note as it is; beats of 110..130 are left out
// and read back as 120.
TEST_F(RoundTrip, ThroughTheIMelodyWriter) {
  ASSERT_TRUE(rvTonehead::EnsureLoaded());
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("t.imy"));
  for (const pxvbMelody& m : tunes()) {
    ASSERT_EQ(rvTonehead::MeloExport(m, {1, 14, 0, 0, 0, 0, 0, 0}, path).result, 1);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    pxvbMelody back;
    QString error;
    ASSERT_TRUE(readIMelody(f.readAll(), back, &error))
        << m.sName().toStdString() << ": " << error.toStdString();
    expectSameNotes(m, back, 0, m.sName());
    EXPECT_EQ(back.bpm(), std::clamp(m.bpm(), 25, 900));  // every tempo comes back
    EXPECT_EQ(back.sName(), m.sName());
  }
}

}  // namespace
