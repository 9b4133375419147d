// Conversion between the caller's EventRecords and the library's events.
#pragma once

#include <cstdint>

#include "melody.h"
#include "rvmelody.h"

namespace rv {

// Adds every record by the addRecord rule (ticks at 384 per whole note).
void addRecords(Melody& melody, const EventRecord* records, int32_t count);

// Fills one record: length by the ticks-to-value rule at the event's own wholeTicks,
// kind unchanged, values filtered by kind.
void eventToRecord(const MelodyEvent& event, EventRecord& record);

}  // namespace rv
