// pealix-cli pdu: builds the SMS-SUBMIT PDUs of a text or a ringtone exactly as the
// data-cable window does (the stored SMS settings, copied and adjusted for the kind of
// message) and prints each part with the AT command that sends or stores it.
#include <QByteArray>
#include <QString>

#include <iostream>
#include <vector>

#include "cli_common.h"
#include "commands.h"
#include "languages/reslang.h"
#include "melody/pxvbmelody.h"
#include "melody/rvtonehead.h"
#include "phonelink/cablemessage.h"
#include "phonelink/clsmsprops.h"
#include "phonelink/modpdu.h"
#include "settings/settingsstore.h"
#include "sms_options.h"

namespace cli {
namespace {

struct RingKind {
  const char* name;
  int sendMode;
  int ringType;
};

const RingKind kRingKinds[] = {
    {"sagem", cableMessage::kModeSagem, modPDU::kSagemRing},
    {"nokia", cableMessage::kModeNokia, modPDU::kNokiaRing},
    {"imelody", cableMessage::kModeEmsIMelody, modPDU::kEmsIMelody},
};

// The melody rendered by the library as the message of its ring kind, as the data-cable
// window sends it (the EMS iMelody message whole, with its header and display text).
bool renderRingtone(const Document& doc, const RingKind& kind,
                    const pxsettings::SettingsStore& store, QByteArray* out) {
  pxvbMelody melody;
  rvTonehead::FromRecords(melody, doc.records.data(), static_cast<int>(doc.records.size()));
  melody.setbpm(doc.bpm);
  melody.setsName(QString::fromStdString(doc.title));
  const cableMessage::Rendered r = cableMessage::Render(melody, kind.sendMode, store.sagemOptiLF());
  if (r.result == 0) {
    std::cerr << "pealix-cli pdu: the melody is empty: there is nothing to send\n";
    return false;
  }
  if (r.result != 1) {
    if (!r.error.isEmpty())
      std::cerr << "pealix-cli pdu: cannot render the " << kind.name
                << " ringtone: " << r.error.toStdString() << "\n";
    return false;
  }
  *out = r.data;
  return true;
}

}  // namespace

void helpPdu() {
  std::cout << "usage: pealix-cli pdu (--text TEXT | --ringtone sagem|nokia|imelody INPUT)\n"
               "                      --to NUMBER [--international] [--flash] [--status-report]\n"
               "                      [--store] [--alphabet auto|gsm|ucs2] [--allow-replace]\n"
               "                      [--from FMT] [--channel N]\n\n"
               "Builds the SMS-SUBMIT PDUs as the data-cable window does, from the SMS settings\n"
               "in ~/.config/Pealix/Pealix.conf, and prints each PDU as hex text and the AT\n"
               "command that sends it (AT+CMGS=) or, with --store, stores it in the phone\n"
               "(AT+CMGW=), followed by the TPDU length. A text longer than one SMS becomes up\n"
               "to 255 concatenated parts, a Nokia or EMS iMelody ringtone up to 3; each part is\n"
               "printed after a line \"part K/N\". What cannot go whole is refused with exit\n"
               "status 1.\n\n"
               "  --text TEXT         a text SMS: GSM 7-bit when every character has a GSM code,\n"
               "                      else UCS2 (unless the settings ask for 8-bit text)\n"
               "  --alphabet A        auto (the default), gsm (7-bit only: characters without a\n"
               "                      GSM code are listed and refused) or ucs2\n"
               "  --allow-replace     with --alphabet gsm: leave those characters out and go on\n"
               "  --ringtone KIND     the melody of INPUT as a Sagem text SMS, a Nokia smart-\n"
               "                      messaging ringtone or an EMS iMelody message\n"
               "  --to NUMBER         destination; '+', blanks, brackets, '-' and '/' are dropped\n"
               "  --international     the number is international (else: unknown type)\n"
               "  --flash             flash SMS (class 0; text SMS only, ringtones set their own)\n"
               "  --status-report     request a status report\n"
               "  --from FMT          INPUT's format when its extension does not tell\n"
               "  --channel N         MIDI input: read channel N (1..16)\n";
}

int runPdu(int argc, char** argv) {
  Args args(argc, argv, 1);
  bool bad = false;
  const auto text = args.value("--text");
  const auto ringtone = args.value("--ringtone");
  const auto to = args.value("--to");
  const bool international = args.flag("--international");
  const bool flash = args.flag("--flash");
  const bool statusReport = args.flag("--status-report");
  const bool store = args.flag("--store");
  const auto alphabet = args.value("--alphabet");
  const bool allowReplace = args.flag("--allow-replace");
  const auto from = args.value("--from");
  const auto channel = args.intValue("--channel", bad);
  for (const std::string& u : args.unknown()) {
    std::cerr << "pealix-cli pdu: unknown option " << u << "\n";
    bad = true;
  }
  const size_t wantPositional = ringtone ? 1 : 0;
  if (!bad && (text.has_value() == ringtone.has_value() || !to)) {
    std::cerr << "pealix-cli pdu: needs --to and either --text or --ringtone\n";
    bad = true;
  } else if (!bad && args.positional().size() != wantPositional) {
    std::cerr << "pealix-cli pdu: "
              << (ringtone ? "--ringtone needs one INPUT file"
                           : "unexpected argument " + args.positional()[0])
              << "\n";
    bad = true;
  }
  if (bad) {
    return 2;
  }
  if (alphabet && *alphabet != "auto" && *alphabet != "gsm" && *alphabet != "ucs2") {
    std::cerr << "pealix-cli pdu: --alphabet takes auto, gsm or ucs2\n";
    return 2;
  }
  if (channel && (*channel < 1 || *channel > 16)) {
    std::cerr << "pealix-cli pdu: --channel takes 1..16\n";
    return 2;
  }
  const RingKind* kind = nullptr;
  if (ringtone) {
    for (const RingKind& k : kRingKinds)
      if (*ringtone == k.name) kind = &k;
    if (!kind) {
      std::cerr << "pealix-cli pdu: unknown ringtone kind '" << *ringtone
                << "' (sagem, nokia, imelody)\n";
      return 2;
    }
  }

  // The window's controls go into the global properties read from the store.
  const pxsettings::SettingsStore settings;
  RegisterLanguages(AppLanguages());  // the messages of the phone link
  clSMSProps global;
  global.RegLoad(settings);
  global.SetDestAdr(QString::fromLocal8Bit(to->c_str()), international ? 1 : 0);
  global.setFlashSMS(flash ? 1 : 0);
  global.setStatusSMS(statusReport ? 1 : 0);
  if (global.DestAddress().isEmpty()) {
    std::cerr << "pealix-cli pdu: the destination number is empty\n";
    return 2;
  }
  const modPDU::ErrorScope errors =
      modPDU::ShowErrorsWith([](const QString& title, const QString& message) {
        std::cerr << "pealix-cli pdu: " << title.toStdString() << ":\n"
                  << message.toStdString() << "\n";
      });

  QByteArray message;
  int ringType = modPDU::kTextSms;
  if (text) {
    if (text->empty()) {
      std::cerr << "pealix-cli pdu: the text is empty: there is nothing to send\n";
      return 2;
    }
    message = QByteArray(text->data(), static_cast<qsizetype>(text->size()));
  } else {
    const std::string input = args.positional()[0];
    const CliFormat* format = from ? formatByName(*from) : formatForRead(input);
    if (!format) {
      std::cerr << "pealix-cli pdu: "
                << (from ? "unknown format '" + *from + "'"
                         : "cannot tell the format of " + input + "; name it with --from")
                << "\n";
      return 2;
    }
    if (!loadLibrary()) return 1;
    Document doc;
    if (!readInput(input, *format, channel ? *channel - 1 : 255, " ", doc)) return 1;
    if (!renderRingtone(doc, *kind, settings, &message)) return 1;
    ringType = kind->ringType;
  }

  if (text &&
      !applyAlphabet(alphabet, allowReplace, "pdu", QString::fromLocal8Bit(text->c_str()), &global))
    return 1;

  modPDU::MessageParts parts;
  const int built = modPDU::MakeMessageParts(ringType, message, global, &parts);
  if (built == modPDU::kTooManyParts) {
    std::cerr << "pealix-cli pdu: " << tooManyParts(ringType, parts.info.PartCount) << "\n";
    return 1;
  }
  if (built != 1) return 1;
  if (text && parts.info.TextOutType == 2 && global.TextOutType() == 0 && !alphabet)
    std::cerr << "pealix-cli pdu: the text holds characters the GSM alphabet lacks: it goes as "
                 "UCS2\n";
  const qsizetype count = parts.pdus.size();
  for (qsizetype k = 0; k < count; ++k) {
    if (count > 1) std::cout << "part " << k + 1 << "/" << count << "\n";
    std::cout << modPDU::ToHex(parts.pdus[k]).toStdString() << "\n"
              << (store ? "AT+CMGW=" : "AT+CMGS=") << parts.tpduLengths[k] << "\n";
  }
  return 0;
}

}  // namespace cli
