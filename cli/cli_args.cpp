// The command line's "--name value" / "--flag" argument list.
#include <algorithm>
#include <climits>
#include <iostream>
#include <stdexcept>

#include "cli_common.h"

namespace cli {

Args::Args(int argc, char** argv, int first) {
  for (int i = first; i < argc; ++i) items_.emplace_back(argv[i]);
  used_.assign(items_.size(), false);
  // "--" ends the options: everything after it is positional, even "--name".
  const auto dashes = std::find(items_.begin(), items_.end(), std::string("--"));
  optionsEnd_ = static_cast<size_t>(dashes - items_.begin());
  if (optionsEnd_ < items_.size()) used_[optionsEnd_] = true;
  collectPositional();
}

void Args::collectPositional() {
  // Positional arguments are the items that are neither options nor the values of options
  // asked for so far: anything not starting with "--" (or a lone "-") before the end of
  // the options, and everything after it.
  positional_.clear();
  for (size_t i = 0; i < items_.size(); ++i) {
    if (i == optionsEnd_) continue;
    const bool option = i < optionsEnd_ && items_[i] != "-" && items_[i].rfind("--", 0) == 0;
    const bool optionValue = i < optionsEnd_ && valueTaken_.count(i);
    if (!option && !optionValue) positional_.push_back(items_[i]);
  }
}

bool Args::flag(const std::string& name) {
  for (size_t i = 0; i < optionsEnd_ && i < items_.size(); ++i)
    if (items_[i] == name) {
      used_[i] = true;
      return true;
    }
  return false;
}

std::optional<std::string> Args::value(const std::string& name) {
  for (size_t i = 0; i < optionsEnd_ && i < items_.size(); ++i) {
    if (items_[i].rfind(name + "=", 0) == 0) {
      used_[i] = true;
      return items_[i].substr(name.size() + 1);
    }
    if (items_[i] == name && i + 1 < items_.size() && i + 1 != optionsEnd_) {
      used_[i] = used_[i + 1] = true;
      // The value is not positional.
      valueTaken_.insert(i + 1);
      collectPositional();
      return items_[i + 1];
    }
  }
  return std::nullopt;
}

std::optional<int32_t> Args::intValue(const std::string& name, bool& bad) {
  auto v = value(name);
  if (!v) return std::nullopt;
  try {
    size_t used = 0;
    const long long n = std::stoll(*v, &used);
    if (used != v->size() || n < INT32_MIN || n > INT32_MAX) throw std::invalid_argument(*v);
    return static_cast<int32_t>(n);
  } catch (const std::exception&) {
    std::cerr << "pealix-cli: " << name << " needs a whole number, not '" << *v << "'\n";
    bad = true;
    return std::nullopt;
  }
}

std::vector<std::string> Args::unknown() const {
  std::vector<std::string> out;
  for (size_t i = 0; i < optionsEnd_ && i < items_.size(); ++i)
    if (!used_[i] && items_[i].rfind("--", 0) == 0) out.push_back(items_[i]);
  return out;
}

}  // namespace cli
