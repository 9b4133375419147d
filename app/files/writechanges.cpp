#include "files/writechanges.h"

#include <algorithm>
#include <cstdlib>

namespace writechanges {
namespace {

constexpr int kResMovedUp = 2800;
constexpr int kResMovedDown = 2801;
constexpr int kResMovedUpOne = 2802;
constexpr int kResMovedDownOne = 2803;
constexpr int kResNotesMoved = 2804;
constexpr int kResKeypressName = 2805;
constexpr int kResOutsideRange = 2807;

struct KeyRange {
  int formatId, lo, hi;
};
// The writers that fit notes without a reader of their text.
constexpr KeyRange kUnreadRanges[] = {{3, 57, 85}, {8, 60, 83}, {12, 59, 89}};

}  // namespace

PitchChange ComparePitches(const QList<int>& given, const QList<int>& written) {
  PitchChange c;
  const qsizetype n = std::min(given.size(), written.size());
  bool same = n > 0;
  for (qsizetype i = 0; i < n; ++i) {
    const int d = written[i] - given[i];
    if (d != 0) ++c.changed;
    if (d != written[0] - given[0]) same = false;
  }
  if (same && c.changed > 0) c.shift = written[0] - given[0];
  return c;
}

int NotesOutsideWriterRange(int formatId, const QList<int>& keys) {
  for (const KeyRange& r : kUnreadRanges)
    if (r.formatId == formatId)
      return static_cast<int>(
          std::count_if(keys.begin(), keys.end(), [&](int k) { return k < r.lo || k > r.hi; }));
  return 0;
}

int WriterNameRes(int formatId) {
  switch (formatId) {
    case 2:
      return 846;
    case 3:
      return kResKeypressName;
    case 7:
      return 850;
    case 8:
      return 847;
    case 9:
      return 831;
    case 12:
      return 848;
    case 14:
      return 996;
    default:
      return 0;
  }
}

QString PitchChangeText(int formatId, const PitchChange& change,
                        const std::function<QString(int)>& res) {
  if (change.changed == 0) return {};
  const int nameRes = WriterNameRes(formatId);
  const QString name = nameRes ? res(nameRes) : QString();
  if (change.shift == 1) return res(kResMovedUpOne).arg(name);
  if (change.shift == -1) return res(kResMovedDownOne).arg(name);
  if (change.shift > 0) return res(kResMovedUp).arg(name).arg(change.shift);
  if (change.shift < 0) return res(kResMovedDown).arg(name).arg(-change.shift);
  return res(kResNotesMoved).arg(name).arg(change.changed);
}

QString OutsideRangeText(int formatId, const QList<int>& keys,
                         const std::function<QString(int)>& res) {
  const int outside = NotesOutsideWriterRange(formatId, keys);
  if (outside == 0) return {};
  return res(kResOutsideRange).arg(res(WriterNameRes(formatId))).arg(outside);
}

}  // namespace writechanges
