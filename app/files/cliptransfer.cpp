#include "files/cliptransfer.h"

#include <utility>

#include "files/clipboardhost.h"
#include "files/composertext.h"
#include "files/sagemhex.h"
#include "melody/formatcatalogue.h"
#include "phonelink/cablemessage.h"
#include "phonelink/clsmsprops.h"
#include "phonelink/modpdu.h"
#include "settings/mainsettings.h"

namespace cliptransfer {
namespace {

constexpr int kNoClipboardText = 822;
constexpr int kTextTooLong = 825;
constexpr int kResNotInFormat = rvresult::textRes(RV_READ_FAILED, rvresult::Call::Read);

filecmd::Result failure(const QString& text, const filecmd::ResFn& res) {
  filecmd::Result r;
  r.result = -1;
  r.errorTitle = rvTonehead::LibraryErrorTitle(res);
  r.errorText = text;
  return r;
}

// Renders through the library into text; a format without a string rendering (Motorola)
// is an export to the clipboard whose text is caught on its way there.
TextResult libraryExport(const pxvbMelody& melody, const ExportFormat& f,
                         const filecmd::ResFn& res) {
  TextResult t;
  const int formatRes = rvTonehead::FormatNameRes(f.formatId);
  rvTonehead::Outcome o;
  QByteArray bytes;
  const formatcatalogue::Format* format = formatcatalogue::ById(f.formatId);
  if (format && !format->hasString) {
    clipboardhost::ScopedClipboard scope(std::nullopt);
    const rvTonehead::WriteRequest request{
        rvTonehead::Where::Clipboard, f.formatId, {f.options[0], f.options[1], f.options[2]}};
    o = rvTonehead::MeloExport(melody, request, QString(), nullptr, formatRes);
    bytes = scope.written();
  } else {
    o = rvTonehead::Melo2String(melody, f.formatId, {f.options[0], f.options[1], f.options[2]},
                                bytes, nullptr, formatRes);
  }
  t.status.writerValue = o.writerValue;
  if (o.result == 0) return t;
  if (o.result != 1) {
    filecmd::SetLibraryError(t.status, o, res);
    return t;
  }
  t.text = QString::fromUtf8(bytes);
  t.status.result = 1;
  return t;
}

// For the kinds sized for one SMS: the notes and pauses the text holds and those the
// whole melody has ({-1, -1} for the other kinds). The format's catalogue row says how
// its notes are counted; a Sagem text is sized only under a size limit.
std::pair<int, int> notesKept(Export kind, const pxvbMelody& melody, const QByteArray& bytes,
                              const MainSettings& options) {
  const formatcatalogue::Format* format =
      formatcatalogue::OwnerOfClipExport(static_cast<int>(kind));
  const ExportFormat f = ExportFormatOf(kind, options);
  switch (format ? format->noteCount : formatcatalogue::NoteCount::None) {
    case formatcatalogue::NoteCount::SagemCodes:
      // One code a note or pause; counted against the text of the whole melody.
      if (f.options[0] <= 0) break;
      return {rvTonehead::CountNotes(bytes, RV_COUNT_SAGEM_CODES),
              cableMessage::SagemCodesOfWhole(melody, options.sagemOptiLF)};
    case formatcatalogue::NoteCount::IMelody:
      return {rvTonehead::CountNotes(bytes, RV_COUNT_IMELODY_NOTES),
              cableMessage::NotesAndPauses(melody)};
    case formatcatalogue::NoteCount::NokiaRingtone:
      return {rvTonehead::CountNotes(
                  f.options[1] == 1 ? QByteArray::fromHex(bytes) : bytes,
                  f.options[0] == 1 ? RV_COUNT_NOKIA_NOTES_BEHIND_HEADER : RV_COUNT_NOKIA_NOTES),
              cableMessage::NotesAndPauses(melody)};
    case formatcatalogue::NoteCount::None:
      break;
  }
  return {-1, -1};
}

}  // namespace

ExportFormat ExportFormatOf(Export kind, const MainSettings& options) {
  const formatcatalogue::ClipExport* c = formatcatalogue::ClipExportOf(static_cast<int>(kind));
  const formatcatalogue::Format* format =
      formatcatalogue::OwnerOfClipExport(static_cast<int>(kind));
  if (!c || !format) return {};
  ExportFormat f{format->id, {0, 0, 0}};
  for (int i = 0; i < 3; ++i)
    f.options[i] = c->options[i].settingKey
                       ? options.exportOption(QString::fromLatin1(c->options[i].settingKey))
                       : c->options[i].value;
  return f;
}

TextResult ExportText(const pxvbMelody& melody, Export kind, const MainSettings& options,
                      const clSMSProps& sms, const filecmd::ResFn& res) {
  if (kind == Export::NokiaComposer) {
    TextResult t;
    ComposerTextFromMelody(melody, t.text, options.nokCExp);
    t.status.result = 1;
    return t;
  }
  TextResult t = libraryExport(melody, ExportFormatOf(kind, options), res);
  if (t.status.result == 1) {
    const auto [written, all] = notesKept(kind, melody, t.text.toUtf8(), options);
    if (written >= 0 && written < all) {
      t.notesWritten = written;
      t.notesInMelody = all;
    }
  }
  if (kind != Export::Pdu || t.status.result != 1) return t;

  // The Sagem SMS goes into an SMS-SUBMIT PDU with the Sagem preset of the SMS settings;
  // a failure of the PDU library is shown by modPDU itself.
  QByteArray pdu;
  int tpduLength = 0;
  if (modPDU::MakeMessagePdu(modPDU::kSagemRing, t.text.toUtf8(), sms, &pdu, &tpduLength) != 1) {
    t.status.result = -1;
    t.text.clear();
    return t;
  }
  t.text = modPDU::ToHex(pdu);
  return t;
}

filecmd::Result ImportText(pxvbMelody& target, Import kind, const std::optional<QString>& text,
                           const MainSettings& options, const filecmd::ResFn& res) {
  if (!text) return failure(res(kNoClipboardText), res);
  if (text->size() > kMaxImportChars) return failure(res(kTextTooLong), res);

  filecmd::Result r;
  switch (kind) {
    case Import::Rtttl:
    case Import::Sagem: {
      pxvbMelody read;
      rvTonehead::ReadRequest request{rvTonehead::Where::Clipboard,
                                      kind == Import::Rtttl ? RV_FORMAT_RTTTL : RV_FORMAT_SAGEM};
      clipboardhost::ScopedClipboard scope(text->toUtf8());
      const rvTonehead::Outcome o = rvTonehead::ReadMelo(read, request, QString(), true);
      if (o.result != 1) {
        filecmd::SetLibraryError(r, o, res);
        return r;
      }
      if (read.size() == 0) {
        // Text the reader accepted without finding a single event.
        rvTonehead::Outcome none;
        none.code = -1;
        none.message = {-1, rvTonehead::ReadFormatNameRes(request.formatId),
                        rvTonehead::kResReadClipboard, kResNotInFormat};
        filecmd::SetLibraryError(r, none, res);
        return r;
      }
      r.truncated = o.truncated;
      target.assign(read);
      r.result = 1;
      return r;
    }
    case Import::SagemHex: {
      const SagemHexOutcome o = SagemHexImport(target, *text);
      if (o.result == -1) {
        QString message = o.messageText;
        if (message.isEmpty() && o.messageRes) {
          message = res(o.messageRes);
          if (o.textLength > 0)
            message = QString::number(o.textLength) + QLatin1Char(' ') + message;
        }
        return failure(message, res);
      }
      r.result = o.result;
      return r;
    }
    case Import::NokiaComposer: {
      // A text without a single usable token imports nothing either.
      pxvbMelody read;
      if (!ImportComposerText(read, *text, options.nokCImp) || read.size() == 0)
        return failure(
            res(kResComposerImportFailed) + QLatin1Char('\n') + res(kResComposerImportFailed2),
            res);
      target.assign(read);
      r.result = 1;
      return r;
    }
  }
  return r;
}

}  // namespace cliptransfer
