// A light reader of standard MIDI files for turning songs into ringtones: every note of
// every channel with its start and end in file ticks, the tempo map, each channel's first
// program and the names of the tracks that play on it. Unlike the melody library's reader
// (one channel, built as it goes), it keeps the whole song so that its channels can be
// compared. Bounded: at most kMaxSongBytes of input and kMaxSongNotes notes; malformed
// input gives an error text, never a read outside the bytes.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <vector>

namespace songs {

constexpr qsizetype kMaxSongBytes = 64 << 20;
constexpr size_t kMaxSongNotes = 4'000'000;
constexpr int kDrumChannel = 10;  // 1-based, the General MIDI percussion channel

struct SongNote {
  int64_t start = 0;  // file ticks from the start of the song
  int64_t end = 0;    // > start
  uint8_t key = 0;
  uint8_t velocity = 0;
  uint8_t channel = 0;  // 0..15
  uint16_t track = 0;   // 0-based
};

struct TempoPoint {
  int64_t tick = 0;
  uint32_t usPerQuarter = 500000;
};

// A time signature: numerator beats of a 1/2^denominatorPower note each.
struct MeterPoint {
  int64_t tick = 0;
  int numerator = 4;
  int denominatorPower = 2;
};

struct SongScan {
  bool ok = false;
  QString error;  // when !ok: why, in plain words
  int format = 0;
  int division = 96;  // ticks per quarter note
  QString title;      // the first track's name (sequence name), else the first named track's
  std::vector<SongNote> notes;             // ordered by start, then by key
  std::vector<TempoPoint> tempos;          // ordered by tick; starts with tick 0
  std::vector<MeterPoint> meters;          // ordered by tick; empty when the file has none
  std::array<int, 16> program{};           // first program change per channel, -1 none
  std::array<QStringList, 16> trackNames;  // names of the tracks with notes on the channel
  int64_t endTick = 0;                     // the end of the last note
  int trackCount = 0;
};

// Reads the whole file from memory. Tracks that end early (a length past the end of the
// data, no end-of-track event) are read as far as they go; notes still sounding when a
// track ends stop there. A file with a time-code division is refused.
SongScan ScanSong(const QByteArray& bytes);

// Reads a file from disk (refusing files above kMaxSongBytes) and scans it.
SongScan ScanSongFile(const QString& path);

// The tempo (microseconds per quarter) in effect at a tick.
uint32_t TempoAt(const SongScan& song, int64_t tick);

// The length of the song's bars in ticks: those of the time signature that holds for most
// of the song, four quarters without one. Bars shorter than two and a half quarters count
// doubled (two bars of 2/4 are one of 4/4; a file marked 1/4 is counted in 4/4) and
// longer than eight are halved, so that four bars still make a phrase.
int64_t SongBarTicks(const SongScan& song);

}  // namespace songs
