#include "versinfo/VersionInfoApi.h"

#include "framework/win32/ModuleFileName_win.h"
#include "framework/win32/WideText_win.h"

#include <windows.h>

#include <cstring>

namespace {

HMODULE OwnModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&OwnModule), &module);
  return module;
}

// A name that holds a NUL would reach the platform cut short at it, naming another file or key;
// such a name names nothing.
bool WideName(const std::string &name, std::wstring *wide) {
  *wide = WideFromUtf8(name);
  return !wide->empty() && wide->find(L'\0') == std::wstring::npos;
}

} // namespace

std::vector<char> ReadVersionInfoBlock(const std::string &fileName) {
  std::wstring path;
  if (!WideName(fileName, &path))
    return {};
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  if (size == 0)
    return {};
  std::vector<char> block(size);
  if (!GetFileVersionInfoW(path.c_str(), handle, size, block.data()))
    return {};
  return block;
}

bool QueryVersionValue(const std::vector<char> &block, const std::string &subBlock,
                       const char **value, uint32_t *length) {
  std::wstring path;
  void *found = nullptr;
  UINT foundLength = 0;
  if (block.empty() || !WideName(subBlock, &path) ||
      !VerQueryValueW(block.data(), path.c_str(), &found, &foundLength))
    return false;
  const char *begin = block.data();
  const char *at = static_cast<const char *>(found);
  if (at < begin || at >= begin + block.size())
    return false;
  *value = at;
  *length = foundLength;
  return true;
}

// The length the platform reports counts characters, and a compiler may or may not count the
// terminator in it; the text's own NUL, or the block's end, bounds it instead. The units are
// copied out, since the platform's pointer need not be aligned for wchar_t.
std::string QueryVersionText(const std::vector<char> &block, const std::string &subBlock) {
  const char *value = nullptr;
  uint32_t length = 0;
  if (!QueryVersionValue(block, subBlock, &value, &length))
    return "";
  const size_t units = static_cast<size_t>(block.data() + block.size() - value) / sizeof(wchar_t);
  std::wstring text(units, L'\0');
  std::memcpy(text.data(), value, units * sizeof(wchar_t));
  const size_t end = text.find(L'\0');
  if (end != std::wstring::npos)
    text.resize(end);
  return Utf8FromWide(text);
}

std::string RunningProgramFileName() { return ModuleFileName(nullptr); }

bool RunsInsideLibrary() { return OwnModule() != GetModuleHandleW(nullptr); }

// With no buffer (cchBufferMax 0) the platform answers a read-only pointer to the text in the
// resource, which holds no terminator, and its length.
std::string LoadOwnString(int id) {
  const wchar_t *text = nullptr;
  const int length =
      LoadStringW(OwnModule(), static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 && text ? Utf8FromWide(text, static_cast<size_t>(length)) : std::string();
}

std::string OwnModuleFileName() { return ModuleFileName(OwnModule()); }
