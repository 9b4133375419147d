#include "composer.h"

#include <algorithm>
#include <istream>
#include <string>
#include <vector>

#include "notenames.h"
#include "rvmelody.h"
#include "utf8.h"

namespace rv {
namespace {

constexpr std::size_t kMaxReadBytes = 1 << 20;
constexpr std::size_t kMostBeforeDelimiter = 7;  // the first delimiter stands within these
constexpr std::size_t kLongestRest = 17;         // an undelimited rest this long is no token
// Octave 1 of the composer's names is the octave of key 72.
constexpr int32_t kOctaveZeroKey = 60;
constexpr int32_t kLowestWritten = 72, kHighestWritten = 107;

bool isNoteValue(int32_t v) {
  return v == 1 || v == 2 || v == 4 || v == 8 || v == 16 || v == 32 || v == 64;
}

bool isDigit(char32_t c) {
  return c >= U'0' && c <= U'9';
}

// One token: length, optional "." and "#" anywhere, then "-"/"p" for a pause or a note
// letter with its octave digit. Anything else is dropped.
void readToken(Melody& melody, std::u32string token) {
  if (token.size() >= 8) return;
  const bool dotted = token.find(U'.') != std::u32string::npos;
  const bool sharp = token.find(U'#') != std::u32string::npos;
  std::erase(token, U'.');
  std::erase(token, U'#');
  // Checked after the marks are gone, so that the rendering's own 16.#C2 reads back.
  if (token.size() < 2 || token.size() > 5 || !isDigit(token[0])) return;
  int32_t len = static_cast<int32_t>(token[0] - U'0');
  std::size_t i = 1;
  if (isDigit(token[1])) {
    len = len * 10 + static_cast<int32_t>(token[1] - U'0');
    i = 2;
  }
  if (!isNoteValue(len) || i >= token.size()) return;
  const char32_t c = token[i] >= U'A' && token[i] <= U'Z' ? token[i] - U'A' + U'a' : token[i];
  if (c == U'-' || c == U'p') {
    melody.addRecord(len, dotted ? 1 : 0, Pause, 0, 0, 0, 0);
    return;
  }
  if (i + 1 >= token.size() || !isDigit(token[i + 1])) return;
  const auto octave = static_cast<int32_t>(token[i + 1] - U'0');
  // B is also written H; a sharp raises every letter but B (E# is F).
  const int32_t semitone = c == U'h' ? 11 : letterSemitone(c);
  if (semitone < 0) return;
  const int32_t key = 12 * octave + std::min(semitone + (sharp ? 1 : 0), 11) + kOctaveZeroKey;
  melody.addRecord(len, dotted ? 1 : 0, Note, key, kPhoneNoteVelocity, 0, 0);
}

std::u32string toLowerAscii(std::u32string s) {
  for (char32_t& c : s)
    if (c >= U'A' && c <= U'Z') c = c - U'A' + U'a';
  return s;
}

// A whole number after blanks, as the header line writes it; false for anything else.
bool headerNumber(std::u32string_view s, int32_t& out) {
  while (!s.empty() && (s.front() == U' ' || s.front() == U'\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == U' ' || s.back() == U'\t')) s.remove_suffix(1);
  if (s.empty() || s.size() > 9) return false;
  int32_t v = 0;
  for (const char32_t c : s) {
    if (!isDigit(c)) return false;
    v = v * 10 + static_cast<int32_t>(c - U'0');
  }
  out = v;
  return true;
}

// A text that starts with the rendering's first line ("Name:... BPM:... No.:...") loses it:
// title and bpm receive what it gives (bpm 0 when none).
void splitHeader(std::u32string& text, std::u32string& title, int32_t& bpm) {
  bpm = 0;
  if (text.rfind(U"Name:", 0) != 0) return;
  const std::size_t eol = text.find(U'\n');
  if (eol == std::u32string::npos) return;
  std::u32string line = text.substr(0, eol);
  if (!line.empty() && line.back() == U'\r') line.pop_back();
  const std::size_t bpmAt = line.rfind(U" BPM:");
  if (bpmAt != std::u32string::npos) {
    title = line.substr(5, bpmAt - 5);
    const std::size_t noAt = line.find(U" No.:", bpmAt);
    int32_t v = 0;
    if (headerNumber(
            std::u32string_view(line).substr(
                bpmAt + 5, noAt == std::u32string::npos ? std::u32string::npos : noAt - bpmAt - 5),
            v))
      bpm = v;
  } else {
    title = line.substr(5);
  }
  text.erase(0, eol + 1);
}

}  // namespace

int readComposer(std::istream& in, Melody& melody, ReadRequest& request) {
  std::string data(kMaxReadBytes + 1, '\0');
  in.read(data.data(), static_cast<std::streamsize>(data.size()));
  data.resize(static_cast<std::size_t>(in.gcount()));
  if (data.size() > kMaxReadBytes) return RV_READ_FAILED;
  std::u32string text = decodeText(data);
  std::u32string title;
  int32_t bpm = 0;
  if (request.readHeader) splitHeader(text, title, bpm);

  const char32_t delimiter = request.delimiter;
  const std::size_t first = text.find(delimiter);
  if (first == std::u32string::npos || first >= kMostBeforeDelimiter)
    return RV_COMPOSER_NO_DELIMITER;
  Melody read;
  for (std::size_t pos = 0;;) {
    const std::size_t next = text.find(delimiter, pos);
    const bool last = next == std::u32string::npos;
    std::u32string token = text.substr(pos, last ? std::u32string::npos : next - pos);
    if (last && token.size() >= kLongestRest) return RV_COMPOSER_LONG_REST;
    std::erase_if(token, [](char32_t c) { return c < 29; });
    readToken(read, toLowerAscii(std::move(token)));
    if (last) break;
    pos = next + 1;
  }
  melody.clearEvents();
  melody.appendRange(read, 0, static_cast<uint32_t>(read.count()));
  melody.title = encodeUtf8(title);
  if (bpm > 0) melody.setBPM(bpm);
  return 1;
}

void writeComposer(Melody& melody, WriteTarget /*target*/, const FormatOptions& options,
                   WriteResult& out) {
  const int32_t code = options.get6(',');
  std::string delimiter;
  appendUtf8(code > 0 && code <= 0x10FFFF ? static_cast<char32_t>(code) : U',', delimiter);
  std::vector<std::string> tokens;
  for (const MelodyEvent& source : melody.events()) {
    // Every event with a composer length is a token: a note, or else a pause.
    MelodyEvent event = source;
    int32_t simpleLen = 0, dotLen = 0;
    if (!Melody::durationToValue(event, -1, simpleLen, dotLen) || !isNoteValue(simpleLen)) continue;
    std::string token = std::to_string(simpleLen);
    if (source.EID == Note) {
      if (dotLen > 0) token += '.';
      const int32_t k =
          std::clamp(source.value(1), kLowestWritten, kHighestWritten) - kOctaveZeroKey;
      if (kSemitoneSharp[k % 12]) token += '#';
      token += kSemitoneLetter[k % 12];
      token += std::to_string(k / 12);
    } else {
      token += '-';
    }
    tokens.push_back(std::move(token));
  }
  std::string& text = out.bytes;
  text = "Name:" + melody.title + " BPM:" + std::to_string(melody.getBPM()) +
         " No.:" + std::to_string(tokens.size()) + "\r\n";
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    if (i) text += delimiter;
    text += tokens[i];
  }
  out.resultValue = static_cast<int32_t>(tokens.size());
  out.returnValue = 1;
}

}  // namespace rv
