#include <gtest/gtest.h>

#include <random>

#include "files/composertext.h"
#include "melody/rvmelodyapi.h"

// The library reads and writes the text (its tests hold the tokens and the header line);
// here the import command, the delimiter setting and the rendering through the library.
namespace {

class ComposerText : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RvMelodyApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR)); }
};

TEST_F(ComposerText, ImportExample) {
  pxvbMelody m;
  ASSERT_TRUE(ImportComposerText(m, QStringLiteral("8#f2,4.-,16c1"), QString()));
  ASSERT_EQ(m.size(), 3);
  EXPECT_EQ(m.getEvent(0), 1);
  EXPECT_EQ(m.getEventVal1(0), 90);
  EXPECT_EQ(m.getEventVal2(0), 127);
  EXPECT_EQ(m.getSimpleLen(0), 8);
  EXPECT_EQ(m.getEvent(1), 16);
  EXPECT_EQ(m.getSimpleLen(1), 4);
  EXPECT_EQ(m.getDotLen(1), 1);
  EXPECT_EQ(m.getEventVal1(2), 72);
  EXPECT_EQ(m.getSimpleLen(2), 16);
}

TEST_F(ComposerText, WholeTextFailures) {
  pxvbMelody target;
  target.addevent(8, 0, 1, 77);
  EXPECT_FALSE(
      ImportComposerText(target, QStringLiteral("no delimiter here"), QStringLiteral(",")));
  EXPECT_EQ(target.size(), 1);
  EXPECT_FALSE(ImportComposerText(target, QStringLiteral("4c1,4d1 4e1 4f1 4g1  "), QString()));
  EXPECT_EQ(target.size(), 1);
  // An empty or longer setting is ','; one character is the delimiter.
  ASSERT_TRUE(ImportComposerText(target, QStringLiteral("4c1;4d1"), QStringLiteral(";")));
  EXPECT_EQ(target.size(), 2);
  EXPECT_EQ(target.sName(), pxvbMelody().sName());
  EXPECT_EQ(ComposerImportDelimiter(QStringLiteral(";;")), QStringLiteral(","));
  EXPECT_EQ(ComposerImportDelimiter(QStringLiteral(" ")), QStringLiteral(" "));
}

TEST_F(ComposerText, Rendering) {
  pxvbMelody m;
  m.setsName(QStringLiteral("Song"));
  m.setbpm(100);
  m.addevent(4, 0, 1, 74);
  QString out;
  EXPECT_EQ(ComposerTextFromMelody(m, out, QStringLiteral(",")), -1);
  EXPECT_EQ(out, QStringLiteral("Name:Song BPM:100 No.:1\r\n4D1"));

  m.resize(0);
  m.addevent(4, 1, 1, 85);    // dotted C# of octave 2
  m.addevent(8, 0, 1, 60);    // raised to 72
  m.addevent(16, 0, 1, 120);  // lowered to 107
  m.addevent(2, 1, 16);       // pause: no dot
  m.addevent(0, 0, 4, 120);   // control event: no token
  m.addevent(128, 0, 1, 80);  // no composer length
  EXPECT_EQ(ComposerTextFromMelody(m, out, QStringLiteral(";x")), -1);
  EXPECT_EQ(out, QStringLiteral("Name:Song BPM:100 No.:4\r\n4.#C2;8C1;16B3;2-"));

  pxvbMelody empty;
  EXPECT_EQ(ComposerTextFromMelody(empty, out, QStringLiteral(",")), 0);
}

TEST_F(ComposerText, RoundTripThroughImport) {
  pxvbMelody m;
  const int lens[] = {1, 2, 4, 8, 16, 32, 64};
  for (int key = 72; key <= 107; ++key) m.addevent(lens[key % 7], key % 2, 1, key, 127);
  m.addevent(16, 0, 16);
  QString text;
  ComposerTextFromMelody(m, text, QStringLiteral(","));
  const QString tokens = text.mid(text.indexOf(QLatin1Char('\n')) + 1);
  pxvbMelody back;
  ASSERT_TRUE(ImportComposerText(back, tokens, QStringLiteral(",")));
  ASSERT_EQ(back.size(), m.size());
  for (int i = 0; i < m.size(); ++i) {
    EXPECT_EQ(back.getEventVal1(i), m.getEventVal1(i)) << i;
    EXPECT_EQ(back.getSimpleLen(i), m.getSimpleLen(i)) << i;
    EXPECT_EQ(back.getDotLen(i), m.getDotLen(i)) << i;
  }
}

// The command line reads its own rendering back: the header line gives name and tempo.
TEST_F(ComposerText, ImportWithTheHeaderLine) {
  pxvbMelody m;
  ASSERT_TRUE(
      ImportComposerText(m, QStringLiteral("Name:A B BPM:100 No.:2\r\n4c1,4d1"), QString(), true));
  EXPECT_EQ(m.sName(), QStringLiteral("A B"));
  EXPECT_EQ(m.bpm(), 100);
  EXPECT_EQ(m.size(), 2);
  ASSERT_TRUE(ImportComposerText(m, QStringLiteral("Name: BPM:zz\n4c1,4d1"), QString(), true));
  EXPECT_EQ(m.sName(), pxvbMelody().sName());
  EXPECT_EQ(m.bpm(), 120);
}

TEST_F(ComposerText, ArbitraryInputNeverBreaks) {
  std::mt19937 rng(7);
  const QString alphabet = QStringLiteral("0123456789.#-pcdefgabhx ,;\r\n\t");
  for (int round = 0; round < 2000; ++round) {
    QString text;
    const int n = static_cast<int>(rng() % 60);
    for (int i = 0; i < n; ++i)
      text += rng() % 4 ? alphabet[rng() % alphabet.size()]
                        : QChar(static_cast<ushort>(rng() % 0x3000));
    pxvbMelody m;
    if (ImportComposerText(m, text, QStringLiteral(","))) {
      for (int i = 0; i < m.size(); ++i) {
        EXPECT_TRUE(m.getEvent(i) == 1 || m.getEvent(i) == 16);
        EXPECT_LE(m.getEventVal1(i), 127);
      }
    }
  }
  pxvbMelody m;
  EXPECT_TRUE(ImportComposerText(m, QStringLiteral("4c1,").repeated(5000), QStringLiteral(",")));
  EXPECT_EQ(m.size(), 5000);
}

}  // namespace
