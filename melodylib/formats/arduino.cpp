#include "arduino.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>
#include <vector>

namespace rv {
namespace {

// The title as a C identifier: lower-case letters, digits and '_', not starting with a
// digit; "melody" when nothing is left.
std::string identifierOf(const std::string& title) {
  std::string id;
  for (unsigned char c : title) {
    if (std::isalnum(c) && c < 128)
      id += static_cast<char>(std::tolower(c));
    else if (!id.empty() && id.back() != '_')
      id += '_';
  }
  while (!id.empty() && id.back() == '_') id.pop_back();
  if (id.empty()) return "melody";
  if (std::isdigit(static_cast<unsigned char>(id.front()))) id = "melody_" + id;
  return id;
}

// The title inside a comment: no line breaks or control characters, no end of comment.
std::string commentText(const std::string& title) {
  std::string text;
  for (unsigned char c : title) text += c < 32 || c == 127 ? ' ' : static_cast<char>(c);
  for (size_t at; (at = text.find("*/")) != std::string::npos;) text.replace(at, 2, "* /");
  return text;
}

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

void appendList(std::string& text, const std::vector<uint32_t>& values) {
  text += "{";
  for (size_t i = 0; i < values.size(); ++i) {
    text += i % 12 == 0 ? "\n    " : " ";
    text += std::to_string(values[i]);
    if (i + 1 < values.size()) text += ',';
  }
  text += values.empty() ? "0}" : "\n}";
}

}  // namespace

void writeArduino(Melody& melody, WriteTarget /*target*/, const FormatOptions& /*options*/,
                  WriteResult& out) {
  const int32_t bpm = std::clamp<int32_t>(melody.BPM, 1, 999);
  std::vector<uint32_t> freqs, lengths;
  // Each event's length in milliseconds at the melody's tempo (a whole note is four beats),
  // rounded on the running total so the melody keeps its length; events without a length
  // (style, tempo, volume, loop) give no entry.
  double at = 0;
  int64_t doneMs = 0;
  for (const MelodyEvent& e : melody.events()) {
    if (e.duration <= 0 || e.wholeTicks <= 0) continue;
    if (e.EID != Note && e.EID != Pause) continue;
    at += e.duration * 240000.0 / (static_cast<double>(e.wholeTicks) * bpm);
    int64_t ms = std::llround(at) - doneMs;
    doneMs += ms;
    const uint32_t hz =
        e.EID == Note
            ? static_cast<uint32_t>(std::lround(
                  440.0 * std::pow(2.0, (std::clamp<int32_t>(e.EventVal1, 0, 127) - 69) / 12.0)))
            : 0;
    while (ms > 0) {
      const int64_t part = std::min<int64_t>(ms, kArduinoMaxMs);
      freqs.push_back(hz);
      lengths.push_back(static_cast<uint32_t>(part));
      ms -= part;
    }
  }

  const std::string id = identifierOf(melody.title);
  const std::string ID = upper(id);
  const std::string n = std::to_string(freqs.size());
  std::string t;
  t += "/* " + (melody.title.empty() ? std::string("Melody") : commentText(melody.title)) + ": " +
       n + " notes and rests at " + std::to_string(bpm) +
       " BPM, for a piezo buzzer.\n"
       " * " +
       id +
       "_hz: each note's frequency in hertz (0: a rest);\n"
       " * " +
       id +
       "_ms: how long each lasts in milliseconds.\n"
       " *\n"
       " * Playing it with tone() on pin 8:\n"
       " *\n"
       " *   for (unsigned i = 0; i < " +
       ID +
       "_LENGTH; i++) {\n"
       " *     unsigned hz = pgm_read_word(&" +
       id +
       "_hz[i]);\n"
       " *     unsigned ms = pgm_read_word(&" +
       id +
       "_ms[i]);\n"
       " *     if (hz) tone(8, hz, ms * 9 / 10);\n"
       " *     delay(ms);\n"
       " *   }\n"
       " */\n"
       "#ifndef " +
       ID +
       "_MELODY_H\n"
       "#define " +
       ID +
       "_MELODY_H\n\n"
       "#include <stdint.h>\n"
       "#if defined(__AVR__)\n"
       "#include <avr/pgmspace.h>\n"
       "#endif\n"
       "#ifndef PROGMEM\n"
       "#define PROGMEM\n"
       "#endif\n"
       "#ifndef pgm_read_word\n"
       "#define pgm_read_word(address) (*(const uint16_t *)(address))\n"
       "#endif\n\n"
       "#define " +
       ID + "_LENGTH " + n +
       "\n"
       "#define " +
       ID + "_TEMPO " + std::to_string(bpm) + "\n\n";
  // An empty melody still declares arrays of one element: C has no empty arrays.
  t += "static const uint16_t " + id + "_hz[" + (freqs.empty() ? "1" : n) + "] PROGMEM = ";
  appendList(t, freqs);
  t += ";\n";
  t += "static const uint16_t " + id + "_ms[" + (freqs.empty() ? "1" : n) + "] PROGMEM = ";
  appendList(t, lengths);
  t += ";\n\n#endif\n";
  out.bytes = t;
  out.resultValue = static_cast<int32_t>(freqs.size());
  out.returnValue = 1;
}

}  // namespace rv
