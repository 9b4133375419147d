// How rvmReadMelo hands a read melody's events back as records.
#pragma once

#include "../model/melody.h"
#include "rvmelody.h"

namespace rv {

// Length by the ticks-to-value rule at the melody's PPQN; kinds 1, 3, 4, 5 and 6 keep their
// number and values, every other kind (pauses included) becomes a pause without values.
void fillReadRecord(const Melody& melody, const MelodyEvent& event, EventRecord& record);

}  // namespace rv
