#pragma once

#include <string>

/// The whole benchmark: every measured run as a child process of its own (the updater's and the
/// bare download of the large file alternated, the small file, the clicks on Cancel, the checks
/// with the publisher's key), then their medians and ratios, printed. server serves the files,
/// folder takes the downloads, served holds the files and their signatures. Throws
/// std::runtime_error when a run failed.
int RunWholeBenchmark(const std::string &server, const std::string &folder,
                      const std::string &served);
