#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

/// Reads size bytes at offset of a file into buffer; false when the file does not hold them all.
using TReadAt = std::function<bool(uint32_t offset, void *buffer, size_t size)>;

/// Whether the file that readAt reads is a Windows program image: it begins with "MZ", and the
/// 32-bit little-endian offset at byte 60 points inside it at "PE\0\0".
bool IsProgramImage(const TReadAt &readAt);

/// Whether the downloaded file may replace program: it is not empty, and when program's name
/// ends in ".exe" (any letter case) it is a program image. A missing file is not acceptable.
bool IsAcceptableDownload(const std::string &download, const std::string &program);
