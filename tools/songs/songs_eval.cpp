// The song code over MIDI files, one line of JSON a file, for the measuring and training
// scripts:
//   pealix-songs-eval features FILE...   the channel features (the score's inputs)
//   pealix-songs-eval fit FILE...        the melody chosen, and the ringtone fitted to
//                                        the grid and to Nokia: its start, events and
//                                        notes, and how far each writer read back moves
//                                        its onsets
//   pealix-songs-eval hook FILE...       the hook search's candidate section starts of
//                                        the chosen melody: bar, start, features
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <string>

#include "files/memoryread.h"
#include "melody/rvmelodyapi.h"
#include "melody/rvtonehead.h"
#include "songs/channeloverview.h"
#include "songs/songhook.h"
#include "songs/songmelody.h"

namespace {

std::string quoted(const QString& s) {
  std::string out = "\"";
  for (const char c : s.toStdString()) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) >= 0x20) out += c;
  }
  return out + "\"";
}

double secondsAt(const songs::SongScan& song, int64_t tick) {
  double s = 0;
  for (size_t i = 0; i < song.tempos.size(); ++i) {
    const int64_t from = song.tempos[i].tick;
    if (from >= tick) break;
    const int64_t to = i + 1 < song.tempos.size() ? std::min(tick, song.tempos[i + 1].tick) : tick;
    s += static_cast<double>(to - from) * song.tempos[i].usPerQuarter / 1e6 / song.division;
  }
  return s;
}

// The melody written to a file by format id and read back as a file of that format: its
// note onsets and total length in 384ths; false when it does not read back.
bool readBack(const pxvbMelody& m, int format, const QString& dir, std::vector<int64_t>& onsets,
              int64_t& total) {
  const QString path = dir + QStringLiteral("/back.bin");
  const rvTonehead::Request out = {1, format, 0, 0, 255, 0, 0, 0};
  if (rvTonehead::MeloExport(m, out, path).result != 1) return false;
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return false;
  const QByteArray bytes = f.readAll();
  if (format == 10) {
    // The song reader keeps every tick; the library's MIDI reader turns each gap between
    // notes into a single pause value, which is its own rounding, not the writer's.
    const songs::SongScan song = songs::ScanSong(bytes);
    if (!song.ok || song.notes.empty()) return false;
    const int64_t whole = 4 * static_cast<int64_t>(std::max(1, song.division));
    const int64_t origin = song.notes.front().start;
    onsets.clear();
    for (const songs::SongNote& n : song.notes) onsets.push_back((n.start - origin) * 384 / whole);
    total = (song.endTick - origin) * 384 / whole;
    return true;
  }
  pxvbMelody back;
  bool ok = false;
  if (format == 9) {
    ok = memoryread::Read(RV_FORMAT_NOKIA, bytes, back);
  } else if (format == 14) {
    ok = memoryread::Read(RV_FORMAT_IMELODY, bytes, back);
  } else {
    rvTonehead::Request request = {1, format, 0, 0, 255, 0};
    ok = rvTonehead::ReadMelo(back, request, path, false).result == 1;
  }
  if (ok) onsets = songs::NoteOnsets(back, &total);
  return ok;
}

// The largest onset move (in grid steps) of a writer, -1 when notes were lost, and the
// change of the total length in grid steps.
std::string onsetCheck(const pxvbMelody& m, int format, int grid, const QString& dir) {
  const int64_t step = 384 / grid;
  int64_t total = 0, backTotal = 0;
  const std::vector<int64_t> want = songs::NoteOnsets(m, &total);
  std::vector<int64_t> got;
  double worst = -1, length = 0;
  if (readBack(m, format, dir, got, backTotal)) {
    if (got.size() == want.size()) {
      worst = 0;
      for (size_t i = 0; i < got.size(); ++i)
        worst = std::max(worst, static_cast<double>(std::llabs(got[i] - want[i])) / step);
    }
    length = static_cast<double>(backTotal - total) / step;
  }
  char item[64];
  std::snprintf(item, sizeof item, "[%.2f, %.2f]", worst, length);
  return item;
}

// Each writer with the melody fitted to its own format's limits (MIDI and iMelody, which
// have none or a wide one, with Nokia's event limit so the readers take it whole).
std::string writerChecks(const songs::SongScan& song, const songs::SongOverview& ov,
                         const QString& dir) {
  const struct {
    const char* name;
    int writer, target;
  } writers[] = {
      {"rtttl", 7, 9}, {"nokia", 9, 9}, {"sagem", 2, 2}, {"midi", 10, 9}, {"imelody", 14, 9}};
  std::string out = "{";
  for (const auto& w : writers) {
    songs::SongRequest request;
    request.fitFormatId = w.target;
    const songs::SongMelody m = songs::MelodyOfSong(song, ov, request);
    if (!m.ok) continue;
    out += (out.size() > 1 ? ", \"" : "\"") + std::string(w.name) +
           "\": " + onsetCheck(m.melody, w.writer, m.fit.grid, dir);
  }
  return out + "}";
}

void fitOne(const QString& path, const QString& dir) {
  const songs::SongScan song = songs::ScanSongFile(path);
  if (!song.ok) {
    std::printf("{\"file\": %s, \"error\": %s}\n", quoted(path).c_str(),
                quoted(song.error).c_str());
    return;
  }
  const songs::SongOverview ov = songs::OverviewOf(song, {});
  songs::SongRequest whole;
  const songs::SongMelody line = songs::MelodyOfSong(song, ov, whole);
  songs::SongRequest nokia;
  nokia.fitFormatId = 9;
  const songs::SongMelody tone = songs::MelodyOfSong(song, ov, nokia);
  if (!line.ok || !tone.ok) {
    std::printf("{\"file\": %s, \"error\": %s}\n", quoted(path).c_str(),
                quoted(line.ok ? tone.error : line.error).c_str());
    return;
  }
  std::printf(
      "{\"file\": %s, \"channel\": %d, \"line_events\": %d, \"line_notes\": %d, "
      "\"line_merged\": %d, \"line_shortened\": %d, \"tone_start_sec\": %.3f, "
      "\"tone_first_bar\": %d, \"tone_last_bar\": %d, \"tone_hook\": %d, \"tone_events\": %d, "
      "\"tone_notes\": %d, \"grid\": %d, \"writers\": %s}\n",
      quoted(path).c_str(), line.channel, line.fit.events, line.fit.notes, line.fit.merged,
      line.fit.shortened, secondsAt(song, tone.startTick), tone.firstBar, tone.lastBar,
      tone.excerpt == songs::ExcerptKind::Hook ? 1 : 0, tone.fit.events, tone.fit.notes,
      tone.fit.grid, writerChecks(song, ov, dir).c_str());
}

void featuresOf(const QString& path) {
  const songs::SongScan song = songs::ScanSongFile(path);
  if (!song.ok) return;
  const songs::SongOverview ov = songs::OverviewOf(song, {});
  std::string rows;
  for (const songs::ChannelInfo& c : ov.channels) {
    if (c.drums) continue;
    std::string row = "[" + std::to_string(c.channel);
    for (double f : c.features) {
      char v[32];
      std::snprintf(v, sizeof v, ", %.5f", f);
      row += v;
    }
    rows += (rows.empty() ? "" : ", ") + row + "]";
  }
  std::printf("{\"file\": %s, \"best\": %d, \"channels\": [%s]}\n", quoted(path).c_str(), ov.best,
              rows.c_str());
}

void hookOf(const QString& path) {
  const songs::SongScan song = songs::ScanSongFile(path);
  if (!song.ok) return;
  const songs::SongOverview ov = songs::OverviewOf(song, {});
  if (ov.best <= 0) return;
  const std::vector<songs::HookCandidate> candidates =
      songs::HookCandidates(songs::Skyline(song, ov.best), ov.barTicks, &song.notes);
  std::string rows;
  for (const songs::HookCandidate& c : candidates) {
    char head[96];
    std::snprintf(head, sizeof head, "[%d, %.3f, %d, %.4f", c.bar, secondsAt(song, c.startTick),
                  c.bars, c.score);
    std::string row = head;
    for (double f : c.features) {
      char v[32];
      std::snprintf(v, sizeof v, ", %.5f", f);
      row += v;
    }
    rows += (rows.empty() ? "" : ", ") + row + "]";
  }
  std::printf("{\"file\": %s, \"candidates\": [%s]}\n", quoted(path).c_str(), rows.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc < 3 || (std::strcmp(argv[1], "features") != 0 && std::strcmp(argv[1], "fit") != 0 &&
                   std::strcmp(argv[1], "hook") != 0)) {
    std::fprintf(stderr, "usage: pealix-songs-eval features|fit|hook FILE...\n");
    return 2;
  }
  if (std::strcmp(argv[1], "features") == 0) {
    std::printf("{\"features\": [");
    for (int i = 0; i < songs::kFeatureCount; ++i)
      std::printf("%s\"%s\"", i ? ", " : "", songs::FeatureName(i));
    std::printf("]}\n");
    for (int i = 2; i < argc; ++i) featuresOf(QString::fromLocal8Bit(argv[i]));
    return 0;
  }
  if (std::strcmp(argv[1], "hook") == 0) {
    std::printf("{\"features\": [");
    for (int i = 0; i < songs::kHookCount; ++i)
      std::printf("%s\"%s\"", i ? ", " : "", songs::HookFeatureName(i));
    std::printf("]}\n");
    for (int i = 2; i < argc; ++i) hookOf(QString::fromLocal8Bit(argv[i]));
    return 0;
  }
  RvMelodyApi::setLibraryDirectory(QCoreApplication::applicationDirPath());
  if (!rvTonehead::EnsureLoaded()) {
    std::fprintf(stderr, "pealix-songs-eval: the melody library cannot be loaded\n");
    return 1;
  }
  QTemporaryDir dir;
  for (int i = 2; i < argc; ++i) fitOne(QString::fromLocal8Bit(argv[i]), dir.path());
  return 0;
}
