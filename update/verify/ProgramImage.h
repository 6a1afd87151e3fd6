#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class THeldDownload;

/// Reads size bytes at offset of a file into buffer; false when the file does not hold them all.
using TReadAt = std::function<bool(uint32_t offset, void *buffer, size_t size)>;

/// The processors a program image may be built for, as its file header names them.
constexpr uint16_t kMachineI386 = 0x014c;  // IMAGE_FILE_MACHINE_I386
constexpr uint16_t kMachineAmd64 = 0x8664; // IMAGE_FILE_MACHINE_AMD64
constexpr uint16_t kMachineArm64 = 0xAA64; // IMAGE_FILE_MACHINE_ARM64

/// What a program image's file header says of it.
struct TImageHeader {
  uint16_t Machine;         // the processor it is built for
  uint16_t Characteristics; // its IMAGE_FILE_* flags
};

/// Whether name ends in ".exe", in any letter case.
bool EndsWithExe(const std::string &name);

/// The file header of the Windows program image that readAt reads: it begins with "MZ", the
/// 32-bit little-endian offset at byte 60 points inside it at "PE\0\0", and the file header
/// follows whole. Nothing when the file is no such image.
std::optional<TImageHeader> ProgramImageHeader(const TReadAt &readAt);

/// Whether the held download may replace program on a machine whose processor is
/// nativeMachine: it is not empty, and when program's name ends in ".exe" (any letter case) it
/// is an executable image, not a DLL, for the processor of the program image at program, or,
/// where program is none, for i386 or nativeMachine. A download not held is not acceptable.
bool IsAcceptableDownload(const THeldDownload &download, const std::string &program,
                          uint16_t nativeMachine);
