#include "cablemessage.h"

#include <algorithm>
#include <vector>

#include "languages/reslang.h"
#include "melody/rvtonehead.h"
#include "phonelink/emsimelody.h"
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

bool HasPhoneNumber(const QString& text) {
  for (const QChar c : text)
    if (c.isDigit()) return true;
  return false;
}

int SagemCodesOfWhole(const pxvbMelody& melody, int lineEnds) {
  QByteArray whole;
  if (rvTonehead::Melo2String(melody, RV_FORMAT_SAGEM, {0, lineEnds, 0}, whole).result != 1)
    return -1;
  return rvTonehead::CountNotes(whole, RV_COUNT_SAGEM_CODES);
}

int NotesAndPauses(const pxvbMelody& melody) {
  int n = 0;
  for (int i = 0; i < melody.size(); ++i)
    if (melody.getEvent(i) == RV_EVENT_NOTE || melody.getEvent(i) == RV_EVENT_PAUSE) ++n;
  return n;
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
      formatId = RV_FORMAT_SAGEM;  // one SMS of at most 160 characters
      options = {160, sagemLineEnds, 0};
      break;
    case kModeNokia:
      // Raw bytes with the header for port 5505, whole: a ringtone longer than one SMS
      // goes in up to three parts, and one longer than that is refused before sending
      // (modPDU), never shortened here.
      formatId = RV_FORMAT_NOKIA;
      options = {1, 0, kNokiaWholeLimit};
      break;
    case kModeEmsIMelody:
      formatId = RV_FORMAT_IMELODY;
      break;
    case kModeKeys:
      formatId = RV_FORMAT_KEYPRESS;  // keypad codes, no title line
      options = {2, 0, 0};
      break;
    case kModeSiemens:
      formatId = RV_FORMAT_MIDI;
      break;
    default:
      r.error = QStringLiteral("This kind of sending takes no melody.");
      return r;
  }
  if (melody.size() == 0) {
    r.result = 0;
    return r;
  }
  if (mode == kModeNokia) {
    // The ringtone's 8-bit instruction count: the writer would drop what lies beyond.
    int instructions = 0;
    for (int i = 0; i < melody.size(); ++i)
      if (melody.getEvent(i) != RV_EVENT_LOOP) ++instructions;  // loop markers write nothing
    if (instructions > kNokiaMaxInstructions) {
      r.error = GetResString(kResNokiaTooManyEvents).arg(instructions).arg(kNokiaMaxInstructions);
      return r;
    }
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
  if (r.data.isEmpty() ||
      (formatId == RV_FORMAT_SAGEM &&
       (o.writerValue == RV_SAGEM_LIMIT_TOO_SMALL || o.writerValue == RV_SAGEM_NO_CODES))) {
    r.result = 0;  // nothing a phone could play
    r.data.clear();
    return r;
  }
  if (mode == kModeSagem) {
    // The SMS takes at most 160 characters; the writer stops where they are full. A
    // melody cut there is refused: the whole text would announce more codes.
    const int written = rvTonehead::CountNotes(r.data, RV_COUNT_SAGEM_CODES);
    const int codes = SagemCodesOfWhole(melody, sagemLineEnds);
    if (written < codes) {
      r.error = GetResString(kResSagemTooLong).arg(written).arg(codes);
      r.data.clear();
      return r;
    }
  }
  if (mode == kModeNokia) {
    const int notes = NotesAndPauses(melody);
    // The note and pause instructions the library finds in its ringtone: the writer leaves
    // out what lies beyond 255 instructions, and the octave changes it adds count among
    // them, so fewer notes than the melody's means a cut.
    const int written = rvTonehead::CountNotes(r.data, RV_COUNT_NOKIA_NOTES_BEHIND_HEADER);
    if (written < notes) {
      r.error = GetResString(kResNokiaOctavesTooMany)
                    .arg(kNokiaMaxInstructions)
                    .arg(std::max(written, 0))
                    .arg(notes);
      r.data.clear();
      return r;
    }
  }
  if (mode == kModeEmsIMelody) {
    // The library's iMelody text for a message ends where one SMS is full; a longer
    // melody goes as several objects, one per part (refused over three when sending).
    const int notes = NotesAndPauses(melody);
    const int written = rvTonehead::CountNotes(r.data, RV_COUNT_IMELODY_NOTES);
    if (written < notes) {
      const QList<QByteArray> objects = emsIMelody::Objects(melody);
      if (objects.isEmpty()) {
        r.error = GetResString(kResEmsTooLong).arg(written).arg(notes);
        r.data.clear();
        return r;
      }
      r.data = objects.join();
      r.result = 1;
      return r;
    }
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
