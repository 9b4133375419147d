#include "emsimelody.h"

#include <algorithm>
#include <climits>

#include "melody/pxvbmelody.h"
#include "melody/rvtonehead.h"

namespace emsIMelody {
namespace {

constexpr int kNote = RV_EVENT_NOTE, kVolume = RV_EVENT_VOLUME, kPause = RV_EVENT_PAUSE;
constexpr int kImelodyFormat = RV_FORMAT_IMELODY;
constexpr int kLowest = 72, kHighest = 107;

bool writesToken(int kind) {
  return kind == kNote || kind == kPause || kind == kVolume;
}

void transpose(pxvbMelody& melody, int semitones) {
  for (int i = 0; i < melody.size(); ++i)
    if (melody.getEvent(i) == kNote)
      melody.setEventVal1(i, std::clamp(melody.getEventVal1(i) + semitones, 0, 127));
}

}  // namespace

void FitLikeStringExport(pxvbMelody& melody) {
  int first = 0;
  while (first < melody.size() && melody.getEvent(first) != kNote) ++first;
  // Like the library: no fitting when no note comes before the last event.
  if (first + 1 >= melody.size()) return;
  int above = 0, below = 0, maxKey = INT_MIN, minKey = INT_MAX;
  for (int i = first; i < melody.size(); ++i) {
    if (melody.getEvent(i) != kNote) continue;
    const int key = melody.getEventVal1(i);
    if (key < kLowest) ++below;
    if (key > kHighest) ++above;
    maxKey = std::max(maxKey, key);
    minKey = std::min(minKey, key);
  }
  const int span = maxKey - minKey;
  if (kHighest - kLowest >= span) {
    if (above == 0 && below == 0) return;
    if (above != 0) {
      const int g = (maxKey - kHighest + 11) / 12;
      transpose(melody, (minKey - kLowest) / 12 >= g ? -12 * g : kHighest - maxKey);
    } else {
      const int u = kLowest - minKey;
      const int f = (u + 11) / 12;
      transpose(melody, (kHighest - maxKey) / 12 >= f ? 12 * f : u);
    }
    return;
  }
  transpose(melody, above < below ? kLowest - minKey : kHighest - maxKey);
  for (int i = 0; i < melody.size(); ++i)
    if (melody.getEvent(i) == kNote)
      melody.setEventVal1(i, std::clamp(melody.getEventVal1(i), kLowest, kHighest));
}

QList<QByteArray> Objects(const pxvbMelody& melody) {
  pxvbMelody fitted(melody);
  FitLikeStringExport(fitted);
  QList<QByteArray> objects;
  int start = 0;
  int lastVolume = -1;  // position of the last absolute volume change before start
  while (true) {
    while (start < fitted.size() && !writesToken(fitted.getEvent(start))) ++start;
    if (start >= fitted.size()) break;
    QList<int> rows;
    const bool carryVolume =
        lastVolume >= 0 && !(fitted.getEvent(start) == kVolume && fitted.getEventVal1(start) == 0);
    if (carryVolume) rows.append(lastVolume);
    for (int i = start; i < fitted.size(); ++i) rows.append(i);

    QByteArray text;
    int written = 0;
    // The title only heads the first object, and only while a note still fits beside it.
    for (const bool titled : {objects.isEmpty(), false}) {
      fitted.setsName(titled ? melody.sName() : QString());
      const rvTonehead::Outcome o =
          rvTonehead::Melo2String(fitted, kImelodyFormat, {}, text, &rows);
      if (o.result != 1) return {};
      written = rvTonehead::CountNotes(text, RV_COUNT_IMELODY_TOKENS) - (carryVolume ? 1 : 0);
      if (written > 0 || !titled) break;
    }
    if (written <= 0) return {};
    objects.append(text);

    // The events behind the written tokens are done; the next object starts after them.
    while (start < fitted.size() && written > 0) {
      const int kind = fitted.getEvent(start);
      if (writesToken(kind)) --written;
      if (kind == kVolume && fitted.getEventVal1(start) == 0) lastVolume = start;
      ++start;
    }
  }
  return objects;
}

}  // namespace emsIMelody
