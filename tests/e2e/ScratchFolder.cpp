#include "tests/e2e/ScratchFolder.h"

#include "drivers/TemporaryFolder.h"
#include "drivers/WaitBound.h"
#include "drivers/WholeFile.h"
#include "framework/win32/Handles_win.h"
#include "framework/win32/WideText_win.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>
#include <string>

TScratchFolder::TScratchFolder(std::string parent, const std::string &namePrefix) {
  if (parent.empty())
    parent = TemporaryFolderPath();
  if (parent.empty())
    throw std::runtime_error("no temporary folder");
  // The process id and a counter keep folders of runs side by side apart.
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string candidate = parent + namePrefix + std::to_string(GetCurrentProcessId()) +
                                  "-" + std::to_string(++counter);
    if (CreateDirectoryW(WideFromUtf8(candidate).c_str(), nullptr)) {
      fPath = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot make a scratch folder in " + parent);
}

TScratchFolder::~TScratchFolder() {
  if (fImmutable)
    SetImmutable(false);
  for (const std::string &name : FileNames()) {
    const std::wstring file = WideFromUtf8(PathOf(name));
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL); // a read-only file is not deleted
    DeleteFileW(file.c_str());
  }
  RemoveDirectoryW(WideFromUtf8(fPath).c_str());
}

// Wine's own export names the Unix path of a Windows one, in the system's encoding (UTF-8 here).
std::string TScratchFolder::LinuxPath() const {
  using TUnixFileName = char *(CDECL *)(const WCHAR *);
  const auto unixFileName = reinterpret_cast<TUnixFileName>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char *linuxPath = unixFileName ? unixFileName(WideFromUtf8(fPath).c_str()) : nullptr;
  if (!linuxPath)
    return "";
  const std::string path = linuxPath;
  HeapFree(GetProcessHeap(), 0, linuxPath);
  return path;
}

std::string TScratchFolder::PathOnSecondDrive(const std::string &name) const {
  std::string folder = LinuxPath();
  if (folder.empty())
    throw std::runtime_error("a second drive letter needs Wine's drive Z:");
  std::replace(folder.begin(), folder.end(), '/', '\\');
  return "Z:" + folder + "\\" + name;
}

// Wine starts a Linux program by its path on drive Z:, but cannot wait for it.
bool StartLinuxProgram(const std::string &commandLine) {
  std::wstring wideCommandLine = WideFromUtf8(commandLine);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, wideCommandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &started))
    return false;
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  return true;
}

std::string TScratchFolder::PathOf(const std::string &name) const { return fPath + "\\" + name; }

void TScratchFolder::WriteFile(const std::string &name, const std::string &text) const {
  WriteWholeFile(PathOf(name), text);
}

void TScratchFolder::CopyIn(const std::string &source, const std::string &name) const {
  if (!CopyFileW(WideFromUtf8(source).c_str(), WideFromUtf8(PathOf(name)).c_str(), TRUE))
    throw std::runtime_error("cannot copy " + source + " to " + PathOf(name));
}

bool TScratchFolder::Exists(const std::string &name) const {
  return GetFileAttributesW(WideFromUtf8(PathOf(name)).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string TScratchFolder::ReadFile(const std::string &name) const {
  return ReadWholeFile(PathOf(name));
}

std::vector<std::string> TScratchFolder::FileNames() const {
  std::vector<std::string> names;
  WIN32_FIND_DATAW entry;
  const HANDLE search = FindFirstFileW(WideFromUtf8(PathOf("*")).c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE)
    return names;
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      names.push_back(Utf8FromWide(entry.cFileName));
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  return names;
}

// Wine tells the Linux path of a Windows one, and starts a Linux program like a Windows one but
// cannot wait for it: whether chattr took is read off the folder itself.
bool TScratchFolder::SetImmutable(bool immutable) {
  const std::string linuxPath = LinuxPath();
  if (linuxPath.empty() || !StartLinuxProgram(std::string("Z:\\usr\\bin\\chattr ") +
                                              (immutable ? "+i \"" : "-i \"") + linuxPath + "\""))
    return false;
  // A probe made just before the folder locks cannot be deleted when it closes: each probe has
  // a name of its own, so that one left behind never answers for the next.
  static unsigned probes = 0;
  const bool took = WaitUntil([&] {
    const std::string name = "probe-" + std::to_string(++probes);
    const TFileHandle probe(CreateFileW(WideFromUtf8(PathOf(name)).c_str(), GENERIC_WRITE, 0,
                                        nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return (probe.Get() == INVALID_HANDLE_VALUE) == immutable;
  });
  fImmutable = took ? immutable : fImmutable;
  return took;
}
