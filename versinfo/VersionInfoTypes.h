#pragma once

#include "framework/Set.h"

#include <cstdint>
#include <string>

/// The eleven predefined entries of a version resource, in their fixed order.
enum TPreDef {
  pdCompanyName,
  pdFileDescription,
  pdFileVersion,
  pdInternalName,
  pdLegalCopyright,
  pdLegalTrademarks,
  pdOriginalFilename,
  pdProductName,
  pdProductVersion,
  pdComments,
  pdBuildFlags
};
using TPreDefs = TSet<TPreDef>;
constexpr int kPreDefCount = pdBuildFlags + 1;
/// The key under which each predefined entry's string value is stored ("CompanyName", ...).
extern const char *const kPreDefKeys[kPreDefCount];

enum TFixedFileInfoFlag {
  ffDebug,
  ffInfoInferred,
  ffPatched,
  ffPreRelease,
  ffPrivateBuild,
  ffSpecialBuild
};
using TFixedFileInfoFlags = TSet<TFixedFileInfoFlag>;

enum TVersionOperatingSystemFlag {
  vosUnknown,
  vosDOS,
  vosOS2_16,
  vosOS2_32,
  vosNT,
  vosWindows16,
  vosPresentationManager16,
  vosPresentationManager32,
  vosWindows32
};
using TVersionOperatingSystemFlags = TSet<TVersionOperatingSystemFlag>;

enum TVersionFileType {
  vftUnknown,
  vftApplication,
  vftDLL,
  vftDriver,
  vftFont,
  vftVXD,
  vftStaticLib
};

/// A file path: the type of the component's Filename.
using TVersionFilename = std::string;

/// The platform's fixed record VS_FIXEDFILEINFO, field for field.
struct TVsFixedFileInfo {
  uint32_t dwSignature;
  uint32_t dwStrucVersion;
  uint32_t dwFileVersionMS;
  uint32_t dwFileVersionLS;
  uint32_t dwProductVersionMS;
  uint32_t dwProductVersionLS;
  uint32_t dwFileFlagsMask;
  uint32_t dwFileFlags;
  uint32_t dwFileOS;
  uint32_t dwFileType;
  uint32_t dwFileSubtype;
  uint32_t dwFileDateMS;
  uint32_t dwFileDateLS;
};
static_assert(sizeof(TVsFixedFileInfo) == 52, "VS_FIXEDFILEINFO holds thirteen 32-bit fields");
