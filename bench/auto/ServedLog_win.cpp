#include "bench/auto/ServedLog_win.h"

#include "drivers/WholeFile.h"

#include <algorithm>
#include <sstream>
#include <utility>

TServedLog::TServedLog(std::string log)
    : fLog(std::move(log)), fStart(ReadWholeFile(fLog).size()) {}

std::vector<TServedRequest> TServedLog::Requests() const {
  const std::string since = ReadWholeFile(fLog).substr(fStart);
  std::vector<TServedRequest> requests;
  for (size_t start = 0, end; (end = since.find('\n', start)) != std::string::npos;
       start = end + 1) {
    std::istringstream line(since.substr(start, end - start));
    TServedRequest request;
    line >> request.Path >> request.Status >> request.BodyBytes >> request.SentBytes;
    requests.push_back(request);
  }
  return requests;
}

bool TServedLog::ServedWhole(const std::string &path, size_t size) const {
  const std::vector<TServedRequest> requests = Requests();
  return std::any_of(requests.begin(), requests.end(), [&](const TServedRequest &request) {
    return request.Path == path && request.Status == 200 && request.BodyBytes == size;
  });
}
