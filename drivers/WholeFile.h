#pragma once

#include <string>

/// The whole content of the file at path (UTF-8); throws std::runtime_error when it cannot be
/// opened or read.
std::string ReadWholeFile(const std::string &path);
/// Makes the file at path (UTF-8) hold content and nothing else, created when it is missing;
/// throws std::runtime_error when it cannot be written.
void WriteWholeFile(const std::string &path, const std::string &content);
