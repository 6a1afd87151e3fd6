#pragma once

#include <string>

/// Deletes the file at path, UTF-8 in any script; false when it is not there or cannot be
/// deleted.
bool RemoveFile(const std::string &path);
