#include "versinfo/FixedFileVersionInfo.h"

#include "versinfo/CreationDate.h"
#include "versinfo/VersionDecoding.h"

uint32_t TFixedFileVersionInfo::GetSignature() const { return fRecord ? fRecord->dwSignature : 0; }

uint32_t TFixedFileVersionInfo::GetStructureVersion() const {
  return fRecord ? fRecord->dwStrucVersion : 0;
}

uint32_t TFixedFileVersionInfo::GetFileVersionMS() const {
  return fRecord ? fRecord->dwFileVersionMS : 0;
}

uint32_t TFixedFileVersionInfo::GetFileVersionLS() const {
  return fRecord ? fRecord->dwFileVersionLS : 0;
}

uint32_t TFixedFileVersionInfo::GetProductVersionMS() const {
  return fRecord ? fRecord->dwProductVersionMS : 0;
}

uint32_t TFixedFileVersionInfo::GetProductVersionLS() const {
  return fRecord ? fRecord->dwProductVersionLS : 0;
}

TFixedFileInfoFlags TFixedFileVersionInfo::GetValidFlags() const {
  return fRecord ? DecodeFileFlags(fRecord->dwFileFlagsMask) : TFixedFileInfoFlags();
}

TFixedFileInfoFlags TFixedFileVersionInfo::GetFlags() const {
  return fRecord ? DecodeFileFlags(fRecord->dwFileFlags) : TFixedFileInfoFlags();
}

TVersionOperatingSystemFlags TFixedFileVersionInfo::GetFileOperatingSystem() const {
  return fRecord ? DecodeFileOperatingSystem(fRecord->dwFileOS) : TVersionOperatingSystemFlags();
}

TVersionFileType TFixedFileVersionInfo::GetFileType() const {
  return fRecord ? DecodeFileType(fRecord->dwFileType) : vftUnknown;
}

uint32_t TFixedFileVersionInfo::GetFileSubType() const {
  return fRecord ? fRecord->dwFileSubtype : 0;
}

double TFixedFileVersionInfo::GetCreationDate() const {
  if (!fRecord)
    return 0.0;
  return FileTimeToDateTime(uint64_t{fRecord->dwFileDateMS} << 32 | fRecord->dwFileDateLS);
}
