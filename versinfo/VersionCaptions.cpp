#include "versinfo/VersionCaptions.h"

#include "versinfo/VersionInfoApi.h"

#include <map>

const TVersionCaptionId kPreDefCaptions[kPreDefCount] = {
    SResCapCompanyName,    SResCapFileDescription, SResCapFileVersion,      SResCapInternalName,
    SResCapLegalCopyright, SResCapLegalTrademarks, SResCapOriginalFilename, SResCapProductName,
    SResCapProductVersion, SResCapComments,        SResCapBuildFlags};

const TVersionCaptionId kFlagCaptions[ffSpecialBuild + 1] = {
    SFlagDebug, SFlagInfoInferred, SFlagPatched, SFlagPreRelease, SFlagPrivate, SFlagSpecial};

const std::string &VersionCaption(TVersionCaptionId id) {
  static std::map<TVersionCaptionId, std::string> loaded;
  const auto found = loaded.find(id);
  if (found != loaded.end())
    return found->second;
  return loaded[id] = LoadOwnString(id);
}
