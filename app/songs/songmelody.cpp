#include "songs/songmelody.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextStream>
#include <cstdint>

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

bool ParseExcerpt(const QString& text, Excerpt& excerpt) {
  const QString t = text.trimmed().toLower();
  if (t == QLatin1String("hook")) {
    excerpt = {ExcerptKind::Hook, 0, 0};
    return true;
  }
  if (t == QLatin1String("start")) {
    excerpt = {ExcerptKind::Start, 0, 0};
    return true;
  }
  static const QRegularExpression bars(QStringLiteral("^bars:(\\d{1,5})-(\\d{1,5})$"));
  const QRegularExpressionMatch m = bars.match(t);
  if (!m.hasMatch()) return false;
  const int a = m.captured(1).toInt(), b = m.captured(2).toInt();
  if (a < 1 || b < a) return false;
  excerpt = {ExcerptKind::Bars, a, b};
  return true;
}

namespace {

// The notes of the line from..to (song ticks), the first one starting at or after from.
std::vector<LineNote> partOf(const std::vector<LineNote>& line, int64_t from, int64_t to) {
  std::vector<LineNote> part;
  for (const LineNote& n : line)
    if (n.start >= from && n.start < to) part.push_back(n);
  if (!part.empty()) part.back().end = std::min(part.back().end, to);
  return part;
}

// Why the song cannot give a melody of the channel (0 the path), empty when it can.
QString refusal(const SongScan& song, const SongOverview& overview, int channel) {
  if (!song.ok) return song.error;
  if (overview.channels.isEmpty()) return QStringLiteral("the file has no notes");
  if (channel == 0 && overview.best == 0)
    return QStringLiteral(
        "only the drum channel (10) carries notes, so there is no melody to take; name a "
        "channel to read the drums anyway");
  bool carries = channel == 0;
  for (const ChannelInfo& c : overview.channels) carries = carries || c.channel == channel;
  if (!carries) return QStringLiteral("channel %1 carries no notes").arg(channel);
  return {};
}

// Fits one part of the line into m, with the bars of the song it covers.
void fitPart(const SongScan& song, const SongOverview& overview, const std::vector<LineNote>& part,
             const FitTarget& target, SongMelody& m) {
  const int64_t bar = std::max<int64_t>(1, overview.barTicks);
  // The tempo that holds where the part begins: ringtones have one tempo.
  m.fit = FitLine(part, song.division, TempoAt(song, part.front().start), target, m.melody);
  m.firstBar = BarOf(part.front().start, bar) + 1;
  m.startTick = part.front().start;
  m.lastBar = BarOf(std::max(part.front().start, m.fit.endTick - 1), bar) + 1;
}

// The hook's part of the line: the section alone, or with an event limit from its start
// on to the limit; empty when the tune has no returning section. The hook is sung: it is
// looked for in the channel that gives most of the melody, not in the instrumental bars
// the path fills in from others.
std::vector<LineNote> hookPart(const SongScan& song, const SongOverview& overview,
                               const std::vector<LineNote>& line, int channel,
                               const FitTarget& target) {
  const int64_t bar = std::max<int64_t>(1, overview.barTicks);
  const Hook hook = FindHook(channel ? line : Skyline(song, overview.best), bar, &song.notes);
  if (!hook.found) return {};
  return partOf(line, hook.startTick, target.maxEvents > 0 ? INT64_MAX : hook.endTick);
}

}  // namespace

SongMelody MelodyOfSong(const SongScan& song, const SongOverview& overview,
                        const SongRequest& request) {
  SongMelody m;
  int channel = request.channel;
  m.error = refusal(song, overview, channel);
  if (!m.error.isEmpty()) return m;
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
  const std::vector<LineNote> line = channel ? Skyline(song, channel) : PathLine(song, overview);
  if (line.empty()) {
    m.error = channel ? QStringLiteral("channel %1 has no note longer than a 64th").arg(channel)
                      : QStringLiteral("the melody has no note longer than a 64th");
    return m;
  }
  ExcerptKind kind = request.excerpt.kind;
  if (kind == ExcerptKind::Auto) {
    fitPart(song, overview, line, target, m);
    if (m.fit.cutEvents > 0) kind = ExcerptKind::Hook;  // the whole line does not fit
  }
  if (kind == ExcerptKind::Hook) {
    const std::vector<LineNote> part = hookPart(song, overview, line, channel, target);
    if (part.empty())
      kind = ExcerptKind::Start;
    else
      fitPart(song, overview, part, target, m);
  }
  if (kind == ExcerptKind::Start) fitPart(song, overview, line, target, m);
  if (kind == ExcerptKind::Bars) {
    const int64_t bar = std::max<int64_t>(1, overview.barTicks);
    const std::vector<LineNote> part =
        partOf(line, (request.excerpt.firstBar - 1) * bar, int64_t{request.excerpt.lastBar} * bar);
    if (part.empty()) {
      m.error = QStringLiteral("the melody has no notes in bars %1-%2")
                    .arg(request.excerpt.firstBar)
                    .arg(request.excerpt.lastBar);
      return m;
    }
    fitPart(song, overview, part, target, m);
  }
  m.excerpt = kind;
  m.melody.setsName(song.title);
  m.channel = channel ? channel : overview.best;
  m.ok = true;
  return m;
}

QString FitSummaryText(const SongMelody& m, const std::function<QString(int)>& res) {
  if (!m.ok) return {};
  const FitReport& f = m.fit;
  QString t = res(2600).arg(m.channel).arg(m.firstBar).arg(m.lastBar);
  if (m.excerpt == ExcerptKind::Hook) t += res(2601);
  if (m.excerpt == ExcerptKind::Start && f.cutEvents) t += res(2602);
  // A count of one takes the singular text.
  const auto counted = [&](int plural, int singular, int n, const QString& shown) {
    if (n) t += res(n == 1 || n == -1 ? singular : plural).arg(shown);
  };
  counted(2603, 2616, f.transpose,
          f.transpose > 0 ? QStringLiteral("+%1").arg(f.transpose) : QString::number(f.transpose));
  counted(2604, 2617, f.folded, QString::number(f.folded));
  counted(2605, 2618, f.merged, QString::number(f.merged));
  counted(2606, 2619, f.shortened, QString::number(f.shortened));
  counted(2607, 2620, f.cutEvents, QString::number(f.cutEvents));
  if (f.tempoCapped) t += res(2608).arg(f.bpm);
  return t;
}

}  // namespace songs
