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

namespace {

// What the command line asked for. Options a session does not take stay unset.
struct SendRequest {
  std::string what;
  bool isSms = false, isRing = false, isSiemens = false, isKeys = false, isClock = false;
  std::optional<std::string> port, settingsText, to, text, kind, alphabet, from;
  std::optional<int32_t> lineSize;
  bool echo = false, store = false, flash = false, statusReport = false, allowReplace = false;
  std::string input;  // INPUT of the melody sessions
  int mode = cableMessage::kModeTextSms;
};

// Takes the session and its options off the command line; a usage error's exit status
// (2, after the reason) when they do not fit together, else 0.
int parseSendRequest(int argc, char** argv, SendRequest& r) {
  if (argc < 2) return usageError("which session? sms, ringtone, siemens, keys or clock");
  r.what = argv[1];
  r.isSms = r.what == "sms";
  r.isRing = r.what == "ringtone";
  r.isSiemens = r.what == "siemens";
  r.isKeys = r.what == "keys";
  r.isClock = r.what == "clock";
  if (!r.isSms && !r.isRing && !r.isSiemens && !r.isKeys && !r.isClock)
    return usageError("unknown session '" + r.what + "'");
  const bool message = r.isSms || r.isRing, melody = r.isRing || r.isSiemens || r.isKeys;

  Args args(argc, argv, 2);
  bool bad = false;
  r.port = args.value("--port");
  r.settingsText = args.value("--settings");
  r.echo = args.flag("--echo");
  r.lineSize = args.intValue("--line-size", bad);
  if (message) r.to = args.value("--to");
  if (r.isSms) r.text = args.value("--text");
  if (r.isRing) r.kind = args.value("--kind");
  r.store = message && args.flag("--store");
  r.flash = r.isSms && args.flag("--flash");
  r.statusReport = message && args.flag("--status-report");
  if (r.isSms) r.alphabet = args.value("--alphabet");
  r.allowReplace = r.isSms && args.flag("--allow-replace");
  if (melody) r.from = args.value("--from");
  for (const std::string& u : args.unknown()) {
    std::cerr << "pealix-cli send: unknown option " << u << "\n";
    bad = true;
  }
  if (bad) return usageError("see the options below");
  const size_t wantInput = melody ? 1 : 0;
  if (args.positional().size() != wantInput)
    return usageError(wantInput ? "needs one INPUT file"
                                : "unexpected argument " + args.positional()[0]);
  if (melody) r.input = args.positional()[0];
  if (message && !r.to) return usageError("needs --to NUMBER");
  if (r.isSms && !r.text) return usageError("needs --text TEXT");
  if (r.isSms && r.text->empty()) return usageError("the text is empty: there is nothing to send");
  if (r.lineSize && *r.lineSize < 0) return usageError("--line-size takes 0 or more");
  if (r.alphabet && *r.alphabet != "auto" && *r.alphabet != "gsm" && *r.alphabet != "ucs2")
    return usageError("--alphabet takes auto, gsm or ucs2");
  if (r.isRing) {
    if (!r.kind) return usageError("needs --kind sagem, nokia or imelody");
    r.mode = 0;
    for (const RingKind& k : kRingKinds)
      if (*r.kind == k.name) r.mode = k.mode;
    if (!r.mode)
      return usageError("unknown ringtone kind '" + *r.kind + "' (sagem, nokia, imelody)");
  }
  if (r.isSiemens) r.mode = cableMessage::kModeSiemens;
  if (r.isKeys) r.mode = cableMessage::kModeKeys;
  return 0;
}

// The stored serial settings with the command line's on top (nothing is written back);
// a usage error's exit status, else 0.
int applyPortOptions(const SendRequest& r, clCommProps& comm) {
  if (r.port) {
    bool number = false;
    const int n = QString::fromStdString(*r.port).toInt(&number);
    if (number && n >= 1) {
      comm.setPort(static_cast<int16_t>(n));
      comm.setPortPath(QString());
    } else if (!number && !r.port->empty()) {
      comm.setPortPath(QString::fromStdString(*r.port));
    } else {
      return usageError("--port takes a port number (1, 2 ...) or a device path");
    }
  }
  if (r.settingsText && !comm.setmsoptions(QString::fromStdString(*r.settingsText)))
    return usageError("--settings takes speed,parity,data bits,stop bits, e.g. 19200,n,8,1");
  if (r.echo) comm.setLocalEcho(true);
  if (r.lineSize) comm.setMaxATLineSizeSMS(*r.lineSize);
  return 0;
}

// The stored SMS settings with the destination and flags of the command line.
int applySmsOptions(const SendRequest& r, clSMSProps& sms) {
  if (!r.to) return 0;
  const QString number = QString::fromStdString(*r.to).trimmed();
  sms.SetDestAdr(number, number.startsWith('+') ? 1 : 0);
  sms.setFlashSMS(r.flash ? 1 : 0);
  sms.setStatusSMS(r.statusReport ? 1 : 0);
  if (sms.DestAddress().isEmpty()) return usageError("the destination number is empty");
  return 0;
}

// What goes to the phone: the SMS text (its alphabet chosen), or the melody rendered for
// the session. The exit status when it cannot be made (the reason printed), else 0.
int prepareMessage(const SendRequest& r, const pxsettings::SettingsStore& settings, clSMSProps& sms,
                   QByteArray& message) {
  if (r.isSms) {
    message = QByteArray::fromStdString(*r.text);
    const QString text = QString::fromLocal8Bit(r.text->c_str());
    return applyAlphabet(r.alphabet, r.allowReplace, "send", text, &sms) ? 0 : 1;
  }
  if (r.isClock) return 0;
  int status = 1;
  return renderMelody(r.input, r.from, r.mode, settings, &message, &status) ? 0 : status;
}

// The session the command names, its status text on standard output.
int runSession(const SendRequest& r, DataCableSession& session, const QByteArray& message) {
  QObject::connect(&session.status(), &StatusText::appendedText, printStatus);
  session.setPortErrorHandler([](const QString& error) {
    std::cerr << "pealix-cli send: " << error.toStdString() << "\n";
  });
  int result = 0;
  if (r.isClock)
    result = session.SyncClock();
  else if (r.isKeys)
    result = session.SendKeypress(message);
  else if (r.isSiemens)
    result = session.SendSiemensDC(message);
  else
    result = session.SendSmsPdu(message, cableMessage::RingTypeOf(r.mode), r.store);
  std::cout << "\n";
  return result;
}

// The last line of a failed session: what the phone answered, in which part.
void reportFailure(int result, const DataCableSession& session) {
  std::cerr << "pealix-cli send: failed";
  if (result >= DataCableSession::kAnswerError && result <= DataCableSession::kAnswerStopped)
    std::cerr << ": "
              << GetResString(result == DataCableSession::kAnswerError
                                  ? DataCableSession::kResAnswerError
                              : result == DataCableSession::kAnswerTimeout
                                  ? DataCableSession::kResAnswerTimeout
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
}

}  // namespace

int runSend(int argc, char** argv) {
  SendRequest request;
  if (const int usage = parseSendRequest(argc, argv, request)) return usage;

  const pxsettings::SettingsStore settings;
  RegisterLanguages(AppLanguages());
  clCommProps comm;
  comm.RegLoad(settings);
  if (const int usage = applyPortOptions(request, comm)) return usage;
  clSMSProps sms;
  sms.RegLoad(settings);
  if (const int usage = applySmsOptions(request, sms)) return usage;
  const modPDU::ErrorScope errors =
      modPDU::ShowErrorsWith([](const QString& title, const QString& message) {
        std::cerr << "pealix-cli send: " << title.toStdString() << ":\n"
                  << message.toStdString() << "\n";
      });

  QByteArray message;
  if (const int status = prepareMessage(request, settings, sms, message)) return status;

  CommPort serial;
  DataCableSession session(serial, comm, sms);
  const int result = runSession(request, session, message);
  if (result == DataCableSession::kAnswerOk) return 0;
  reportFailure(result, session);
  return 1;
}

}  // namespace cli
