// The application's MIDI song reader and what builds on it: the channel table, the
// melody choice, the path, the skyline, the hook and the fitting. The first byte picks the
// channel (0 the path) and the target format, the input's length the excerpt; a fitted
// melody must keep the format's limits and its bars their order. The excerpt parser reads
// the first bytes as text.
#include <QByteArray>
#include <QStringList>
#include <algorithm>

#include "document/meloformatcheck.h"
#include "fuzz_input.h"
#include "songs/songmelody.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const uint8_t mode = in.byte();
  const std::string bytes = in.rest();
  songs::Excerpt parsed;
  if (songs::ParseExcerpt(QString::fromLatin1(bytes.substr(0, 24)), parsed) &&
      parsed.kind == songs::ExcerptKind::Bars &&
      (parsed.firstBar < 1 || parsed.lastBar < parsed.firstBar))
    __builtin_trap();
  const songs::SongScan song =
      songs::ScanSong(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
  if (!song.ok) return 0;
  for (size_t i = 0; i < song.notes.size(); ++i) {
    if (song.notes[i].end <= song.notes[i].start) __builtin_trap();
    if (i > 0 && song.notes[i].start < song.notes[i - 1].start) __builtin_trap();
  }
  // A bar holds two and a half to eight quarters, whatever the time signatures say.
  const int64_t quarter = std::max(1, song.division), bar = songs::SongBarTicks(song);
  if (2 * bar < 5 * quarter || bar > 8 * quarter) __builtin_trap();
  const songs::SongOverview overview = songs::OverviewOf(song, {QStringLiteral("Piano")});
  const QList<int> ids = meloformatcheck::FormatChoiceIds();
  const int fit = (mode >> 5) % (ids.size() + 1);
  songs::SongRequest request;
  request.channel = (mode & 31) % 17;
  request.fitFormatId = fit == 0 ? 0 : ids[fit - 1];
  request.excerpt.kind = static_cast<songs::ExcerptKind>(bytes.size() % 4);
  request.excerpt.firstBar = 1 + mode % 8;
  request.excerpt.lastBar = request.excerpt.firstBar + static_cast<int>(bytes.size() % 16);
  const songs::SongMelody m = songs::MelodyOfSong(song, overview, request);
  if (m.ok && (m.firstBar < 1 || m.lastBar < m.firstBar)) __builtin_trap();
  if (fuzzTrace())
    std::fprintf(stderr, "%zu notes, %lld channels, channel %d fit %d -> %s %d events\n",
                 song.notes.size(), static_cast<long long>(overview.channels.size()),
                 request.channel, request.fitFormatId, m.ok ? "ok" : "refused", m.melody.size());
  if (!m.ok || request.fitFormatId == 0) return 0;
  clMeloFormatProps formats;
  formats.RegisterDefaultFormats();
  const auto rows = meloformatcheck::Run(formats, m.melody, QString::number(m.melody.size()),
                                         QString::number(m.melody.bpm()), {request.fitFormatId});
  if (!rows) __builtin_trap();
  const meloformatcheck::RowResult& r = rows->first();
  if (r.tooHigh + r.tooLow + r.tooLong + r.tooShort != 0 || r.remaining < 0) __builtin_trap();
  return 0;
}
