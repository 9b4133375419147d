// pealix-phonesim: a simulated phone on a pseudo-terminal. Prints the device path on the
// first line of standard output, then answers AT commands until it is terminated.
//   pealix-phonesim [--no-echo] [--record FILE] [--pending-input N] [--fault RULE]...
// RULE is TRIGGER[#N]=KIND[:ARG], e.g. AT+CMGS=*=silent, DATA=cms:500, AT=slow:800,
// DATA#2=cms:500 (only the second message's data).
#include <QCoreApplication>
#include <QStringList>

#include <csignal>
#include <cstdio>

#include "phonesim.h"

namespace {

void usage() {
  std::fprintf(stderr,
               "usage: pealix-phonesim [--no-echo] [--record FILE] [--pending-input N]\n"
               "                       [--fault TRIGGER[#N]=KIND[:ARG]]...\n"
               "TRIGGER: a command (AT+CMGF=0), a prefix (AT+CMGS=*), DATA, LINE or *;\n"
               "         TRIGGER#N: only its N-th match (DATA#2: the second message)\n"
               "KIND: silent, error, cms[:CODE], reply:TEXT, garbage[:N], flood[:N], hangup,\n"
               "      slow:MS\n");
}

void quit(int) {
  QCoreApplication::quit();
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  phonesim::PhoneSim sim;
  const QStringList args = app.arguments().mid(1);
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--no-echo") {
      sim.setEcho(false);
    } else if (a == "--record" && hasValue) {
      sim.setRecordFile(args[++i]);
    } else if (a == "--pending-input" && hasValue) {
      sim.beginPendingInput(args[++i].toInt());
    } else if (a == "--fault" && hasValue) {
      phonesim::Rule rule;
      if (!phonesim::ParseRule(args[++i], &rule)) {
        std::fprintf(stderr, "pealix-phonesim: cannot read the fault '%s'\n",
                     args[i].toLocal8Bit().constData());
        return 2;
      }
      sim.addRule(rule);
    } else {
      usage();
      return a == "--help" || a == "-h" ? 0 : 2;
    }
  }
  if (!sim.start()) {
    std::fprintf(stderr, "pealix-phonesim: %s\n", sim.errorText().toLocal8Bit().constData());
    return 1;
  }
  std::signal(SIGTERM, quit);
  std::signal(SIGINT, quit);
  std::printf("%s\n", sim.devicePath().toLocal8Bit().constData());
  std::fflush(stdout);
  return app.exec();
}
