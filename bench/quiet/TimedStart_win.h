#pragma once

#include <cstddef>
#include <string>

/// Starts program with arguments (UTF-8) as a host starts the updater, in a process of its own,
/// and waits for its end; the milliseconds from just before the process was made to the moment
/// its handle was signalled. Throws std::runtime_error when it does not end within the wait
/// bound, ends with another code than 0, or when the server's record (TServedLog at servedLog)
/// does not show exactly requests requests of path meanwhile, each answered with 200, and no
/// other.
double TimeStart(const std::string &program, const std::string &arguments,
                 const std::string &servedLog, const std::string &path, size_t requests);
