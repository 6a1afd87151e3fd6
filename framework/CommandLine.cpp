#include "framework/CommandLine.h"

namespace {

bool IsSeparator(char c) {
  const auto code = static_cast<unsigned char>(c);
  return code >= 1 && code <= 32;
}

// Where the next item begins at or after i, past separators and empty pairs of quotes; npos when
// no item is left.
size_t NextItemStart(const std::string &commandLine, size_t i) {
  for (;;) {
    while (i < commandLine.size() && IsSeparator(commandLine[i]))
      ++i;
    if (commandLine.compare(i, 2, "\"\"") != 0)
      break;
    i += 2;
  }
  return i < commandLine.size() ? i : std::string::npos;
}

// Reads the item that begins at i into item; where it ends.
size_t ReadItem(const std::string &commandLine, size_t i, std::string &item) {
  const size_t end = commandLine.size();
  item.clear();
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
  return i;
}

} // namespace

std::vector<std::string> SplitCommandLine(const std::string &commandLine) {
  std::vector<std::string> items;
  std::string item;
  for (size_t i = NextItemStart(commandLine, 0); i != std::string::npos;
       i = NextItemStart(commandLine, i)) {
    i = ReadItem(commandLine, i, item);
    items.push_back(item);
  }
  return items;
}

std::string CommandLineAfter(const std::string &commandLine, size_t count) {
  std::string item;
  size_t i = NextItemStart(commandLine, 0);
  for (; count > 0 && i != std::string::npos; --count)
    i = NextItemStart(commandLine, ReadItem(commandLine, i, item));
  return i == std::string::npos ? "" : commandLine.substr(i);
}
