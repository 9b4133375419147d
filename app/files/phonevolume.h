// The sixteen volume steps of phone ringtones (0 silent .. 15 loudest) as MIDI velocities,
// the same steps the melody library maps volume changes through.
#pragma once

#include <algorithm>

#include "rvmelody.h"
#include "rvphonetables.h"

inline int PhoneVolumeToVelocity(int level) {
  return rvphone::kLevelVelocity[std::clamp(level, 0, 15)];
}

// Event kinds and values of the application's melody that the phone-format readers create.
namespace phoneimport {
enum : int {
  kNote = RV_EVENT_NOTE,
  kStyle = RV_EVENT_STYLE,
  kTempo = RV_EVENT_TEMPO,
  kVolume = RV_EVENT_VOLUME,
  kPause = RV_EVENT_PAUSE
};
// Velocity of every note read: these formats carry loudness only as volume changes.
constexpr int kNoteVelocity = 127;
// Unrolling repeats stops a file from growing past this many events.
constexpr int kMaxEvents = 20000;
}  // namespace phoneimport
