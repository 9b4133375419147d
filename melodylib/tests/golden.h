// Golden files shared by the readers' tests: data/<format>/ok/NAME.<ext> must read into
// the dump in NAME.expected; data/<format>/bad/ holds inputs that must be refused.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "model/melody.h"

namespace rv::golden {

inline std::filesystem::path folder(const char* format, const char* kind) {
  return std::filesystem::path(PEALIX_TEST_DATA) / format / kind;
}

// The case names (file stems) of data/<format>/<kind>/*<extension>, sorted.
inline std::vector<std::string> cases(const char* format, const char* kind, const char* extension) {
  std::vector<std::string> names;
  const std::filesystem::path dir = folder(format, kind);
  if (!std::filesystem::exists(dir)) return names;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    if (entry.path().extension() == extension) names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

inline std::string fileText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string{std::istreambuf_iterator<char>(in), {}};
}

// Title, tempo and one line per event: "note KEY TICKS" or "pause TICKS".
inline std::string dump(const Melody& m) {
  std::ostringstream s;
  s << "title \"" << m.title << "\" bpm " << m.getBPM() << "\n";
  for (const MelodyEvent& e : m.events()) {
    if (e.EID == Note)
      s << "note " << e.EventVal1 << ' ' << e.duration << "\n";
    else
      s << "pause " << e.duration << "\n";
  }
  return s.str();
}

}  // namespace rv::golden
