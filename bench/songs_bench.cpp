// From a song to a ringtone: reading a multi-track MIDI file with the application's song
// reader, scoring its channels, and the skyline and fitting of the melody (to Sagem SMS,
// the tightest format: 64 events, two and a half octaves). A 16-channel file of 8 MB
// and a typical song of about 50 KB (12 channels, drums on 10).
#include <benchmark/benchmark.h>

#include <cstdint>

#include "../app/tests/song_fixtures.h"
#include "songs/songmelody.h"

namespace {

// Channels of a made-up arrangement: a lead playing the band tune, chords, a bass, an
// arpeggio, drums on channel 10 and held pads, each in its own track, repeated until the
// file reaches its size.
QByteArray arrangement(int channels, size_t bytes) {
  SongBuilder b(480);
  const int q = b.division();
  const int conductor = b.track("Bench Song");
  b.tempo(conductor, 0, 500000);
  std::vector<int> tracks;
  for (int c = 0; c < channels; ++c) {
    tracks.push_back(b.track(QByteArray("Part ") + QByteArray::number(c + 1)));
    if (c != 9) b.program(tracks.back(), c, (c * 11) % 128);
  }
  uint32_t seed = 7;
  int64_t t = 0;
  // About 8 bytes a note (running status, delta times of one or two bytes).
  const size_t notesWanted = bytes / 8;
  size_t notes = 0;
  while (notes < notesWanted) {
    for (const auto& [key, eighths] : BandTune()) {
      const int len = eighths * q / 2;
      for (int c = 0; c < channels && notes < notesWanted; ++c) {
        seed = seed * 1103515245 + 12345;
        const int r = static_cast<int>((seed >> 16) % 12);
        switch (c % 6) {
          case 0:
            b.note(tracks[c], c, t, len + 20, key);
            ++notes;
            break;  // the lead
          case 1:   // chords
            for (int k : {0, 4, 7}) b.note(tracks[c], c, t, len, key - 12 + k, 70);
            notes += 3;
            break;
          case 2:
            b.note(tracks[c], c, t, len - 30, 36 + r);
            ++notes;
            break;  // bass
          case 3:   // arpeggio in sixteenths
            for (int s = 0; s < eighths * 2; ++s)
              b.note(tracks[c], c, t + s * q / 4, q / 4, 60 + (s * 4 + r) % 12);
            notes += eighths * 2;
            break;
          default:
            if (c == 9) {  // drums in eighths
              for (int s = 0; s < eighths; ++s)
                b.note(tracks[c], c, t + s * q / 2, 60, 36 + (s % 2) * 6);
              notes += eighths;
            } else {
              b.note(tracks[c], c, t, len, 55 + r, 50);
              ++notes;
            }
        }
      }
      t += len;
    }
  }
  return b.bytes();
}

void songToRingtone(benchmark::State& state, const QByteArray& file) {
  const QStringList names;
  int channel = 0, events = 0;
  for (auto _ : state) {
    const songs::SongScan song = songs::ScanSong(file);
    const songs::SongOverview overview = songs::OverviewOf(song, names);
    songs::SongRequest request;
    request.fitFormatId = 2;
    const songs::SongMelody m = songs::MelodyOfSong(song, overview, request);
    if (!m.ok) state.SkipWithError("no melody");
    channel = m.channel;
    events = m.melody.size();
    benchmark::DoNotOptimize(m);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * file.size());
  state.counters["file_KiB"] = static_cast<double>(file.size()) / 1024;
  state.counters["channel"] = channel;
  state.counters["events"] = events;
}

void BM_SongToRingtone16Channels8MB(benchmark::State& state) {
  static const QByteArray file = arrangement(16, 8 << 20);
  songToRingtone(state, file);
}
BENCHMARK(BM_SongToRingtone16Channels8MB)->Unit(benchmark::kMillisecond);

void BM_SongToRingtoneTypical50KB(benchmark::State& state) {
  static const QByteArray file = arrangement(12, 50 << 10);
  songToRingtone(state, file);
}
BENCHMARK(BM_SongToRingtoneTypical50KB)->Unit(benchmark::kMillisecond);

}  // namespace
