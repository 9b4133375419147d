// Without the melody library every bridge call fails with a text and changes nothing.
#include <gtest/gtest.h>

#include "melody/rvmelodyapi.h"
#include "melody/rvtonehead.h"

TEST(RvToneheadWithoutLibrary, CallsFailCleanly) {
  RvMelodyApi::setLibraryDirectory(QStringLiteral("/nonexistent/pealix"));
  QString error;
  EXPECT_FALSE(rvTonehead::EnsureLoaded(&error));
  EXPECT_FALSE(error.isEmpty());

  pxvbMelody m;
  m.addevent(8, 0, 1, 70);
  m.addevent(0, 0, 5, 0, 64);
  rvTonehead::Request request = {1, 7, 0, 0, 0};
  rvTonehead::Outcome o = rvTonehead::ReadMelo(m, request, QStringLiteral("a.rtx"), true);
  EXPECT_EQ(o.result, -1);
  EXPECT_FALSE(o.loadError.isEmpty());
  EXPECT_EQ(rvTonehead::LibraryErrorText(o, [](int) { return QString(); }), o.loadError);
  EXPECT_EQ(m.size(), 2);

  QByteArray text;
  EXPECT_EQ(rvTonehead::Melo2String(m, 7, {}, text).result, -1);
  EXPECT_EQ(rvTonehead::MeloExport(m, {1, 7, 0, 0, 0}, QStringLiteral("/tmp/x.rtx")).result, -1);
  EXPECT_EQ(rvTonehead::ModifyMelody(m, rvTonehead::Modify::ScaleDurations, 2).result, -1);
  EXPECT_EQ(m.getSimpleLen(0), 8);
  EXPECT_EQ(rvTonehead::MeloSupport(7), -1);
  EXPECT_EQ(m.getiMelVolume(1), 15);
}
