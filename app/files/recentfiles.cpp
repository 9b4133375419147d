#include "files/recentfiles.h"

#include "settings/settingsstore.h"

namespace {
const QString kSection = QStringLiteral("RecentFiles");
}

bool RecentFiles::add(const QString& path, int fileType) {
  if (path.isEmpty()) return false;
  for (const Entry& e : entries_)
    if (e.path == path) return false;
  entries_.prepend({path, fileType});
  while (entries_.size() > kMaxEntries) entries_.removeLast();
  return true;
}

const RecentFiles::Entry* RecentFiles::at(int index) const {
  if (index < 0 || index >= entries_.size()) return nullptr;
  return &entries_[index];
}

void RecentFiles::load(const pxsettings::SettingsStore& store) {
  entries_.clear();
  const int count = store.recentCount();
  for (int n = 1; n <= count && entries_.size() < kMaxEntries; ++n) {
    const QString path = store.recentFileName(n);
    if (path.isEmpty()) continue;
    bool listed = false;
    for (const Entry& e : entries_) listed = listed || e.path == path;
    if (!listed) entries_.append({path, store.recentFileType(n)});
  }
}

void RecentFiles::save(pxsettings::SettingsStore& store) const {
  store.deleteSection(kSection);
  store.setInteger(pxsettings::Key::RecentCount, size());
  for (int i = 0; i < size(); ++i)
    store.setRecentFile(i + 1, entries_[i].path, entries_[i].fileType);
}
