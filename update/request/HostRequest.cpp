#include "update/request/HostRequest.h"

#include "framework/CommandLine.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace {

// The command line's items: the updater's own path, then what the host passes.
constexpr size_t kCurrentVersionItem = 1;
constexpr size_t kProgramFileItem = 2;
constexpr size_t kSwitchItem = 3;

bool IsSwitch(const std::string &item, const std::string &name) {
  return item.size() == name.size() &&
         std::equal(item.begin(), item.end(), name.begin(), [](char given, char switchChar) {
           return std::tolower(static_cast<unsigned char>(given)) == switchChar;
         });
}

TStartMode StartModeOf(const std::vector<std::string> &items) {
  if (items.size() <= kSwitchItem)
    return TStartMode::Asked;
  if (IsSwitch(items[kSwitchItem], "/quiet"))
    return TStartMode::Quiet;
  if (IsSwitch(items[kSwitchItem], "/auto"))
    return TStartMode::Automatic;
  return TStartMode::Asked;
}

} // namespace

std::optional<THostRequest> HostRequestOf(const std::string &commandLine) {
  const std::vector<std::string> items = SplitCommandLine(commandLine);
  if (items.size() <= kProgramFileItem)
    return std::nullopt;
  return THostRequest{items[kCurrentVersionItem], items[kProgramFileItem], StartModeOf(items)};
}
