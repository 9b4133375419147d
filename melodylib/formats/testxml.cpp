#include "testxml.h"

#include <string>

namespace rv {
namespace {

void element(std::string& out, const char* name, int32_t value) {
  out += '\n';
  out += '<';
  out += name;
  out += '>';
  out += std::to_string(value);
  out += "</";
  out += name;
  out += '>';
}

std::string attribute(const char* name, int32_t value) {
  return std::string(" ") + name + "=\"" + std::to_string(value) + '"';
}

}  // namespace

// Declaration, root element, BPM, Style, PPQN, the comment and the Track tag; then per
// event its kind, duration in ticks and the four values filtered by kind.
void writeTestXml(Melody& melody, WriteTarget, const FormatOptions&, WriteResult& out) {
  std::string xml = "<?xml version=\"1.0\"?>\n<Melody xmlns=\"";
  xml += kTestXmlNamespace;
  xml += "\">";
  element(xml, "BPM", melody.getBPM());
  element(xml, "Style", melody.getStyle());
  element(xml, "PPQN", melody.getPPQN());
  xml += "\n<comment>Test Format - do not use - will be changended soon</comment>";
  xml += "\n<Track>";
  for (uint32_t i = 0; i < static_cast<uint32_t>(melody.count()); ++i) {
    const MelodyEvent& e = melody.event(i);
    xml += "\n  <Event" + attribute("EID", e.EID) + ">";
    xml += "\n    <Time>" + std::to_string(e.duration) + "</Time>";
    xml += "\n    <EVals" + attribute("v1", e.value(1)) + attribute("v2", e.value(2)) +
           attribute("v3", e.value(3)) + attribute("v4", e.value(4)) + "/>";
    xml += "\n  </Event>";
  }
  xml += "\n</Track>\n</Melody>";
  out.bytes = std::move(xml);
  out.resultValue = 0;
  out.returnValue = 1;
}

}  // namespace rv
