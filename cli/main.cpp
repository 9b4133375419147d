// pealix-cli: converts ringtones between formats and inspects them, for scripts and
// headless machines. It loads the melody library from its own folder as the window does.
#include <QCoreApplication>
#include <cstring>
#include <iostream>
#include <iterator>

#include "commands.h"

namespace {

const cli::Command kCommands[] = {
    {"convert", "convert a melody from one format into another", cli::runConvert, cli::helpConvert},
    {"info", "show a melody's title, tempo and events", cli::runInfo, cli::helpInfo},
    {"formats", "list the formats and what each can do", cli::runFormats, cli::helpFormats},
    {"transform", "lengthen, or velocities <-> volume", cli::runTransform, cli::helpTransform},
    {"pdu", "build the SMS PDU of a text or a ringtone", cli::runPdu, cli::helpPdu},
    {"devices", "list the MIDI output devices", cli::runDevices, cli::helpDevices},
    {"play", "play a melody on a MIDI output device", cli::runPlay, cli::helpPlay},
    {"render", "render a melody's playback into a WAV file", cli::runRender, cli::helpRender},
    {"ports", "list the serial ports with their numbers", cli::runPorts, cli::helpPorts},
    {"send", "send an SMS, a ringtone, key presses or the clock to a phone", cli::runSend,
     cli::helpSend},
};

void usage() {
  std::cout << "usage: pealix-cli COMMAND [ARGS...]\n\ncommands:\n";
  for (const cli::Command& c : kCommands)
    std::cout << "  " << c.name << std::string(12 - std::strlen(c.name), ' ') << c.summary << "\n";
  std::cout << "\n'pealix-cli COMMAND --help' describes a command; 'pealix-cli --version'\n"
               "prints the version.\n";
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
    usage();
    return argc < 2 ? 2 : 0;
  }
  if (!std::strcmp(argv[1], "--version")) {
    std::cout << "pealix-cli " PEALIX_VERSION "\n";
    return 0;
  }
  for (const cli::Command& c : kCommands) {
    if (std::strcmp(argv[1], c.name) != 0) continue;
    for (int i = 2; i < argc; ++i)
      if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
        c.help();
        return 0;
      }
    return c.run(argc - 1, argv + 1);
  }
  std::cerr << "pealix-cli: unknown command '" << argv[1] << "'\n\n";
  usage();
  return 2;
}
