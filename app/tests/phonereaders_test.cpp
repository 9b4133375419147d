// The application's readers of Nokia ringtones and iMelody: files as phones and other
// tools write them, damaged files, and round trips through the melody library's writers.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <random>

#include "files/filetables.h"
#include "files/imelodyreader.h"
#include "files/nokiaringtone.h"
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

// Builds a smart-messaging ringtone bit by bit, most significant bit first.
class Bits {
 public:
  Bits& put(uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
      if (used_ % 8 == 0) bytes_.append('\0');
      if ((value >> i) & 1u) bytes_[bytes_.size() - 1] |= static_cast<char>(0x80 >> (used_ % 8));
      ++used_;
    }
    return *this;
  }
  Bits& align() {
    used_ = bytes_.size() * 8;
    return *this;
  }
  Bits& note(uint32_t value, uint32_t duration, uint32_t specifier = 0) {
    return put(1, 3).put(value, 4).put(duration, 3).put(specifier, 2);
  }
  QByteArray bytes() const { return bytes_; }

 private:
  QByteArray bytes_;
  qsizetype used_ = 0;
};

// Command length, ringing-tone programming, sound, basic song, the title in 8-bit
// characters, then the patterns' bits are added by the caller.
Bits songStart(const QByteArray& title, uint32_t patterns) {
  Bits b;
  b.put(2, 8).put(0x25, 7).align().put(0x1D, 7).put(1, 3).put(title.size(), 4);
  for (char c : title) b.put(static_cast<unsigned char>(c), 8);
  return b.put(patterns, 8);
}

pxvbMelody readNokia(const QByteArray& data, bool expectOk = true) {
  pxvbMelody m;
  QString error;
  EXPECT_EQ(readNokiaRingtone(data, m, &error), expectOk) << error.toStdString();
  return m;
}

pxvbMelody readImy(const QByteArray& data, bool expectOk = true, QString* errorOut = nullptr) {
  pxvbMelody m;
  QString error;
  EXPECT_EQ(readIMelody(data, m, &error), expectOk) << error.toStdString() << "\n" << data.data();
  if (errorOut) *errorOut = error;
  return m;
}

TEST(NokiaRingtone, TheWritersFormsOfOneNote) {
  // One quarter A (key 81) at the default tempo, with an empty title.
  const QByteArray hex = "024A3A40040002690000";
  const QByteArray udh = "06050415811581";
  for (const QByteArray& data :
       {hex, udh + hex, QByteArray::fromHex(hex), QByteArray::fromHex(udh + hex),
        QByteArray("06 05 04 15 81 15 81\r\n024A3A4004\n0002690000\n"), hex.toLower(),
        "//SCKL15811581 " + hex + "\r\n", "//SCKL15811581 " + hex + "\r\n"}) {
    const pxvbMelody m = readNokia(data);
    EXPECT_EQ(eventsOf(m), QStringList{"1 4 0 81 127"}) << data.toHex().data();
    EXPECT_EQ(m.bpm(), 63);
    EXPECT_EQ(m.sName(), QString());
  }
}

TEST(NokiaRingtone, ScalesStylesTempoVolumeAndLoops) {
  // Title "Tune", tempo 140 (code 15), scale 0, style staccato, volume 12, a dotted
  // eighth C#, a 16th pause, scale 3 and a half B with the 2/3 specifier; a second
  // pattern loops twice more over a whole D at the last scale, then a tempo change.
  Bits b = songStart("Tune", 2);
  b.put(0, 3).put(0, 2).put(0, 4).put(8, 8);  // pattern 0, no loop, 8 instructions
  b.put(4, 3).put(15, 5);                     // tempo 140
  b.put(2, 3).put(0, 2);                      // scale 0: octave of A = 440 Hz
  b.put(3, 3).put(2, 2);                      // staccato
  b.put(5, 3).put(12, 4);                     // volume 12
  b.note(2, 3, 1).note(0, 4).put(2, 3).put(3, 2).note(12, 1, 3);
  b.put(0, 3).put(1, 2).put(2, 4).put(2, 8);  // pattern 1, loop 2, 2 instructions
  b.note(3, 0).put(4, 3).put(18, 5);          // whole D, tempo 200
  b.align().put(0, 8);
  const pxvbMelody m = readNokia(b.bytes());
  EXPECT_EQ(m.sName(), QStringLiteral("Tune"));
  EXPECT_EQ(m.bpm(), 140);
  const QStringList expected = {"3 0 0 2 0",     "5 0 0 0 105",  "1 8 1 61 127", "16 16 0 0 0",
                                "1 2 3 107 127", "1 1 0 98 127", "4 0 0 200 0",  "1 1 0 98 127",
                                "4 0 0 200 0",   "1 1 0 98 127", "4 0 0 200 0"};
  EXPECT_EQ(eventsOf(m), expected);
}

TEST(NokiaRingtone, UnicodeTitleRepeatedPatternAndEndlessLoop) {
  Bits b;
  b.put(3, 8).put(0x25, 7).align().put(0x22, 7).align().put(0x1D, 7).put(1, 3).put(2, 4);
  b.put(0x00E9, 16).put(0x4E2D, 16);  // "é中"
  b.put(3, 8);
  b.put(0, 3).put(1, 2).put(0, 4).put(1, 8).note(10, 2);  // pattern 1: quarter A
  b.put(0, 3).put(1, 2).put(1, 4).put(0, 8);              // pattern 1 again, twice
  b.put(0, 3).put(2, 2).put(15, 4).put(1, 8).note(1, 3);  // endless loop: once
  b.align().put(0, 8);
  const pxvbMelody m = readNokia(b.bytes());
  EXPECT_EQ(m.sName(), QString::fromUtf8("\xC3\xA9\xE4\xB8\xAD"));
  EXPECT_EQ(m.size(), 4);
  EXPECT_EQ(m.getEventVal1(2), 81);
  EXPECT_EQ(m.getSimpleLen(3), 8);
  EXPECT_EQ(m.getEventVal1(3), 72);
}

TEST(NokiaRingtone, RefusesWhatIsNoRingtone) {
  Bits good = songStart("x", 1);
  good.put(0, 3).put(0, 2).put(0, 4).put(2, 8).note(1, 2).note(3, 2).align().put(0, 8);
  const QByteArray bytes = good.bytes();
  ASSERT_EQ(readNokia(bytes).size(), 2);

  pxvbMelody m;
  m.addevent(4, 0, 1, 60);
  m.setsName(QStringLiteral("keep"));
  QString error;
  // Every cut before the last instruction is complete fails and leaves the melody alone.
  for (qsizetype n = 0; n < bytes.size() - 2; ++n) {
    EXPECT_FALSE(readNokiaRingtone(bytes.left(n), m, &error)) << n;
    EXPECT_FALSE(error.isEmpty());
  }
  EXPECT_EQ(m.size(), 1);
  EXPECT_EQ(m.sName(), QStringLiteral("keep"));

  Bits midi;
  midi.put(2, 8).put(0x25, 7).align().put(0x1D, 7).put(3, 3).put(0, 4).put(1, 8);
  EXPECT_FALSE(readNokiaRingtone(midi.bytes(), m, &error));
  EXPECT_TRUE(error.contains(QStringLiteral("basic song"))) << error.toStdString();
  Bits unknown;
  unknown.put(1, 8).put(0x7F, 7).align();
  EXPECT_FALSE(readNokiaRingtone(unknown.bytes(), m, &error));
  Bits silent = songStart("", 1);
  silent.put(0, 3).put(0, 2).put(0, 4).put(1, 8).put(4, 3).put(3, 5).align().put(0, 8);
  EXPECT_FALSE(readNokiaRingtone(silent.bytes(), m, &error));
  for (const char* text : {"", "0", "hello", "024A3A4", "\x02\x4A"})
    EXPECT_FALSE(readNokiaRingtone(QByteArray(text), m, &error)) << text;

  std::mt19937 rng(17);
  for (int round = 0; round < 2000; ++round) {
    QByteArray junk(static_cast<qsizetype>(rng() % 64), '\0');
    for (char& c : junk) c = static_cast<char>(rng());
    if (round % 2) junk.prepend(bytes.left(rng() % bytes.size()));
    pxvbMelody target;
    readNokiaRingtone(junk, target, &error);
  }
}

TEST(IMelody, TheWritersExampleAndTheHeader) {
  const QByteArray text =
      "BEGIN:IMELODY\r\nVERSION:1.0\r\nFORMAT:CLASS1.0\r\nNAME:Tune\r\n"
      "MELODY:c2#d3.r4*3e1\r\nEND:IMELODY\r\n";
  const pxvbMelody m = readImy(text);
  EXPECT_EQ(m.sName(), QStringLiteral("Tune"));
  EXPECT_EQ(m.bpm(), 120);
  EXPECT_EQ(eventsOf(m),
            (QStringList{"1 4 0 72 127", "1 8 1 75 127", "16 16 0 0 0", "1 2 0 64 127"}));

  // iMelody 1.2: beat, style, volume, composer, line feeds only, lower-case keys.
  const QByteArray v12 =
      "begin:imelody\nVERSION:1.2\nFORMAT:CLASS1.0\nNAME:Alle\nCOMPOSER:Trad.\nBEAT:180\n"
      "STYLE:S2\nVOLUME:V10\nMELODY:*5c0:&e5;#b3\nEND:IMELODY";
  pxvbMelody n = readImy("\xEF\xBB\xBF" + v12);  // with a byte order mark
  EXPECT_EQ(n.bpm(), 180);
  EXPECT_EQ(n.sComposer(), QStringLiteral("Trad."));
  // Flat of E is D#; sharp of B is the C above.
  EXPECT_EQ(eventsOf(n), (QStringList{"3 0 0 2 0", "5 0 0 0 91", "1 1 2 84 127", "1 32 3 87 127",
                                      "1 8 0 96 127"}));
}

TEST(IMelody, VolumesRepeatsAndSkippedElements) {
  const QByteArray text =
      "BEGIN:IMELODY\nMELODY:ledonV5(c3vibeond3@3V+)backoffV-V+ledoffr2(e2@0)"
      "(f3(g3@2)@2)vibeoffbackon\nEND:IMELODY\n";
  const pxvbMelody m = readImy(text);
  const QStringList expected = {"5 0 0 0 54",   "1 8 0 72 127", "1 8 0 74 127", "5 0 0 1 1",
                                "1 8 0 72 127", "1 8 0 74 127", "5 0 0 1 1",    "1 8 0 72 127",
                                "1 8 0 74 127", "5 0 0 1 1",    "5 0 0 1 -1",   "5 0 0 1 1",
                                "16 4 0 0 0",   "1 4 0 76 127", "1 8 0 77 127", "1 8 0 79 127",
                                "1 8 0 79 127", "1 8 0 77 127", "1 8 0 79 127", "1 8 0 79 127"};
  EXPECT_EQ(eventsOf(m), expected);
}

TEST(IMelody, FoldedLinesJoin) {
  QByteArray melody = "MELODY:";
  for (int i = 0; i < 40; ++i) melody += i % 2 ? "c3" : "*5d2";
  QByteArray folded = melody.left(75) + "\r\n " + melody.mid(75, 74) + "\r\n " + melody.mid(149);
  const pxvbMelody m = readImy("BEGIN:IMELODY\r\n" + folded + "\r\nEND:IMELODY\r\n");
  EXPECT_EQ(m.size(), 40);
  EXPECT_EQ(m.getEventVal1(39), 84);
}

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
      {"BEGIN:IMELODY\nMELODY:((((c2d2@99)@99)@99)@99)\n", "more than"},
  };
  for (const Row& row : rows) {
    QString error;
    readImy(row.text, false, &error);
    EXPECT_TRUE(error.contains(QLatin1String(row.why)))
        << row.text << " -> " << error.toStdString();
    EXPECT_FALSE(readIMelody(row.text, m, nullptr));
  }
  EXPECT_EQ(m.size(), 1);

  std::mt19937 rng(23);
  const QByteArray alphabet = "cdefgabr#&*0123456789.:;()@V+-ledonvibackf \n";
  for (int round = 0; round < 3000; ++round) {
    QByteArray junk = "BEGIN:IMELODY\nMELODY:";
    for (int i = rng() % 40; i > 0; --i)
      junk += alphabet[static_cast<qsizetype>(rng() % alphabet.size())];
    pxvbMelody target;
    readIMelody(junk, target, nullptr);
  }
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
  EXPECT_EQ(filetables::OpenFilterForFile(QStringLiteral("a/b.OTT"))->read, &readNokiaRingtone);
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
