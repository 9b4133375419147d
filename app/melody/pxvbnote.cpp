#include "melody/pxvbnote.h"

#include <algorithm>

void pxvbNote::setiSimpleLen(int v) {
  if (v == 0) {
    simpleLen_ = 0;
    return;
  }
  if (v < 1) {
    simpleLen_ = 1;
    return;
  }
  int p = 1;
  while (p <= v / 2 && p < 16384) p *= 2;
  simpleLen_ = static_cast<int16_t>(p);
}

void pxvbNote::setiDotLen(int v) {
  dotLen_ = static_cast<int16_t>(std::clamp(v, 0, 3));
}

void pxvbNote::setiError(int v) {
  error_ = static_cast<int16_t>(std::clamp(v, -32768, 32767));
}

void pxvbNote::SetEventVal(int v1, int v2, int v3, int v4) {
  val_[0] = v1;
  val_[1] = v2;
  val_[2] = v3;
  val_[3] = v4;
}

int pxvbNote::GetEventVal(int& v1, int& v2, int& v3, int& v4) const {
  v1 = val_[0];
  v2 = val_[1];
  v3 = val_[2];
  v4 = val_[3];
  return val_[0];
}

void pxvbNote::clear() {
  event_ = 16;
  dotLen_ = 0;
  SetEventVal();
  simpleLen_ = 0;
  error_ = 0;
}
