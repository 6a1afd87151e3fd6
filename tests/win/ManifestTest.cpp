// The application manifest that updater.exe carries, read back from the built program the way
// the loader finds it: resource 1 of type RT_MANIFEST.

#include "framework/win32/Handles_win.h"
#include "update/Resources.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

struct TFreeLibrary {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};

struct TManifests {
  std::string First; ///< resource 1's text, the one the loader reads
  int Count = 0;     ///< manifests of every name and language
};

BOOL CALLBACK CountLanguage(HMODULE, LPCSTR, LPCSTR, WORD, LONG_PTR count) {
  ++*reinterpret_cast<int *>(count);
  return TRUE;
}

BOOL CALLBACK CountLanguagesOfName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR count) {
  EnumResourceLanguagesA(module, type, name, CountLanguage, count);
  return TRUE;
}

/// The program file's manifests; none when the file cannot be read.
TManifests ManifestsOf(const char *file) {
  TManifests manifests;
  const TOwnedHandle<HMODULE, TFreeLibrary> image(
      LoadLibraryExA(file, nullptr, LOAD_LIBRARY_AS_DATAFILE));
  const HMODULE module = image.Get();
  if (!module)
    return manifests;
  const LPCSTR manifestType = MAKEINTRESOURCEA(24); // RT_MANIFEST
  EnumResourceNamesA(module, manifestType, CountLanguagesOfName,
                     reinterpret_cast<LONG_PTR>(&manifests.Count));
  const HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(1), manifestType);
  const HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
  if (const void *data = loaded ? LockResource(loaded) : nullptr)
    manifests.First.assign(static_cast<const char *>(data), SizeofResource(module, resource));
  return manifests;
}

TEST(UpdaterManifest, AsksForWhatTheUpdaterNeeds) {
  const TManifests manifests = ManifestsOf(UPDATER_EXE_PATH);
  // A second one (a toolchain's default manifest) would leave it open which one counts.
  EXPECT_EQ(manifests.Count, 1) << UPDATER_EXE_PATH;
  const std::string &manifest = manifests.First;
  ASSERT_NE(manifest, "") << "no manifest 1 in " << UPDATER_EXE_PATH;
  const struct {
    const char *Why;
    std::string Text;
    bool Present;
  } rows[] = {
      {"the program's own identity, at its version",
       "name=\"Veltmark.Quintarel.Updater\" version=\"" UPDATER_VERSION_TEXT "\"", true},
      {"themed common controls", "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
       true},
      {"the common controls' publisher", "publicKeyToken=\"6595b64144ccf1df\"", true},
      {"system DPI awareness",
       "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>",
       true},
      {"no per-monitor awareness: the layout does not follow WM_DPICHANGED", "<dpiAwareness",
       false},
      {"Windows Vista", "{e2011457-1546-43c5-a5fe-008deee3d3f0}", true},
      {"Windows 7", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", true},
      {"Windows 8", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", true},
      {"Windows 8.1", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", true},
      {"Windows 10 and 11", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", true},
      // Never elevated as a whole, not even by installer detection: only its install step is.
      {"runs as its invoker", "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>",
       true},
      {"in the security section", "<trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v3\">", true},
  };
  for (const auto &row : rows)
    EXPECT_EQ(manifest.find(row.Text) != std::string::npos, row.Present)
        << row.Why << ": " << row.Text;
}

} // namespace
