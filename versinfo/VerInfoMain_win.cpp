// verinfo FILE...: prints the version data of each file as the version component reads it, one
// "key: value" per line and a blank line between files. The exit status is 1 when a file cannot
// be opened at all, 0 otherwise.
// verinfo --window FILE: shows the version data of one file in a small window instead.

#include "framework/IntegerSyntax.h"
#include "framework/win32/Application_win.h"
#include "framework/win32/DllSearch_win.h"
#include "framework/win32/Handles_win.h"
#include "framework/win32/WideText_win.h"
#include "versinfo/StandardOutput_win.h"
#include "versinfo/VersionDecoding.h"
#include "versinfo/VersionInfoResource.h"
#include "versinfo/VersionWindow_win.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const char *const kFlagNames[] = {"debug",      "infoinferred", "patched",
                                  "prerelease", "privatebuild", "specialbuild"};
const char *const kSystemNames[] = {"unknown",   "dos",  "os2-16", "os2-32",   "nt",
                                    "windows16", "pm16", "pm32",   "windows32"};
const char *const kFileTypeNames[] = {"unknown", "application", "dll",      "driver",
                                      "font",    "vxd",         "staticlib"};

std::string Hex(uint32_t value) {
  char text[11];
  std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(value));
  return text;
}

// The names of the elements of a set, each after a blank.
template <class TElement, size_t N>
std::string Names(TSet<TElement> set, const char *const (&names)[N]) {
  std::string text;
  for (size_t i = 0; i < N; ++i)
    if (set.Contains(static_cast<TElement>(i)))
      text += std::string(" ") + names[i];
  return text;
}

// A value, UTF-8, on one line: backslashes doubled, control characters as \xNN, those of
// U+0080 to U+009F too (in UTF-8, C2 80 to C2 9F), which some terminals obey like escapes.
std::string Escaped(const std::string &value) {
  std::string text;
  for (size_t i = 0; i < value.size(); ++i) {
    auto code = static_cast<unsigned char>(value[i]);
    const auto next = i + 1 < value.size() ? static_cast<unsigned char>(value[i + 1]) : 0;
    const bool c1Control = code == 0xC2 && next >= 0x80 && next <= 0x9F;
    if (c1Control)
      code = static_cast<unsigned char>(value[++i]);
    if (code == '\\') {
      text += "\\\\";
    } else if (code < 32 || code == 127 || c1Control) {
      char escape[5];
      std::snprintf(escape, sizeof escape, "\\x%02x", code);
      text += escape;
    } else {
      text += value[i];
    }
  }
  return text;
}

bool CanOpen(const std::string &fileName) {
  const TFileHandle file(CreateFileW(WideFromUtf8(fileName).c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
  return file.Get() != INVALID_HANDLE_VALUE;
}

void AddLine(std::string &text, const std::string &key, const std::string &value) {
  text += key + ": " + value + "\n";
}

std::string CreationDate(const TFixedFileVersionInfo &fixed) {
  try {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", fixed.GetCreationDate());
    return text;
  } catch (const EConvertError &error) {
    return error.what();
  }
}

void AddFixedInfo(std::string &text, const TFixedFileVersionInfo &fixed) {
  if (!fixed.FixedRecord()) {
    AddLine(text, "fixed info", "none");
    return;
  }
  const TVsFixedFileInfo &record = *fixed.FixedRecord();
  AddLine(text, "signature", Hex(fixed.GetSignature()));
  AddLine(text, "structure version", Hex(fixed.GetStructureVersion()));
  AddLine(text, "file version",
          Hex(fixed.GetFileVersionMS()) + " " + Hex(fixed.GetFileVersionLS()));
  AddLine(text, "product version",
          Hex(fixed.GetProductVersionMS()) + " " + Hex(fixed.GetProductVersionLS()));
  AddLine(text, "valid flags",
          Hex(record.dwFileFlagsMask) + Names(fixed.GetValidFlags(), kFlagNames));
  AddLine(text, "flags", Hex(record.dwFileFlags) + Names(fixed.GetFlags(), kFlagNames));
  AddLine(text, "file os",
          Hex(record.dwFileOS) + Names(fixed.GetFileOperatingSystem(), kSystemNames));
  AddLine(text, "file type", Hex(record.dwFileType) + " " + kFileTypeNames[fixed.GetFileType()]);
  AddLine(text, "file subtype", Hex(fixed.GetFileSubType()));
  AddLine(text, "file date", Hex(record.dwFileDateMS) + " " + Hex(record.dwFileDateLS));
  AddLine(text, "creation date", CreationDate(fixed));
}

void AddStrings(std::string &text, TzedVersionInfoResource &resource) {
  const std::vector<std::string> &ids = resource.GetTranslationIDs();
  std::string list;
  for (const std::string &id : ids)
    list += " " + id;
  text += "translations:" + list + "\n";
  // Without a translation list the strings are looked up under the fallback identifier.
  const size_t tables = ids.empty() ? 1 : ids.size();
  for (size_t table = 0; table < tables; ++table) {
    resource.SetTranslationIDIndex(static_cast<int32_t>(table));
    const std::string id = ids.empty() ? FallbackTranslationID() : ids[table];
    for (int entry = 0; entry < kPreDefCount; ++entry)
      AddLine(text, "string " + id + " " + kPreDefKeys[entry],
              Escaped(resource.GetVersionInfoString(entry)));
  }
  resource.SetTranslationIDIndex(0);
}

// The lines that verinfo prints for one file; status becomes 1 when it cannot be opened.
std::string FileLines(const std::string &fileName, int *status) {
  std::string text;
  AddLine(text, "file", fileName);
  if (!CanOpen(fileName)) {
    AddLine(text, "error", "cannot open");
    *status = 1;
    return text;
  }
  TzedVersionInfoResource resource(nullptr);
  resource.SetFilename(fileName);
  if (!resource.HasVersionData()) {
    AddLine(text, "version data", "none");
    return text;
  }
  AddFixedInfo(text, resource.FixedFileVersionInfo());
  AddStrings(text, resource);
  AddLine(text, "file version number",
          Escaped(resource.FileVersionNumber().GetVersionNumberString()));
  AddLine(text, "product version number",
          Escaped(resource.ProductVersionNumber().GetVersionNumberString()));
  return text;
}

int ShowWindowOf(const std::string &fileName) {
  TApplication application;
  application.Initialize();
  application.Title = "verinfo";
  application.Run(application.Own<TVersionWindow>(fileName));
  return 0;
}

} // namespace

// The C runtime splits the wide command line (wmain) by the same rules as the narrow one.
int wmain(int argc, wchar_t **argv) {
  LoadDllsFromSystemFolderOnly();
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i)
    arguments.push_back(Utf8FromWide(argv[i]));
  if (arguments.size() == 2 && arguments[0] == "--window") // verinfo --window FILE
    return ShowWindowOf(arguments[1]);
  const TStandardOutput output;
  int status = 0;
  for (size_t i = 0; i < arguments.size(); ++i)
    output.Write((i > 0 ? "\n" : "") + FileLines(arguments[i], &status));
  return status;
}
