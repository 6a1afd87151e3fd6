#pragma once

#include <string>

/// Tells whether a byte is the lead byte of a double-byte character in the ANSI code page.
using TLeadByteTest = bool (*)(unsigned char byte);

/// A code page without double-byte characters.
inline bool NoLeadBytes(unsigned char) { return false; }

/// Replaces the extension of path by extension: the text from the last ".", when it comes after
/// the last "\" and ":", is replaced; otherwise extension is appended. The trail byte of a
/// double-byte character never counts as one of these.
std::string ChangeFileExt(const std::string &path, const std::string &extension,
                          TLeadByteTest isLeadByte = NoLeadBytes);
