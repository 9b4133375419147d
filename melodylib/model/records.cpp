#include "records.h"

namespace rv {

void addRecords(Melody& melody, const EventRecord* records, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    const EventRecord& r = records[i];
    melody.addRecord(r.iSimpleLen, r.iDotLen, r.nEvent, r.EventVal1, r.EventVal2, r.EventVal3,
                     r.EventVal4);
  }
}

void eventToRecord(const MelodyEvent& event, EventRecord& record) {
  ticksToValue(event.duration, event.wholeTicks, record.iSimpleLen, record.iDotLen);
  record.nEvent = event.EID;
  record.EventVal1 = event.value(1);
  record.EventVal2 = event.value(2);
  record.EventVal3 = event.value(3);
  record.EventVal4 = event.value(4);
}

}  // namespace rv
