#pragma once

#include <cstdint>
#include <string>
#include <vector>

/// One request as the web server recorded it.
struct TServedRequest {
  std::string Path;
  int Status = 0;
  uint64_t BodyBytes = 0; // of the file or page sent
  uint64_t SentBytes = 0; // all that went to the client, headers included; 0 when not recorded
};

/// The web server's record of what it has sent, one line per request as "<path> <status>
/// <bytes of body sent>", optionally followed by " <bytes sent, headers included>" (the scripts
/// set nginx's access log so), read from the end it had when this was made: only what was
/// served since counts.
class TServedLog {
public:
  /// log is the record's path (UTF-8); throws std::runtime_error when it cannot be read.
  explicit TServedLog(std::string log);

  /// The requests served since, in order; a line still being written is left for later.
  std::vector<TServedRequest> Requests() const;
  /// Whether path has been sent whole since, size bytes with status 200.
  bool ServedWhole(const std::string &path, size_t size) const;

private:
  std::string fLog;
  size_t fStart;
};
