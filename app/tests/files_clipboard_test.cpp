// Clipboard exports and imports as text: every export format renders, the readable ones
// come back, and bad clipboard contents leave the melody as it was.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "files/cliptransfer.h"
#include "melody/rvmelodyapi.h"
#include "melody_fixtures.h"
#include "phonelink/clsmsprops.h"
#include "phonelink/rvsmsapi.h"
#include "settings/mainsettings.h"

namespace {

using cliptransfer::Export;
using cliptransfer::Import;

pxvbMelody sample() {
  pxvbMelody m;
  m.setsName(QStringLiteral("Clip"));
  m.setbpm(125);
  m.addevent(4, 0, 1, 72, 127);
  m.addevent(8, 0, 1, 74, 127);
  m.addevent(8, 0, 16);
  m.addevent(4, 1, 1, 79, 127);
  return m;
}

QList<int> notes(const pxvbMelody& m) {
  QList<int> keys;
  for (int i = 0; i < m.size(); ++i)
    if (m.getEvent(i) == 1) keys << m.getEventVal1(i);
  return keys;
}

class ClipboardTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RvMelodyApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR));
    RvSmsApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR));
  }
  MainSettings options_;
  clSMSProps sms_;
};

TEST_F(ClipboardTest, EveryExportGivesText) {
  const pxvbMelody m = sample();
  for (Export kind : {Export::Sagem, Export::SagemSms, Export::Rtttl, Export::Keypress,
                      Export::AtKeys, Export::Alcatel, Export::Motorola, Export::IMelody,
                      Export::NokiaSms, Export::Pdu, Export::NokiaComposer}) {
    const cliptransfer::TextResult t = cliptransfer::ExportText(m, kind, options_, sms_, res);
    EXPECT_EQ(t.status.result, 1) << int(kind) << " " << t.status.errorText.toStdString();
    EXPECT_FALSE(t.text.isEmpty()) << int(kind);
    EXPECT_EQ(t.notesWritten, -1) << int(kind);  // everything fits
  }
  // The kinds sized for one SMS say how much of a long melody they hold.
  pxvbMelody longer;
  for (int i = 0; i < 100; ++i) longer.addevent(8, 0, 1, 72 + i % 5, 100);
  for (Export kind : {Export::IMelody, Export::NokiaSms, Export::Pdu, Export::Rtttl}) {
    const cliptransfer::TextResult t = cliptransfer::ExportText(longer, kind, options_, sms_, res);
    ASSERT_EQ(t.status.result, 1) << int(kind);
    if (kind == Export::Rtttl) {
      EXPECT_EQ(t.notesWritten, -1);
      continue;
    }
    EXPECT_GT(t.notesWritten, 10) << int(kind);
    EXPECT_LT(t.notesWritten, 100) << int(kind);
    EXPECT_EQ(t.notesInMelody, 100) << int(kind);
  }
}

TEST_F(ClipboardTest, ExportOptions) {
  const pxvbMelody m = sample();
  auto text = [&](Export kind) {
    return cliptransfer::ExportText(m, kind, options_, sms_, res).text;
  };
  // Readable key presses start with the header line; AT key codes have none.
  EXPECT_TRUE(text(Export::Keypress).startsWith(QStringLiteral("Title:Clip")));
  EXPECT_FALSE(text(Export::AtKeys).startsWith(QStringLiteral("Title:")));
  EXPECT_NE(text(Export::Keypress), text(Export::AtKeys));

  const QString plainMoto = text(Export::Motorola);
  options_.motoSMS = 1;
  EXPECT_TRUE(text(Export::Motorola).startsWith(QStringLiteral("L35&")));
  options_.motoSMS = 0;
  options_.motoSpace = 1;
  const QString spaced = text(Export::Motorola);
  EXPECT_FALSE(spaced.startsWith(QStringLiteral("L35&")));
  EXPECT_GT(spaced.count(QLatin1Char(' ')), plainMoto.count(QLatin1Char(' ')));

  options_.nokCExp = QStringLiteral(";");
  EXPECT_EQ(text(Export::NokiaComposer),
            QStringLiteral("Name:Clip BPM:125 No.:4\r\n4C1;8D1;8-;4.G1"));

  // The PDU carries the Sagem SMS as hex digits.
  const QString pdu = text(Export::Pdu);
  EXPECT_FALSE(pdu.contains(QRegularExpression(QStringLiteral("[^0-9A-F]"))));
  EXPECT_EQ(pdu.size() % 2, 0);
}

TEST_F(ClipboardTest, RoundTripsThroughTheReadableFormats) {
  const pxvbMelody m = sample();
  const struct {
    Export out;
    Import in;
  } trips[] = {{Export::Rtttl, Import::Rtttl},
               {Export::Sagem, Import::Sagem},
               {Export::SagemSms, Import::Sagem},
               {Export::NokiaComposer, Import::NokiaComposer}};
  for (const auto& trip : trips) {
    const cliptransfer::TextResult t = cliptransfer::ExportText(m, trip.out, options_, sms_, res);
    ASSERT_EQ(t.status.result, 1) << int(trip.out);
    QString text = t.text;
    // The composer import parses tokens only; the rendering's first line is left out.
    if (trip.in == Import::NokiaComposer) text = text.mid(text.indexOf(QLatin1Char('\n')) + 1);
    pxvbMelody back = existing();
    const filecmd::Result r = cliptransfer::ImportText(back, trip.in, text, options_, res);
    ASSERT_EQ(r.result, 1) << int(trip.out) << " " << r.errorText.toStdString();
    EXPECT_EQ(notes(back), (QList<int>{72, 74, 79})) << int(trip.out);
  }

  pxvbMelody hex = existing();
  ASSERT_EQ(cliptransfer::ImportText(hex, Import::SagemHex, QStringLiteral("01 00 00 78 3C000A"),
                                     options_, res)
                .result,
            1);
  EXPECT_EQ(notes(hex), (QList<int>{107}));
}

TEST_F(ClipboardTest, BadClipboardContentsChangeNothing) {
  const QString huge(1 << 20, QLatin1Char('a'));
  for (Import kind : {Import::Rtttl, Import::Sagem, Import::SagemHex, Import::NokiaComposer}) {
    pxvbMelody m = existing();
    filecmd::Result r = cliptransfer::ImportText(m, kind, std::nullopt, options_, res);
    EXPECT_EQ(r.result, -1);
    EXPECT_EQ(r.errorText, QStringLiteral("<822>"));
    r = cliptransfer::ImportText(m, kind, huge, options_, res);
    EXPECT_EQ(r.result, -1);
    EXPECT_EQ(r.errorText, QStringLiteral("<825>"));
    expectExisting(m);
  }
  // Text in another format.
  pxvbMelody m = existing();
  EXPECT_EQ(cliptransfer::ImportText(m, Import::SagemHex, QStringLiteral("01000078 3G000A"),
                                     options_, res)
                .errorText,
            QStringLiteral("Clipbord includes non Hex chars - converting aborted"));
  EXPECT_EQ(cliptransfer::ImportText(m, Import::NokiaComposer,
                                     QStringLiteral("no delimiter here at all"), options_, res)
                .errorText,
            QStringLiteral("<834>\n<836>"));
  const filecmd::Result r =
      cliptransfer::ImportText(m, Import::Rtttl, QStringLiteral("\x01\x02 binary"), options_, res);
  EXPECT_EQ(r.result, -1);
  // A failed RTTTL import names RTTTL, not Sagem.
  EXPECT_TRUE(r.errorText.startsWith(QStringLiteral("<850> - <844>\n<2> #")))
      << r.errorText.toStdString();
  expectExisting(m);
}

}  // namespace
