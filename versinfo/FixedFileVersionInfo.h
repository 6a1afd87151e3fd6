#pragma once

#include "framework/Event.h"
#include "versinfo/VersionInfoTypes.h"

#include <cstdint>

class TzedVersionInfoResource;

/// The fixed part of the version data that the owner read: each getter answers from the fixed
/// record, or with its absent value (0, the empty set, vftUnknown, 0.0) while there is none.
class TFixedFileVersionInfo : public TObject {
public:
  explicit TFixedFileVersionInfo(TzedVersionInfoResource *owner) : fOwner(owner) {}

  uint32_t GetSignature() const;
  uint32_t GetStructureVersion() const;
  uint32_t GetFileVersionMS() const;
  uint32_t GetFileVersionLS() const;
  uint32_t GetProductVersionMS() const;
  uint32_t GetProductVersionLS() const;
  TFixedFileInfoFlags GetValidFlags() const;
  /// dwFileFlags decoded, not masked with the valid flags.
  TFixedFileInfoFlags GetFlags() const;
  TVersionOperatingSystemFlags GetFileOperatingSystem() const;
  TVersionFileType GetFileType() const;
  uint32_t GetFileSubType() const;
  /// Days from 30 December 1899; throws EConvertError after the year 9999.
  double GetCreationDate() const;

  /// The raw record, for those that print its fields; nullptr when the last read found none.
  const TVsFixedFileInfo *FixedRecord() const { return fRecord; }
  /// The record inside the owner's data block, or nullptr; set by the owner on every read.
  void SetFixedRecord(const TVsFixedFileInfo *record) { fRecord = record; }

private:
  [[maybe_unused]] TzedVersionInfoResource *fOwner; // the component that created this view
  const TVsFixedFileInfo *fRecord = nullptr;
};
