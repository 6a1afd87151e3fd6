#pragma once

#include "framework/Component.h"
#include "versinfo/FixedFileVersionInfo.h"
#include "versinfo/VersionInfoTypes.h"
#include "versinfo/VersionNumberInformation.h"

#include <cstdint>
#include <string>
#include <vector>

class TLabel;
class TListView;

/// Reads the version resource of a program file: its fixed part, the translations it declares
/// and the string values of the selected translation; and writes them into linked labels and a
/// list view after every read. Paths, keys and values are UTF-8, in any script, and a path or
/// key is never cut short. It reports nothing: missing data shows as empty or absent values.
/// User-interface thread only.
class TzedVersionInfoResource : public TComponent {
public:
  /// Reads no file yet; that happens in Loaded, or when Filename or ForceEXE is set.
  explicit TzedVersionInfoResource(TComponent *owner);

  /// "TzedVersionInfoResource v2.35", whatever is assigned.
  std::string GetVersion() const;
  void SetVersion(const std::string &) {}

  /// The file to read, UTF-8; empty: the component's own program file (see
  /// GetResourceFilename).
  const TVersionFilename &Filename() const { return fFilename; }
  /// Stores the name and reads the file, every time.
  void SetFilename(const TVersionFilename &value);
  bool ForceEXE() const { return fForceEXE; }
  /// Reads again when the value changes.
  void SetForceEXE(bool value);

  /// Filename; or the running program's file when this code runs in it or ForceEXE is set;
  /// or the file of the library that holds this code.
  virtual std::string GetResourceFilename() const;
  /// Reads the file afresh: the block, the fixed record, the translations, both numbers.
  virtual void ReadVersionInfoData();

  /// Whether the last read found sound version data.
  bool HasVersionData() const { return !fData.empty(); }
  /// The value of predefined entry index (0-10) in the selected translation; "" otherwise.
  std::string GetVersionInfoString(int32_t index) const;
  /// The value stored under key in the selected translation, as UTF-8 up to its first NUL; ""
  /// when there is none.
  std::string GetResourceStr(const std::string &key) const;

  /// One 8-character identifier per entry of the resource's translation list, in its order.
  const std::vector<std::string> &GetTranslationIDs() const { return fTranslationIDs; }
  int32_t TranslationIDIndex() const { return fTranslationIDIndex; }
  /// Selects a translation; an index outside the list is ignored.
  void SetTranslationIDIndex(int32_t value);

  const TFixedFileVersionInfo &FixedFileVersionInfo() const { return fFixedFileVersionInfo; }
  const TVersionNumberInformation &FileVersionNumber() const { return fFileVersionNumber; }
  const TVersionNumberInformation &ProductVersionNumber() const { return fProductVersionNumber; }

  std::string CompanyName() const { return GetVersionInfoString(pdCompanyName); }
  std::string FileDescription() const { return GetVersionInfoString(pdFileDescription); }
  std::string InternalName() const { return GetVersionInfoString(pdInternalName); }
  std::string LegalCopyright() const { return GetVersionInfoString(pdLegalCopyright); }
  std::string LegalTrademarks() const { return GetVersionInfoString(pdLegalTrademarks); }
  std::string OriginalFilename() const { return GetVersionInfoString(pdOriginalFilename); }
  std::string ProductName() const { return GetVersionInfoString(pdProductName); }
  std::string Comments() const { return GetVersionInfoString(pdComments); }

  // The display: linked controls, not owned, unlinked when they go. Linking a label takes its
  // entry out of ShowResource and fills the controls.
  TLabel *VersionLabel() const { return fVersionLabel; }
  TLabel *CopyrightLabel() const { return fCopyrightLabel; }
  TListView *VersionListView() const { return fVersionListView; }
  TLabel *DescriptionLabel() const { return fDescriptionLabel; }
  TLabel *ProductLabel() const { return fProductLabel; }
  TPreDefs ShowResource() const { return fShowResource; }
  void SetFileVersionLabel(TLabel *value);
  void SetCopyrightLabel(TLabel *value);
  void SetVersionListView(TListView *value);
  void SetDescriptionLabel(TLabel *value);
  void SetProductLabel(TLabel *value);
  /// Fills the controls again when the set of listed entries changes.
  void SetShowResource(TPreDefs value);

  /// Writes every linked control; idle while the form is loading or being designed.
  virtual void PopulateControls();
  /// Rebuilds the linked list view from scratch: its columns and one row per listed entry.
  virtual void BuildListView();
  /// The captions of the file flags, joined by ", ".
  virtual std::string BuildFlags() const;

protected:
  void Loaded() override;
  void Notification(TComponent *component, TOperation operation) override;

private:
  void ReadTranslations();
  void LinkLabel(TLabel *&link, TLabel *value, TPreDef shown);

  std::vector<char> fData; // the file's whole version block; empty when it has none
  TVersionFilename fFilename;
  std::vector<std::string> fTranslationIDs;
  int32_t fTranslationIDIndex = 0;
  TFixedFileVersionInfo fFixedFileVersionInfo{this};
  bool fForceEXE = false;
  TVersionNumberInformation fFileVersionNumber{0, 0};
  TVersionNumberInformation fProductVersionNumber{0, 0};
  TLabel *fVersionLabel = nullptr;
  TLabel *fCopyrightLabel = nullptr;
  TListView *fVersionListView = nullptr;
  TLabel *fDescriptionLabel = nullptr;
  TLabel *fProductLabel = nullptr;
  TPreDefs fShowResource = AllPreDefs();

  static TPreDefs AllPreDefs();
};
