// What the data-cable window sends for a melody: the library renders it in the format of
// the chosen kind (Sagem SMS text, Nokia smart messaging with its header, the EMS iMelody
// message, keypad codes for the composer, a standard MIDI file for the Siemens transfer).
#pragma once

#include <QByteArray>
#include <QString>

class pxvbMelody;

namespace cableMessage {

// The kinds of sending (`SendMode`).
enum SendMode : int {
  kModeSagem = 1,
  kModeTextSms = 2,
  kModeKeys = 3,
  kModeNokia = 4,
  kModeEmsIMelody = 7,
  kModeSiemens = 8,
};

// The Nokia writer's size limit for the data-cable message: far above what three parts
// carry, so that the writer never shortens a melody that the parts could not take either.
constexpr int kNokiaWholeLimit = 4096;
// A Nokia ringtone holds at most this many instructions (notes, pauses, style, tempo and
// volume changes); a melody with more is refused rather than shortened.
constexpr int kNokiaMaxInstructions = 255;
constexpr int kResNokiaTooManyEvents = 2105;
constexpr int kResEmsTooLong = 2106;
constexpr int kResNokiaOctavesTooMany = 2107;
constexpr int kResSagemTooLong = 2108;

// The codes the Sagem text of the whole melody (no size limit) would hold; -1 when the
// library cannot render it.
int SagemCodesOfWhole(const pxvbMelody& melody, int lineEnds);
// The notes and pauses of a melody: what the one-message formats count as written.
int NotesAndPauses(const pxvbMelody& melody);

// True for the modes that send the melody (not a typed text).
bool SendsMelody(int mode);
// The ring type of SendSmsPdu for an SMS mode; -1 for the others.
int RingTypeOf(int mode);
// True when the mode sends an SMS to a number (not stored in the phone, not typed in by
// key presses or copied as a file): an empty number is refused before the port opens.
bool NeedsPhoneNumber(int mode, bool sendNotStore);
// True when the number box holds a number: at least one digit.
bool HasPhoneNumber(const QString& text);
// True when the controls of the phone number and the SMS flags apply to the mode.
bool UsesSmsFields(int mode);

struct Rendered {
  int result = -1;  // 1 done, 0 the melody is empty, -1 failed (error says why, unless the
                    // PDU module's error handler has shown it already)
  QByteArray data;
  QString error;
};

// Renders the melody for a mode. sagemLineEnds: the stored line-end choice of the Sagem
// text. The EMS iMelody message comes out whole (header and display text) when it fits
// one SMS; a longer one as its iMelody objects one after the other (emsimelody.h), which
// modPDU::MakeMessageParts sends one per part.
Rendered Render(const pxvbMelody& melody, int mode, int sagemLineEnds);

}  // namespace cableMessage
