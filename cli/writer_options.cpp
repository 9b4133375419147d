#include "writer_options.h"

#include <algorithm>
#include <optional>

namespace cli {
namespace {

// One named option of one format, from the format catalogue.
struct NamedOption {
  const formatcatalogue::CliOption* option;
  const formatcatalogue::Format* format;
  const char* name;
  const char* valueName;
  int element;
  int32_t value;
};

const std::vector<NamedOption>& namedOptions() {
  static const std::vector<NamedOption> options = [] {
    std::vector<NamedOption> out;
    for (const formatcatalogue::Format& f : formatcatalogue::Formats())
      for (const formatcatalogue::CliOption& o : f.cliOptions)
        out.push_back({&o, &f, o.name, o.valueName, o.element, o.value});
    return out;
  }();
  return options;
}

// Flags of one format that set the same element are bits of one option word (Motorola's)
// and add up.
bool isBitFlag(const NamedOption& o) {
  if (o.valueName) return false;
  int sharing = 0;
  for (const NamedOption& m : namedOptions())
    sharing += m.format == o.format && m.element == o.element && !m.valueName ? 1 : 0;
  return sharing > 1;
}

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
  for (const NamedOption& o : namedOptions()) {
    if (std::find(seen.begin(), seen.end(), o.name) != seen.end()) continue;
    seen.push_back(o.name);
    const NamedOption* mine = nullptr;
    for (const NamedOption& m : namedOptions())
      if (std::string(m.name) == o.name && m.format == format.row) mine = &m;
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
      for (const NamedOption& m : namedOptions())
        if (std::string(m.name) == o.name)
          owners += (owners.empty() ? "" : ", ") + std::string(m.format->cliName);
      error = std::string(o.name) + " applies to " + owners + ", not to " + format.name;
      return false;
    }
    const bool isBit = isBitFlag(*mine);
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
  for (const NamedOption& o : namedOptions())
    if (o.valueName) args.value(o.name);
  for (const char* name : {"--option6", "--option7", "--option8"}) args.value(name);
}

std::string writerOptionsHelp() {
  std::string text;
  const formatcatalogue::Format* group = nullptr;
  for (const NamedOption& o : namedOptions()) {
    if (o.format != group) {
      group = o.format;
      text += std::string("  ") + group->cliName + ":\n";
    }
    std::string left =
        std::string("    ") + o.name + (o.valueName ? std::string(" ") + o.valueName : "");
    if (left.size() < 24) left.resize(24, ' ');
    text += left + " " + o.option->help + "\n";
  }
  text +=
      "  --option6 N, --option7 N, --option8 N\n"
      "                         the raw control elements 6, 7, 8 for any writer\n";
  return text;
}

}  // namespace cli
