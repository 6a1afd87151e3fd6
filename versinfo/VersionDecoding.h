#pragma once

#include "versinfo/VersionInfoTypes.h"

#include <cstdint>
#include <string>

/// The flags of dwFileFlags or dwFileFlagsMask: each VS_FF_ bit adds its element, other bits
/// are ignored.
TFixedFileInfoFlags DecodeFileFlags(uint32_t flags);
/// dwFileOS: always one element from its high 16 bits and one from its low 16 bits (the same
/// vosUnknown when neither is known).
TVersionOperatingSystemFlags DecodeFileOperatingSystem(uint32_t fileOS);
/// dwFileType: 1-5 and 7 are known, everything else is vftUnknown.
TVersionFileType DecodeFileType(uint32_t fileType);
/// U.S. English in Windows Latin-1: what a language or a code page of 0 stands for, and the
/// translation under which the strings of a resource that declares none are looked up.
constexpr uint16_t kFallbackLanguage = 0x0409;
constexpr uint16_t kFallbackCodePage = 0x04E4;
/// The 8-character identifier of a translation, "%.4x%.4x" in upper case, a language of 0
/// taken as kFallbackLanguage and a code page of 0 as kFallbackCodePage: (0x0409, 0x04E4)
/// gives "040904E4".
std::string TranslationID(uint16_t language, uint16_t codePage);
/// The identifier of the fallback translation, "040904E4".
std::string FallbackTranslationID();
