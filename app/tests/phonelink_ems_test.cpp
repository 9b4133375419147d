// The EMS iMelody of a melody longer than one message: its iMelody objects, the parts
// they go in, read back by python-gammu and a reading of the header's elements that shares
// no code with Pealix (support/ems_decode.py), and the fitting that keeps every object in
// the octaves of the one-message export.
#include <gtest/gtest.h>

#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include "../../smslib/tests/pdu_decoder.h"
#include "melody/pxvbmelody.h"
#include "melody/rvmelodyapi.h"
#include "melody/rvtonehead.h"
#include "phonelink/cablemessage.h"
#include "phonelink/clsmsprops.h"
#include "phonelink/emsimelody.h"
#include "phonelink/modpdu.h"
#include "phonelink/rvsmsapi.h"

namespace {

class EmsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RvMelodyApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR));
    RvSmsApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR));
    errors_ =
        modPDU::ShowErrorsWith([this](const QString&, const QString& text) { errors << text; });
    global.SetDestAdr("+4917112345", 1);
  }
  QByteArray imelody(const pxvbMelody& m) {
    QByteArray out;
    EXPECT_EQ(rvTonehead::Melo2String(m, 14, {}, out).result, 1);
    return out;
  }
  cableMessage::Rendered render(const pxvbMelody& m) {
    return cableMessage::Render(m, cableMessage::kModeEmsIMelody, 1);
  }
  clSMSProps global;
  QStringList errors;
  modPDU::ErrorScope errors_;
};

// keys cycling through `keys`, lengths through quarter, eighth, dotted eighth, half.
pxvbMelody Tune(int notes, std::vector<int> keys) {
  pxvbMelody m;
  m.setsName(QStringLiteral("Tune"));
  m.setbpm(140);
  const int lengths[][2] = {{4, 0}, {8, 0}, {8, 1}, {2, 0}};
  for (int i = 0; i < notes; ++i) {
    const auto& l = lengths[i % 4];
    m.addevent(l[0], l[1], 1, keys[i % keys.size()], 100);
  }
  return m;
}

// The decoder's lines, or nothing (skipped) without python-gammu.
bool Decoded(const modPDU::MessageParts& parts, std::vector<std::string>* lines) {
  for (const char* python : {"python3", "/usr/bin/python3"}) {
    if (std::system((std::string(python) + " -c 'import gammu' 2>/dev/null").c_str()) != 0)
      continue;
    char path[] = "/tmp/pealix-ems-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) return false;
    FILE* f = fdopen(fd, "w");
    for (const QByteArray& pdu : parts.pdus) std::fprintf(f, "%s\n", pdu.toHex().constData());
    std::fclose(f);
    const std::string cmd =
        std::string(python) + " " PEALIX_SOURCE_DIR "/app/tests/support/ems_decode.py < " + path;
    FILE* p = popen(cmd.c_str(), "r");
    char line[512];
    while (p && std::fgets(line, sizeof line, p)) {
      std::string s(line);
      while (!s.empty() && s.back() == '\n') s.pop_back();
      lines->push_back(s);
    }
    const int status = p ? pclose(p) : -1;
    std::remove(path);
    EXPECT_EQ(status, 0) << (lines->empty() ? "" : lines->back());
    return true;
  }
  return false;
}

TEST_F(EmsTest, FittingMatchesTheLibrarysOwnExport) {
  // In range, below, above, wider than the range (moved by the distance, then clamped),
  // low notes that only fit moved by the distance, and a lone last note (never moved).
  const std::vector<std::vector<int>> ranges = {{72, 80, 107},      {48, 55, 70}, {100, 112, 120},
                                                {40, 60, 110, 115}, {60, 83, 98}, {50}};
  for (const auto& keys : ranges) {
    pxvbMelody m = Tune(8, keys);
    if (keys.size() == 1) {
      m.resize(0);
      m.addevent(4, 0, 16, 0, 0);
      m.addevent(4, 0, 1, keys[0], 100);
    }
    pxvbMelody fitted(m);
    emsIMelody::FitLikeStringExport(fitted);
    EXPECT_EQ(imelody(fitted), imelody(m)) << keys[0];
    // Fitted once, the export finds nothing more to move.
    for (int i = 0; i + 1 < fitted.size() && keys.size() > 1; ++i) {
      EXPECT_GE(fitted.getEventVal1(i), 72);
      EXPECT_LE(fitted.getEventVal1(i), 107);
    }
  }
}

TEST_F(EmsTest, LongMelodyGoesInPartsThatReadBackNoteForNote) {
  // Keys 60..83 lie below the range: the whole melody moves up one octave, every part alike.
  const std::vector<int> keys = {60, 62, 64, 65, 67, 69, 71, 72, 74, 76, 77, 79, 81, 83};
  for (const int notes : {20, 42}) {
    pxvbMelody m = Tune(notes, keys);
    m.setsName(QStringLiteral("MELODY:ccc"));  // a title never counts as notes
    const cableMessage::Rendered r = render(m);
    ASSERT_EQ(r.result, 1) << r.error.toStdString();
    ASSERT_TRUE(modPDU::IsEmsObjectList(r.data));
    const QList<QByteArray> objects = modPDU::SplitEmsObjects(r.data);
    ASSERT_GE(objects.size(), 2);
    for (const QByteArray& o : objects) EXPECT_LE(o.size(), 122);
    EXPECT_TRUE(objects[0].contains("NAME:MELODY:ccc"));
    EXPECT_FALSE(objects[1].contains("NAME:"));

    modPDU::MessageParts parts;
    ASSERT_EQ(modPDU::MakeMessageParts(modPDU::kEmsIMelody, r.data, global, &parts), 1);
    const int count = static_cast<int>(parts.pdus.size());
    ASSERT_EQ(count, objects.size());
    for (const QByteArray& pdu : parts.pdus) {
      const pdutest::Submit s = pdutest::Decode(pdutest::Bytes(pdu.begin(), pdu.end()), true);
      EXPECT_EQ(s.error, "");
      EXPECT_EQ(s.alphabet, pdutest::Alphabet::kGsm7);
      EXPECT_EQ(s.udhi, 1);
      EXPECT_LE(s.ud.size(), 140u);
    }

    std::vector<std::string> lines;
    if (!Decoded(parts, &lines)) GTEST_SKIP() << "python3-gammu is not installed";
    ASSERT_GE(lines.size(), static_cast<size_t>(count));
    int reference = -1;
    for (int k = 0; k < count; ++k) {
      int number = 0, all = 0, ref = 0, mr = 0, prompt = 0, found = 0;
      char text[64] = {};
      ASSERT_EQ(std::sscanf(lines[k].c_str(), "PART %d %d %d %d %d %d %63[^\n]", &number, &all,
                            &ref, &mr, &prompt, &found, text),
                7)
          << lines[k];
      EXPECT_EQ(number, k + 1);
      EXPECT_EQ(all, count);
      if (k > 0) {
        EXPECT_EQ(ref, reference);
      }
      reference = ref;
      EXPECT_EQ(mr, k);
      EXPECT_EQ(prompt, k == 0 ? count : -1);
      EXPECT_EQ(found, 1);
      // The display text goes into the last part, where the last object leaves room.
      if (k < count - 1) {
        EXPECT_STREQ(text, "-");
      }
    }
    std::vector<std::string> expected;
    for (int i = 0; i < notes; ++i) {
      const char digit = m.getSimpleLen(i) == 2 ? '1' : m.getSimpleLen(i) == 4 ? '2' : '3';
      expected.push_back("NOTE " + std::to_string(m.getEventVal1(i) + 12) + " " + digit + " " +
                         (m.getDotLen(i) ? "." : "-"));
    }
    EXPECT_EQ(std::vector<std::string>(lines.begin() + count, lines.end()), expected);
  }
}

TEST_F(EmsTest, LaterObjectsPlayAsLoudAndTooManyPartsAreRefused) {
  pxvbMelody m;
  m.addevent(4, 0, 5, 0, 40);  // absolute volume
  for (int i = 0; i < 30; ++i) m.addevent(8, 0, 1, 72 + i % 12, 100);
  const QList<QByteArray> objects = emsIMelody::Objects(m);
  ASSERT_GE(objects.size(), 2);
  // Each object's melody starts with the same absolute volume token.
  auto firstToken = [](const QByteArray& o) {
    const qsizetype at = o.indexOf("\nMELODY:") + 8;
    qsizetype end = at + 1;
    while (end < o.size() && o[end] >= '0' && o[end] <= '9') ++end;
    return o.mid(at, end - at);
  };
  const QByteArray volume = firstToken(objects[0]);
  ASSERT_TRUE(volume.startsWith('V') && volume.size() > 1) << objects[0].constData();
  for (const QByteArray& o : objects) EXPECT_EQ(firstToken(o), volume);
  int tokens = 0;
  for (const QByteArray& o : objects) tokens += rvTonehead::CountNotes(o, RV_COUNT_IMELODY_TOKENS);
  EXPECT_EQ(tokens, 30 + static_cast<int>(objects.size()));

  // Four objects need four parts: refused with the count, nothing built.
  QList<QByteArray> four;
  while (four.size() < 4) four.append(objects[0]);
  modPDU::MessageParts parts;
  EXPECT_EQ(modPDU::MakeMessageParts(modPDU::kEmsIMelody, four.join(), global, &parts),
            modPDU::kTooManyParts);
  EXPECT_EQ(parts.info.PartCount, 4);
  EXPECT_TRUE(parts.pdus.isEmpty());
  EXPECT_TRUE(errors.isEmpty());

  // A melody that fits one message is still the one-message data.
  pxvbMelody shortTune = Tune(6, {72, 76, 79});
  const cableMessage::Rendered one = render(shortTune);
  ASSERT_EQ(one.result, 1);
  EXPECT_FALSE(modPDU::IsEmsObjectList(one.data));
  EXPECT_EQ(static_cast<unsigned char>(one.data[1]), 0x0C);
}

}  // namespace
