#include "update/verify/ProgramImage.h"

#include "update/download/HeldDownload.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr uint32_t kHeaderOffsetPosition = 60; // where the "MZ" header keeps the offset
constexpr char kImageSignature[4] = {'P', 'E', '\0', '\0'};
// The file header after the signature: Machine at 0, Characteristics at 18, 20 bytes in all.
constexpr size_t kFileHeaderSize = 20;
constexpr size_t kCharacteristicsPosition = 18;

constexpr uint16_t kExecutableImage = 0x0002; // IMAGE_FILE_EXECUTABLE_IMAGE
constexpr uint16_t kDll = 0x2000;             // IMAGE_FILE_DLL

uint16_t Little16(const unsigned char *bytes) { return uint16_t(bytes[0] | bytes[1] << 8); }

uint32_t Little32(const unsigned char *bytes) {
  return Little16(bytes) | uint32_t{Little16(bytes + 2)} << 16;
}

std::optional<TImageHeader> ProgramImageHeaderOf(const THeldDownload &file) {
  return ProgramImageHeader([&file](uint32_t offset, void *buffer, size_t size) {
    return file.ReadAt(offset, buffer, size);
  });
}

// Whether an image with header download may stand in for installed, on a machine whose own
// processor is nativeMachine.
bool IsProgramFor(const TImageHeader &download, const std::optional<TImageHeader> &installed,
                  uint16_t nativeMachine) {
  if (!(download.Characteristics & kExecutableImage) || (download.Characteristics & kDll))
    return false;
  // The host asked for its own program: another processor's build of it is not that, even
  // where this machine would run it.
  if (installed)
    return download.Machine == installed->Machine;
  return download.Machine == kMachineI386 || download.Machine == nativeMachine;
}

} // namespace

bool EndsWithExe(const std::string &name) {
  static const std::string kExtension = ".exe";
  return name.size() >= kExtension.size() &&
         std::equal(
             kExtension.begin(), kExtension.end(), name.end() - kExtension.size(),
             [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

std::optional<TImageHeader> ProgramImageHeader(const TReadAt &readAt) {
  unsigned char header[kHeaderOffsetPosition + 4];
  if (!readAt(0, header, sizeof header) || header[0] != 'M' || header[1] != 'Z')
    return std::nullopt;
  const uint32_t offset = Little32(header + kHeaderOffsetPosition);
  // Signature and file header in one read, which the reader bounds: an offset near the end of
  // the 32-bit range asks for bytes past it, and no file holds those.
  unsigned char image[sizeof kImageSignature + kFileHeaderSize];
  if (!readAt(offset, image, sizeof image) ||
      !std::equal(kImageSignature, kImageSignature + sizeof kImageSignature, image))
    return std::nullopt;
  const unsigned char *fileHeader = image + sizeof kImageSignature;
  return TImageHeader{Little16(fileHeader), Little16(fileHeader + kCharacteristicsPosition)};
}

// Only the headers are read: the check costs the same for any size of file.
bool IsAcceptableDownload(const THeldDownload &download, const std::string &program,
                          uint16_t nativeMachine) {
  char first = 0;
  if (!download.ReadAt(0, &first, 1))
    return false;
  if (!EndsWithExe(program))
    return true;
  const std::optional<TImageHeader> header = ProgramImageHeaderOf(download);
  return header &&
         IsProgramFor(*header, ProgramImageHeaderOf(THeldDownload(program)), nativeMachine);
}
