#include <algorithm>
#include <cstdint>
#include <iostream>
#include <optional>
#include <vector>

#include "cli_common.h"
#include "commands.h"
#include "melody/rvmelodyapi.h"
#include "writer_options.h"

namespace cli {
namespace {

// The operations of rvmModifyMelody this command offers, with the factor each uses.
struct Transformation {
  const char* flag;
  int32_t operation;
  int32_t factor;
};

constexpr Transformation kTransformations[] = {
    {"--longer", RV_MODIFY_SCALE_DURATIONS, 2},
    {"--velocities-to-volume", RV_MODIFY_VELOCITY_TO_VOLUME, 0},
    {"--volume-to-velocities", RV_MODIFY_VOLUME_TO_VELOCITY, 0},
};

// Runs the operation on the records, with room to grow: doubling durations splits notes
// and volume events come in front of notes, so the result may need more records.
int32_t transform(Document& doc, const Transformation& t) {
  constexpr int64_t kMostRecords = int64_t{1} << 24;
  const int64_t count = static_cast<int64_t>(doc.records.size());
  int64_t capacity = std::max<int64_t>(2 * count, count + 16);
  for (;;) {
    capacity = std::max(std::min(capacity, kMostRecords), count);
    std::vector<EventRecord> records = doc.records;
    records.resize(static_cast<size_t>(capacity));
    int32_t n = static_cast<int32_t>(count);
    const int32_t rc = RvMelodyApi::instance().rvmModifyMelody(
        records.data(), static_cast<int32_t>(capacity), &n, t.operation, t.factor);
    if (rc == RV_BUFFER_TOO_SMALL && capacity < kMostRecords) {
      capacity *= 4;
      continue;
    }
    if (rc == RV_OK) {
      records.resize(static_cast<size_t>(std::clamp<int64_t>(n, 0, capacity)));
      doc.records = std::move(records);
    }
    return rc;
  }
}

}  // namespace

void helpTransform() {
  std::cout << "usage: pealix-cli transform INPUT OUTPUT (--longer | --velocities-to-volume |\n"
               "                            --volume-to-velocities) [--from FMT] [--to FMT]\n"
               "                            [--channel N] [WRITER OPTIONS]\n\n"
               "Reads INPUT, transforms the melody and writes it to OUTPUT in OUTPUT's format\n"
               "(chosen by extension as for convert, or named with --to).\n\n"
               "  --longer                  every length doubled; notes longer than a whole note\n"
               "                            become a whole note followed by rests\n"
               "  --velocities-to-volume    a volume event before each change of note velocity\n"
               "  --volume-to-velocities    volume events folded into the notes' velocities\n"
               "  --channel N               MIDI input: read channel N (1..16)\n"
               "\nWriter options, by output format:\n"
            << writerOptionsHelp();
}

int runTransform(int argc, char** argv) {
  Args args(argc, argv, 1);
  bool bad = false;
  const Transformation* chosen = nullptr;
  int chosenCount = 0;
  for (const Transformation& t : kTransformations)
    if (args.flag(t.flag)) {
      chosen = &t;
      ++chosenCount;
    }
  const auto from = args.value("--from");
  const auto to = args.value("--to");
  const auto channel = args.intValue("--channel", bad);
  claimWriterOptionValues(args);
  if (!bad && args.positional().size() != 2) {
    std::cerr << "pealix-cli transform: needs INPUT and OUTPUT\n";
    bad = true;
  }
  if (!bad && chosenCount != 1) {
    std::cerr << "pealix-cli transform: give exactly one of --longer, --velocities-to-volume, "
                 "--volume-to-velocities\n";
    bad = true;
  }
  if (!bad && channel && (*channel < 1 || *channel > 16)) {
    std::cerr << "pealix-cli transform: --channel takes 1..16\n";
    bad = true;
  }
  if (bad) {
    return 2;
  }
  const std::string input = args.positional()[0];
  const std::string output = args.positional()[1];

  const CliFormat* inFormat = chooseFormat("transform", from, input, true);
  const CliFormat* outFormat = inFormat ? chooseFormat("transform", to, output, false) : nullptr;
  if (!inFormat || !outFormat) return 2;
  std::vector<int32_t> options;
  std::string error;
  if (!writerOptions(args, *outFormat, options, error)) {
    if (!error.empty()) std::cerr << "pealix-cli transform: " << error << "\n";
    return 2;
  }
  for (const std::string& u : args.unknown()) {
    std::cerr << "pealix-cli transform: unknown option " << u << "\n";
    bad = true;
  }
  if (bad) {
    return 2;
  }

  if (!loadLibrary()) return 1;
  Document doc;
  if (!readInput(input, *inFormat, channel ? *channel - 1 : 255, " ", doc)) return 1;
  if (doc.records.empty()) {
    std::cerr << "pealix-cli transform: " << input << " holds no events\n";
    return 1;
  }
  const int32_t rc = transform(doc, *chosen);
  if (rc != 1) {
    std::cerr << "pealix-cli transform: cannot transform: " << resultText(rc) << " (" << rc
              << ")\n";
    return 1;
  }
  if (!writeMelody(doc, output, *outFormat, options, false)) return 1;
  statusStream(output) << "wrote " << (output == "-" ? "standard output" : output) << " ("
                       << outFormat->name << ", " << doc.records.size() << " events)\n";
  return 0;
}

}  // namespace cli
