// Melodies for writer tests, built from (length, dot, kind, value 1) rows as records are,
// and a read melody's events as the read export hands them back.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "interface/readrecords.h"
#include "model/melody.h"

namespace rv {

struct Ev {
  int32_t len, dot, kind, v1;
};

// Every event gets velocity 100; the title is "T".
inline Melody melodyOf(std::initializer_list<Ev> events, int32_t bpm = 120) {
  Melody m;
  m.title = "T";
  m.setBPM(bpm);
  for (const Ev& e : events) m.addRecord(e.len, e.dot, e.kind, e.v1, 100, 0, 0);
  return m;
}

// Every event as "kind len dot value1 value2".
inline std::vector<std::string> eventLines(const Melody& melody) {
  std::vector<std::string> out;
  for (const MelodyEvent& e : melody.events()) {
    EventRecord r{};
    fillReadRecord(melody, e, r);
    out.push_back(std::to_string(r.nEvent) + " " + std::to_string(r.iSimpleLen) + " " +
                  std::to_string(r.iDotLen) + " " + std::to_string(r.EventVal1) + " " +
                  std::to_string(r.EventVal2));
  }
  return out;
}

}  // namespace rv
