// Whole-melody transformations on caller records, and the velocity/volume-level mapping.
#pragma once

#include <cstdint>

#include "rvmelody.h"

namespace rv {

// Phone volume level 0..15 <-> MIDI velocity 0..127.
int32_t velocityToVolumeLevel(int32_t velocity);
int32_t volumeLevelToVelocity(int32_t level);

// rvmModifyMelody's body after its pointer checks: operation 1 (durations x factor),
// 5 (velocities to volume events), 6 (volume events to velocities).
int32_t modifyRecords(EventRecord* records, int32_t capacity, int32_t* recordCount,
                      int32_t operation, int32_t factor);

}  // namespace rv
