#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class THeldDownload;

/// Reads size bytes at offset of a file into buffer; false when the file does not hold them all.
using TReadAt = std::function<bool(uint32_t offset, void *buffer, size_t size)>;

/// Whether name ends in ".exe", in any letter case.
bool EndsWithExe(const std::string &name);

/// Whether the file that readAt reads is a Windows program image: it begins with "MZ", and the
/// 32-bit little-endian offset at byte 60 points inside it at "PE\0\0".
bool IsProgramImage(const TReadAt &readAt);

/// Whether the held download may replace program: it is not empty, and when program's name
/// ends in ".exe" (any letter case) it is a program image. A download not held is not
/// acceptable.
bool IsAcceptableDownload(const THeldDownload &download, const std::string &program);
