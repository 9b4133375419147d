// modPDU: turns a text or a ringtone plus the SMS parameters into one SMS-SUBMIT PDU
// through librvsms.so, and assembles the EMS iMelody message. Failures of the library are
// shown once through the error handler of whoever asked for them last and is still there
// (a window's message box, a CLI command's standard error; without one they go to
// standard error) and the caller gets -1.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

#include "common/scopedhandler.h"
#include "rvsms.h"

class clSMSProps;

namespace modPDU {

// Shows an error: title and text.
using ErrorHandler = std::function<void(const QString& title, const QString& text)>;
using ErrorScope = ScopedHandler<ErrorHandler>::Scope;
// Errors go to `handler` while the returned scope lives; then to the handler before.
[[nodiscard]] ErrorScope ShowErrorsWith(ErrorHandler handler);

// The kinds of message the data-cable window sends.
enum RingType { kTextSms = 0, kSagemRing = 1, kNokiaRing = 2, kEmsIMelody = 7 };

// CallMakeSubmitPdu's result when librvsms.so cannot be loaded or lacks an export.
constexpr int kLibraryMissing = -2;
// MakeEmsIMelodyData's result when the message would not fit into one SMS.
constexpr int kEmsTooLong = -3;

// MakeMessageParts' result when the message needs more parts than its kind may take
// (255 for a text, 3 for a ringtone); nothing is shown, the caller says it with the count.
constexpr int kTooManyParts = -4;
constexpr int kMaxTextParts = 255;
constexpr int kMaxRingtoneParts = 3;

// The SMS-SUBMIT PDUs of one message, in the order they go out, with what the library
// found: part count, coding used, characters without a GSM code.
struct MessageParts {
  QList<QByteArray> pdus;
  QList<int> tpduLengths;
  SubmitPartsInfo info{};
};

// The title and text of the error box for a library result.
QString ErrorTitle();
QString ErrorText(int result);
// The language table's text of an SMS library result number ("unknown error" for one it
// does not name).
int ResultTextRes(int result);
constexpr int kResUnknownError = 839;

// Fills the SubmitParams from `props`, takes the two address records and builds the PDU
// (SMSC field first). 1 on success; -1 after showing the library's result, or without a
// message for an empty text or destination.
int BuildSmsPdu(const QByteArray& text, QByteArray* pdu, int* tpduLength, const clSMSProps& props);

// Calls rvMakeSubmitPDU with a buffer of twice the text's length plus 120 octets. -1
// without calling when the text or the destination number is empty; kLibraryMissing when
// the library is not there; otherwise the library's result. An address record whose
// length is below 1 gets its number's length.
int CallMakeSubmitPdu(const QByteArray& text, QByteArray* pdu, SubmitParams& params,
                      AddressParam& destination, AddressParam* smsc, int* tpduLength);

// Packs `text` as GSM 7-bit user data for behind a header of headerLength octets (fill
// bits first; the header itself is not in the result). The library's result is returned;
// on 1 `octets` holds the packed data.
int PackGsmAfterHeader(const QByteArray& text, int codePage, int headerLength, QByteArray* octets);

// The short GSM text shown by phones after the EMS iMelody header.
QString EmsDisplayText();
// The EMS user data header for an iMelody text of n characters: n + 3, 0x0C (user
// defined sound), n + 1, position 0x00, then the text. Empty when n + 3 exceeds an octet.
QByteArray EmsIMelodyHeader(const QByteArray& imelody);
// The whole EMS message data: header, then the display text packed behind it. 1 on
// success; kEmsTooLong (shown) when it exceeds 140 octets; else -1 after showing the
// packing result.
int MakeEmsIMelodyData(const QByteArray& imelody, QByteArray* data);

// An EMS iMelody longer than one SMS travels between rendering and sending as its iMelody
// objects one after the other (each from BEGIN:IMELODY to END:IMELODY), where the
// one-message data starts with its header's length octet and 0x0C.
bool IsEmsObjectList(const QByteArray& message);
QList<QByteArray> SplitEmsObjects(const QByteArray& message);
// The user data of part `index` (0-based) of `count`: the header holds the concatenation
// element (reference), in the first part also the user prompt indicator with the object
// count, then the user defined sound element with the object at position 0. The display
// text follows in the last part when it leaves the data within one SMS. Empty when the
// object is too large for one part.
QByteArray EmsPartData(const QByteArray& object, int index, int count, int reference);
// The PDUs of such a message, one object per part, each with its own TP-MR. 1;
// kTooManyParts (out->info.PartCount says how many) over kMaxRingtoneParts objects;
// -1 after showing why, or for an empty list or destination.
int MakeEmsParts(const QList<QByteArray>& objects, const clSMSProps& props, MessageParts* out);

// The PDU of one message as the data-cable window makes it: the global properties are
// copied, adjusted for the ring type and built. For kEmsIMelody `message` is the data of
// MakeEmsIMelodyData. 1 or -1 as BuildSmsPdu; -1 for an unknown ring type.
int MakeMessagePdu(int ringType, const QByteArray& message, const clSMSProps& global,
                   QByteArray* pdu, int* tpduLength);

// The parameters record the PDU library gets for `props` (with the automatic coding for
// unforced 7-bit text).
SubmitParams ParamsOf(const clSMSProps& props);

// Builds the parts of a message of any length (rvMakeSubmitParts). 1; kTooManyParts
// (out->info.PartCount says how many it would take); -1 after showing the library's
// result, or without a message for an empty text or destination.
int BuildSmsParts(const QByteArray& text, const clSMSProps& props, int maxParts, MessageParts* out);
// The parts of one message as the data-cable window makes them (copy, ring type preset,
// build). Ringtones take at most kMaxRingtoneParts, texts kMaxTextParts. An EMS iMelody
// object list goes through MakeEmsParts.
int MakeMessageParts(int ringType, const QByteArray& message, const clSMSProps& global,
                     MessageParts* out);
// Only the count: the library's result (1, RVSMS_TOO_MANY_PARTS, ...) and what it found;
// never shows anything. An empty destination is counted as "0".
int CountSmsParts(const QByteArray& text, const clSMSProps& props, SubmitPartsInfo* info);
// The characters of `text` that GSM 7-bit cannot carry, each once, in order.
QString UnmappedCharacters(const QString& text, const clSMSProps& props);

// Two upper-case hexadecimal digits per octet, as the phone expects.
QString ToHex(const QByteArray& octets);

}  // namespace modPDU
