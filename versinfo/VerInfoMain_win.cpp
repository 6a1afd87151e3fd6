// verinfo FILE...: prints the version data of each file as the version component reads it, one
// "key: value" per line and a blank line between files. The exit status is 1 when a file cannot
// be opened at all, 0 otherwise.
// verinfo --window FILE: shows the version data of one file in a small window instead.

#include "framework/IntegerSyntax.h"
#include "framework/win32/Application_win.h"
#include "framework/win32/DllSearch_win.h"
#include "framework/win32/Handles_win.h"
#include "versinfo/VersionDecoding.h"
#include "versinfo/VersionInfoResource.h"
#include "versinfo/VersionWindow_win.h"

#include <windows.h>

#include <cstdio>
#include <string>

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

// A value on one line: backslashes doubled, control characters as \xNN.
std::string Escaped(const std::string &value) {
  std::string text;
  for (const char c : value) {
    const auto code = static_cast<unsigned char>(c);
    if (c == '\\') {
      text += "\\\\";
    } else if (code < 32 || code == 127) {
      char escape[5];
      std::snprintf(escape, sizeof escape, "\\x%02x", code);
      text += escape;
    } else {
      text += c;
    }
  }
  return text;
}

void PrintFixedInfo(const TFixedFileVersionInfo &fixed) {
  if (!fixed.FixedRecord()) {
    std::printf("fixed info: none\n");
    return;
  }
  std::printf("signature: %s\n", Hex(fixed.GetSignature()).c_str());
  std::printf("structure version: %s\n", Hex(fixed.GetStructureVersion()).c_str());
  std::printf("file version: %s %s\n", Hex(fixed.GetFileVersionMS()).c_str(),
              Hex(fixed.GetFileVersionLS()).c_str());
  std::printf("product version: %s %s\n", Hex(fixed.GetProductVersionMS()).c_str(),
              Hex(fixed.GetProductVersionLS()).c_str());
  const TVsFixedFileInfo &record = *fixed.FixedRecord();
  std::printf("valid flags: %s%s\n", Hex(record.dwFileFlagsMask).c_str(),
              Names(fixed.GetValidFlags(), kFlagNames).c_str());
  std::printf("flags: %s%s\n", Hex(record.dwFileFlags).c_str(),
              Names(fixed.GetFlags(), kFlagNames).c_str());
  std::printf("file os: %s%s\n", Hex(record.dwFileOS).c_str(),
              Names(fixed.GetFileOperatingSystem(), kSystemNames).c_str());
  std::printf("file type: %s %s\n", Hex(record.dwFileType).c_str(),
              kFileTypeNames[fixed.GetFileType()]);
  std::printf("file subtype: %s\n", Hex(fixed.GetFileSubType()).c_str());
  std::printf("file date: %s %s\n", Hex(record.dwFileDateMS).c_str(),
              Hex(record.dwFileDateLS).c_str());
  try {
    std::printf("creation date: %.6f\n", fixed.GetCreationDate());
  } catch (const EConvertError &error) {
    std::printf("creation date: %s\n", error.what());
  }
}

void PrintStrings(TzedVersionInfoResource &resource) {
  const std::vector<std::string> &ids = resource.GetTranslationIDs();
  std::string list;
  for (const std::string &id : ids)
    list += " " + id;
  std::printf("translations:%s\n", list.c_str());
  // Without a translation list the strings are looked up under the fallback identifier.
  const size_t tables = ids.empty() ? 1 : ids.size();
  for (size_t table = 0; table < tables; ++table) {
    resource.SetTranslationIDIndex(static_cast<int32_t>(table));
    const std::string id = ids.empty() ? FallbackTranslationID() : ids[table];
    for (int entry = 0; entry < kPreDefCount; ++entry)
      std::printf("string %s %s: %s\n", id.c_str(), kPreDefKeys[entry],
                  Escaped(resource.GetVersionInfoString(entry)).c_str());
  }
  resource.SetTranslationIDIndex(0);
}

bool CanOpen(const std::string &fileName) {
  const TFileHandle file(CreateFileA(fileName.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
  return file.Get() != INVALID_HANDLE_VALUE;
}

int ShowWindowOf(const std::string &fileName) {
  TApplication application;
  application.Initialize();
  application.Title = "verinfo";
  application.Run(application.Own<TVersionWindow>(fileName));
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  LoadDllsFromSystemFolderOnly();
  constexpr int kWindowArguments = 3; // verinfo --window FILE
  if (argc == kWindowArguments && std::string(argv[1]) == "--window")
    return ShowWindowOf(argv[2]);
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    if (i > 1)
      std::printf("\n");
    std::printf("file: %s\n", argv[i]);
    if (!CanOpen(argv[i])) {
      std::printf("error: cannot open\n");
      status = 1;
      continue;
    }
    TzedVersionInfoResource resource(nullptr);
    resource.SetFilename(argv[i]);
    if (!resource.HasVersionData()) {
      std::printf("version data: none\n");
      continue;
    }
    PrintFixedInfo(resource.FixedFileVersionInfo());
    PrintStrings(resource);
    std::printf("file version number: %s\n",
                Escaped(resource.FileVersionNumber().GetVersionNumberString()).c_str());
    std::printf("product version number: %s\n",
                Escaped(resource.ProductVersionNumber().GetVersionNumberString()).c_str());
  }
  return status;
}
