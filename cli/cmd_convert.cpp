#include <iostream>

#include "cli_common.h"
#include "commands.h"

namespace cli {

void helpConvert() {
  std::cout << "usage: pealix-cli convert INPUT OUTPUT [--from FMT] [--to FMT] [--channel N]\n"
               "                          [--option6 N] [--option7 N] [--option8 N] [--string]\n"
               "                          [--delimiter C]\n\n"
               "Reads INPUT and writes it to OUTPUT in another format. Without --from/--to the\n"
               "format follows the file extension (.rtx/.txt RTTTL, .mid/.midi MIDI, .srt Sagem,\n"
               ".pkp key presses, .ota Nokia, .imy iMelody, .xml test XML). INPUT '-' reads\n"
               "standard input, OUTPUT '-' writes the rendering to standard output.\n\n"
               "  FMT          sagem keypress rtttl alcatel nokia midi motorola imelody xml,\n"
               "               composer (Nokia composer text, read and write), sagemhex (Sagem\n"
               "               hex text, read only)\n"
               "  --delimiter C  composer text: the token delimiter (default: a blank)\n"
               "  --channel N  MIDI input: read channel N (1..16); default: the first with notes\n"
               "  --optionK N  the writer's format options (control elements 6, 7, 8);\n"
               "               sagem: 6 size limit in characters (0 none, else at least 35),\n"
               "               7 line end (0 line feed, 1 carriage return + line feed),\n"
               "               8 keep up to 20 title characters within the size limit (1)\n"
               "  --string     write the library's string rendering (iMelody: fitted, at most\n"
               "               122 characters)\n";
}

int runConvert(int argc, char** argv) {
  Args args(argc, argv, 1);
  bool bad = false;
  const auto from = args.value("--from");
  const auto to = args.value("--to");
  const auto channel = args.intValue("--channel", bad);
  const auto option6 = args.intValue("--option6", bad);
  const auto option7 = args.intValue("--option7", bad);
  const auto option8 = args.intValue("--option8", bad);
  const bool stringForm = args.flag("--string");
  const std::string delimiter = args.value("--delimiter").value_or(" ");
  for (const std::string& u : args.unknown()) {
    std::cerr << "pealix-cli convert: unknown option " << u << "\n";
    bad = true;
  }
  if (bad || args.positional().size() != 2) {
    if (!bad) std::cerr << "pealix-cli convert: needs INPUT and OUTPUT\n";
    helpConvert();
    return 2;
  }
  const std::string input = args.positional()[0];
  const std::string output = args.positional()[1];
  if (channel && (*channel < 1 || *channel > 16)) {
    std::cerr << "pealix-cli convert: --channel takes 1..16\n";
    return 2;
  }

  const CliFormat* inFormat = chooseFormat("convert", from, input, true);
  const CliFormat* outFormat = inFormat ? chooseFormat("convert", to, output, false) : nullptr;
  if (!inFormat || !outFormat) return 2;
  const std::vector<int32_t> options = composeOptions(*outFormat, {option6, option7, option8});

  if (!loadLibrary()) return 1;
  Document doc;
  if (isAppFormat(*inFormat) ? !readAppText(input, *inFormat, delimiter, doc)
                             : !readMelody(input, *inFormat, channel ? *channel - 1 : 255, doc))
    return 1;
  if (isAppFormat(*outFormat)) {
    if (std::string(outFormat->name) != "composer") {
      std::cerr << "pealix-cli convert: " << outFormat->name << " can only be read\n";
      return 2;
    }
    if (!writeComposerText(doc, output, delimiter)) return 1;
  } else if (!writeMelody(doc, output, *outFormat, options, stringForm)) {
    return 1;
  }
  if (output != "-")
    std::cout << "wrote " << output << " (" << outFormat->name << ", " << doc.records.size()
              << " events)\n";
  return 0;
}

}  // namespace cli
