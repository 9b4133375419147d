#include "melody/pxvbmelody.h"

#include <algorithm>
#include <cmath>

#include "melody/rvtonehead.h"

const pxvbNote* pxvbMelody::at(int pos) const {
  return valid(pos) ? &events_[pos] : nullptr;
}

int pxvbMelody::getEvent(int pos) const {
  return valid(pos) ? events_[pos].nEvent() : -1;
}

int pxvbMelody::setEvent(int pos, int kind) {
  if (!valid(pos)) return -1;
  events_[pos].setnEvent(kind);
  return 1;
}

int pxvbMelody::getSimpleLen(int pos) const {
  return valid(pos) ? events_[pos].iSimpleLen() : 0;
}

void pxvbMelody::setSimpleLen(int pos, int v) {
  if (valid(pos)) events_[pos].setiSimpleLen(v);
}

int pxvbMelody::getDotLen(int pos) const {
  return valid(pos) ? events_[pos].iDotLen() : 0;
}

void pxvbMelody::setDotLen(int pos, int v) {
  if (valid(pos)) events_[pos].setiDotLen(v);
}

int pxvbMelody::getEventVal1(int pos) const {
  return valid(pos) ? events_[pos].getEventVal1() : 0;
}
int pxvbMelody::getEventVal2(int pos) const {
  return valid(pos) ? events_[pos].getEventVal2() : 0;
}
int pxvbMelody::getEventVal3(int pos) const {
  return valid(pos) ? events_[pos].getEventVal3() : 0;
}
int pxvbMelody::getEventVal4(int pos) const {
  return valid(pos) ? events_[pos].getEventVal4() : 0;
}

void pxvbMelody::setEventVal1(int pos, int v) {
  if (valid(pos)) events_[pos].setEventVal1(v);
}

void pxvbMelody::SetEventVal(int pos, int v1, int v2, int v3, int v4) {
  if (valid(pos)) events_[pos].SetEventVal(v1, v2, v3, v4);
}

void pxvbMelody::setSimpleTime(int pos, int len, int dot) {
  if (!valid(pos)) return;
  events_[pos].setiSimpleLen(len);
  events_[pos].setiDotLen(dot);
}

bool pxvbMelody::getclNote(int pos, pxvbNote& out) const {
  if (!valid(pos)) return false;
  out.assign(events_[pos]);
  return true;
}

bool pxvbMelody::setclNote(int pos, const pxvbNote& in) {
  if (!valid(pos)) return false;
  events_[pos].assign(in);
  return true;
}

int pxvbMelody::getOldDllNote(int pos, int& len, int& dot, int& note, int& pause) const {
  if (!valid(pos)) return -1;
  const pxvbNote& e = events_[pos];
  if (e.nEvent() != RV_EVENT_NOTE && e.nEvent() != RV_EVENT_PAUSE) return -1;
  len = e.iSimpleLen();
  dot = e.iDotLen();
  note = e.iNote();
  pause = e.nEvent() == RV_EVENT_PAUSE ? 1 : 0;
  return 1;
}

int pxvbMelody::getiMelVolume(int pos) const {
  if (!valid(pos) || events_[pos].nEvent() != RV_EVENT_VOLUME) return 15;
  const pxvbNote& e = events_[pos];
  if (e.getEventVal1() == 1) return e.getEventVal2();
  int step = 15;
  if (rvTonehead::MVelo2iVol(e.getEventVal2(), step) != 1) return 15;
  return step;
}

void pxvbMelody::resize(int n) {
  n = std::clamp(n, 0, kHardLimit);
  events_.resize(static_cast<size_t>(n));
}

int pxvbMelody::addevent(int len, int dot, int kind, int v1, int v2, int v3, int v4) {
  if (size() >= kHardLimit) return -1;
  pxvbNote e;
  e.SetEventVal(v1, v2, v3, v4);
  e.setiSimpleLen(len);
  e.setiDotLen(dot);
  e.setnEvent(kind);
  events_.push_back(e);
  return 1;
}

void pxvbMelody::merase(int pos, int n) {
  if (events_.empty() || !valid(pos) || n < 1) return;
  n = std::min(n, size() - pos);
  events_.erase(events_.begin() + pos, events_.begin() + pos + n);
}

void pxvbMelody::mInsert(int pos, int n) {
  if (pos < 0 || pos > size() || n < 1 || n > kHardLimit - size()) return;
  events_.insert(events_.begin() + pos, static_cast<size_t>(n), pxvbNote());
}

void pxvbMelody::insertEvents(const pxvbMelody& src, int pos, int n, bool throughSetters) {
  if (pos < 0 || pos > size() || n < 1) return;
  n = std::min(n, src.size());
  if (n < 1 || n > kHardLimit - size()) return;
  // Copy first: src may be this melody.
  std::vector<pxvbNote> part(src.events_.begin(), src.events_.begin() + n);
  if (throughSetters) {
    mInsert(pos, n);
    for (int i = 0; i < n; ++i) {
      pxvbNote& d = events_[pos + i];
      const pxvbNote& s = part[i];
      d.setnEvent(s.nEvent());
      d.SetEventVal(s.getEventVal1(), s.getEventVal2(), s.getEventVal3(), s.getEventVal4());
      d.setiSimpleLen(s.iSimpleLen());
      d.setiDotLen(s.iDotLen());
      d.setiError(s.iError());
    }
  } else {
    events_.insert(events_.begin() + pos, part.begin(), part.end());
  }
}

void pxvbMelody::insert(const pxvbMelody& src, int pos, int n) {
  insertEvents(src, pos, n, false);
}

void pxvbMelody::insert2(const pxvbMelody& src, int pos, int n) {
  insertEvents(src, pos, n, true);
}

void pxvbMelody::assign(const pxvbMelody& src, int n) {
  if (&src == this) {
    const pxvbMelody copy = src;
    assign(copy, n);
    return;
  }
  if (n < 0 || n > src.size()) n = src.size();
  events_.clear();
  for (int i = 0; i < n; ++i) {
    const pxvbNote& e = src.events_[i];
    addevent(e.iSimpleLen(), e.iDotLen(), e.nEvent(), e.getEventVal1(), e.getEventVal2(),
             e.getEventVal3(), e.getEventVal4());
  }
  setbpm(src.bpm());
  setStyle(src.Style());
  setvolume(src.volume());
  setsCopyright(src.sCopyright());
  setsComposer(src.sComposer());
  setsName(src.sName());
  setDefStyle(src.DefStyle());
}

void pxvbMelody::ChangeNote(int d) {
  for (pxvbNote& e : events_) {
    if (e.nEvent() != RV_EVENT_NOTE) continue;
    const long long k = static_cast<long long>(e.iNote()) + d;
    e.setiNote(static_cast<int>(std::clamp(k, 0LL, 127LL)));
  }
}

namespace {
// One note value longer: 2->1 ... 64->32; above 64 -> 64; other lengths of 2 or more -> 4.
int longerValue(int len) {
  switch (len) {
    case 0:
      return 0;
    case 2:
    case 4:
    case 8:
    case 16:
    case 32:
    case 64:
      return len / 2;
    default:
      if (len > 64) return 64;
      return len >= 2 ? 4 : 1;
  }
}
}  // namespace

// Lengths from shorter to longer: L, L dotted (x3/2), L dot 3 (x5/3), L double dotted
// (x7/4), 2L. Control events (no length) keep their dot.
void pxvbMelody::LongerLen() {
  for (pxvbNote& e : events_) {
    const int len = e.iSimpleLen();
    if (len == 0) continue;
    switch (e.iDotLen()) {
      case 0:
        e.setiDotLen(1);
        break;
      case 1:
        e.setiDotLen(3);
        break;
      case 3:
        e.setiDotLen(2);
        break;
      default:
        if (len == 1) break;
        e.setiSimpleLen(longerValue(len));
        e.setiDotLen(0);
        break;
    }
  }
}

void pxvbMelody::ShorterLen() {
  for (pxvbNote& e : events_) {
    const int len = e.iSimpleLen();
    if (len == 0) continue;
    switch (e.iDotLen()) {
      case 2:
        e.setiDotLen(3);
        break;
      case 3:
        e.setiDotLen(1);
        break;
      case 1:
        e.setiDotLen(0);
        break;
      default:
        if (len < 0) {
          e.setiSimpleLen(1);
        } else if (len > 32) {
          e.setiSimpleLen(64);
        } else {
          e.setiSimpleLen(len * 2);
          e.setiDotLen(2);
        }
        break;
    }
  }
}

void pxvbMelody::Limit2Scale(int vLenLong, int vLenShort, int vNoteHigh, int vNoteLow,
                             int vDotMax) {
  for (pxvbNote& e : events_) {
    const int len = e.iSimpleLen();
    if (len != 0 && len < vLenLong)
      e.setiSimpleLen(vLenLong);
    else if (len != 0 && len > vLenShort)
      e.setiSimpleLen(vLenShort);
    if (e.iDotLen() > vDotMax) e.setiDotLen(vDotMax);
    if (e.nEvent() == RV_EVENT_NOTE) {
      if (e.iNote() < vNoteLow)
        e.setiNote(vNoteLow);
      else if (e.iNote() > vNoteHigh)
        e.setiNote(vNoteHigh);
    }
  }
}

void pxvbMelody::HiLoNote(int& hi, int& lo) const {
  bool found = false;
  hi = 0;
  lo = 0;
  for (const pxvbNote& e : events_) {
    if (e.nEvent() != RV_EVENT_NOTE) continue;
    const int k = e.iNote();
    if (!found) {
      hi = lo = k;
      found = true;
    } else if (k > hi) {
      hi = k;
    } else if (k < lo) {
      lo = k;
    }
  }
}

int pxvbMelody::MoveToScale(int hi, int lo) {
  if (events_.empty()) return -1;
  const bool hasNote = std::any_of(events_.begin(), events_.end(),
                                   [](const pxvbNote& e) { return e.nEvent() == RV_EVENT_NOTE; });
  if (!hasNote) return 2;
  int h = 0, l = 0;
  HiLoNote(h, l);
  if (h <= hi && l >= lo) return 2;
  if (static_cast<long long>(h) - l > static_cast<long long>(hi) - lo) return -1;
  ChangeNote(h <= hi ? lo - l : -(h - hi));
  return 1;
}

int pxvbMelody::miditime(int pos) const {
  if (!valid(pos)) return 0;
  const int len = events_[pos].iSimpleLen();
  if (len <= 0) return 0;
  const double ticks = std::round(384.0 / len);
  switch (events_[pos].iDotLen()) {
    case 1:
      return static_cast<int>(std::round(ticks * 3 / 2));
    case 2:
      return static_cast<int>(std::round(ticks * 7 / 4));
    case 3:
      return static_cast<int>(std::round(ticks * 5 / 3));
    default:
      return static_cast<int>(ticks);
  }
}

int pxvbMelody::realtime(int pos) const {
  if (!valid(pos) || events_[pos].iSimpleLen() == 0) return 0;
  const float ms =
      (60.0f / static_cast<float>(bpm_)) * (static_cast<float>(miditime(pos)) / 96.0f) * 1000.0f;
  return static_cast<int>(std::floor(ms));
}

int pxvbMelody::realtimeadv(int pos, int& gap, int style) const {
  const int t = realtime(pos);
  if (style == RV_STYLE_NATURAL)
    gap = t / 4;
  else if (style == RV_STYLE_STACCATO)
    gap = t / 2;
  else
    gap = 0;
  return t - gap;
}
