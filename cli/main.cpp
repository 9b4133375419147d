// pealix-cli: converts ringtones between formats and inspects them, for scripts and
// headless machines. It loads the melody library from its own folder as the window does.
#include <QCoreApplication>
#include <cstring>
#include <iostream>
#include <iterator>
#include <sstream>

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
    {"render", "render a melody into an audio ringtone (MP3, OGG, M4R...)", cli::runRender,
     cli::helpRender},
    {"ports", "list the serial ports with their numbers", cli::runPorts, cli::helpPorts},
    {"send", "send an SMS, a ringtone, key presses or the clock to a phone", cli::runSend,
     cli::helpSend},
};

void usage(std::ostream& out) {
  out << "usage: pealix-cli COMMAND [ARGS...]\n\ncommands:\n";
  for (const cli::Command& c : kCommands)
    out << "  " << c.name << std::string(12 - std::strlen(c.name), ' ') << c.summary << "\n";
  out << "\n'pealix-cli COMMAND --help' describes a command; 'pealix-cli --version'\n"
         "prints the version.\n";
}

// After a usage error: the command's synopsis (its help up to the first blank line) on
// standard error, so that standard output carries nothing but a command's results.
void synopsis(const cli::Command& c) {
  std::ostringstream text;
  std::streambuf* const out = std::cout.rdbuf(text.rdbuf());
  c.help();
  std::cout.rdbuf(out);
  const std::string help = text.str();
  const size_t end = help.find("\n\n");
  std::cerr << help.substr(0, end == std::string::npos ? help.size() : end + 1) << "'pealix-cli "
            << c.name << " --help' describes the options.\n";
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc < 2) {
    usage(std::cerr);
    return 2;
  }
  if (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
    usage(std::cout);
    return 0;
  }
  if (!std::strcmp(argv[1], "--version")) {
    std::cout << "pealix-cli " PEALIX_VERSION "\n";
    return 0;
  }
  for (const cli::Command& c : kCommands) {
    if (std::strcmp(argv[1], c.name) != 0) continue;
    // A --help after "--" is a file name.
    for (int i = 2; i < argc && std::strcmp(argv[i], "--") != 0; ++i)
      if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
        c.help();
        return 0;
      }
    const int status = c.run(argc - 1, argv + 1);
    if (status == 2) synopsis(c);
    return status;
  }
  std::cerr << "pealix-cli: unknown command '" << argv[1] << "'\n\n";
  usage(std::cerr);
  return 2;
}
