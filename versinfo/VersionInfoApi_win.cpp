#include "versinfo/VersionInfoApi.h"

#include "framework/win32/ModuleFileName_win.h"

#include <windows.h>

namespace {

HMODULE OwnModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&OwnModule), &module);
  return module;
}

} // namespace

std::vector<char> ReadVersionInfoBlock(const std::string &fileName) {
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(fileName.c_str(), &handle);
  if (size == 0)
    return {};
  std::vector<char> block(size);
  if (!GetFileVersionInfoA(fileName.c_str(), handle, size, block.data()))
    return {};
  return block;
}

bool QueryVersionValue(const std::vector<char> &block, const std::string &subBlock,
                       const char **value, uint32_t *length) {
  void *found = nullptr;
  UINT foundLength = 0;
  if (block.empty() || !VerQueryValueA(block.data(), subBlock.c_str(), &found, &foundLength))
    return false;
  const char *begin = block.data();
  const char *at = static_cast<const char *>(found);
  if (at < begin || at >= begin + block.size())
    return false;
  *value = at;
  *length = foundLength;
  return true;
}

std::string RunningProgramFileName() { return ModuleFileName(nullptr); }

bool RunsInsideLibrary() { return OwnModule() != GetModuleHandleA(nullptr); }

std::string LoadOwnString(int id) {
  char text[256];
  const int length = LoadStringA(OwnModule(), static_cast<UINT>(id), text, sizeof text);
  return std::string(text, length > 0 ? length : 0);
}

std::string OwnModuleFileName() { return ModuleFileName(OwnModule()); }
