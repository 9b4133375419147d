// The melody's events and their editing: creation rules by kind, values, adding,
// copying, erasing and the melody's own settings.
#include "melody.h"

#include <algorithm>
#include <limits>

namespace rv {

bool kindHasValue(int32_t kind, int index) {
  switch (kind) {
    case Note:
    case VolumeChange:
    case Loop:
      return index == 1 || index == 2;
    case StyleChange:
    case TempoChange:
      return index == 1;
    case Pause:
      return false;
    default:
      return true;
  }
}

void MelodyEvent::create(int32_t kind, int32_t duration, int32_t v1, int32_t v2, int32_t v3,
                         int32_t v4) {
  // The kind is kept in 16 bits; the creation rules follow the kind as stored.
  EID = static_cast<int16_t>(kind);
  EventVal1 = EventVal2 = EventVal3 = EventVal4 = 0;
  this->duration = duration;
  switch (EID) {
    case Note:
      EventVal1 = v1 > noteCeiling ? 127 : v1;
      EventVal2 = v2;
      break;
    case StyleChange:
      EventVal1 = (v1 < 0 || v1 > 2) ? 0 : v1;
      this->duration = 0;
      break;
    case TempoChange:
      EventVal1 = v1 <= 0 ? 120 : v1;
      this->duration = 0;
      break;
    case VolumeChange:
      EventVal1 = (v1 == 0 || v1 == 1) ? v1 : 0;
      EventVal2 = v2;
      this->duration = 0;
      break;
    case Loop:
      EventVal1 = v1;
      EventVal2 = v2;
      this->duration = 0;
      break;
    case Pause:
      break;
    default:
      EventVal1 = v1;
      EventVal2 = v2;
      EventVal3 = v3;
      EventVal4 = v4;
      break;
  }
}

int32_t MelodyEvent::value(int index) const {
  if (index < 1 || index > 4) return 0;
  if (accessMode != 2 && !kindHasValue(EID, index)) return 0;
  const int32_t values[] = {EventVal1, EventVal2, EventVal3, EventVal4};
  return values[index - 1];
}

void MelodyEvent::setValue(int index, int32_t v) {
  if (index < 1 || index > 4) return;
  if (accessMode != 2 && !kindHasValue(EID, index)) v = 0;
  int32_t* values[] = {&EventVal1, &EventVal2, &EventVal3, &EventVal4};
  *values[index - 1] = v;
}

int Melody::appendRange(const Melody& source, uint32_t first, uint32_t count) {
  const size_t size = source.events_.size();
  if (first >= size) return 0;
  size_t last = size;
  if (count != 0 && count <= size - first) last = first + count;
  // Copy first: the source may be this melody.
  std::vector<MelodyEvent> copy(source.events_.begin() + first, source.events_.begin() + last);
  events_.insert(events_.end(), copy.begin(), copy.end());
  refreshCount();
  return 1;
}

void Melody::clearEvents() {
  events_.clear();
  refreshCount();
}

int Melody::removeLast(uint32_t n) {
  if (n == 0 || events_.empty()) return 0;
  events_.resize(events_.size() - std::min<size_t>(n, events_.size()));
  refreshCount();
  return 1;
}

int Melody::copyFrom(const Melody& source, uint32_t n) {
  if (&source == this) return 1;
  title = source.title;
  setBPM(source.BPM);
  Style = source.Style;
  const size_t size = source.events_.size();
  const size_t take = (n == 0 || n > size) ? size : n;
  events_.assign(source.events_.begin(), source.events_.begin() + take);
  refreshCount();
  return 1;
}

int Melody::addRecord(int32_t simpleLen, int32_t dotLen, int32_t kind, int32_t v1, int32_t v2,
                      int32_t v3, int32_t v4) {
  MelodyEvent e;
  e.create(kind, 0, v1, v2, v3, v4);
  if (dotLen == -1) {
    // A duration in ticks; a negative one is no duration at all.
    e.duration = std::max(simpleLen, 0);
  } else {
    e.setDurationFromValue(simpleLen, dotLen);
  }
  if (e.EID == StyleChange || e.EID == TempoChange || e.EID == VolumeChange || e.EID == Loop)
    e.duration = 0;
  if (!(e.EID == Pause && e.duration <= 0)) {
    events_.push_back(e);
    refreshCount();
  }
  return eventCount_;
}

void Melody::appendEvent(int32_t kind, int32_t duration, int32_t v1, int32_t v2, int32_t v3,
                         int32_t v4) {
  events_.emplace_back();
  events_.back().create(kind, duration, v1, v2, v3, v4);
  refreshCount();
}

int Melody::getEvent(uint32_t index, MelodyEvent& out) const {
  if (index >= events_.size()) return -1;
  out = events_[index];
  return 1;
}

int32_t Melody::kindAt(uint32_t index) const {
  return index < events_.size() ? events_[index].EID : -1;
}

int32_t Melody::durationAt(uint32_t index) const {
  return index < events_.size() ? events_[index].duration : 0;
}

int32_t Melody::value1At(uint32_t index) const {
  return index < events_.size() ? events_[index].value(1) : 0;
}

int32_t Melody::value2At(uint32_t index) const {
  return index < events_.size() ? events_[index].value(2) : 0;
}

int32_t Melody::value3At(uint32_t index) const {
  return index < events_.size() ? events_[index].value(3) : 0;
}

int32_t Melody::value4At(uint32_t index) const {
  return index < events_.size() ? events_[index].value(4) : 0;
}

void Melody::setKindAt(uint32_t index, int32_t kind) {
  if (index < events_.size()) events_[index].EID = static_cast<int16_t>(kind);
}

void Melody::setNoteAt(uint32_t index, int32_t key) {
  if (index >= events_.size()) return;
  events_[index].EID = Note;
  events_[index].EventVal1 = std::clamp(key, 0, 127);
}

void Melody::setDurationAt(uint32_t index, int32_t duration) {
  if (index < events_.size()) events_[index].duration = duration;
}

void Melody::setValueAt(uint32_t index, int valueIndex, int32_t value) {
  if (index < events_.size()) events_[index].setValue(valueIndex, value);
}

int Melody::setBPM(int32_t bpm) {
  if (bpm == -1) {
    BPM = 120;
    return 1;
  }
  if (bpm < 1 || bpm > 999) return 0;
  BPM = bpm;
  return 1;
}

void Melody::setStyle(int32_t style) {
  Style = static_cast<int16_t>((style < 0 || style > 2) ? 0 : style);
}

int Melody::eraseRange(uint32_t first, uint32_t count) {
  if (first >= events_.size()) return 0;
  size_t last = events_.size();
  if (count != 0 && count <= events_.size() - first) last = first + count;
  events_.erase(events_.begin() + first, events_.begin() + last);
  refreshCount();
  return 1;
}

int Melody::removeTrailing(int mode, int pausesOnly) {
  if (mode < 1 || mode > 3) return 0;
  uint32_t n = 0;
  for (size_t i = events_.size(); i > 1; --i) {
    const int16_t kind = events_[i - 1].EID;
    const bool removable = pausesOnly == 1 ? kind != Note : kind == Pause;
    if (!removable) break;
    ++n;
  }
  if (n == 0) return 0;
  removeLast(n);
  return 1;
}

void Melody::replaceEvents(std::vector<MelodyEvent> events) {
  clearEvents();
  events_ = std::move(events);
  refreshCount();
}

}  // namespace rv
