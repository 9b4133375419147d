#include "songs/songmelody.h"

#include <QFile>
#include <QTextStream>

#include "document/meloformatcheck.h"
#include "languages/reslang.h"
#include "melody/formatcatalogue.h"

namespace songs {
namespace {

struct FitName {
  const char* name;
  int id;
};
const FitName kFitNames[] = {{"sagem", 2},    {"keypress", 3},  {"rtttl", 9},
                             {"nokia", 9},    {"alcatel", 8},   {"composer", 11},
                             {"imelody", 14}, {"motorola", 12}, {"nokia61xx", 13}};

}  // namespace

int FitFormatIdByName(const QString& name) {
  const QString n = name.trimmed().toLower();
  for (const FitName& f : kFitNames)
    if (n == QLatin1String(f.name)) return f.id;
  const QStringList rows = meloformatcheck::FitTargetNames();
  for (int i = 0; i < rows.size(); ++i)
    if (rows[i].toLower() == n) return meloformatcheck::FitTargetIds()[i];
  // A catalogue format with a range-check row of its own, by its command-line name.
  const formatcatalogue::Format* f = formatcatalogue::ByName(n.toLatin1().constData());
  if (f)
    for (const formatcatalogue::RangeRow& r : f->ranges)
      if (r.checkId == f->rangeCheckId) return r.checkId;
  return 0;
}

QStringList ProgramNames() {
  if (AppLanguages().size() > 0) return InstrumentNames();
  QStringList names;
  QFile f(reslang::AppDirectory() + QStringLiteral("/midi.txt"));
  if (f.open(QIODevice::ReadOnly | QIODevice::Text)) {
    QTextStream in(&f);
    while (names.size() < 128 && !in.atEnd()) names << in.readLine().trimmed();
  }
  while (names.size() < 128) names << QStringLiteral("Program %1").arg(names.size());
  return names;
}

QStringList FitFormatNames() {
  QStringList names;
  for (const FitName& f : kFitNames) names << QString::fromLatin1(f.name);
  // The catalogue's formats whose own range-check row is a fit target only.
  for (const formatcatalogue::Format& f : formatcatalogue::Formats())
    for (const formatcatalogue::RangeRow& r : f.ranges)
      if (r.choicePosition < 0 && r.checkId == f.rangeCheckId)
        names << QString::fromLatin1(f.cliName);
  return names;
}

SongMelody MelodyOfSong(const SongScan& song, const SongOverview& overview,
                        const SongRequest& request) {
  SongMelody m;
  if (!song.ok) {
    m.error = song.error;
    return m;
  }
  if (overview.channels.isEmpty()) {
    m.error = QStringLiteral("the file has no notes");
    return m;
  }
  int channel = request.channel;
  if (channel == 0) {
    if (overview.best == 0) {
      m.error = QStringLiteral(
          "only the drum channel (10) carries notes, so there is no melody to take; name a "
          "channel to read the drums anyway");
      return m;
    }
    channel = overview.best;
  }
  bool carries = false;
  for (const ChannelInfo& c : overview.channels) carries = carries || c.channel == channel;
  if (!carries) {
    m.error = QStringLiteral("channel %1 carries no notes").arg(channel);
    return m;
  }
  FitTarget target;
  if (request.fitFormatId != 0) {
    clMeloFormatProps formats;
    formats.RegisterDefaultFormats();
    formats.RegisterFitTargets();
    if (!TargetForFormat(formats, request.fitFormatId, target)) {
      m.error = QStringLiteral("there is no target format %1").arg(request.fitFormatId);
      return m;
    }
  }
  const std::vector<LineNote> line = Skyline(song, channel);
  if (line.empty()) {
    m.error = QStringLiteral("channel %1 has no note longer than a 64th").arg(channel);
    return m;
  }
  // The tempo that holds where the line begins: ringtones have one tempo.
  m.fit = FitLine(line, song.division, TempoAt(song, line.front().start), target, m.melody);
  m.melody.setsName(song.title);
  m.channel = channel;
  m.ok = true;
  return m;
}

}  // namespace songs
