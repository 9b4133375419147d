// The test XML writer: the exact document for a small melody, value filtering per kind,
// and the exports' handling of format 19.
#include <gtest/gtest.h>

#include <string>

#include "formats/testxml.h"
#include "interface/host.h"
#include "model/melody.h"
#include "rvmelody.h"

namespace rv {
namespace {

std::string write(Melody& melody) {
  WriteResult out;
  writeTestXml(melody, WriteTarget::File, FormatOptions{}, out);
  EXPECT_EQ(out.returnValue, 1);
  return out.bytes;
}

std::string head(int bpm, int style, int ppqn) {
  return std::string("<?xml version=\"1.0\"?>\n<Melody xmlns=\"") + kTestXmlNamespace +
         "\">\n<BPM>" + std::to_string(bpm) + "</BPM>\n<Style>" + std::to_string(style) +
         "</Style>\n<PPQN>" + std::to_string(ppqn) +
         "</PPQN>\n<comment>Test Format - do not use - will be changended soon</comment>\n"
         "<Track>";
}

TEST(TestXml, NamespaceEndsWithTheSchemaName) {
  const std::string ns = kTestXmlNamespace;
  ASSERT_GE(ns.size(), 13u);
  EXPECT_EQ(ns.substr(ns.size() - 13), "/pxMelody.xsd");
}

TEST(TestXml, OneNoteDocument) {
  Melody melody;
  melody.appendEvent(Note, 96, 60, 100);
  EXPECT_EQ(write(melody), head(120, 0, 96) +
                               "\n  <Event EID=\"1\">"
                               "\n    <Time>96</Time>"
                               "\n    <EVals v1=\"60\" v2=\"100\" v3=\"0\" v4=\"0\"/>"
                               "\n  </Event>"
                               "\n</Track>\n</Melody>");
}

TEST(TestXml, EmptyMelodyAndProfileValues) {
  Melody melody;
  melody.setBPM(95);
  melody.setStyle(2);
  ASSERT_TRUE(melody.setPPQN(48));
  EXPECT_EQ(write(melody), head(95, 2, 48) + "\n</Track>\n</Melody>");
}

TEST(TestXml, ValuesAreFilteredByKind) {
  Melody melody;
  melody.appendEvent(Pause, 48, 5, 6, 7, 8);
  melody.appendEvent(StyleChange, 0, 1, 9);
  melody.appendEvent(42, 10, -1, 2, -3, 4);  // an unknown kind keeps all four values
  EXPECT_EQ(write(melody), head(120, 0, 96) +
                               "\n  <Event EID=\"16\">\n    <Time>48</Time>"
                               "\n    <EVals v1=\"0\" v2=\"0\" v3=\"0\" v4=\"0\"/>\n  </Event>"
                               "\n  <Event EID=\"3\">\n    <Time>0</Time>"
                               "\n    <EVals v1=\"1\" v2=\"0\" v3=\"0\" v4=\"0\"/>\n  </Event>"
                               "\n  <Event EID=\"42\">\n    <Time>10</Time>"
                               "\n    <EVals v1=\"-1\" v2=\"2\" v3=\"-3\" v4=\"4\"/>\n  </Event>"
                               "\n</Track>\n</Melody>");
}

TEST(TestXml, ExportsWriteFileAndClipboardButNoString) {
  const EventRecord records[] = {{4, 0, Note, 60, 100, 0, 0}};
  int32_t control[] = {5, 2, 19, 0, 0};
  EXPECT_EQ(rvmMeloExport(records, 1, "x", nullptr, nullptr, control), 1);
  Melody melody;
  melody.appendEvent(Note, 96, 60, 100);
  EXPECT_EQ(hostGetClipboardText().value_or(""), write(melody));
  char buffer[1024];
  uint32_t length = sizeof buffer;
  int32_t stringControl[] = {5, 0, 19, 0, 0};
  EXPECT_EQ(rvmMelo2String(records, 1, buffer, &length, "x", nullptr, stringControl), 213);
  EXPECT_EQ(rvtMeloSupport(19), 1);
  EXPECT_EQ(rvtMeloSupport(10), 3);
}

}  // namespace
}  // namespace rv
