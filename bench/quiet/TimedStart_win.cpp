#include "bench/quiet/TimedStart_win.h"

#include "bench/auto/ServedLog_win.h"
#include "bench/download/Measures_win.h"
#include "drivers/UpdaterProcess.h"
#include "drivers/WaitBound.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

namespace {

// nginx writes a request's line just after the answer's last byte has gone, so a client can end
// before the line is there: it is waited for, outside the time measured.
constexpr DWORD kLogLineBoundMilliseconds = 5000;

} // namespace

double TimeStart(const std::string &program, const std::string &arguments,
                 const std::string &servedLog, const std::string &path, size_t requests) {
  const TServedLog served(servedLog);
  const TClock::time_point started = TClock::now();
  const TUpdaterProcess process(program, arguments);
  const std::optional<DWORD> exitCode = process.WaitForExitCode();
  const double milliseconds = MillisecondsBetween(started, TClock::now());
  const std::string what = "\"" + program + "\" " + arguments;
  if (exitCode != 0u)
    throw std::runtime_error(what + (exitCode ? " ended with " + std::to_string(*exitCode)
                                              : std::string(" did not end")));
  WaitUntil([&] { return served.Requests().size() >= requests; }, kLogLineBoundMilliseconds, 1);
  const std::vector<TServedRequest> sent = served.Requests();
  if (sent.size() != requests ||
      !std::all_of(sent.begin(), sent.end(), [&](const TServedRequest &request) {
        return request.Path == path && request.Status == 200;
      }))
    throw std::runtime_error(what + " made " + std::to_string(sent.size()) +
                             " requests instead of " + std::to_string(requests) + " of " + path);
  return milliseconds;
}
