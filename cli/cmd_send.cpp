// pealix-cli send: the data-cable sessions of the window, for scripts and headless
// machines: a text SMS, a ringtone SMS, key presses into the phone's composer, the Siemens
// MIDI transfer and the clock. The status text goes to standard output as the window's
// status box shows it.
#include <QByteArray>
#include <QString>

#include <iostream>

#include "cli_common.h"
#include "commands.h"
#include "languages/reslang.h"
#include "melody/pxvbmelody.h"
#include "melody/rvtonehead.h"
#include "phonelink/cablemessage.h"
#include "phonelink/clcommprops.h"
#include "phonelink/clsmsprops.h"
#include "phonelink/commport.h"
#include "phonelink/datacablesession.h"
#include "phonelink/modpdu.h"
#include "settings/settingsstore.h"
#include "sms_options.h"

namespace cli {
namespace {

struct RingKind {
  const char* name;
  int mode;
};

const RingKind kRingKinds[] = {
    {"sagem", cableMessage::kModeSagem},
    {"nokia", cableMessage::kModeNokia},
    {"imelody", cableMessage::kModeEmsIMelody},
};

int usageError(const std::string& why) {
  std::cerr << "pealix-cli send: " << why << "\n";
  return 2;
}

// The melody of INPUT rendered for a kind of sending; prints why and returns false.
bool renderMelody(const std::string& input, const std::optional<std::string>& from, int mode,
                  const pxsettings::SettingsStore& store, QByteArray* out, int* status) {
  const CliFormat* format = from ? formatByName(*from) : formatForRead(input);
  if (!format) {
    std::cerr << "pealix-cli send: "
              << (from ? "unknown format '" + *from + "'"
                       : "cannot tell the format of " + input + "; name it with --from")
              << "\n";
    *status = 2;
    return false;
  }
  *status = 1;
  if (!loadLibrary()) return false;
  Document doc;
  if (isAppFormat(*format) ? !readAppText(input, *format, " ", doc)
                           : !readMelody(input, *format, 255, doc))
    return false;
  pxvbMelody melody;
  rvTonehead::FromRecords(melody, doc.records.data(), static_cast<int>(doc.records.size()));
  melody.setbpm(doc.bpm);
  melody.setsName(QString::fromStdString(doc.title));
  const cableMessage::Rendered r = cableMessage::Render(melody, mode, store.sagemOptiLF());
  if (r.result == 0) {
    std::cerr << "pealix-cli send: " << GetResString(461).toStdString() << "\n";
    return false;
  }
  if (r.result != 1) {
    if (!r.error.isEmpty()) std::cerr << "pealix-cli send: " << r.error.toStdString() << "\n";
    return false;
  }
  *out = r.data;
  return true;
}

// The status box on standard output: line breaks as this system writes them, and the
// backspaces that take back what was shown.
void printStatus(int removedTail, const QString& appended) {
  std::cout << std::string(static_cast<size_t>(removedTail), '\b');
  QString text = appended;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  std::cout << text.toStdString() << std::flush;
}

}  // namespace

void helpSend() {
  std::cout
      << "usage: pealix-cli send sms --to NUMBER --text TEXT [--store] [--flash]\n"
         "                           [--status-report] [--alphabet auto|gsm|ucs2]\n"
         "                           [--allow-replace] [PORT OPTIONS]\n"
         "       pealix-cli send ringtone --kind sagem|nokia|imelody --to NUMBER INPUT\n"
         "                           [--store] [--from FMT] [PORT OPTIONS]\n"
         "       pealix-cli send siemens INPUT [--from FMT] [PORT OPTIONS]\n"
         "       pealix-cli send keys INPUT [--from FMT] [PORT OPTIONS]\n"
         "       pealix-cli send clock [PORT OPTIONS]\n\n"
         "Talks to a phone on a serial cable with AT commands, as the data-cable window\n"
         "does: a text SMS, a ringtone as SMS (Sagem text, Nokia smart messaging, EMS\n"
         "iMelody), the melody typed into the phone's composer by key presses (no\n"
         "confirmation is asked), the melody as a MIDI file to a Siemens phone, or the\n"
         "phone's clock set from this computer's. The SMS settings and the serial settings\n"
         "come from ~/.config/Pealix/Pealix.conf. The status texts go to standard output.\n"
         "A text longer than one SMS goes as up to 255 concatenated parts, a Nokia or EMS\n"
         "iMelody ringtone as up to 3, in one session: one AT+CMGS (AT+CMGW) per part, each\n"
         "confirmed by the phone before the next; a failed part ends the session. A message\n"
         "that cannot go whole is refused before the port is opened.\n"
         "Exit status: 0 done, 1 the session failed (the reason is the last line), 2 usage.\n\n"
         "  --to NUMBER         destination; a number beginning with '+' is international\n"
         "  --store             store the message in the phone (AT+CMGW) instead of sending\n"
         "  --flash             flash SMS (class 0; text SMS only)\n"
         "  --status-report     request a status report\n"
         "  --alphabet A        text SMS: auto (GSM 7-bit when every character has a GSM\n"
         "                      code, else UCS2), gsm (7-bit only: characters without a\n"
         "                      code are listed and refused) or ucs2\n"
         "  --allow-replace     with --alphabet gsm: leave those characters out and send\n"
         "  --from FMT          INPUT's format when its extension does not tell\n"
         "PORT OPTIONS:\n"
         "  --port PORT         a port number of 'pealix-cli ports' or a device path\n"
         "  --settings TEXT     speed, parity, data bits, stop bits, e.g. \"19200,n,8,1\"\n"
         "  --echo              show what the phone answers\n"
         "  --line-size N       longest line of PDU text (0: all in one line)\n";
}

int runSend(int argc, char** argv) {
  if (argc < 2) return usageError("which session? sms, ringtone, siemens, keys or clock");
  const std::string what = argv[1];
  const bool isSms = what == "sms", isRing = what == "ringtone", isSiemens = what == "siemens",
             isKeys = what == "keys", isClock = what == "clock";
  if (!isSms && !isRing && !isSiemens && !isKeys && !isClock)
    return usageError("unknown session '" + what + "'");

  Args args(argc, argv, 2);
  bool bad = false;
  const auto port = args.value("--port");
  const auto settingsText = args.value("--settings");
  const bool echo = args.flag("--echo");
  const auto lineSize = args.intValue("--line-size", bad);
  const auto to = isSms || isRing ? args.value("--to") : std::nullopt;
  const auto text = isSms ? args.value("--text") : std::nullopt;
  const auto kind = isRing ? args.value("--kind") : std::nullopt;
  const bool store = (isSms || isRing) && args.flag("--store");
  const bool flash = isSms && args.flag("--flash");
  const bool statusReport = (isSms || isRing) && args.flag("--status-report");
  const auto alphabet = isSms ? args.value("--alphabet") : std::nullopt;
  const bool allowReplace = isSms && args.flag("--allow-replace");
  const auto from = isRing || isSiemens || isKeys ? args.value("--from") : std::nullopt;
  for (const std::string& u : args.unknown()) {
    std::cerr << "pealix-cli send: unknown option " << u << "\n";
    bad = true;
  }
  if (bad) return usageError("see the options below");
  const size_t wantInput = isRing || isSiemens || isKeys ? 1 : 0;
  if (args.positional().size() != wantInput)
    return usageError(wantInput ? "needs one INPUT file"
                                : "unexpected argument " + args.positional()[0]);
  if ((isSms || isRing) && !to) return usageError("needs --to NUMBER");
  if (isSms && !text) return usageError("needs --text TEXT");
  if (isSms && text->empty()) return usageError("the text is empty: there is nothing to send");
  if (lineSize && *lineSize < 0) return usageError("--line-size takes 0 or more");
  if (alphabet && *alphabet != "auto" && *alphabet != "gsm" && *alphabet != "ucs2")
    return usageError("--alphabet takes auto, gsm or ucs2");
  int mode = cableMessage::kModeTextSms;
  if (isRing) {
    if (!kind) return usageError("needs --kind sagem, nokia or imelody");
    mode = 0;
    for (const RingKind& k : kRingKinds)
      if (*kind == k.name) mode = k.mode;
    if (!mode) return usageError("unknown ringtone kind '" + *kind + "' (sagem, nokia, imelody)");
  }
  if (isSiemens) mode = cableMessage::kModeSiemens;
  if (isKeys) mode = cableMessage::kModeKeys;

  // The stored settings, with the command line's on top (nothing is written back).
  const pxsettings::SettingsStore settings;
  RegisterLanguages(AppLanguages());
  clCommProps comm;
  comm.RegLoad(settings);
  if (port) {
    bool number = false;
    const int n = QString::fromStdString(*port).toInt(&number);
    if (number && n >= 1) {
      comm.setPort(static_cast<int16_t>(n));
      comm.setPortPath(QString());
    } else if (!number && !port->empty()) {
      comm.setPortPath(QString::fromStdString(*port));
    } else {
      return usageError("--port takes a port number (1, 2 ...) or a device path");
    }
  }
  if (settingsText && !comm.setmsoptions(QString::fromStdString(*settingsText)))
    return usageError("--settings takes speed,parity,data bits,stop bits, e.g. 19200,n,8,1");
  if (echo) comm.setLocalEcho(true);
  if (lineSize) comm.setMaxATLineSizeSMS(*lineSize);

  clSMSProps sms;
  sms.RegLoad(settings);
  if (to) {
    const QString number = QString::fromStdString(*to).trimmed();
    sms.SetDestAdr(number, number.startsWith('+') ? 1 : 0);
    sms.setFlashSMS(flash ? 1 : 0);
    sms.setStatusSMS(statusReport ? 1 : 0);
    if (sms.DestAddress().isEmpty()) return usageError("the destination number is empty");
  }
  const modPDU::ErrorScope errors =
      modPDU::ShowErrorsWith([](const QString& title, const QString& message) {
        std::cerr << "pealix-cli send: " << title.toStdString() << ":\n"
                  << message.toStdString() << "\n";
      });

  QByteArray message;
  if (isSms) {
    message = QByteArray::fromStdString(*text);
    if (!applyAlphabet(alphabet, allowReplace, "send", QString::fromLocal8Bit(text->c_str()), &sms))
      return 1;
  } else if (!isClock) {
    int status = 1;
    if (!renderMelody(args.positional()[0], from, mode, settings, &message, &status)) return status;
  }

  CommPort serial;
  DataCableSession session(serial, comm, sms);
  QObject::connect(&session.status(), &StatusText::appendedText, printStatus);
  session.setPortErrorHandler([](const QString& error) {
    std::cerr << "pealix-cli send: " << error.toStdString() << "\n";
  });
  int result = 0;
  if (isClock)
    result = session.SyncClock();
  else if (isKeys)
    result = session.SendKeypress(message);
  else if (isSiemens)
    result = session.SendSiemensDC(message);
  else
    result = session.SendSmsPdu(message, cableMessage::RingTypeOf(mode), store);
  std::cout << "\n";
  if (result == DataCableSession::kAnswerOk) return 0;
  std::cerr << "pealix-cli send: failed";
  if (result >= DataCableSession::kAnswerError && result <= DataCableSession::kAnswerStopped)
    std::cerr << ": "
              << GetResString(result == 2   ? DataCableSession::kResAnswerError
                              : result == 3 ? DataCableSession::kResAnswerTimeout
                                            : DataCableSession::kResAnswerStopped)
                     .toStdString()
              << " (answer code " << result << ")";
  else if (result == DataCableSession::kPduFailed)
    std::cerr << ": the SMS could not be built";
  if (session.failedPart() > 0)
    std::cerr << " in part " << session.failedPart() << " of " << session.partCount()
              << " (the parts before it have gone out)";
  else if (result == DataCableSession::kPortFailed)
    std::cerr << ": the serial port could not be used";
  std::cerr << "\n";
  return 1;
}

}  // namespace cli
