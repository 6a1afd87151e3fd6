#pragma once

#include <istream>
#include <string>

/// Whether image, read from its start, is a Windows program image: it begins with "MZ", and
/// the 32-bit little-endian offset at byte 60 points inside it at "PE\0\0".
bool IsProgramImage(std::istream &image);

/// Whether the downloaded file may replace program: it is not empty, and when program's name
/// ends in ".exe" (any letter case) it is a program image. A missing file is not acceptable.
bool IsAcceptableDownload(const std::string &download, const std::string &program);
