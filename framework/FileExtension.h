#pragma once

#include <string>

/// Replaces the extension of path by extension: the text from the last ".", when it comes after
/// the last "\" and ":", is replaced; otherwise extension is appended. path is UTF-8, whose
/// characters beyond ASCII never hold a byte with the code of one of these.
std::string ChangeFileExt(const std::string &path, const std::string &extension);
