#include "songs/smfscan.h"

#include <QFile>
#include <algorithm>
#include <cstring>

#include "melody/titletext.h"

namespace songs {
namespace {

constexpr int64_t kMaxTick = int64_t(1) << 40;  // far beyond any song; keeps sums exact
constexpr int kMaxTracks = 65535;

struct Cursor {
  const unsigned char* p;
  const unsigned char* end;
  bool failed = false;
  bool atEnd() const { return p >= end; }
  int byte() {
    if (p >= end) {
      failed = true;
      return 0;
    }
    return *p++;
  }
  // A variable-length number of at most four bytes (28 bits).
  uint32_t varLen() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
      const int b = byte();
      v = (v << 7) | static_cast<uint32_t>(b & 0x7F);
      if (!(b & 0x80)) return v;
    }
    failed = true;
    return 0;
  }
  void skip(uint32_t n) {
    if (static_cast<size_t>(end - p) < n) {
      p = end;
      failed = true;
      return;
    }
    p += n;
  }
};

uint32_t be32(const unsigned char* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// One track: its notes go into song.notes; names and programs into the channel tables.
// Returns false when the song has too many notes or ticks.
// A meta event after its 0xFF: a tempo, a track or instrument name; false at the end of
// the track or where its length runs past the data.
bool readMeta(Cursor& c, int64_t tick, SongScan& song, QStringList& names) {
  const int type = c.byte();
  const uint32_t len = c.varLen();
  if (c.failed || static_cast<size_t>(c.end - c.p) < len) return false;
  const unsigned char* data = c.p;
  c.skip(len);
  if (type == 0x2F) return false;
  if (type == 0x51 && len >= 3) {
    const uint32_t us = (uint32_t(data[0]) << 16) | (uint32_t(data[1]) << 8) | data[2];
    if (us > 0) song.tempos.push_back({tick, us});
  } else if (type == 0x58 && len >= 2) {
    if (data[0] > 0 && data[1] <= 6) song.meters.push_back({tick, data[0], data[1]});
  } else if ((type == 0x03 || type == 0x04) && len > 0) {
    const QString name =
        titletext::DecodeTitle(QByteArray(reinterpret_cast<const char*>(data),
                                          static_cast<qsizetype>(std::min<uint32_t>(len, 256))))
            .simplified();
    if (!name.isEmpty() && !names.contains(name)) names << name;
    if (type == 0x03 && song.title.isEmpty()) song.title = name;
  }
  return true;
}

bool scanTrack(Cursor c, int track, SongScan& song, QString& error) {
  struct Open {
    int64_t start = -1;
    uint8_t velocity = 0;
    uint16_t staleOffs = 0;  // note-offs still due for notes a repeated note-on ended
  };
  std::array<std::array<Open, 128>, 16> open{};
  std::array<bool, 16> hasNotes{};
  QStringList names;
  int64_t tick = 0;
  int status = 0;
  auto close = [&](int ch, int key, int64_t at) {
    Open& o = open[ch][key];
    if (o.start < 0) return true;
    if (at > o.start) {
      if (song.notes.size() >= kMaxSongNotes) {
        error = QStringLiteral("the file has more than %1 notes").arg(kMaxSongNotes);
        return false;
      }
      song.notes.push_back({o.start, at, static_cast<uint8_t>(key), o.velocity,
                            static_cast<uint8_t>(ch), static_cast<uint16_t>(track)});
      hasNotes[ch] = true;
    }
    o.start = -1;
    return true;
  };
  while (!c.atEnd() && !c.failed) {
    tick += c.varLen();
    if (tick > kMaxTick) {
      error = QStringLiteral("the song is too long");
      return false;
    }
    int b = c.byte();
    if (c.failed) break;
    if (b < 0x80) {
      if (status == 0) break;  // data without a status: the rest of the track is unreadable
      --c.p;                   // running status: b is the first data byte
      b = status;
    } else if (b < 0xF0) {
      status = b;
    }
    const int kind = b & 0xF0;
    const int ch = b & 0x0F;
    if (b == 0xFF) {
      if (!readMeta(c, tick, song, names)) break;
      continue;
    }
    if (b == 0xF0 || b == 0xF7) {
      c.skip(c.varLen());
      continue;
    }
    if (b >= 0xF1) {  // other system messages: their data bytes only
      c.skip(b == 0xF2 ? 2 : (b == 0xF1 || b == 0xF3) ? 1 : 0);
      continue;
    }
    const int d1 = c.byte();
    const int d2 = (kind == 0xC0 || kind == 0xD0) ? 0 : c.byte();
    if (c.failed) break;
    const int key = d1 & 0x7F;
    if (kind == 0x90 && (d2 & 0x7F) > 0) {
      // A repeated note-on ends the sounding note; the note-off that was meant for it
      // must not end the new one.
      Open& o = open[ch][key];
      const bool sounding = o.start >= 0;
      if (!close(ch, key, tick)) return false;
      const uint16_t stale = sounding ? static_cast<uint16_t>(std::min(o.staleOffs + 1, 1000)) : 0;
      o = {tick, static_cast<uint8_t>(d2 & 0x7F), stale};
    } else if (kind == 0x80 || kind == 0x90) {
      Open& o = open[ch][key];
      if (o.staleOffs > 0) {
        --o.staleOffs;
        continue;
      }
      if (!close(ch, key, tick)) return false;
    } else if (kind == 0xC0 && song.program[ch] < 0) {
      song.program[ch] = d1 & 0x7F;
    }
  }
  for (int ch = 0; ch < 16; ++ch)
    for (int key = 0; key < 128; ++key)
      if (!close(ch, key, tick)) return false;
  for (int ch = 0; ch < 16; ++ch) {
    if (!hasNotes[ch]) continue;
    for (const QString& n : names)
      if (!song.trackNames[ch].contains(n)) song.trackNames[ch] << n;
  }
  return true;
}

}  // namespace

SongScan ScanSong(const QByteArray& bytes) {
  SongScan song;
  song.program.fill(-1);
  if (bytes.size() > kMaxSongBytes) {
    song.error = QStringLiteral("the file is larger than %1 MB").arg(kMaxSongBytes >> 20);
    return song;
  }
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
  const size_t size = static_cast<size_t>(bytes.size());
  if (size < 14 || std::memcmp(data, "MThd", 4) != 0) {
    song.error = QStringLiteral("this is not a standard MIDI file");
    return song;
  }
  const uint32_t headerLength = be32(data + 4);
  song.format = (data[8] << 8) | data[9];
  const int declaredTracks = (data[10] << 8) | data[11];
  const int division = (data[12] << 8) | data[13];
  if (headerLength < 6 || headerLength > size - 8 || song.format > 2) {
    song.error = QStringLiteral("the MIDI header is damaged");
    return song;
  }
  if (division & 0x8000) {
    song.error = QStringLiteral("the file counts time in SMPTE frames, which is not supported");
    return song;
  }
  if (division == 0) {
    song.error = QStringLiteral("the MIDI header gives 0 ticks per quarter note");
    return song;
  }
  song.division = division;
  size_t pos = 8 + headerLength;
  int track = 0;
  // Every track chunk found is read, whatever the header's count says; other chunks are
  // skipped. A length running past the data reads the track as far as the data goes.
  while (pos + 8 <= size && track < kMaxTracks) {
    const uint32_t length = be32(data + pos + 4);
    const bool isTrack = std::memcmp(data + pos, "MTrk", 4) == 0;
    const size_t begin = pos + 8;
    const size_t end = begin + std::min<size_t>(length, size - begin);
    if (isTrack) {
      Cursor c{data + begin, data + end};
      if (!scanTrack(c, track, song, song.error)) {
        song.notes.clear();
        return song;
      }
      ++track;
    }
    pos = end;
  }
  song.trackCount = track;
  if (track == 0 && declaredTracks > 0) {
    song.error = QStringLiteral("the file holds no track");
    return song;
  }
  std::sort(song.notes.begin(), song.notes.end(), [](const SongNote& a, const SongNote& b) {
    return a.start != b.start ? a.start < b.start : a.key < b.key;
  });
  std::stable_sort(song.tempos.begin(), song.tempos.end(),
                   [](const TempoPoint& a, const TempoPoint& b) { return a.tick < b.tick; });
  if (song.tempos.empty() || song.tempos.front().tick > 0)
    song.tempos.insert(song.tempos.begin(), TempoPoint{0, 500000});
  std::stable_sort(song.meters.begin(), song.meters.end(),
                   [](const MeterPoint& a, const MeterPoint& b) { return a.tick < b.tick; });
  for (const SongNote& n : song.notes) song.endTick = std::max(song.endTick, n.end);
  song.ok = true;
  return song;
}

SongScan ScanSongFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    SongScan song;
    song.error = QStringLiteral("cannot open the file: ") + f.errorString();
    return song;
  }
  if (f.size() > kMaxSongBytes) {
    SongScan song;
    song.error = QStringLiteral("the file is larger than %1 MB").arg(kMaxSongBytes >> 20);
    return song;
  }
  return ScanSong(f.readAll());
}

uint32_t TempoAt(const SongScan& song, int64_t tick) {
  uint32_t us = 500000;
  auto it = std::upper_bound(song.tempos.begin(), song.tempos.end(), tick,
                             [](int64_t t, const TempoPoint& p) { return t < p.tick; });
  if (it != song.tempos.begin()) us = std::prev(it)->usPerQuarter;
  return us;
}

int64_t SongBarTicks(const SongScan& song) {
  const int64_t quarter = std::max(1, song.division);
  int64_t bar = 4 * quarter, longest = 0;
  for (size_t i = 0; i < song.meters.size(); ++i) {
    const MeterPoint& m = song.meters[i];
    const int64_t from = std::min(m.tick, song.endTick);
    const int64_t to =
        i + 1 < song.meters.size() ? std::min(song.meters[i + 1].tick, song.endTick) : song.endTick;
    const int64_t whole = m.numerator * 4 * quarter;
    if (whole % (int64_t{1} << m.denominatorPower) != 0) continue;  // not a whole tick
    if (i == 0 || to - from > longest) {
      longest = to - from;
      bar = whole >> m.denominatorPower;
    }
  }
  while (2 * bar < 5 * quarter) bar *= 2;
  while (bar > 8 * quarter && bar % (2 * quarter) == 0) bar /= 2;  // whole quarters, halved
  return bar > 8 * quarter ? 4 * quarter : bar;
}

}  // namespace songs
