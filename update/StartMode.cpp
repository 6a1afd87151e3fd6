#include "update/StartMode.h"

#include "framework/CommandLine.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace {

// The command line's items: the updater's own path, the version, the program, the switch.
constexpr size_t kSwitchItem = 3;

bool IsSwitch(const std::string &item, const std::string &name) {
  return item.size() == name.size() &&
         std::equal(item.begin(), item.end(), name.begin(), [](char given, char switchChar) {
           return std::tolower(static_cast<unsigned char>(given)) == switchChar;
         });
}

} // namespace

TStartMode StartModeOf(const std::string &commandLine) {
  const std::vector<std::string> items = SplitCommandLine(commandLine);
  if (items.size() <= kSwitchItem)
    return TStartMode::Asked;
  if (IsSwitch(items[kSwitchItem], "/quiet"))
    return TStartMode::Quiet;
  if (IsSwitch(items[kSwitchItem], "/auto"))
    return TStartMode::Automatic;
  return TStartMode::Asked;
}
