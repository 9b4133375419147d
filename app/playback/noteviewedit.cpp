#include "playback/noteviewedit.h"

#include <algorithm>

#include "melody/rvtonehead.h"

void NoteviewEdit::load(const pxvbMelody& source) {
  melody_.assign(source);
  melody_.Limit2Scale(kLenLong, kLenShort, kNoteHigh, kNoteLow, kDotMax);
  selected_ = melody_.size() > 0 ? 0 : -1;
}

bool NoteviewEdit::select(int pos) {
  if (pos < 0 || pos >= melody_.size()) return false;
  selected_ = pos;
  return true;
}

// The new event copies the pitch and velocity of the selected note, else 69 at 127.
bool NoteviewEdit::insertNew(int pos) {
  if (melody_.size() >= rvTonehead::maxEvents()) return false;
  int note = kDefaultNote, velocity = kDefaultVelocity;
  if (hasSelection() && melody_.getEvent(selected_) == RV_EVENT_NOTE) {
    note = melody_.getEventVal1(selected_);
    velocity = melody_.getEventVal2(selected_);
  }
  pos = std::clamp(pos, 0, melody_.size());
  melody_.mInsert(pos, 1);
  melody_.setEvent(pos, RV_EVENT_NOTE);
  melody_.SetEventVal(pos, note, velocity);
  melody_.setSimpleTime(pos, 8, 0);
  selected_ = pos;
  return true;
}

bool NoteviewEdit::apply(const QString& key) {
  const bool empty = melody_.size() == 0;
  if (key == QLatin1String("newn") || key == QLatin1String("newnm"))
    return empty ? insertNew(0) : hasSelection() && insertNew(selected_);
  if (key == QLatin1String("newna"))
    return empty ? insertNew(0) : hasSelection() && insertNew(selected_ + 1);
  if (!hasSelection()) return false;
  const int pos = selected_;

  if ((key.startsWith('n') || key.startsWith('p')) && key.size() <= 3) {
    bool ok = false;
    const int len = key.mid(1).toInt(&ok);
    if (!ok || len < kLenLong || len > kLenShort || (len & (len - 1)) != 0) return false;
    if (key.startsWith('p')) {
      melody_.setEvent(pos, RV_EVENT_PAUSE);
      melody_.SetEventVal(pos);
    } else if (melody_.getEvent(pos) != RV_EVENT_NOTE) {
      melody_.setEvent(pos, RV_EVENT_NOTE);
      melody_.SetEventVal(pos, kDefaultNote, kDefaultVelocity);
    }
    melody_.setSimpleLen(pos, len);
    return true;
  }
  if (key == QLatin1String("dott")) {
    static constexpr int kNext[] = {1, 3, 0, 2};  // 0 -> 1 -> 3 -> 2 -> 0
    melody_.setDotLen(pos, std::min(kNext[std::clamp(melody_.getDotLen(pos), 0, 3)], kDotMax));
    return true;
  }
  if (key == QLatin1String("del")) {
    melody_.merase(pos, 1);
    selected_ = melody_.size() == 0 ? -1 : std::min(pos, melody_.last());
    return true;
  }
  const int style = key == QLatin1String("sn")   ? 0
                    : key == QLatin1String("sc") ? 1
                    : key == QLatin1String("ss") ? 2
                                                 : -1;
  if (style < 0) return false;
  melody_.setEvent(pos, RV_EVENT_STYLE);
  melody_.SetEventVal(pos, style);
  melody_.setSimpleTime(pos, 0, 0);
  return true;
}

bool NoteviewEdit::setVolume(int velocity) {
  if (!hasSelection()) return false;
  melody_.setEvent(selected_, RV_EVENT_VOLUME);
  melody_.SetEventVal(selected_, 0, std::clamp(velocity, 0, 127));
  melody_.setSimpleTime(selected_, 0, 0);
  return true;
}

bool NoteviewEdit::paste(const pxvbMelody& src) {
  // Only as many events as the melody still has room for.
  const int n = std::min(src.size(), rvTonehead::maxEvents() - melody_.size());
  if (n < 1) return false;
  if (melody_.size() == 0) {
    melody_.insert(src, 0, n);
    selected_ = 0;
  } else {
    if (!hasSelection()) return false;
    melody_.insert(src, selected_, n);
  }
  melody_.Limit2Scale(kLenLong, kLenShort, kNoteHigh, kNoteLow, kDotMax);
  return true;
}

bool NoteviewEdit::higher() {
  if (!hasSelection() || melody_.getEvent(selected_) != RV_EVENT_NOTE) return false;
  const int note = melody_.getEventVal1(selected_);
  melody_.setEventVal1(selected_, std::min(note + 1, kNoteHigh));
  return note < kNoteHigh;
}

bool NoteviewEdit::lower() {
  if (!hasSelection() || melody_.getEvent(selected_) != RV_EVENT_NOTE) return false;
  const int note = melody_.getEventVal1(selected_);
  melody_.setEventVal1(selected_, std::max(note - 1, kNoteLow));
  return note > kNoteLow;
}

void NoteviewEdit::visibleRange(int octave, int& low, int& high) {
  low = std::clamp(octave * 12 - 3, 0, 127);
  high = std::clamp(octave * 12 + 25, 0, 127);
}

int NoteviewEdit::octaveForMelody(const pxvbMelody& melody) {
  int low = 128, high = -1;
  for (int i = 0; i < melody.size(); ++i) {
    if (melody.getEvent(i) != RV_EVENT_NOTE) continue;
    low = std::min(low, melody.getEventVal1(i));
    high = std::max(high, melody.getEventVal1(i));
  }
  if (high < 0) return kDefaultOctave;
  // Octave o shows o*12-3 .. o*12+25, centred on o*12+11.
  const int centre = (low + high) / 2;
  return std::clamp((centre - 11 + 6) / 12, 0, kMaxOctave);
}

int NoteviewEdit::octaveShowing(int shown, int pos) const {
  if (melody_.getEvent(pos) != RV_EVENT_NOTE) return shown;
  const int note = melody_.getEventVal1(pos);
  int low, high;
  visibleRange(shown, low, high);
  return note < low || note > high ? octaveFor(note) : shown;
}

int NoteviewEdit::octaveFor(int note) {
  for (int o = 0; o <= kMaxOctave; ++o) {
    int low, high;
    visibleRange(o, low, high);
    if (note >= low && note <= high) return o;
  }
  return kMaxOctave;
}

bool NoteviewEdit::toolEnabled(const QString& key, bool eventBar) const {
  const bool empty = melody_.size() == 0;
  if (eventBar) return hasSelection() || (empty && (key == "newnm" || key == "paste"));
  return hasSelection() || key == "newn" || key == "newna" || key.startsWith("zoom") ||
         (empty && key.startsWith("new"));
}

int NoteviewEdit::TempoFromText(const QString& text) {
  bool ok = false;
  const int bpm = text.trimmed().toInt(&ok);
  if (!ok || bpm < 1) return 120;
  return std::min(bpm, 999);
}

int64_t NoteviewEdit::expectedMs() const {
  int64_t expected = 0;
  for (int i = 0; i < melody_.size(); ++i) expected += melody_.realtime(i);
  return expected;
}
