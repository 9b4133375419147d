#include "playback/playschedule.h"

#include <algorithm>

#include "melody/pxvbmelody.h"

namespace pxplay {

std::vector<TimedMessage> Schedule::messages() const {
  std::vector<TimedMessage> out;
  for (const ScheduledEvent& e : events) {
    if (!e.note) continue;
    out.push_back({e.startMs, e.event, kNoteOn, e.key, e.velocity});
    out.push_back({e.soundEndMs, e.event, kNoteOff, e.key, 127});
  }
  return out;
}

Schedule computeSchedule(const pxvbMelody& melody, bool ignoreVolume) {
  Schedule s;
  int style = melody.DefStyle();
  // Kept wide: repeated relative changes must not overflow before a note clamps them.
  long long velocity = 127;
  bool volumeSeen = false;
  int64_t t = 0;
  s.events.reserve(melody.size());
  for (int i = 0; i < melody.size(); ++i) {
    ScheduledEvent e;
    e.event = i;
    e.startMs = t;
    switch (melody.getEvent(i)) {
      case RV_EVENT_NOTE: {
        if (ignoreVolume)
          velocity = 127;
        else if (!volumeSeen)
          velocity = melody.getEventVal2(i);
        velocity = std::clamp<long long>(velocity, 0, 127);
        e.note = true;
        e.key = std::clamp(melody.getEventVal1(i), 0, 127);
        e.velocity = static_cast<int>(velocity);
        break;
      }
      case RV_EVENT_STYLE:
        style = melody.getEventVal1(i);
        break;
      case RV_EVENT_VOLUME:
        volumeSeen = true;
        if (melody.getEventVal1(i) == 1)
          velocity += melody.getEventVal2(i) == 1 ? 8 : -8;
        else
          velocity = melody.getEventVal2(i);
        break;
      default:
        break;
    }
    e.style = style;
    int gap = 0;
    const int sound = melody.realtimeadv(i, gap, style);
    e.soundEndMs = t + std::max(sound, 0);
    e.endMs = e.soundEndMs + std::max(gap, 0);
    t = e.endMs;
    s.events.push_back(e);
  }
  s.totalMs = t;
  return s;
}

}  // namespace pxplay
