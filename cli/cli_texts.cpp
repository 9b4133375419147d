// The words pealix-cli prints for result codes, lengths and events.
#include "cli_common.h"
#include "document/eventlistmodel.h"
#include "rvresulttexts.h"

namespace cli {

std::string failureText(int32_t code) {
  const std::string message = takeLibraryMessage();
  return message.empty() ? resultText(code) + " (" + std::to_string(code) + ")" : message;
}

std::string resultText(int32_t code) {
  return rvresult::text(code);
}

std::string lengthWords(int32_t simpleLen, int32_t dotLen) {
  static const char* names[] = {"whole", "half", "quarter", "eighth",
                                "16th",  "32nd", "64th",    "128th"};
  std::string base;
  for (int i = 0; i < 8; ++i)
    if (simpleLen == (1 << i)) base = names[i];
  if (base.empty()) return simpleLen == 0 ? "-" : "1/" + std::to_string(simpleLen);
  static const char* dots[] = {"", "dotted ", "double-dotted ", "5/3 "};
  return (dotLen >= 0 && dotLen <= 3 ? dots[dotLen] : "") + base;
}

std::string eventWords(const EventRecord& r) {
  switch (r.nEvent) {
    case RV_EVENT_NOTE: {
      // The window's note names: key 60 is C5.
      const int key = r.EventVal1;
      std::string name = key >= 0 && key <= 127 ? eventrows::NoteName(key).toStdString() : "?";
      return "note " + name + " (key " + std::to_string(key) + ", velocity " +
             std::to_string(r.EventVal2) + ")";
    }
    case RV_EVENT_STYLE: {
      static const char* styles[] = {"natural", "continuous", "staccato"};
      return std::string("style ") +
             (r.EventVal1 >= 0 && r.EventVal1 <= 2 ? styles[r.EventVal1] : "?");
    }
    case RV_EVENT_TEMPO:
      return "tempo " + std::to_string(r.EventVal1) + " bpm";
    case RV_EVENT_VOLUME:
      return r.EventVal1 == 0 ? "volume " + std::to_string(r.EventVal2)
                              : std::string("volume ") + (r.EventVal2 == 1 ? "up" : "down");
    case RV_EVENT_LOOP:
      return "loop " + std::to_string(r.EventVal1) + " repeat " + std::to_string(r.EventVal2);
    case RV_EVENT_PAUSE:
      return "pause";
    default:
      return "event kind " + std::to_string(r.nEvent);
  }
}

}  // namespace cli
