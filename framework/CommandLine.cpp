#include "framework/CommandLine.h"

namespace {

bool IsSeparator(char c) {
  const auto code = static_cast<unsigned char>(c);
  return code >= 1 && code <= 32;
}

} // namespace

std::vector<std::string> SplitCommandLine(const std::string &commandLine) {
  std::vector<std::string> items;
  size_t i = 0;
  const size_t end = commandLine.size();
  for (;;) {
    for (;;) {
      while (i < end && IsSeparator(commandLine[i]))
        ++i;
      if (commandLine.compare(i, 2, "\"\"") != 0)
        break;
      i += 2;
    }
    if (i >= end)
      return items;

    std::string item;
    while (i < end && !IsSeparator(commandLine[i])) {
      if (commandLine[i] == '"') {
        ++i;
        while (i < end && commandLine[i] != '"')
          item += commandLine[i++];
        if (i < end && commandLine[i] == '"')
          ++i;
      } else {
        item += commandLine[i++];
      }
    }
    items.push_back(item);
  }
}
