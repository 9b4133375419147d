// One event of the application's melody: a note, a pause or a control event.
#pragma once

#include <cstdint>

#include "rvmelody.h"

class pxvbNote {
 public:
  pxvbNote() { clear(); }

  // Length denominator: 0 stays 0 (no length), below 1 becomes 1, anything else is rounded
  // down to a power of two. The field is 16 bits wide, so the largest value kept is 16384.
  int iSimpleLen() const { return simpleLen_; }
  void setiSimpleLen(int v);

  // Length modifier 0 plain, 1 x3/2, 2 x7/4, 3 x5/3; clamped into 0..3.
  int iDotLen() const { return dotLen_; }
  void setiDotLen(int v);

  // Error or warning mark (16 bits; values beyond are clamped).
  int iError() const { return error_; }
  void setiError(int v);

  int nEvent() const { return event_; }
  void setnEvent(int v) { event_ = v; }

  // Note number of a note event; 0 for any other kind. Setting it makes the event a note.
  int iNote() const { return event_ == RV_EVENT_NOTE ? val_[0] : 0; }
  void setiNote(int v) {
    val_[0] = v;
    event_ = RV_EVENT_NOTE;
  }

  // Every event that is not a note counts as a pause here.
  bool bolPause() const { return event_ != RV_EVENT_NOTE; }
  void setbolPause(bool pause) { event_ = pause ? RV_EVENT_PAUSE : RV_EVENT_NOTE; }

  void SetEventVal(int v1 = 0, int v2 = 0, int v3 = 0, int v4 = 0);
  int GetEventVal(int& v1, int& v2, int& v3, int& v4) const;
  int getEventVal1() const { return val_[0]; }
  int getEventVal2() const { return val_[1]; }
  int getEventVal3() const { return val_[2]; }
  int getEventVal4() const { return val_[3]; }
  void setEventVal1(int v) { val_[0] = v; }
  void setEventVal2(int v) { val_[1] = v; }

  // A pause of no length with all values 0.
  void clear();

  // Copies any event-like object (one with these members) in the fixed order kind, dot,
  // values, length, error mark.
  template <class T>
  void assign(const T& o) {
    setnEvent(o.nEvent());
    setiDotLen(o.iDotLen());
    SetEventVal(o.getEventVal1(), o.getEventVal2(), o.getEventVal3(), o.getEventVal4());
    setiSimpleLen(o.iSimpleLen());
    setiError(o.iError());
  }

  bool operator==(const pxvbNote&) const = default;

 private:
  int16_t simpleLen_ = 0;
  int16_t dotLen_ = 0;
  int16_t error_ = 0;
  int32_t event_ = RV_EVENT_PAUSE;
  int32_t val_[4] = {0, 0, 0, 0};
};
