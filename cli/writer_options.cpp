#include "writer_options.h"

#include <algorithm>
#include <optional>

namespace cli {
namespace {

// One named option: a flag sets element `element` to `value` (Motorola's flags are bits
// of one option word), an option with a value name takes a whole number.
struct NamedOption {
  const char* name;
  const char* valueName;  // nullptr: a flag
  int32_t formatId;
  int element;    // 6, 7 or 8
  int32_t value;  // flags: the value or bit set
  const char* help;
};

const NamedOption kNamedOptions[] = {
    {"--size-limit", "N", RV_FORMAT_SAGEM, 6, 0,
     "size limit in characters (0 none, else at least 35)"},
    {"--crlf", nullptr, RV_FORMAT_SAGEM, 7, 1,
     "lines end in carriage return + line feed (default: line feed)"},
    {"--keep-title", nullptr, RV_FORMAT_SAGEM, 8, 1,
     "keep up to 20 title characters within the size limit"},
    {"--no-udh", nullptr, RV_FORMAT_NOKIA, 6, 0, "leave out the user data header for port 5505"},
    {"--binary", nullptr, RV_FORMAT_NOKIA, 7, 0, "write the bytes themselves, not their hex text"},
    {"--size-limit", "N", RV_FORMAT_NOKIA, 8, 0,
     "size limit in bytes with the header (default 140, least 30)"},
    {"--keypad-codes", nullptr, RV_FORMAT_KEYPRESS, 6, 2,
     "keypad codes for AT+CKPD instead of readable labels"},
    {"--no-header", nullptr, RV_FORMAT_KEYPRESS, 7, 0, "leave out the title line"},
    {"--start", "N", RV_FORMAT_KEYPRESS, 8, 0, "first event whose keys are written (default 0)"},
    {"--header-trailer", nullptr, RV_FORMAT_MOTOROLA, 6, 1,
     "header and trailer with check characters"},
    {"--no-token-limit", nullptr, RV_FORMAT_MOTOROLA, 6, 2, "write past the 35th token"},
    {"--blank-tokens", nullptr, RV_FORMAT_MOTOROLA, 6, 4, "a blank before each token"},
};

}  // namespace

bool writerOptions(Args& args, const CliFormat& format, std::vector<int32_t>& options,
                   std::string& error) {
  std::optional<int32_t> given[3];
  std::string givenBy[3];
  bool bits[3] = {};  // the element holds Motorola flag bits, which add up
  auto set = [&](int element, int32_t value, const std::string& by, bool isBit) {
    const int i = element - 6;
    if (given[i] && !(isBit && bits[i])) {
      error = by + " and " + givenBy[i] + " set the same option";
      return false;
    }
    given[i] = given[i].value_or(0) | value;
    givenBy[i] = by;
    bits[i] = isBit;
    return true;
  };

  // Flags and values that belong to some format; a name may serve several formats.
  std::vector<std::string> seen;
  for (const NamedOption& o : kNamedOptions) {
    if (std::find(seen.begin(), seen.end(), o.name) != seen.end()) continue;
    seen.push_back(o.name);
    const NamedOption* mine = nullptr;
    for (const NamedOption& m : kNamedOptions)
      if (std::string(m.name) == o.name && m.formatId == format.id) mine = &m;
    bool bad = false;
    std::optional<int32_t> value;
    bool present = false;
    if (o.valueName) {
      value = args.intValue(o.name, bad);
      present = value.has_value();
    } else {
      present = args.flag(o.name);
    }
    if (bad) {
      error = std::string(o.name) + " needs a whole number";
      return false;
    }
    if (!present) continue;
    if (!mine) {
      std::string owners;
      for (const NamedOption& m : kNamedOptions)
        if (std::string(m.name) == o.name) {
          const CliFormat* f = formatById(m.formatId);
          owners += (owners.empty() ? "" : ", ") + std::string(f ? f->name : "?");
        }
      error = std::string(o.name) + " applies to " + owners + ", not to " + format.name;
      return false;
    }
    const bool isBit = format.id == RV_FORMAT_MOTOROLA && !mine->valueName;
    if (!set(mine->element, mine->valueName ? *value : mine->value, o.name, isBit)) return false;
  }
  for (int element = 6; element <= 8; ++element) {
    bool bad = false;
    const std::string name = "--option" + std::to_string(element);
    const std::optional<int32_t> raw = args.intValue(name, bad);
    if (bad) {
      error = name + " needs a whole number";
      return false;
    }
    if (raw && !set(element, *raw, name, false)) return false;
  }
  options = composeOptions(format, given);
  return true;
}

void claimWriterOptionValues(Args& args) {
  for (const NamedOption& o : kNamedOptions)
    if (o.valueName) args.value(o.name);
  for (const char* name : {"--option6", "--option7", "--option8"}) args.value(name);
}

std::string writerOptionsHelp() {
  std::string text;
  int32_t group = -1;
  for (const NamedOption& o : kNamedOptions) {
    if (o.formatId != group) {
      group = o.formatId;
      const CliFormat* f = formatById(group);
      text += std::string("  ") + (f ? f->name : "?") + ":\n";
    }
    std::string left =
        std::string("    ") + o.name + (o.valueName ? std::string(" ") + o.valueName : "");
    if (left.size() < 24) left.resize(24, ' ');
    text += left + " " + o.help + "\n";
  }
  text +=
      "  --option6 N, --option7 N, --option8 N\n"
      "                         the raw control elements 6, 7, 8 for any writer\n";
  return text;
}

}  // namespace cli
