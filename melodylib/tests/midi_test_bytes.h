// Building standard MIDI files byte by byte, and comparing melodies, for the MIDI tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "model/melody.h"

namespace rv::testing {

inline std::string bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

inline std::string be32(uint32_t v) {
  return bytes({int(v >> 24) & 0xFF, int(v >> 16) & 0xFF, int(v >> 8) & 0xFF, int(v) & 0xFF});
}

inline std::string vlq(uint32_t v) {
  std::string s(1, static_cast<char>(v & 0x7F));
  while ((v >>= 7) != 0) s.insert(s.begin(), static_cast<char>((v & 0x7F) | 0x80));
  return s;
}

inline std::string header(int format, int tracks, int division, uint32_t length = 6) {
  return "MThd" + be32(length) +
         bytes({format >> 8, format & 0xFF, tracks >> 8, tracks & 0xFF, (division >> 8) & 0xFF,
                division & 0xFF});
}

// A track chunk around events; the end-of-track event is appended unless told not to.
inline std::string track(const std::string& events, bool withEnd = true) {
  const std::string body = events + (withEnd ? bytes({0x00, 0xFF, 0x2F, 0x00}) : "");
  return "MTrk" + be32(static_cast<uint32_t>(body.size())) + body;
}

inline std::string meta(uint32_t delta, int type, const std::string& data) {
  return vlq(delta) + bytes({0xFF, type}) + vlq(static_cast<uint32_t>(data.size())) + data;
}

inline std::string tempoMeta(uint32_t delta, uint32_t micros) {
  return meta(delta, 0x51,
              bytes({int(micros >> 16) & 0xFF, int(micros >> 8) & 0xFF, int(micros) & 0xFF}));
}

inline std::string on(uint32_t delta, int channel, int key, int velocity) {
  return vlq(delta) + bytes({0x90 | channel, key, velocity});
}

inline std::string off(uint32_t delta, int channel, int key) {
  return vlq(delta) + bytes({0x80 | channel, key, 0});
}

// An event as the tests compare it: kind, duration and the first two values.
struct Ev {
  int32_t kind, duration, v1, v2;
  bool operator==(const Ev&) const = default;
};
inline std::ostream& operator<<(std::ostream& os, const Ev& e) {
  return os << "{" << e.kind << ", " << e.duration << ", " << e.v1 << ", " << e.v2 << "}";
}
inline std::vector<Ev> events(const Melody& m) {
  std::vector<Ev> out;
  for (uint32_t i = 0; i < static_cast<uint32_t>(m.count()); ++i)
    out.push_back({m.kindAt(i), m.durationAt(i), m.value1At(i), m.value2At(i)});
  return out;
}

}  // namespace rv::testing
