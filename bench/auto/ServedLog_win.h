#pragma once

#include <string>

/// The web server's record of what it has sent, one line per request as "<path> <status>
/// <bytes of body sent>" (tools/bench-auto sets nginx's access log so), read from the end it
/// had when this was made: only what was served since counts.
class TServedLog {
public:
  /// log is the record's path (UTF-8); throws std::runtime_error when it cannot be read.
  explicit TServedLog(std::string log);

  /// Whether path has been sent whole since, size bytes with status 200.
  bool ServedWhole(const std::string &path, size_t size) const;

private:
  std::string fLog;
  size_t fStart;
};
