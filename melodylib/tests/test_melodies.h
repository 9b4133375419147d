// Melodies for writer tests, built from (length, dot, kind, value 1) rows as records are.
#pragma once

#include <initializer_list>

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

}  // namespace rv
