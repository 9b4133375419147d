#include "cablemessage.h"

#include <vector>

#include "languages/reslang.h"
#include "melody/rvtonehead.h"
#include "phonelink/modpdu.h"

namespace cableMessage {

bool SendsMelody(int mode) {
  return mode == kModeSagem || mode == kModeKeys || mode == kModeNokia || mode == kModeEmsIMelody ||
         mode == kModeSiemens;
}

bool UsesSmsFields(int mode) {
  return mode != kModeKeys && mode != kModeSiemens;
}

bool NeedsPhoneNumber(int mode, bool sendNotStore) {
  return sendNotStore && UsesSmsFields(mode);
}

int RingTypeOf(int mode) {
  switch (mode) {
    case kModeSagem:
      return modPDU::kSagemRing;
    case kModeTextSms:
      return modPDU::kTextSms;
    case kModeNokia:
      return modPDU::kNokiaRing;
    case kModeEmsIMelody:
      return modPDU::kEmsIMelody;
    default:
      return -1;
  }
}

Rendered Render(const pxvbMelody& melody, int mode, int sagemLineEnds) {
  Rendered r;
  int formatId = 0;
  std::vector<int> options;
  switch (mode) {
    case kModeSagem:
      formatId = 2;  // one SMS of at most 160 characters
      options = {160, sagemLineEnds, 0};
      break;
    case kModeNokia:
      formatId = 9;  // raw bytes with the header for port 5505, within 140 octets
      options = {1, 0, 140};
      break;
    case kModeEmsIMelody:
      formatId = 14;
      break;
    case kModeKeys:
      formatId = 3;  // keypad codes, no title line
      options = {2, 0, 0};
      break;
    case kModeSiemens:
      formatId = 10;
      break;
    default:
      r.error = QStringLiteral("This kind of sending takes no melody.");
      return r;
  }
  if (melody.size() == 0) {
    r.result = 0;
    return r;
  }
  const rvTonehead::Outcome o = rvTonehead::Melo2String(melody, formatId, options, r.data, nullptr,
                                                        rvTonehead::FormatNameRes(formatId));
  if (o.result == 0) {
    r.result = 0;
    return r;
  }
  if (o.result != 1) {
    r.error = rvTonehead::LibraryErrorText(o, [](int id) { return GetResString(id); });
    r.data.clear();
    return r;
  }
  if (r.data.isEmpty() || (formatId == 2 && (o.writerValue == 160 || o.writerValue == 4))) {
    r.result = 0;  // nothing a phone could play
    r.data.clear();
    return r;
  }
  if (mode == kModeEmsIMelody) {
    QByteArray message;
    if (modPDU::MakeEmsIMelodyData(r.data, &message) != 1) {
      r.data.clear();  // the error handler has shown why
      return r;
    }
    r.data = message;
  }
  r.result = 1;
  return r;
}

}  // namespace cableMessage
