// The recently used files: up to five entries, newest first, each a path and its file type
// (1 RTTTL text, 2 standard MIDI file, 3 Sagem text). Kept in the settings section
// "RecentFiles" as "fcount", "Filename<n>" and "Filetype<n>" (n from 1).
#pragma once

#include <QList>
#include <QString>

namespace pxsettings {
class SettingsStore;
}

class RecentFiles {
 public:
  static constexpr int kMaxEntries = 5;

  struct Entry {
    QString path;
    int fileType = 0;
    bool operator==(const Entry&) const = default;
  };

  // An empty path or one already listed is ignored (the entry keeps its place); otherwise
  // the file goes to the top and the sixth entry falls off. True when the list changed.
  bool add(const QString& path, int fileType);
  void clear() { entries_.clear(); }

  const QList<Entry>& entries() const { return entries_; }
  int size() const { return static_cast<int>(entries_.size()); }
  // The entry at a 0-based position, or nullptr.
  const Entry* at(int index) const;

  // Reads the list; entries with an empty path are skipped, at most five are kept.
  void load(const pxsettings::SettingsStore& store);
  // Replaces the section with the list.
  void save(pxsettings::SettingsStore& store) const;

 private:
  QList<Entry> entries_;
};
