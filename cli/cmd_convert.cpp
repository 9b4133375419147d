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

namespace {

// One convert call's options as given, and the formats and writer options chosen from them.
struct ConvertCall {
  std::optional<std::string> from, to;
  std::optional<int32_t> channel;  // --channel N, 1..16
  bool melody = false;
  std::optional<std::string> outDir;
  bool eachLine = false;
  bool quiet = false;
  std::optional<int32_t> jobs;
  bool stringForm = false;
  std::string delimiter;
  SongOptions song;
  const CliFormat* inFormat = nullptr;
  const CliFormat* outFormat = nullptr;
  std::string input, output;  // one file's conversion
  std::vector<int32_t> options;

  bool batch() const { return outDir.has_value(); }
  // The channel as the readers take it: 0-based, 255 the first with notes.
  int32_t readChannel() const { return channel ? *channel - 1 : 255; }
};

// Takes the options that do not depend on the formats; false (after saying why) when one
// is wrong.
bool readConvertOptions(Args& args, ConvertCall& c) {
  bool bad = false;
  c.from = args.value("--from");
  c.to = args.value("--to");
  // "--channel auto" is "--melody"; any other value is a channel number.
  const auto channelText = args.value("--channel");
  const bool channelAuto = channelText && *channelText == "auto";
  if (channelText && !channelAuto) {
    try {
      size_t used = 0;
      c.channel = std::stoi(*channelText, &used);
      if (used != channelText->size()) throw std::invalid_argument(*channelText);
    } catch (const std::exception&) {
      std::cerr << "pealix-cli: --channel needs a whole number or 'auto', not '" << *channelText
                << "'\n";
      bad = true;
    }
  }
  c.melody = args.flag("--melody") || channelAuto;
  const auto fitName = args.value("--fit");
  const auto excerptText = args.value("--excerpt");
  c.outDir = args.value("--out-dir");
  c.eachLine = args.flag("--each-line");
  c.quiet = args.flag("--quiet");
  c.jobs = args.intValue("--jobs", bad);
  c.stringForm = args.flag("--string");
  c.delimiter = args.value("--delimiter").value_or(" ");
  claimWriterOptionValues(args);
  if (bad) return false;
  if (c.channel && (*c.channel < 1 || *c.channel > 16)) {
    std::cerr << "pealix-cli convert: --channel takes 1..16\n";
    return false;
  }
  c.song.melody = c.melody;
  c.song.channel = c.channel.value_or(0);
  if (fitName) {
    if (!c.melody) {
      std::cerr << "pealix-cli convert: --fit needs --melody\n";
      return false;
    }
    if (!(c.song.fitFormatId = fitFormatFromArgument("convert", *fitName))) return false;
  }
  if (excerptText) {
    if (!c.melody) {
      std::cerr << "pealix-cli convert: --excerpt needs --melody\n";
      return false;
    }
    if (!excerptFromArgument("convert", *excerptText, c.song.excerpt)) return false;
  }
  return true;
}

// The input and output formats: named, or by the file names of a single conversion.
bool chooseConvertFormats(const Args& args, ConvertCall& c) {
  if (c.batch()) {
    if (!c.to || args.positional().empty() || c.stringForm || (c.jobs && *c.jobs < 1)) {
      std::cerr << "pealix-cli convert: --out-dir needs --to and at least one INPUT"
                   " (no --string; --jobs at least 1)\n";
      return false;
    }
    if (c.from && !(c.inFormat = chooseFormat("convert", c.from, "", true))) return false;
    if (!(c.outFormat = chooseFormat("convert", c.to, "", false))) return false;
    if (c.eachLine && c.from && std::string(c.inFormat->name) != "rtttl") {
      std::cerr << "pealix-cli convert: --each-line reads RTTTL tunes\n";
      return false;
    }
  } else {
    if (c.eachLine || c.quiet || c.jobs) {
      std::cerr << "pealix-cli convert: --each-line, --quiet and --jobs need --out-dir\n";
      return false;
    }
    if (args.positional().size() != 2) {
      std::cerr << "pealix-cli convert: needs INPUT and OUTPUT\n";
      return false;
    }
    c.input = args.positional()[0];
    c.output = args.positional()[1];
    c.inFormat = chooseFormat("convert", c.from, c.input, true);
    c.outFormat = c.inFormat ? chooseFormat("convert", c.to, c.output, false) : nullptr;
    if (!c.inFormat || !c.outFormat) return false;
  }
  if (!c.outFormat->row->writable) {
    std::cerr << "pealix-cli convert: " << c.outFormat->name << " can only be read\n";
    return false;
  }
  if (c.batch() && isAppFormat(*c.outFormat)) {
    std::cerr << "pealix-cli convert: composer text is written one file at a time\n";
    return false;
  }
  return true;
}

// The output format's writer options, then any option no step asked for.
bool readWriterAndUnknownOptions(Args& args, ConvertCall& c) {
  std::string error;
  if (!writerOptions(args, *c.outFormat, c.options, error)) {
    if (!error.empty()) std::cerr << "pealix-cli convert: " << error << "\n";
    return false;
  }
  bool bad = false;
  for (const std::string& u : args.unknown()) {
    std::cerr << "pealix-cli convert: unknown option " << u << "\n";
    bad = true;
  }
  return !bad;
}

int convertBatch(const ConvertCall& c, const std::vector<std::string>& inputs) {
  BatchSettings settings;
  settings.from = c.inFormat;
  settings.to = c.outFormat;
  settings.options = c.options;
  settings.outDir = *c.outDir;
  settings.eachLine = c.eachLine;
  settings.progress = !c.quiet;
  settings.jobs = c.jobs.value_or(0);
  settings.channel = c.readChannel();
  settings.delimiter = c.delimiter;
  settings.song = c.song;
  return runBatch(settings, inputs);
}

// Reads the one input, as written or as a song's melody line; 0, else the exit status.
int readConvertInput(const ConvertCall& c, Document& doc) {
  if (c.melody) {
    if (c.inFormat->id != RV_FORMAT_MIDI) {
      std::cerr << "pealix-cli convert: --melody reads MIDI files\n";
      return 2;
    }
    std::string error, report;
    if (!readSongMelody(c.input, c.song, doc, error, &report)) {
      std::cerr << "pealix-cli: " << c.input << ": " << error << "\n";
      return 1;
    }
    (c.output == "-" ? std::cerr : std::cout) << report << "\n";
  } else if (!readInput(c.input, *c.inFormat, c.readChannel(), c.delimiter, doc)) {
    return 1;
  }
  return 0;
}

int convertOne(const ConvertCall& c) {
  Document doc;
  if (const int status = readConvertInput(c, doc)) return status;
  if (doc.roundedEvents > 0)
    std::cerr << "pealix-cli: note: " << doc.roundedEvents
              << " notes and pauses were read to the nearest length or key the melody holds\n";
  if (isAppFormat(*c.outFormat)) {
    if (!writeComposerText(doc, c.output, c.delimiter)) return 1;
  } else if (!writeMelody(doc, c.output, *c.outFormat, c.options, c.stringForm)) {
    return 1;
  }
  statusStream(c.output) << "wrote " << (c.output == "-" ? "standard output" : c.output) << " ("
                         << c.outFormat->name << ", " << doc.records.size() << " events)\n";
  return 0;
}

}  // namespace

int runConvert(int argc, char** argv) {
  Args args(argc, argv, 1);
  ConvertCall call;
  if (!readConvertOptions(args, call) || !chooseConvertFormats(args, call) ||
      !readWriterAndUnknownOptions(args, call))
    return 2;
  if (!loadLibrary()) return 1;
  if (call.batch()) return convertBatch(call, args.positional());
  return convertOne(call);
}

}  // namespace cli
