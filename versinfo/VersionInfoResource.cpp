#include "versinfo/VersionInfoResource.h"

#include "versinfo/VersionBlock.h"
#include "versinfo/VersionDecoding.h"
#include "versinfo/VersionInfoApi.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kTranslationEntrySize = 4; // a 16-bit language and a 16-bit code page

} // namespace

TzedVersionInfoResource::TzedVersionInfoResource(TComponent *owner) : TComponent(owner) {}

TPreDefs TzedVersionInfoResource::AllPreDefs() {
  TPreDefs all;
  for (int entry = 0; entry < kPreDefCount; ++entry)
    all.Include(static_cast<TPreDef>(entry));
  return all;
}

std::string TzedVersionInfoResource::GetVersion() const { return "TzedVersionInfoResource v2.35"; }

void TzedVersionInfoResource::SetFilename(const TVersionFilename &value) {
  fFilename = value;
  ReadVersionInfoData();
}

void TzedVersionInfoResource::SetForceEXE(bool value) {
  if (value == fForceEXE)
    return;
  fForceEXE = value;
  ReadVersionInfoData();
}

void TzedVersionInfoResource::Loaded() {
  TComponent::Loaded();
  ReadVersionInfoData();
}

std::string TzedVersionInfoResource::GetResourceFilename() const {
  if (!fFilename.empty())
    return fFilename;
  if (!RunsInsideLibrary() || fForceEXE)
    return RunningProgramFileName();
  return OwnModuleFileName();
}

// The path goes to the platform whole, however long: one cut short would read another file. A
// block whose lengths do not nest is not queried at all: the platform's query walks it by those
// lengths.
void TzedVersionInfoResource::ReadVersionInfoData() {
  fTranslationIDs.clear();
  fFixedFileVersionInfo.SetFixedRecord(nullptr);
  fData.clear();

  fData = ReadVersionInfoBlock(GetResourceFilename());
  if (!fData.empty() && !IsSoundVersionBlock(fData.data(), fData.size()))
    fData.clear();
  if (fData.empty()) {
    fFileVersionNumber.Assign(false, 0, 0, "");
    fProductVersionNumber.Assign(false, 0, 0, "");
    PopulateControls();
    return;
  }

  const char *record = nullptr;
  uint32_t length = 0;
  if (QueryVersionValue(fData, "\\", &record, &length) && length >= sizeof(TVsFixedFileInfo) &&
      record + sizeof(TVsFixedFileInfo) <= fData.data() + fData.size())
    fFixedFileVersionInfo.SetFixedRecord(reinterpret_cast<const TVsFixedFileInfo *>(record));
  ReadTranslations();
  if (fTranslationIDIndex >= static_cast<int32_t>(fTranslationIDs.size()))
    fTranslationIDIndex = 0;

  const TFixedFileVersionInfo &fixed = fFixedFileVersionInfo;
  fFileVersionNumber.Assign(true, fixed.GetFileVersionMS(), fixed.GetFileVersionLS(),
                            GetVersionInfoString(pdFileVersion));
  fProductVersionNumber.Assign(true, fixed.GetProductVersionMS(), fixed.GetProductVersionLS(),
                               GetVersionInfoString(pdProductVersion));
  PopulateControls();
}

void TzedVersionInfoResource::ReadTranslations() {
  const char *entries = nullptr;
  uint32_t length = 0;
  if (!QueryVersionValue(fData, "\\VarFileInfo\\Translation", &entries, &length))
    return;
  const size_t inBlock = static_cast<size_t>(fData.data() + fData.size() - entries);
  const size_t count = std::min<size_t>(length, inBlock) / kTranslationEntrySize;
  for (size_t i = 0; i < count; ++i) {
    uint16_t language, codePage;
    std::memcpy(&language, entries + i * kTranslationEntrySize, sizeof language);
    std::memcpy(&codePage, entries + i * kTranslationEntrySize + sizeof language, sizeof codePage);
    fTranslationIDs.push_back(TranslationID(language, codePage));
  }
}

void TzedVersionInfoResource::SetTranslationIDIndex(int32_t value) {
  if (value >= 0 && value < static_cast<int32_t>(fTranslationIDs.size()))
    fTranslationIDIndex = value;
}

std::string TzedVersionInfoResource::GetVersionInfoString(int32_t index) const {
  if (index < 0 || index >= kPreDefCount)
    return "";
  return GetResourceStr(kPreDefKeys[index]);
}

// The text ends at its first NUL; one that has none ends with the block, never past it.
std::string TzedVersionInfoResource::GetResourceStr(const std::string &key) const {
  const std::string translationID =
      fTranslationIDIndex < static_cast<int32_t>(fTranslationIDs.size())
          ? fTranslationIDs[fTranslationIDIndex]
          : FallbackTranslationID();
  return QueryVersionText(fData, "\\StringFileInfo\\" + translationID + "\\" + key);
}
