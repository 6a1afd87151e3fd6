#include "versinfo/VersionNumberInformation.h"

TVersionNumberInformation::TVersionNumberInformation(uint32_t mostSignificant,
                                                     uint32_t leastSignificant)
    : fMostSignificant(mostSignificant), fLeastSignificant(leastSignificant) {}

uint16_t TVersionNumberInformation::GetVersionNumber(int32_t index) const {
  if (!fValid || index < 0 || index > 3)
    return 0;
  const uint32_t half = index < 2 ? fMostSignificant : fLeastSignificant;
  return static_cast<uint16_t>(index % 2 == 0 ? half >> 16 : half & 0xFFFF);
}

std::string TVersionNumberInformation::GetVersionNumberString() const {
  if (!fValid)
    return "";
  if (!fText.empty())
    return fText;
  return std::to_string(GetVersionNumber(0)) + '.' + std::to_string(GetVersionNumber(1)) + '.' +
         std::to_string(GetVersionNumber(2)) + '.' + std::to_string(GetVersionNumber(3));
}

void TVersionNumberInformation::Assign(bool valid, uint32_t mostSignificant,
                                       uint32_t leastSignificant, std::string text) {
  fValid = valid;
  fMostSignificant = mostSignificant;
  fLeastSignificant = leastSignificant;
  fText = std::move(text);
}
