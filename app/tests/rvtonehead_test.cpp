#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "melody/rvmelodyapi.h"
#include "melody/rvtonehead.h"

namespace {

class RvToneheadTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RvMelodyApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR)); }

  QString writeFile(const QString& name, const QByteArray& text) {
    const QString path = dir_.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
    return path;
  }

  QTemporaryDir dir_;
};

QString resText(int n) {
  return QStringLiteral("<%1>").arg(n);
}

TEST_F(RvToneheadTest, ReadsRtttlIntoTheTarget) {
  ASSERT_TRUE(rvTonehead::EnsureLoaded());
  const QString path =
      writeFile(QStringLiteral("a.rtx"), "A very long melody title:d=4,o=5,b=140:c,8d#,p,2.e6");
  pxvbMelody m;
  rvTonehead::Request request = {1, 7, 0, 0, 0};
  const rvTonehead::Outcome o = rvTonehead::ReadMelo(m, request, path, true);
  ASSERT_EQ(o.result, 1) << o.code;
  EXPECT_FALSE(o.truncated);
  ASSERT_EQ(m.size(), 4);
  EXPECT_EQ(m.getEvent(0), 1);
  EXPECT_EQ(m.getEventVal1(0), 60 + 12);  // c of octave 5 is key 72 in the library
  EXPECT_EQ(m.getSimpleLen(1), 8);
  EXPECT_EQ(m.getEvent(2), 16);
  EXPECT_EQ(m.getSimpleLen(3), 2);
  EXPECT_EQ(m.getDotLen(3), 1);
  EXPECT_EQ(m.bpm(), 140);
  EXPECT_EQ(m.sName(), QStringLiteral("A very long melody t"));  // 20-character buffer
  EXPECT_EQ(request.size(), 6u);

  pxvbMelody paste;
  paste.setsName(QStringLiteral("keep"));
  ASSERT_EQ(rvTonehead::ReadMelo(paste, request, path, false).result, 1);
  EXPECT_EQ(paste.sName(), QStringLiteral("keep"));
}

TEST_F(RvToneheadTest, LongReadIsTruncatedWithANotice) {
  QByteArray text = "long:d=8,o=5,b=100:";
  for (int i = 0; i < 400; ++i) text += i ? ",c" : "c";
  pxvbMelody m;
  rvTonehead::Request request = {1, 7, 0, 0, 0};
  const rvTonehead::Outcome o =
      rvTonehead::ReadMelo(m, request, writeFile(QStringLiteral("b.rtx"), text), true);
  EXPECT_EQ(o.result, 1);
  EXPECT_TRUE(o.truncated);
  EXPECT_EQ(o.code, 100);
  EXPECT_LE(m.size(), rvTonehead::maxEvents() + 10);
  EXPECT_GT(m.size(), 300);
}

TEST_F(RvToneheadTest, FailedReadsLeaveTheTarget) {
  pxvbMelody m;
  m.addevent(8, 0, 1, 61);
  rvTonehead::Request shortRequest = {1, 7, 0, 0};
  rvTonehead::Outcome o = rvTonehead::ReadMelo(m, shortRequest, QStringLiteral("x.rtx"), true);
  EXPECT_EQ(o.result, -1);
  EXPECT_EQ(o.code, 0);

  rvTonehead::Request request = {1, 7, 0, 0, 0};
  o = rvTonehead::ReadMelo(m, request, dir_.filePath(QStringLiteral("missing.rtx")), true);
  EXPECT_EQ(o.result, -1);
  EXPECT_EQ(o.code, 51);
  EXPECT_EQ(o.message.codeRes, 855);
  EXPECT_EQ(rvTonehead::LibraryErrorText(o, resText),
            QStringLiteral("<850> - <842>\n<2> #51: <855>"));  // the RTTTL reader's failure
  EXPECT_EQ(rvTonehead::LibraryErrorTitle(resText), QStringLiteral("Pealix  -  <2>"));

  request = {1, 77, 0, 0, 0};
  o = rvTonehead::ReadMelo(m, request, writeFile(QStringLiteral("c.rtx"), "x:d=4:c"), true);
  EXPECT_EQ(o.code, 213);
  EXPECT_EQ(o.message.codeRes, 2707);  // "This format cannot be read."
  ASSERT_EQ(m.size(), 1);
  EXPECT_EQ(m.getEventVal1(0), 61);
}

// The typed requests: a MIDI read tells the channel it took, and a failed Sagem read says
// what is wrong with the text rather than a bare code.
TEST_F(RvToneheadTest, TypedReadsTellTheChannelAndWhatWentWrong) {
  pxvbMelody m;
  m.addevent(4, 0, RV_EVENT_NOTE, 72, 127);
  const QString mid = dir_.filePath(QStringLiteral("a.mid"));
  ASSERT_EQ(rvTonehead::MeloExport(
                m, rvTonehead::WriteRequest{rvTonehead::Where::File, RV_FORMAT_MIDI}, mid)
                .result,
            1);
  rvTonehead::ReadRequest midi{rvTonehead::Where::File, RV_FORMAT_MIDI};
  pxvbMelody back;
  ASSERT_EQ(rvTonehead::ReadMelo(back, midi, mid, false).result, 1);
  EXPECT_EQ(midi.channelMask, 1 << midi.channelUsed);
  ASSERT_EQ(back.size(), 1);
  EXPECT_EQ(back.getEventVal1(0), 72);

  rvTonehead::ReadRequest sagem{rvTonehead::Where::File, RV_FORMAT_SAGEM};
  const rvTonehead::Outcome o =
      rvTonehead::ReadMelo(back, sagem, writeFile(QStringLiteral("s.txt"), "no header"), true);
  EXPECT_EQ(o.code, RV_SAGEM_NO_MAGIC);
  EXPECT_EQ(rvTonehead::LibraryErrorText(o, resText),
            QStringLiteral("<846> - <842>\n<2> #151: <2703>"));
  EXPECT_EQ(back.size(), 1);
}

TEST_F(RvToneheadTest, WritesAndRendersTheMelodyOrASelection) {
  pxvbMelody m;
  m.setsName(QStringLiteral("Tune"));
  m.setbpm(125);
  m.addevent(4, 0, 1, 72, 127);
  m.addevent(8, 0, 1, 74, 127);
  m.addevent(8, 0, 16);
  m.addevent(2, 0, 1, 76, 127);

  QByteArray text;
  rvTonehead::Outcome o = rvTonehead::Melo2String(m, 7, {}, text);
  ASSERT_EQ(o.result, 1) << o.code;
  EXPECT_TRUE(text.startsWith("Tune:")) << text.constData();

  const QString path = dir_.filePath(QStringLiteral("out.rtx"));
  const QList<int> rows = {3, -1, 0, 99};
  o = rvTonehead::MeloExport(m, {1, 7, 0, 0, 0, 0, 0, 0}, path, &rows);
  ASSERT_EQ(o.result, 1) << o.code;
  pxvbMelody back;
  rvTonehead::Request request = {1, 7, 0, 0, 0};
  ASSERT_EQ(rvTonehead::ReadMelo(back, request, path, true).result, 1);
  ASSERT_EQ(back.size(), 2);
  EXPECT_EQ(back.getEventVal1(0), 76);
  EXPECT_EQ(back.getEventVal1(1), 72);
  EXPECT_EQ(back.bpm(), 125);

  const QList<int> none;
  EXPECT_EQ(rvTonehead::MeloExport(m, {1, 7, 0, 0, 0}, path, &none).result, 0);
  o = rvTonehead::MeloExport(m, {1, 7, 0, 0, 0}, dir_.filePath(QStringLiteral("no/dir/x.rtx")),
                             nullptr, rvTonehead::FormatNameRes(7));
  EXPECT_EQ(o.result, -1);
  EXPECT_EQ(o.message.formatRes, 850);
  EXPECT_EQ(o.message.operationRes, 843);
}

TEST_F(RvToneheadTest, TransformsAndVolumes) {
  pxvbMelody m;
  m.addevent(8, 0, 1, 72, 127);
  m.addevent(16, 0, 16);
  const rvTonehead::Outcome o = rvTonehead::ModifyMelody(m, rvTonehead::Modify::ScaleDurations, 2);
  ASSERT_EQ(o.result, 1) << o.code;
  ASSERT_EQ(m.size(), 2);
  EXPECT_EQ(m.getSimpleLen(0), 4);
  EXPECT_EQ(m.getSimpleLen(1), 8);
  EXPECT_EQ(rvTonehead::ModifyMelody(m, static_cast<rvTonehead::Modify>(99), 0).result, -1);

  pxvbMelody v;
  v.addevent(0, 0, 5, 0, 127);
  v.addevent(0, 0, 5, 1, 1);
  int step = -1;
  ASSERT_EQ(rvTonehead::MVelo2iVol(127, step), 1);
  EXPECT_EQ(v.getiMelVolume(0), step);
  EXPECT_EQ(v.getiMelVolume(1), 1);
  EXPECT_EQ(rvTonehead::MeloSupport(7), 3);
  EXPECT_EQ(rvTonehead::MeloSupport(0), -1);
}

TEST(RvToneheadRecords, LongAndEmptyPausesAreDropped) {
  const EventRecord records[] = {{256, 0, 16, 0, 0, 0, 0},
                                 {0, 0, 16, 0, 0, 0, 0},
                                 {128, 0, 16, 0, 0, 0, 0},
                                 {4, 1, 1, 60, 100, 0, 0},
                                 {0, 0, 4, 90, 0, 0, 0}};
  pxvbMelody m;
  m.addevent(8, 0, 1, 70);
  rvTonehead::FromRecords(m, records, 5);
  ASSERT_EQ(m.size(), 3);
  EXPECT_EQ(m.getSimpleLen(0), 128);
  EXPECT_EQ(m.getEventVal2(1), 100);
  EXPECT_EQ(m.getEvent(2), 4);
  const auto back = rvTonehead::ToRecords(m);
  ASSERT_EQ(back.size(), 3u);
  EXPECT_EQ(back[1].iDotLen, 1);
  EXPECT_EQ(back[2].EventVal1, 90);
}

}  // namespace
