#include "readrecords.h"

namespace rv {

void fillReadRecord(const Melody& melody, const MelodyEvent& source, EventRecord& record) {
  MelodyEvent event = source;
  record = EventRecord{};
  Melody::durationToValue(event, melody.getPPQN(), record.iSimpleLen, record.iDotLen);
  switch (event.EID) {
    case Note:
    case VolumeChange:
    case Loop:
      record.nEvent = event.EID;
      record.EventVal1 = event.value(1);
      record.EventVal2 = event.value(2);
      break;
    case StyleChange:
    case TempoChange:
      record.nEvent = event.EID;
      record.EventVal1 = event.value(1);
      break;
    default:
      record.nEvent = Pause;
      break;
  }
}

}  // namespace rv
