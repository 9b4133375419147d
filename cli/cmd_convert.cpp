#include <iostream>

#include "batch.h"
#include "cli_common.h"
#include "commands.h"
#include "song_input.h"
#include "writer_options.h"

namespace cli {

namespace {

// ".srt sagem, .rtx/.txt rtttl, ...": the extensions that choose each format.
std::vector<std::string> extensionsHelp() {
  std::vector<std::string> pieces;
  for (const CliFormat& f : formats()) {
    std::string extensions = extensionsOf(f);
    if (extensions.empty()) continue;
    for (char& c : extensions)
      if (c == ' ') c = '/';
    if (!pieces.empty()) pieces.back() += ",";
    pieces.push_back(extensions + " " + f.name);
  }
  return pieces;
}

// The format names, wrapped for the option column.
std::string wrapped(const std::vector<std::string>& words, const std::string& indent) {
  std::string text, line;
  for (const std::string& w : words) {
    if (!line.empty() && line.size() + 1 + w.size() > 64) {
      text += line + "\n" + indent;
      line.clear();
    }
    line += (line.empty() ? "" : " ") + w;
  }
  return text + line;
}

std::string formatNamesHelp() {
  std::vector<std::string> names;
  for (const CliFormat& f : formats()) names.emplace_back(f.name);
  return wrapped(names, "               ");
}

}  // namespace

void helpConvert() {
  std::cout
      << "usage: pealix-cli convert INPUT OUTPUT [--from FMT] [--to FMT] [--channel N]\n"
         "                          [--melody] [--fit FMT] [--excerpt PART]\n"
         "                          [WRITER OPTIONS] [--string] [--delimiter C]\n"
         "       pealix-cli convert --to FMT --out-dir DIR [--each-line] [--quiet] [--jobs N]\n"
         "                          [--from FMT] [--melody [--fit FMT]] [WRITER OPTIONS]\n"
         "                          INPUT...\n\n"
         "Reads INPUT and writes it to OUTPUT in another format. Without --from/--to the\n"
         "format follows the file extension:\n  "
      << wrapped(extensionsHelp(), "  ")
      << ".\nINPUT '-' reads standard input, OUTPUT '-' writes the rendering to standard\n"
         "output.\n\n"
         "With --out-dir every INPUT (files, and folders walked for the readable extensions)\n"
         "is converted into DIR, each output named after its input with the format's\n"
         "extension (a name already taken gets -2, -3 ...). The work runs on all cores; each\n"
         "file appears in DIR only once it is complete. Every failure is listed with its\n"
         "file (and line) and reason, then a summary line; the exit status is 1 when any\n"
         "input failed.\n\n"
         "  FMT          "
      << formatNamesHelp()
      << "\n"
         "               ('pealix-cli formats' says what each reads and writes)\n"
         "  --each-line  every non-empty line of an input is one RTTTL tune, named after the\n"
         "               tune's name (made safe for file names)\n"
         "  --quiet      no progress bar (it is shown only when standard error is a terminal)\n"
         "  --jobs N     worker threads (default: one per core)\n"
         "  --delimiter C  composer text: the token delimiter (default: a blank)\n"
         "  --channel N  MIDI input: read channel N (1..16); default: the first with notes\n"
         "  --melody     MIDI input: take the song's melody as a ringtone: the channel that\n"
         "               scores best as the tune (never the drums; --channel N takes N), its\n"
         "               highest notes where notes overlap, onsets and lengths on the\n"
         "               ringtone grid; for batches, every MIDI input (--channel auto: the\n"
         "               same; 'pealix-cli info SONG.mid --channels' shows the scores)\n"
         "  --fit FMT    with --melody: also move the notes into FMT's range and cut at a\n"
         "               phrase end to its event limit ("
      << fitNamesHelp()
      << "); a melody longer than FMT\n"
         "               holds becomes the song's hook\n"
         "  --excerpt PART  with --melody: the part of the song to take: hook (the\n"
         "               returning section that is not the verse: the chorus), start (from\n"
         "               the beginning, cut at the limit) or bars:A-B (bars A to B, from 1);\n"
         "               default: the whole melody, or the hook when --fit cannot hold it\n"
         "  --string     write the library's string rendering (iMelody: fitted, at most\n"
         "               122 characters)\n\n"
         "Writer options, by output format:\n"
      << writerOptionsHelp();
}

int runConvert(int argc, char** argv) {
  Args args(argc, argv, 1);
  bool bad = false;
  const auto from = args.value("--from");
  const auto to = args.value("--to");
  // "--channel auto" is "--melody"; any other value is a channel number.
  const auto channelText = args.value("--channel");
  const bool channelAuto = channelText && *channelText == "auto";
  std::optional<int32_t> channel;
  if (channelText && !channelAuto) {
    try {
      size_t used = 0;
      channel = std::stoi(*channelText, &used);
      if (used != channelText->size()) throw std::invalid_argument(*channelText);
    } catch (const std::exception&) {
      std::cerr << "pealix-cli: --channel needs a whole number or 'auto', not '" << *channelText
                << "'\n";
      bad = true;
    }
  }
  const bool melody = args.flag("--melody") || channelAuto;
  const auto fitName = args.value("--fit");
  const auto excerptText = args.value("--excerpt");
  const auto outDir = args.value("--out-dir");
  const bool eachLine = args.flag("--each-line");
  const bool quiet = args.flag("--quiet");
  const auto jobs = args.intValue("--jobs", bad);
  const bool stringForm = args.flag("--string");
  const std::string delimiter = args.value("--delimiter").value_or(" ");
  const bool batch = outDir.has_value();
  claimWriterOptionValues(args);
  if (bad) {
    return 2;
  }
  if (channel && (*channel < 1 || *channel > 16)) {
    std::cerr << "pealix-cli convert: --channel takes 1..16\n";
    return 2;
  }
  SongOptions song;
  song.melody = melody;
  song.channel = channel.value_or(0);
  if (fitName) {
    if (!melody) {
      std::cerr << "pealix-cli convert: --fit needs --melody\n";
      return 2;
    }
    if (!(song.fitFormatId = fitFormatFromArgument("convert", *fitName))) return 2;
  }
  if (excerptText) {
    if (!melody) {
      std::cerr << "pealix-cli convert: --excerpt needs --melody\n";
      return 2;
    }
    if (!excerptFromArgument("convert", *excerptText, song.excerpt)) return 2;
  }

  const CliFormat* inFormat = nullptr;
  const CliFormat* outFormat = nullptr;
  std::string input, output;
  if (batch) {
    if (!to || args.positional().empty() || stringForm || (jobs && *jobs < 1)) {
      std::cerr << "pealix-cli convert: --out-dir needs --to and at least one INPUT"
                   " (no --string; --jobs at least 1)\n";
      return 2;
    }
    if (from && !(inFormat = chooseFormat("convert", from, "", true))) return 2;
    if (!(outFormat = chooseFormat("convert", to, "", false))) return 2;
    if (eachLine && from && std::string(inFormat->name) != "rtttl") {
      std::cerr << "pealix-cli convert: --each-line reads RTTTL tunes\n";
      return 2;
    }
  } else {
    if (eachLine || quiet || jobs) {
      std::cerr << "pealix-cli convert: --each-line, --quiet and --jobs need --out-dir\n";
      return 2;
    }
    if (args.positional().size() != 2) {
      std::cerr << "pealix-cli convert: needs INPUT and OUTPUT\n";
      return 2;
    }
    input = args.positional()[0];
    output = args.positional()[1];
    inFormat = chooseFormat("convert", from, input, true);
    outFormat = inFormat ? chooseFormat("convert", to, output, false) : nullptr;
    if (!inFormat || !outFormat) return 2;
  }
  if (!outFormat->row->writable) {
    std::cerr << "pealix-cli convert: " << outFormat->name << " can only be read\n";
    return 2;
  }
  if (batch && isAppFormat(*outFormat)) {
    std::cerr << "pealix-cli convert: composer text is written one file at a time\n";
    return 2;
  }
  std::vector<int32_t> options;
  std::string error;
  if (!writerOptions(args, *outFormat, options, error)) {
    if (!error.empty()) std::cerr << "pealix-cli convert: " << error << "\n";
    return 2;
  }
  for (const std::string& u : args.unknown()) {
    std::cerr << "pealix-cli convert: unknown option " << u << "\n";
    bad = true;
  }
  if (bad) {
    return 2;
  }

  if (!loadLibrary()) return 1;
  if (batch) {
    BatchSettings settings;
    settings.from = inFormat;
    settings.to = outFormat;
    settings.options = options;
    settings.outDir = *outDir;
    settings.eachLine = eachLine;
    settings.progress = !quiet;
    settings.jobs = jobs.value_or(0);
    settings.channel = channel ? *channel - 1 : 255;
    settings.delimiter = delimiter;
    settings.song = song;
    return runBatch(settings, args.positional());
  }

  Document doc;
  if (melody) {
    if (inFormat->id != RV_FORMAT_MIDI) {
      std::cerr << "pealix-cli convert: --melody reads MIDI files\n";
      return 2;
    }
    std::string error, report;
    if (!readSongMelody(input, song, doc, error, &report)) {
      std::cerr << "pealix-cli: " << input << ": " << error << "\n";
      return 1;
    }
    (output == "-" ? std::cerr : std::cout) << report << "\n";
  } else if (!readInput(input, *inFormat, channel ? *channel - 1 : 255, delimiter, doc)) {
    return 1;
  }
  if (doc.roundedEvents > 0)
    std::cerr << "pealix-cli: note: " << doc.roundedEvents
              << " notes and pauses were read to the nearest length or key the melody holds\n";
  if (isAppFormat(*outFormat)) {
    if (!writeComposerText(doc, output, delimiter)) return 1;
  } else if (!writeMelody(doc, output, *outFormat, options, stringForm)) {
    return 1;
  }
  statusStream(output) << "wrote " << (output == "-" ? "standard output" : output) << " ("
                       << outFormat->name << ", " << doc.records.size() << " events)\n";
  return 0;
}

}  // namespace cli
