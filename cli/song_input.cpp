#include "song_input.h"

#include "document/eventlistmodel.h"

#include <QFile>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <iterator>

#include "document/meloformatcheck.h"
#include "melody/rvtonehead.h"
#include "songs/channeloverview.h"
#include "songs/songmelody.h"

namespace cli {
namespace {

songs::SongScan scan(const std::string& path) {
  if (path != "-") return songs::ScanSongFile(QString::fromStdString(path));
  const std::string in{std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
  return songs::ScanSong(QByteArray(in.data(), static_cast<qsizetype>(in.size())));
}

// The instrument list is read once per process; workers of a batch share it.
const QStringList& programNames() {
  static const QStringList names = songs::ProgramNames();
  return names;
}

// The event list's note names: key 60 is C5.
std::string keyName(int key) {
  return eventrows::NoteName(key).toStdString();
}

std::string checkName(int id) {
  const QList<int> ids = meloformatcheck::FitTargetIds();
  const int row = static_cast<int>(ids.indexOf(id));
  return row >= 0 ? meloformatcheck::FitTargetNames()[row].toStdString() : std::to_string(id);
}

}  // namespace

bool readSongMelody(const std::string& path, const SongOptions& options, Document& doc,
                    std::string& error, std::string* report) {
  const songs::SongScan song = scan(path);
  if (!song.ok) {
    error = "cannot read as midi: " + song.error.toStdString();
    return false;
  }
  const songs::SongOverview overview = songs::OverviewOf(song, programNames());
  const songs::SongMelody m = songs::MelodyOfSong(
      song, overview,
      {options.channel, options.fitFormatId, songs::ReadMode::MelodyLine, options.excerpt});
  if (!m.ok) {
    error = m.error.toStdString();
    return false;
  }
  doc.records = rvTonehead::ToRecords(m.melody);
  doc.title = m.melody.sName().toStdString();
  doc.bpm = m.melody.bpm();
  doc.channelUsed = m.channel - 1;
  doc.channelMask = 0;
  for (const songs::ChannelInfo& c : overview.channels) doc.channelMask |= 1 << (c.channel - 1);
  if (report) {
    const songs::FitReport& f = m.fit;
    std::string line = "melody: channel " + std::to_string(m.channel) + ", bars " +
                       std::to_string(m.firstBar) + "-" + std::to_string(m.lastBar);
    if (m.excerpt == songs::ExcerptKind::Hook) line += " (the hook)";
    if (m.excerpt == songs::ExcerptKind::Start && f.cutEvents) line += " (from the start)";
    line += ", grid 1/" + std::to_string(f.grid) + ", " + std::to_string(f.events) + " events";
    if (options.fitFormatId) line += ", fitted to " + checkName(options.fitFormatId);
    // "1 note", "2 notes"
    const auto counted = [&line](int n, const char* what, const char* label) {
      if (n) line += ", " + std::to_string(n) + " " + what + (n == 1 ? "" : "s") + " " + label;
    };
    if (f.transpose)
      line += ", moved " + std::string(f.transpose > 0 ? "+" : "") + std::to_string(f.transpose) +
              (std::abs(f.transpose) == 1 ? " semitone" : " semitones");
    counted(f.folded, "note", "folded into the range");
    counted(f.merged, "short gap", "merged into the note before");
    counted(f.shortened, "long silence", "shortened to a bar");
    counted(f.cutEvents, "event", "cut at a phrase end");
    if (f.tempoCapped) line += ", tempo lowered to " + std::to_string(f.bpm);
    *report = line;
  }
  return true;
}

bool printChannelTable(const std::string& path) {
  const songs::SongScan song = scan(path);
  if (!song.ok) {
    std::cerr << "pealix-cli: " << path << ": cannot read as midi: " << song.error.toStdString()
              << "\n";
    return false;
  }
  const songs::SongOverview overview = songs::OverviewOf(song, programNames());
  // The bars that bars:A-B counts, in quarters (3 for a waltz, 3.5 for 7/8).
  char bar[32];
  std::snprintf(bar, sizeof bar, "%g",
                static_cast<double>(overview.barTicks) / std::max(1, song.division));
  std::cout << "title:  " << song.title.toStdString() << "\n"
            << "tracks: " << song.trackCount << ", " << song.division
            << " ticks a quarter note, bars of " << bar << " quarters\n";
  if (overview.channels.isEmpty()) {
    std::cout << "no channel carries notes\n";
    return true;
  }
  std::cout
      << "channel  score  notes  range    chords  repeats  bars          tracks / instrument\n";
  for (const songs::ChannelInfo& c : overview.channels) {
    char row[96];
    std::snprintf(row, sizeof row, "%7d  %5s  %5d  %-7s  %5.0f%%  %6.0f%%  ", c.channel,
                  c.drums ? "drums" : std::to_string(static_cast<int>(c.score + 0.5)).c_str(),
                  c.noteCount, (keyName(c.lowKey) + "-" + keyName(c.highKey)).c_str(),
                  100 * c.polyphony, 100 * c.repetition);
    std::string bars = c.bars.isEmpty() ? "-" : c.bars.toStdString();
    if (bars.size() < 12) bars.resize(12, ' ');
    std::string names = c.trackNames.join(QStringLiteral(", ")).toStdString();
    if (names.empty()) names = "-";
    if (!c.instrument.isEmpty()) names += " / " + c.instrument.toStdString();
    std::cout << row << bars << "  " << names << "\n";
  }
  if (overview.best)
    std::cout << "melody: channel " << overview.best << "\n";
  else
    std::cout << "melody: none (only the drum channel carries notes)\n";
  return true;
}

std::string fitNamesHelp() {
  return songs::FitFormatNames().join(QLatin1Char(' ')).toStdString();
}

bool excerptFromArgument(const char* command, const std::string& text, songs::Excerpt& excerpt) {
  if (songs::ParseExcerpt(QString::fromStdString(text), excerpt)) return true;
  std::cerr << "pealix-cli " << command
            << ": --excerpt takes hook, start or bars:A-B (A <= B), not '" << text << "'\n";
  return false;
}

int fitFormatFromArgument(const char* command, const std::string& name) {
  const int id = songs::FitFormatIdByName(QString::fromStdString(name));
  if (id == 0)
    std::cerr << "pealix-cli " << command << ": --fit takes one of "
              << songs::FitFormatNames().join(QStringLiteral(", ")).toStdString() << ", not '"
              << name << "'\n";
  return id;
}

}  // namespace cli
