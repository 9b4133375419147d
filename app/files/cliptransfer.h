// The clipboard exports and imports of the File and Advanced menus as text in, text out:
// the window reads or fills the system clipboard, these functions do the rest. Library
// formats go through the library bridge; Nokia composer text and Sagem hex text through
// their clipboard glue (files/composertext.h, files/sagemhex.h), which calls the library.
#pragma once

#include <QString>

#include <optional>

#include "files/filecommands.h"
#include "melody/pxvbmelody.h"

class clSMSProps;
struct MainSettings;

namespace cliptransfer {

enum class Export {
  Sagem,          // mnuFileClipExSagem
  SagemSms,       // mnuFileClipExSMS: the optimised Sagem SMS options
  Rtttl,          // mnuFileClipExRTTTL
  Keypress,       // mnuFileClipExKeypress: readable labels with a header line
  AtKeys,         // mnuAdvClipExATKeys: key codes for AT commands
  Alcatel,        // mnuFileClipExAlcatel
  Motorola,       // mnuFileClipExMoto: header/trailer and blank options
  IMelody,        // mnuFileClipExiMelody
  NokiaSms,       // mnuAdvClipExNokiaSMS
  Pdu,            // mnuFileClipExPDU: a Sagem SMS of at most 160 characters as an SMS PDU
  NokiaComposer,  // mnuFileClipExNokComp
};

enum class Import {
  Rtttl,          // mnuFileClipImportRTX
  Sagem,          // mnuFileClipImportSagem
  SagemHex,       // mnuAdvClipImpSagemHex
  NokiaComposer,  // mnuAdvClipImpNokComp
};

// Clipboard texts longer than this are refused before any reader sees them.
constexpr int kMaxImportChars = 64 * 1024;

// The format id and the options (request elements 5..7) of a library export.
struct ExportFormat {
  int formatId = 0;  // 0: converted by the application
  int options[3] = {0, 0, 0};
};
ExportFormat ExportFormatOf(Export kind, const MainSettings& options);

struct TextResult {
  filecmd::Result status;  // result 1 with text; -1 with the message to show
  QString text;
  // The kinds sized for one SMS stop where it is full: the notes and pauses the text
  // holds and the melody's, when it holds fewer (else both -1). The window says so.
  int notesWritten = -1;
  int notesInMelody = -1;
};

// Renders the melody for the clipboard. sms: the SMS settings the PDU is built with.
TextResult ExportText(const pxvbMelody& melody, Export kind, const MainSettings& options,
                      const clSMSProps& sms, const filecmd::ResFn& res);

// Reads clipboard text (std::nullopt: the clipboard holds no text) into target. On success
// target is the melody read (the window then names the file ClipboardImportName()); on any
// failure target is unchanged and the result says why (result 0: nothing to import).
filecmd::Result ImportText(pxvbMelody& target, Import kind, const std::optional<QString>& text,
                           const MainSettings& options, const filecmd::ResFn& res);

}  // namespace cliptransfer
