#include "songs/melodyline.h"

#include <algorithm>
#include <array>
#include <set>

namespace songs {

std::vector<LineNote> Skyline(const SongScan& song, int channel) {
  std::vector<const SongNote*> notes;
  for (const SongNote& n : song.notes)
    if (n.channel == channel - 1) notes.push_back(&n);
  // Edges by tick; at one tick the ends come first, so a note that starts where another
  // stops is not taken as overlapping it.
  struct Edge {
    int64_t tick;
    bool start;
    uint32_t note;
  };
  std::vector<Edge> edges;
  edges.reserve(notes.size() * 2);
  for (uint32_t i = 0; i < notes.size(); ++i) {
    edges.push_back({notes[i]->start, true, i});
    edges.push_back({notes[i]->end, false, i});
  }
  std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) {
    return a.tick != b.tick ? a.tick < b.tick : (!a.start && b.start);
  });

  // The sounding notes by key; among equal keys the later one (higher index) is on top.
  std::set<std::pair<int, uint32_t>> active;
  std::vector<LineNote> line;
  constexpr uint32_t kNone = UINT32_MAX;
  uint32_t top = kNone;
  const int64_t shortest = std::max(1, song.division / 16);  // a 64th note
  auto finish = [&](int64_t at) {
    if (top == kNone) return;
    LineNote& last = line.back();
    last.end = at;
    if (last.end - last.start < shortest) line.pop_back();
  };
  for (size_t i = 0; i < edges.size();) {
    const int64_t tick = edges[i].tick;
    for (; i < edges.size() && edges[i].tick == tick; ++i) {
      const SongNote& n = *notes[edges[i].note];
      if (edges[i].start)
        active.insert({n.key, edges[i].note});
      else
        active.erase({n.key, edges[i].note});
    }
    const uint32_t now = active.empty() ? kNone : active.rbegin()->second;
    if (now == top) continue;
    finish(tick);
    top = now;
    if (top != kNone) line.push_back({tick, tick, notes[top]->key, notes[top]->velocity});
  }
  finish(edges.empty() ? 0 : edges.back().tick);
  return line;
}

std::vector<LineNote> PathLine(const SongScan& song, const SongOverview& overview) {
  std::vector<LineNote> line;
  const std::vector<int>& path = overview.pathByBar;
  if (path.empty()) return line;
  std::array<bool, 16> used{};
  for (int c : path)
    if (c > 0) used[static_cast<size_t>(c - 1)] = true;
  for (int c = 1; c <= 16; ++c) {
    if (!used[static_cast<size_t>(c - 1)]) continue;
    for (const LineNote& n : Skyline(song, c)) {
      const size_t bar =
          std::min(path.size() - 1, static_cast<size_t>(n.start / overview.barTicks));
      if (path[bar] == c) line.push_back(n);
    }
  }
  std::sort(line.begin(), line.end(),
            [](const LineNote& a, const LineNote& b) { return a.start < b.start; });
  for (size_t i = 0; i + 1 < line.size(); ++i)
    line[i].end = std::min(line[i].end, line[i + 1].start);
  // Two channels' notes on one tick: the later one is left out.
  line.erase(
      std::remove_if(line.begin(), line.end(), [](const LineNote& n) { return n.end <= n.start; }),
      line.end());
  return line;
}

}  // namespace songs
