#include "bench/auto/ServedLog_win.h"

#include "drivers/WholeFile.h"

#include <utility>

TServedLog::TServedLog(std::string log)
    : fLog(std::move(log)), fStart(ReadWholeFile(fLog).size()) {}

bool TServedLog::ServedWhole(const std::string &path, size_t size) const {
  const std::string line = path + " 200 " + std::to_string(size);
  const std::string since = ReadWholeFile(fLog).substr(fStart);
  for (size_t start = 0, end; start < since.size(); start = end + 1) {
    end = since.find('\n', start);
    if (end == std::string::npos)
      return false; // a line still being written
    if (since.compare(start, end - start, line) == 0)
      return true;
  }
  return false;
}
