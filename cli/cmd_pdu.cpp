// pealix-cli pdu: builds the SMS-SUBMIT PDU of a text or a ringtone exactly as the
// data-cable window does (the stored SMS settings, copied and adjusted for the kind of
// message) and prints it with the AT command that sends or stores it.
#include <QByteArray>
#include <QString>

#include <iostream>
#include <vector>

#include "cli_common.h"
#include "commands.h"
#include "melody/pxvbmelody.h"
#include "melody/rvtonehead.h"
#include "phonelink/cablemessage.h"
#include "phonelink/clsmsprops.h"
#include "phonelink/modpdu.h"
#include "settings/settingsstore.h"

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
               "                      [--store] [--from FMT] [--channel N]\n\n"
               "Builds one SMS-SUBMIT PDU as the data-cable window does, from the SMS settings in\n"
               "~/.config/Pealix/Pealix.conf, and prints the PDU as hex text and the AT command\n"
               "that sends it (AT+CMGS=) or, with --store, stores it in the phone (AT+CMGW=),\n"
               "followed by the TPDU length.\n\n"
               "  --text TEXT         a text SMS (GSM 7-bit unless the settings say otherwise)\n"
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
  clSMSProps global;
  global.RegLoad(settings);
  global.SetDestAdr(QString::fromLocal8Bit(to->c_str()), international ? 1 : 0);
  global.setFlashSMS(flash ? 1 : 0);
  global.setStatusSMS(statusReport ? 1 : 0);
  if (global.DestAddress().isEmpty()) {
    std::cerr << "pealix-cli pdu: the destination number is empty\n";
    return 2;
  }
  modPDU::SetErrorHandler([](const QString& title, const QString& message) {
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

  QByteArray pdu;
  int tpduLength = 0;
  if (modPDU::MakeMessagePdu(ringType, message, global, &pdu, &tpduLength) != 1) return 1;
  std::cout << modPDU::ToHex(pdu).toStdString() << "\n"
            << (store ? "AT+CMGW=" : "AT+CMGS=") << tpduLength << "\n";
  return 0;
}

}  // namespace cli
