#include "versinfo/VersionDecoding.h"

#include <cstdio>

TFixedFileInfoFlags DecodeFileFlags(uint32_t flags) {
  // The VS_FF_ bits in bit order; the elements are ordered differently.
  static constexpr TFixedFileInfoFlag kFlagOfBit[] = {
      ffDebug, ffPreRelease, ffPatched, ffPrivateBuild, ffInfoInferred, ffSpecialBuild};
  TFixedFileInfoFlags result;
  for (unsigned bit = 0; bit < sizeof kFlagOfBit / sizeof *kFlagOfBit; ++bit)
    if (flags & (uint32_t{1} << bit))
      result.Include(kFlagOfBit[bit]);
  return result;
}

TVersionOperatingSystemFlags DecodeFileOperatingSystem(uint32_t fileOS) {
  static constexpr TVersionOperatingSystemFlag kBase[] = {vosUnknown, vosDOS, vosOS2_16, vosOS2_32,
                                                          vosNT};
  static constexpr TVersionOperatingSystemFlag kWindowing[] = {
      vosUnknown, vosWindows16, vosPresentationManager16, vosPresentationManager32, vosWindows32};
  constexpr uint32_t kKnown = sizeof kBase / sizeof *kBase;
  static_assert(kKnown == sizeof kWindowing / sizeof *kWindowing);
  const uint32_t base = fileOS >> 16, windowing = fileOS & 0xFFFF;
  TVersionOperatingSystemFlags result;
  result.Include(base < kKnown ? kBase[base] : vosUnknown);
  result.Include(windowing < kKnown ? kWindowing[windowing] : vosUnknown);
  return result;
}

TVersionFileType DecodeFileType(uint32_t fileType) {
  // VFT_ values 1-5 and 7; 6 is not assigned.
  static constexpr TVersionFileType kTypes[] = {
      vftUnknown, vftApplication, vftDLL, vftDriver, vftFont, vftVXD, vftUnknown, vftStaticLib};
  return fileType < sizeof kTypes / sizeof *kTypes ? kTypes[fileType] : vftUnknown;
}

std::string TranslationID(uint16_t language, uint16_t codePage) {
  char id[9];
  std::snprintf(id, sizeof id, "%.4X%.4X", language ? language : kFallbackLanguage,
                codePage ? codePage : kFallbackCodePage);
  return id;
}

std::string FallbackTranslationID() { return TranslationID(kFallbackLanguage, kFallbackCodePage); }
