#include <iomanip>
#include <iostream>

#include "cli_common.h"
#include "commands.h"
#include "song_input.h"

namespace cli {

void helpInfo() {
  std::cout << "usage: pealix-cli info INPUT [--from FMT] [--channel N] [--delimiter C]\n"
               "       pealix-cli info SONG.mid --channels\n\n"
               "Shows the melody's title, tempo and events, one line each: number, length,\n"
               "dot and the event in words. For a MIDI file also the channels with notes.\n"
               "Then the range check against the eight target formats: per format the notes\n"
               "too high and too low, the lengths too long and too short, the events left, the\n"
               "tempo and the verdict (fits / close / does not fit).\n\n"
               "  --channels  MIDI: the channels that carry notes instead, best melody first:\n"
               "              melody score (0..100; drums are never chosen), notes, range,\n"
               "              share of the time with chords, repeated phrases, track names\n"
               "              and instrument\n";
}

int runInfo(int argc, char** argv) {
  Args args(argc, argv, 1);
  bool bad = false;
  const auto from = args.value("--from");
  const auto channel = args.intValue("--channel", bad);
  const std::string delimiter = args.value("--delimiter").value_or(" ");
  const bool channels = args.flag("--channels");
  for (const std::string& u : args.unknown()) {
    std::cerr << "pealix-cli info: unknown option " << u << "\n";
    bad = true;
  }
  if (bad || args.positional().size() != 1) {
    return 2;
  }
  const std::string input = args.positional()[0];
  const CliFormat* format = from ? formatByName(*from) : formatForRead(input);
  if (!format) {
    std::cerr << "pealix-cli info: cannot tell the format of " << input
              << "; name it with --from\n";
    return 2;
  }
  if (channel && (*channel < 1 || *channel > 16)) {
    std::cerr << "pealix-cli info: --channel takes 1..16\n";
    return 2;
  }
  if (channels) {
    if (format->id != RV_FORMAT_MIDI || channel) {
      std::cerr << "pealix-cli info: --channels lists the channels of a MIDI file (no --channel)\n";
      return 2;
    }
    return printChannelTable(input) ? 0 : 1;
  }
  if (!loadLibrary()) return 1;
  Document doc;
  if (!readInput(input, *format, channel ? *channel - 1 : 255, delimiter, doc)) return 1;

  std::cout << "title:  " << doc.title << "\n"
            << "tempo:  " << doc.bpm << " bpm\n"
            << "format: " << format->name << "\n";
  if (format->id == RV_FORMAT_MIDI) {
    std::cout << "channel read: " << doc.channelUsed + 1 << "\nchannels with notes:";
    for (int c = 0; c < 16; ++c)
      if (doc.channelMask & (1 << c)) std::cout << " " << c + 1;
    std::cout << "\n";
  }
  std::cout << "events: " << doc.records.size() << "\n";
  for (size_t i = 0; i < doc.records.size(); ++i) {
    const EventRecord& r = doc.records[i];
    std::cout << std::setw(4) << i + 1 << "  " << std::left << std::setw(20)
              << lengthWords(r.iSimpleLen, r.iDotLen) << std::right << "  len " << std::setw(3)
              << r.iSimpleLen << " dot " << r.iDotLen << "  " << eventWords(r) << "\n";
  }
  printRangeCheck(doc);
  return 0;
}

}  // namespace cli
