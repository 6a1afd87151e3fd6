// The process command line: items joined again, each quoted where it holds a separator, split
// back into the same items. No item holds a quote, as the split drops them all; an empty item
// comes only from a quote left open at the end, and is written so.
#include "framework/CommandLine.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool NeedsQuotes(const std::string &item) {
  for (const char c : item)
    if (static_cast<unsigned char>(c) >= 1 && static_cast<unsigned char>(c) <= 32)
      return true;
  return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::vector<std::string> items =
      SplitCommandLine(std::string(reinterpret_cast<const char *>(data), size));
  std::string joined;
  for (const std::string &item : items) {
    if (item.find('"') != std::string::npos)
      abort();
    joined += (joined.empty() ? "" : " ") + (item.empty()        ? std::string("\"")
                                             : NeedsQuotes(item) ? '"' + item + '"'
                                                                 : item);
  }
  if (SplitCommandLine(joined) != items)
    abort();
  return 0;
}
