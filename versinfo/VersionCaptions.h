#pragma once

#include "versinfo/VersionInfoTypes.h"

#include <string>

// The captions of the version display live in the program's string table, under these ids.
enum TVersionCaptionId : int {
  SResCapComments = 65312,
  SResCapBuildFlags = 65313,
  SFlagInfoInferred = 65328,
  SFlagPatched = 65329,
  SFlagPreRelease = 65330,
  SFlagPrivate = 65331,
  SFlagSpecial = 65332,
  SHeaderResource = 65333,
  SHeaderValue = 65334,
  SResCapCompanyName = 65335,
  SResCapFileDescription = 65336,
  SResCapFileVersion = 65337,
  SResCapInternalName = 65338,
  SResCapLegalCopyright = 65339,
  SResCapLegalTrademarks = 65340,
  SResCapOriginalFilename = 65341,
  SResCapProductName = 65342,
  SResCapProductVersion = 65343,
  SFlagDebug = 65359
};

/// The caption ids of the entries, indexed by TPreDef.
extern const TVersionCaptionId kPreDefCaptions[kPreDefCount];
/// The caption ids of the file flags, indexed by TFixedFileInfoFlag.
extern const TVersionCaptionId kFlagCaptions[ffSpecialBuild + 1];

/// A caption from the string table, loaded once, when first asked for.
const std::string &VersionCaption(TVersionCaptionId id);
