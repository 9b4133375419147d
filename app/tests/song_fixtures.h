// Made-up multi-track MIDI songs for the song tests and the benchmark: a builder of
// standard MIDI files and a small band (pad chords, bass, drums, a lead with legato
// overlaps) whose tune is known.
#pragma once

#include <QByteArray>
#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <tuple>
#include <vector>

// The bytes given, as a QByteArray.
inline QByteArray Bytes(std::initializer_list<int> bytes) {
  QByteArray out;
  for (int b : bytes) out.append(static_cast<char>(b));
  return out;
}

class SongBuilder {
 public:
  explicit SongBuilder(int division = 480) : division_(division) {}

  int division() const { return division_; }
  // A new track (optionally named by a track-name event); returns its index.
  int track(const QByteArray& name = {}) {
    tracks_.emplace_back();
    if (!name.isEmpty()) meta(static_cast<int>(tracks_.size()) - 1, 0, 0x03, name);
    return static_cast<int>(tracks_.size()) - 1;
  }
  void meta(int t, int64_t tick, int type, const QByteArray& data) {
    QByteArray e;
    e.append(char(0xFF)).append(char(type));
    appendVarLen(e, static_cast<uint32_t>(data.size()));
    e.append(data);
    add(t, tick, 1, e);
  }
  void tempo(int t, int64_t tick, uint32_t us) {
    meta(t, tick, 0x51, Bytes({int(us >> 16) & 0xFF, int(us >> 8) & 0xFF, int(us) & 0xFF}));
  }
  void program(int t, int channel, int program) { add(t, 0, 1, Bytes({0xC0 | channel, program})); }
  void note(int t, int channel, int64_t start, int64_t length, int key, int velocity = 100) {
    add(t, start, 2, Bytes({0x90 | channel, key, velocity}));
    // Half of the note ends as note-on with velocity 0, as many sequencers write them.
    add(t, start + length, 0,
        key % 2 ? Bytes({0x90 | channel, key, 0}) : Bytes({0x80 | channel, key, 0}));
  }
  QByteArray bytes() const {
    QByteArray out("MThd");
    appendBe32(out, 6);
    const int n = static_cast<int>(tracks_.size());
    out.append(Bytes({0, 1, n >> 8, n & 0xFF, division_ >> 8, division_ & 0xFF}));
    for (auto events : tracks_) {
      std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return std::tie(a.tick, a.order) < std::tie(b.tick, b.order);
      });
      QByteArray body;
      int64_t last = 0;
      int status = 0;
      for (const Event& e : events) {
        appendVarLen(body, static_cast<uint32_t>(e.tick - last));
        last = e.tick;
        const int s = static_cast<unsigned char>(e.data[0]);
        // Running status for channel messages.
        body.append(s < 0xF0 && s == status ? e.data.mid(1) : e.data);
        status = s < 0xF0 ? s : 0;
      }
      body.append(QByteArray::fromHex("00FF2F00"));
      out.append("MTrk");
      appendBe32(out, static_cast<uint32_t>(body.size()));
      out.append(body);
    }
    return out;
  }

 private:
  struct Event {
    int64_t tick;
    int order;  // at one tick: note-offs, then meta and programs, then note-ons
    QByteArray data;
  };
  void add(int t, int64_t tick, int order, const QByteArray& data) {
    tracks_[static_cast<size_t>(t)].push_back({tick, order, data});
  }
  static void appendBe32(QByteArray& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.append(char(v >> shift));
  }
  static void appendVarLen(QByteArray& out, uint32_t v) {
    char b[5];
    int n = 0;
    b[n++] = char(v & 0x7F);
    while ((v >>= 7) != 0) b[n++] = char((v & 0x7F) | 0x80);
    while (n > 0) out.append(b[--n]);
  }
  int division_;
  std::vector<std::vector<Event>> tracks_;
};

// The lead's tune: (key, length in eighths), two phrases ending on long notes.
inline const std::vector<std::pair<int, int>>& BandTune() {
  static const std::vector<std::pair<int, int>> tune = {
      {76, 1}, {74, 1}, {72, 2}, {74, 2}, {76, 2}, {76, 2}, {76, 4}, {74, 2}, {74, 2},
      {74, 4}, {76, 2}, {79, 2}, {79, 4}, {76, 1}, {74, 1}, {72, 2}, {74, 2}, {76, 2},
      {76, 2}, {76, 2}, {76, 2}, {74, 2}, {74, 2}, {76, 2}, {74, 2}, {72, 8}};
  return tune;
}

struct BandOptions {
  int repeats = 2;         // times the tune is played
  bool nameTracks = true;  // "Pad", "Bass", "Drums", "Melody"
  int leadProgram = 0;     // the lead's instrument (0 piano)
  int leadChannel = 3;     // 0-based
  int overlap = 40;        // ticks each lead note overlaps the next (legato)
  bool drumsOnly = false;  // only the drum track carries notes
};

// A format-1 band: conductor (title, tempo 100), pad chords (channel 1, program 89),
// bass (channel 2, program 33), drums (channel 10) and the lead.
inline QByteArray BandSong(const BandOptions& o = {}) {
  SongBuilder b(480);
  const int q = b.division();
  const int conductor = b.track("Band Song");
  b.tempo(conductor, 0, 600000);
  int length = 0;
  for (const auto& n : BandTune()) length += n.second * q / 2;
  const int end = length * o.repeats;
  const int drums = b.track(o.nameTracks ? "Drums" : "");
  for (int t = 0; t < end; t += q / 2) b.note(drums, 9, t, 60, t % q ? 42 : 36, 90);
  if (o.drumsOnly) return b.bytes();
  const int pad = b.track(o.nameTracks ? "Pad" : "");
  b.program(pad, 0, 89);
  for (int t = 0; t < end; t += 4 * q)
    for (int key : {60, 64, 67, 71}) b.note(pad, 0, t, 4 * q, key + (t / (4 * q)) % 2 * 5, 60);
  const int bass = b.track(o.nameTracks ? "Bass" : "");
  b.program(bass, 1, 33);
  for (int t = 0; t < end; t += q) b.note(bass, 1, t, q - 60, 36 + (t / (4 * q)) % 2 * 5);
  const int lead = b.track(o.nameTracks ? "Melody" : "");
  b.program(lead, o.leadChannel, o.leadProgram);
  int t = 0;
  for (int r = 0; r < o.repeats; ++r)
    for (const auto& [key, eighths] : BandTune()) {
      const int len = eighths * q / 2;
      b.note(lead, o.leadChannel, t, len + o.overlap, key);
      t += len;
    }
  return b.bytes();
}

// A verse-chorus song of four-bar sections: two bars of pad alone, then verse, verse,
// chorus, chorus, verse, chorus, chorus on the lead (channel 1), pad chords on channel 2.
// The chorus sits higher and has its own rhythm. Returns the file; chorusBars receives
// the 0-based bars where a chorus starts.
inline QByteArray VerseChorusSong(std::vector<int>* chorusBars = nullptr) {
  SongBuilder b(480);
  const int q = b.division(), bar = 4 * q;
  const int conductor = b.track("Verse Chorus");
  b.tempo(conductor, 0, 500000);
  const int lead = b.track();
  const int pad = b.track();
  // (key, length in eighths), each section four bars (32 eighths).
  const std::vector<std::pair<int, int>> verse = {
      {60, 2}, {62, 2}, {64, 2}, {62, 2}, {60, 4}, {55, 4}, {60, 2}, {62, 2},
      {64, 2}, {65, 2}, {64, 4}, {62, 4}, {60, 2}, {59, 2}, {57, 2}, {59, 2}};
  const std::vector<std::pair<int, int>> chorus = {
      {72, 1}, {74, 1}, {76, 2}, {76, 2}, {79, 2}, {77, 2}, {76, 1}, {74, 1}, {72, 4},
      {74, 2}, {76, 2}, {77, 4}, {79, 4}, {81, 2}, {79, 1}, {77, 1}, {76, 4}, {74, 2}};
  int64_t t = 2 * bar;
  int barAt = 2;
  for (const char section : {'v', 'v', 'c', 'c', 'v', 'c', 'c'}) {
    if (section == 'c' && chorusBars) chorusBars->push_back(barAt);
    int64_t at = t;
    for (const auto& [key, eighths] : section == 'v' ? verse : chorus) {
      b.note(lead, 0, at, eighths * q / 2 - 30, key);
      at += eighths * q / 2;
    }
    t += 4 * bar;
    barAt += 4;
  }
  for (int64_t at = 0; at < t; at += bar)
    for (int key : {48, 52, 55}) b.note(pad, 1, at, bar, key, 60);
  return b.bytes();
}
