#pragma once

#include "framework/Event.h"

#include <cstdint>
#include <string>

/// A four-part version number: two 32-bit halves of two 16-bit parts each, and the version text
/// the resource's strings hold. Not valid until its owner has read a file.
class TVersionNumberInformation : public TObject {
public:
  TVersionNumberInformation(uint32_t mostSignificant, uint32_t leastSignificant);

  /// Part index (0-3, most significant first); 0 for any other index or while not valid.
  uint16_t GetVersionNumber(int32_t index) const;
  /// "" while not valid; else the text when there is one; else "%d.%d.%d.%d" of the parts.
  std::string GetVersionNumberString() const;

  /// What a read found; called by the owner only.
  void Assign(bool valid, uint32_t mostSignificant, uint32_t leastSignificant, std::string text);

private:
  bool fValid = false;
  uint32_t fMostSignificant, fLeastSignificant;
  std::string fText;
};
