// The data-cable sessions against the simulated phone on a pseudo-terminal: the bytes on
// the line, the PDUs read back by an independent decoder, the status text, and how every
// kind of phone fault and a Stop end a session. Time-outs run at a tenth.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QTimer>

#include "../../smslib/tests/pdu_decoder.h"
#include "melody/rvmelodyapi.h"
#include "melody/rvtonehead.h"
#include "phonelink/cablemessage.h"
#include "phonelink/clcommprops.h"
#include "phonelink/clsmsprops.h"
#include "phonelink/commport.h"
#include "phonelink/datacablesession.h"
#include "phonelink/modpdu.h"
#include "phonelink/rvsmsapi.h"
#include "phonesim.h"

namespace {

using phonesim::Fault;
using phonesim::Rule;

QCoreApplication* app() {
  static int argc = 1;
  static char name[] = "phonelink_session_test";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* a = new QCoreApplication(argc, argv);
  return a;
}

pdutest::Submit decode(const QByteArray& hex) {
  const QByteArray bytes = QByteArray::fromHex(hex);
  return pdutest::Decode(pdutest::Bytes(bytes.begin(), bytes.end()), true);
}

std::string utf8(const std::u16string& s) {
  return QString::fromStdU16String(s).toStdString();
}

class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app();
    RvSmsApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR));
    ASSERT_TRUE(sim_.start()) << sim_.errorText().toStdString();
    comm_.setPortPath(sim_.devicePath());
    comm_.setBaud("19200");
    sms_.SetDestAdr("+4917112345", 1);
    session_.setTimeScale(0.1);
    session_.setStrings([](int id) {
      // The texts that take numbers keep their places.
      return id == DataCableSession::kResPartOf ? QStringLiteral("<%1 %2/%3>").arg(id)
                                                : QStringLiteral("<%1>").arg(id);
    });
    session_.setPortErrorHandler([this](const QString& text) { portErrors_ << text; });
    errors_ =
        modPDU::ShowErrorsWith([this](const QString&, const QString& text) { pduErrors_ << text; });
  }

  void fault(const char* trigger, Fault f, const QByteArray& payload = {}, int count = 0) {
    sim_.addRule(Rule{trigger, f, payload, count});
  }
  QString status() const { return const_cast<DataCableSession&>(session_).status().text(); }

  phonesim::PhoneSim sim_;
  clCommProps comm_;
  clSMSProps sms_;
  CommPort port_;
  DataCableSession session_{port_, comm_, sms_};
  QStringList portErrors_, pduErrors_;
  modPDU::ErrorScope errors_;
};

TEST_F(SessionTest, TextSmsGoesOutAsOnePduAfterTheAtSteps) {
  comm_.setSMSMemOut("SM");
  sms_.setStatusSMS(1);
  ASSERT_EQ(session_.SendSmsPdu("Hello phone", modPDU::kTextSms, false), 1)
      << status().toStdString();
  EXPECT_FALSE(port_.PortOpen());

  // ESC first (it cancels input; Ctrl-Z would send), then the commands in order.
  ASSERT_FALSE(sim_.received().isEmpty());
  EXPECT_EQ(sim_.received()[0], '\x1b');
  EXPECT_FALSE(sim_.received().contains("\x1a\r"));
  const QList<QByteArray>& cmds = sim_.commands();
  ASSERT_EQ(cmds.size(), 4);
  EXPECT_EQ(cmds[0], "AT");
  EXPECT_EQ(cmds[1], "AT+CMGF=0");
  EXPECT_EQ(cmds[2], "AT+CPMS=\"MT\",\"SM\"");
  ASSERT_EQ(sim_.sentMessages().size(), 1);
  const pdutest::Submit m = decode(sim_.sentMessages()[0]);
  EXPECT_EQ(m.error, "");
  EXPECT_EQ(cmds[3], "AT+CMGS=" + QByteArray::number(static_cast<int>(m.tpduLength)));
  EXPECT_EQ(m.da, "4917112345");
  EXPECT_EQ(m.daToa, 0x91);
  EXPECT_EQ(m.srr, 1);
  EXPECT_EQ(m.msgClass, -1);
  EXPECT_EQ(utf8(m.text), "Hello phone");
  // Written in one line ended by Ctrl-Z.
  EXPECT_TRUE(sim_.received().endsWith(sim_.sentMessages()[0] + '\x1a'));

  const QString s = status();
  EXPECT_TRUE(s.startsWith("\r\n<451>..."));
  EXPECT_TRUE(s.contains("\r\n<454> 1/1 "));
  EXPECT_TRUE(s.endsWith("\r\n<452>\r\n<454>: OK")) << s.toStdString();
}

TEST_F(SessionTest, StoringFlashAndLinePieces) {
  // 60 GSM characters to an 8-digit number: 65 octets, 130 hex characters.
  sms_.SetDestAdr("12345678", 1);
  sms_.setFlashSMS(1);
  comm_.setMaxATLineSizeSMS(60);
  const QByteArray text(60, 'a');
  ASSERT_EQ(session_.PduHex(text, modPDU::kTextSms).size(), 130);
  ASSERT_EQ(session_.SendSmsPdu(text, modPDU::kTextSms, true), 1) << status().toStdString();
  ASSERT_EQ(sim_.dataLines().size(), 3);
  EXPECT_EQ(sim_.dataLines()[0].size(), 60);
  EXPECT_EQ(sim_.dataLines()[1].size(), 60);
  EXPECT_EQ(sim_.dataLines()[2].size(), 10);
  EXPECT_TRUE(sim_.commands().last().startsWith("AT+CMGW="));
  // The first two pieces end with CR (and each got a prompt), the last with Ctrl-Z.
  const QByteArray& rx = sim_.received();
  EXPECT_TRUE(rx.contains(sim_.dataLines()[0] + '\r' + sim_.dataLines()[1] + '\r'));
  EXPECT_TRUE(rx.endsWith(sim_.dataLines()[2] + '\x1a'));
  ASSERT_EQ(sim_.storedMessages().size(), 1);
  EXPECT_TRUE(sim_.sentMessages().isEmpty());
  const pdutest::Submit m = decode(sim_.storedMessages()[0]);
  EXPECT_EQ(m.msgClass, 0);
  EXPECT_EQ(utf8(m.text), text.toStdString());
  EXPECT_TRUE(status().contains("<454> 3/3 "));
  EXPECT_EQ(DataCableSession::PieceCount(130, 0), 1);
  EXPECT_EQ(DataCableSession::PieceCount(120, 60), 2);
}

class RingtoneSessionTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    RvMelodyApi::setLibraryDirectory(QStringLiteral(PEALIX_BIN_DIR));
    rvTonehead::Request request = {1, 7, 0, 0, 255, 0};
    const rvTonehead::Outcome o = rvTonehead::ReadMelo(
        melody_, request, QStringLiteral(PEALIX_SOURCE_DIR "/examples/Twinkle.rtx"), true);
    ASSERT_EQ(o.result, 1) << o.loadError.toStdString();
  }
  QByteArray render(int mode) {
    const cableMessage::Rendered r = cableMessage::Render(melody_, mode, 1);
    EXPECT_EQ(r.result, 1) << r.error.toStdString();
    return r.data;
  }
  pxvbMelody melody_;
};

TEST_F(RingtoneSessionTest, EachRingtoneKindDecodesWithItsPreset) {
  comm_.setLocalEcho(true);
  ASSERT_EQ(session_.SendSmsPdu(render(cableMessage::kModeNokia), modPDU::kNokiaRing, false), 1);
  ASSERT_EQ(session_.SendSmsPdu(render(cableMessage::kModeSagem), modPDU::kSagemRing, false), 1);
  // Twinkle's 42 notes take more than one EMS message (the parts are tested below); its
  // first six fit one.
  melody_.resize(6);
  const QByteArray ems = render(cableMessage::kModeEmsIMelody);
  ASSERT_EQ(session_.SendSmsPdu(ems, modPDU::kEmsIMelody, false), 1);
  ASSERT_EQ(sim_.sentMessages().size(), 3);

  const pdutest::Submit nokia = decode(sim_.sentMessages()[0]);
  EXPECT_EQ(nokia.error, "");
  EXPECT_EQ(nokia.dcs, 0xF5);
  EXPECT_EQ(nokia.msgClass, 1);
  EXPECT_EQ(nokia.udhi, 1);
  EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(nokia.udh.data()), 7).toHex(),
            "06050415811581");

  const pdutest::Submit sagem = decode(sim_.sentMessages()[1]);
  EXPECT_EQ(sagem.alphabet, pdutest::Alphabet::kGsm7);
  EXPECT_EQ(sagem.udhi, 0);
  EXPECT_LE(sagem.text.size(), 160u);
  EXPECT_FALSE(sagem.text.empty());

  const pdutest::Submit emsPdu = decode(sim_.sentMessages()[2]);
  EXPECT_EQ(emsPdu.error, "");
  EXPECT_EQ(emsPdu.udhi, 1);
  ASSERT_GT(emsPdu.udh.size(), 4u);
  EXPECT_EQ(emsPdu.udh[1], 0x0C);
  const QByteArray imelody(reinterpret_cast<const char*>(emsPdu.udh.data()) + 4,
                           static_cast<qsizetype>(emsPdu.udh.size()) - 4);
  EXPECT_TRUE(imelody.startsWith("BEGIN:IMELODY"));
  EXPECT_EQ(QString::fromStdU16String(emsPdu.text).trimmed(), modPDU::EmsDisplayText());

  // With the echo on the phone's echo of the data shows, except for the EMS message.
  const QString s = status();
  EXPECT_FALSE(s.contains(QString::fromLatin1(sim_.sentMessages()[2].left(40))));
  EXPECT_EQ(session_.status().text().count("<454>: OK"), 1);  // the box starts anew each time
}

// Twinkle's 42 notes as EMS iMelody: three parts in one session, one AT+CMGS each, every
// part a sound of its own behind the concatenation element.
TEST_F(RingtoneSessionTest, LongEmsIMelodyGoesInPartsOneCommandEach) {
  ASSERT_EQ(session_.SendSmsPdu(render(cableMessage::kModeEmsIMelody), modPDU::kEmsIMelody, false),
            1)
      << status().toStdString();
  ASSERT_EQ(sim_.sentMessages().size(), 3);
  for (int k = 0; k < 3; ++k) {
    const pdutest::Submit m = decode(sim_.sentMessages()[k]);
    EXPECT_EQ(m.error, "");
    const pdutest::Concat c = pdutest::ConcatOf(m.udh);
    EXPECT_EQ(c.count, 3);
    EXPECT_EQ(c.number, k + 1);
  }
  int commands = 0;
  for (const QByteArray& c : sim_.commands()) commands += c.startsWith("AT+CMGS=") ? 1 : 0;
  EXPECT_EQ(commands, 3);
  // Each part's lines are named with the part, never a bare "1/1" after "part 1 of 3".
  const QString s = status();
  EXPECT_TRUE(s.contains("<454> <2100 2/3>, 1/")) << s.toStdString();
  EXPECT_FALSE(s.contains("\r\n<454> 1/")) << s.toStdString();
}

// With the line traffic shown, the phone's echo of a part's command starts on a line of
// its own.
TEST_F(RingtoneSessionTest, TheEchoOfAPartsCommandStartsOnItsOwnLine) {
  comm_.setLocalEcho(true);
  ASSERT_EQ(session_.SendSmsPdu(render(cableMessage::kModeEmsIMelody), modPDU::kEmsIMelody, false),
            1)
      << status().toStdString();
  EXPECT_TRUE(status().contains("<454> <2100 1/3>\r\n")) << status().toStdString();
}

// A melody longer than one SMS: the Sagem ringtone (one SMS) is refused rather than cut,
// the EMS iMelody needs more than three parts and is refused before the port opens, the Nokia
// ringtone goes whole in up to three parts, each with the port and concatenation elements, one
// AT+CMGS each.
TEST_F(RingtoneSessionTest, LongMelodyGoesWholeOrInParts) {
  melody_.resize(0);
  for (int i = 0; i < 200; ++i) melody_.addevent(8, 0, 1, 60 + i % 12, 100);
  const cableMessage::Rendered sagem = cableMessage::Render(melody_, cableMessage::kModeSagem, 1);
  EXPECT_EQ(sagem.result, -1);
  EXPECT_FALSE(sagem.error.isEmpty());
  EXPECT_TRUE(sagem.data.isEmpty());
  const QByteArray ems = render(cableMessage::kModeEmsIMelody);
  EXPECT_EQ(session_.SendSmsPdu(ems, modPDU::kEmsIMelody, false), DataCableSession::kPduFailed);
  EXPECT_TRUE(status().contains("<2103>")) << status().toStdString();
  ASSERT_EQ(sim_.sentMessages().size(), 0);
  const QByteArray nokia = render(cableMessage::kModeNokia);
  EXPECT_GT(nokia.size(), 140);
  ASSERT_EQ(session_.SendSmsPdu(nokia, modPDU::kNokiaRing, false), 1) << status().toStdString();
  const int parts = static_cast<int>(sim_.sentMessages().size());
  ASSERT_GE(parts, 2);
  ASSERT_LE(parts, 3);
  QByteArray joined = nokia.left(7);
  for (int k = 0; k < parts; ++k) {
    const pdutest::Submit m = decode(sim_.sentMessages()[k]);
    EXPECT_EQ(m.error, "");
    EXPECT_EQ(m.dcs, 0xF5);
    const pdutest::Concat c = pdutest::ConcatOf(m.udh);
    EXPECT_EQ(c.count, parts);
    EXPECT_EQ(c.number, k + 1);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(m.udh.data()), 7).toHex(), "0b050415811581");
    joined += QByteArray(reinterpret_cast<const char*>(m.ud.data()) + m.udh.size(),
                         static_cast<qsizetype>(m.ud.size() - m.udh.size()));
  }
  EXPECT_EQ(joined.mid(7), nokia.mid(7));
  for (const QByteArray& hex : sim_.sentMessages()) EXPECT_EQ(decode(hex).error, "");
  EXPECT_TRUE(pduErrors_.isEmpty());
  EXPECT_EQ(cableMessage::Render(pxvbMelody(), cableMessage::kModeNokia, 1).result, 0);

  // Over 255 instructions: refused by the renderer, never shortened.
  for (int i = 0; i < 60; ++i) melody_.addevent(8, 0, 1, 62, 100);
  const cableMessage::Rendered tooLong = cableMessage::Render(melody_, cableMessage::kModeNokia, 1);
  EXPECT_EQ(tooLong.result, -1);
  EXPECT_FALSE(tooLong.error.isEmpty());

  // Under 255 events, but with the octave change the writer puts before every other note
  // the ringtone would need 400 instructions: refused as well.
  melody_.resize(0);
  for (int i = 0; i < 200; ++i) melody_.addevent(8, 0, 1, i % 2 ? 60 : 96, 100);
  const cableMessage::Rendered octaves = cableMessage::Render(melody_, cableMessage::kModeNokia, 1);
  EXPECT_EQ(octaves.result, -1);
  EXPECT_FALSE(octaves.error.isEmpty());
}

// A text in three parts with the phone refusing the second: the session ends there,
// naming the part, and the third never starts.
TEST_F(SessionTest, FailedPartEndsTheSession) {
  phonesim::Rule second{"DATA", Fault::Reply, "\r\n+CMS ERROR: 500\r\n"};
  second.occurrence = 2;
  sim_.addRule(second);
  EXPECT_EQ(session_.SendSmsPdu(QByteArray(400, 'q'), modPDU::kTextSms, false),
            DataCableSession::kAnswerError);
  EXPECT_EQ(sim_.sentMessages().size(), 1);
  EXPECT_EQ(session_.partCount(), 3);
  EXPECT_EQ(session_.failedPart(), 2);
  EXPECT_TRUE(status().contains("<2100 2/3>")) << status().toStdString();
  int commands = 0;
  for (const QByteArray& c : sim_.commands()) commands += c.startsWith("AT+CMGS=") ? 1 : 0;
  EXPECT_EQ(commands, 2);
}

TEST_F(RingtoneSessionTest, KeysSiemensBlocksAndTheClock) {
  // Key presses in pieces of 60.
  const QByteArray keys = QByteArray("^V1#Z2345").repeated(15).left(130);
  ASSERT_EQ(session_.SendKeypress(keys), 1) << status().toStdString();
  ASSERT_EQ(sim_.keys().size(), 3);
  EXPECT_EQ(sim_.keys()[0], keys.left(60));
  EXPECT_EQ(sim_.keys()[1], keys.mid(60, 60));
  EXPECT_EQ(sim_.keys()[2], keys.mid(120));
  EXPECT_FALSE(sim_.received().contains('\x1b'));  // no abort for key presses
  const QByteArray composer = render(cableMessage::kModeKeys);
  EXPECT_FALSE(composer.contains("Title:"));
  EXPECT_EQ(session_.SendKeypress(composer), 1);

  // Siemens: 350 bytes are 700 hex characters in two blocks; 352 bytes (704) two; 353 three.
  for (const int bytes : {350, 352, 353}) {
    phonesim::PhoneSim sim;
    ASSERT_TRUE(sim.start());
    comm_.setPortPath(sim.devicePath());
    QByteArray file(bytes, '\0');
    for (int i = 0; i < bytes; ++i) file[i] = static_cast<char>(i * 7);
    ASSERT_EQ(session_.SendSiemensDC(file), 1) << bytes << status().toStdString();
    const int n = bytes == 353 ? 3 : 2;
    ASSERT_EQ(sim.blocks().size(), n);
    EXPECT_EQ(sim.blocks().join(), file.toHex().toUpper());
    EXPECT_EQ(sim.commands()[0], "AT^SBNW=?");
    EXPECT_EQ(sim.commands()[1], "AT^SBNW=\"mid\",0,1," + QByteArray::number(n));
    EXPECT_EQ(sim.commands().last(),
              "AT^SBNW=\"mid\",0," + QByteArray::number(n) + "," + QByteArray::number(n));
    EXPECT_FALSE(sim.commands().contains("AT"));
  }
  EXPECT_EQ(DataCableSession::SiemensBlockCount(700), 2);
  EXPECT_EQ(DataCableSession::SiemensBlockCount(704), 2);
  EXPECT_EQ(DataCableSession::SiemensBlockCount(705), 3);
  EXPECT_EQ(DataCableSession::SiemensBlockCount(0), 1);
  const QByteArray midi = render(cableMessage::kModeSiemens);
  EXPECT_TRUE(midi.startsWith("MThd"));

  // The clock from an injected moment.
  phonesim::PhoneSim clockSim;
  ASSERT_TRUE(clockSim.start());
  comm_.setPortPath(clockSim.devicePath());
  comm_.setLocalEcho(true);
  session_.setClock([] { return QDateTime(QDate(2003, 12, 24), QTime(18, 5, 9)); });
  ASSERT_EQ(session_.SyncClock(), 1) << status().toStdString();
  ASSERT_EQ(clockSim.commands().size(), 2);
  EXPECT_EQ(clockSim.commands()[1], "at+cclk=\"03/12/24,18:05:09\"");
  EXPECT_TRUE(status().contains("Local echo: AT"));
  EXPECT_TRUE(status().contains("Local echo: at+cclk=\"03/12/24,18:05:09\"\r\n"));
}

TEST_F(SessionTest, PendingMessageInputIsCancelledNotSent) {
  sim_.beginPendingInput(20);
  ASSERT_EQ(session_.SendSmsPdu("hi", modPDU::kTextSms, false), 1) << status().toStdString();
  EXPECT_EQ(sim_.cancelledInputs(), 1);
  ASSERT_EQ(sim_.sentMessages().size(), 1);
  EXPECT_EQ(utf8(decode(sim_.sentMessages()[0]).text), "hi");
}

TEST_F(SessionTest, UncheckedStoreCommandErrorDoesNotFailThePrompt) {
  fault("AT+CPMS=*", Fault::Reply, "\r\n+CMS ERROR: 302\r\n");
  EXPECT_EQ(session_.SendSmsPdu("hi", modPDU::kTextSms, false), 1) << status().toStdString();
  EXPECT_EQ(sim_.sentMessages().size(), 1);
}

struct FaultCase {
  const char* trigger;
  Fault fault;
  QByteArray payload;
  int count;
  int expected;
};

TEST_F(SessionTest, PhoneFaultsEndTheSessionWithTheirAnswerCode) {
  const FaultCase cases[] = {
      {"AT", Fault::Silent, {}, 0, 3},
      {"AT", Fault::Slow, {}, 20, 1},    // late but within the time-out
      {"AT", Fault::Slow, {}, 1000, 3},  // later than the time-out
      {"AT+CMGF=0", Fault::Reply, "\r\nERROR\r\n", 0, 2},
      {"AT+CMGS=*", Fault::Reply, "\r\n+cms error: 500\r\n", 0, 2},
      {"DATA", Fault::Reply, "\r\n+CMS ERROR: 500\r\n", 0, 2},
      {"DATA", Fault::Silent, {}, 0, 3},
      {"AT+CMGF=0", Fault::Garbage, {}, 512, 3},
      {"AT+CMGS=*", Fault::HangUp, {}, 0, 3},
  };
  for (const FaultCase& c : cases) {
    phonesim::PhoneSim sim;
    ASSERT_TRUE(sim.start());
    sim.addRule(Rule{c.trigger, c.fault, c.payload, c.count});
    comm_.setPortPath(sim.devicePath());
    const int code = session_.SendSmsPdu("hi", modPDU::kTextSms, false);
    EXPECT_EQ(code, c.expected) << c.trigger << " " << status().toStdString();
    EXPECT_FALSE(port_.PortOpen());
    EXPECT_FALSE(session_.isRunning());
    if (code != 1) {
      EXPECT_TRUE(status().endsWith("\r\n<452>")) << c.trigger;
    }
    if (c.expected == 2) {
      EXPECT_TRUE(status().contains("\r\n<457>: ")) << c.trigger;
    } else if (c.expected == 3) {
      // A hung-up line names the lost port instead of the missing answer.
      const char* cause = c.fault == Fault::HangUp ? "\r\n<1131>: " : "\r\n<458>: ";
      EXPECT_TRUE(status().contains(cause)) << c.trigger;
    }
  }
  EXPECT_TRUE(status().contains("<1131>"));  // the last one lost its line
}

TEST_F(SessionTest, ALostPortEndsWithOneLineThatNamesIt) {
  fault("AT+CMGS=*", Fault::HangUp);
  EXPECT_EQ(session_.SendSmsPdu("hi", modPDU::kTextSms, false), 3);
  // One cause: the lost port, not also a phone that did not answer in time.
  EXPECT_EQ(status().count("<1131>"), 1) << status().toStdString();
  EXPECT_FALSE(status().contains("<458>")) << status().toStdString();
  EXPECT_TRUE(status().endsWith("\r\n<452>"));
}

TEST_F(SessionTest, FloodOfDataIsBoundedAndTimesOut) {
  comm_.setLocalEcho(true);
  fault("AT", Fault::Flood, {}, 1 << 20);
  EXPECT_EQ(session_.SendSmsPdu("hi", modPDU::kTextSms, false), 3);
  EXPECT_LE(status().size(), StatusText::kMaxChars + 64 * 1024);
  EXPECT_LE(session_.RxBuffer().size(), 64 * 1024);
  EXPECT_FALSE(port_.PortOpen());
}

TEST_F(SessionTest, StopEndsTheWaitOfEveryStep) {
  // Each step's command goes unanswered; Stop comes while its wait runs.
  const char* steps[] = {"AT", "AT+CMGF=0", "AT+CPMS=*", "AT+CMGS=*", "DATA"};
  for (const char* step : steps) {
    phonesim::PhoneSim sim;
    ASSERT_TRUE(sim.start());
    sim.addRule(Rule{step, Fault::Silent, {}, 0});
    comm_.setPortPath(sim.devicePath());
    // Stop a little after the silent step was reached.
    QObject::connect(&sim, &phonesim::PhoneSim::commandReceived, &sim, [&](const QByteArray& l) {
      const QByteArray s(step);
      if (s == "DATA" ? l.startsWith("AT+CMGS")
                      : (s.endsWith('*') ? l.startsWith(s.chopped(1)) : l == s))
        QTimer::singleShot(s == "DATA" ? 100 : 5, &session_, &DataCableSession::requestStop);
    });
    EXPECT_EQ(session_.SendSmsPdu("hi", modPDU::kTextSms, false), 4) << step;
    EXPECT_TRUE(status().contains("\r\n<459>: ")) << step;
    EXPECT_FALSE(port_.PortOpen());
  }
  phonesim::PhoneSim sim;
  ASSERT_TRUE(sim.start());
  sim.addRule(Rule{"AT+CKPD=*", Fault::Silent, {}, 0});
  comm_.setPortPath(sim.devicePath());
  QObject::connect(&sim, &phonesim::PhoneSim::commandReceived, &session_,
                   &DataCableSession::requestStop);
  EXPECT_EQ(session_.SendKeypress("123"), 4);
}

TEST_F(SessionTest, BadPortBadNumberAndASecondSession) {
  // A port that is not there: the error is shown once, the port goes back to 1.
  comm_.setPort(7);
  comm_.setPortPath("/dev/no-such-serial-port");
  EXPECT_EQ(session_.SendSmsPdu("hi", modPDU::kTextSms, false), DataCableSession::kPortFailed);
  EXPECT_EQ(portErrors_.size(), 1);
  EXPECT_EQ(comm_.Port(), 1);
  EXPECT_TRUE(comm_.PortPath().isEmpty());

  // A port another program holds.
  comm_.setPortPath(sim_.devicePath());
  {
    CommPort other;
    other.setPortPath(sim_.devicePath());
    ASSERT_TRUE(other.setPortOpen(true)) << other.ErrorText().toStdString();
    EXPECT_EQ(session_.SyncClock(), DataCableSession::kPortFailed);
    EXPECT_EQ(portErrors_.size(), 2);
    EXPECT_TRUE(sim_.commands().isEmpty());
  }

  // A number with letters: the library refuses the PDU; the session ends with the port
  // closed and nothing sent.
  comm_.setPortPath(sim_.devicePath());
  sms_.SetDestAdr("12x4", 0);
  EXPECT_EQ(session_.SendSmsPdu("hi", modPDU::kTextSms, false), DataCableSession::kPduFailed);
  EXPECT_EQ(pduErrors_.size(), 1);
  EXPECT_TRUE(status().contains("\r\n<2>: <454> <12>"));
  EXPECT_TRUE(sim_.sentMessages().isEmpty());
  EXPECT_FALSE(port_.PortOpen());
  // An empty text builds no PDU either (without a second message).
  sms_.SetDestAdr("1234", 0);
  EXPECT_EQ(session_.SendSmsPdu("", modPDU::kTextSms, false), DataCableSession::kPduFailed);
  EXPECT_EQ(pduErrors_.size(), 1);

  // While one session runs, no second one starts.
  int second = 0;
  QObject::connect(&sim_, &phonesim::PhoneSim::commandReceived, &session_,
                   [&](const QByteArray& line) {
                     if (line == "AT+CMGF=0") second = session_.SyncClock();
                   });
  EXPECT_EQ(session_.SendSmsPdu("hi", modPDU::kTextSms, false), 1);
  EXPECT_EQ(second, DataCableSession::kBusy);
}

TEST(StatusTextTest, TerminalRules) {
  StatusText box;
  // "O K CR LF", in whatever pieces it arrives, shows as OK and one line break.
  box.append("O");
  box.append("K\r");
  box.append("\n");
  EXPECT_EQ(box.text(), "OK\r\n");
  // A backspace takes back the character before it; at the start, the box's last one
  // (a line break as a whole).
  box.append("abx\bc");
  EXPECT_EQ(box.text(), "OK\r\nabc");
  box.append("\b\bz");
  EXPECT_EQ(box.text(), "OK\r\naz");
  box.clear();
  box.append("line\r");
  box.append("\bX");
  EXPECT_EQ(box.text(), "lineX");
  // Past 16000 characters the first 4096 go before the next text is added.
  box.clear();
  box.append(QString(16001, 'a'));
  box.append("b");
  EXPECT_EQ(box.text().size(), 16001 - 4096 + 1);
  box.append("c");
  EXPECT_EQ(box.text().size(), 16001 - 4096 + 2);
}

TEST(AnswerErrorTest, MessagesByCode) {
  app();
  CommPort port;
  clCommProps comm;
  clSMSProps sms;
  DataCableSession s(port, comm, sms);
  s.setStrings([](int id) { return QStringLiteral("<%1>").arg(id); });
  for (const int code : {2, 3, 4, -1, 0}) s.ReportAnswerError(code, "step");
  EXPECT_EQ(s.status().text(),
            "\r\n<457>: step\r\n<458>: step\r\n<459>: step\r\n<2>: step\r\n<2>: step");
  EXPECT_EQ(DataCableSession::ClockCommand(QDateTime(QDate(2003, 12, 24), QTime(18, 5, 9))),
            "at+cclk=\"03/12/24,18:05:09\"\r");
}

}  // namespace
