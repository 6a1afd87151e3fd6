#include "drivers/TemporaryFolder.h"

#include "framework/win32/WholePath_win.h"
#include "framework/win32/WideText_win.h"

#include <windows.h>

#include <stdexcept>

namespace {

// GetTempPathW takes TMP first, then TEMP: both are set, so that neither is left to answer.
const wchar_t *const kVariables[] = {L"TMP", L"TEMP"};

std::optional<std::wstring> EnvironmentVariable(const wchar_t *name) {
  std::wstring value(GetEnvironmentVariableW(name, nullptr, 0), L'\0');
  if (value.empty())
    return std::nullopt;
  value.resize(GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size())));
  return value;
}

} // namespace

std::string TemporaryFolderPath() { return WholePath(GetTempPathW); }

TTemporaryFolderOverride::TTemporaryFolderOverride(const std::string &folder) {
  const std::wstring wideFolder = WideFromUtf8(folder);
  for (const wchar_t *name : kVariables) {
    fSaved.push_back({name, EnvironmentVariable(name)});
    if (!SetEnvironmentVariableW(name, wideFolder.c_str()))
      throw std::runtime_error("cannot set the temporary folder to " + folder);
  }
}

TTemporaryFolderOverride::~TTemporaryFolderOverride() {
  for (const TSavedVariable &saved : fSaved)
    SetEnvironmentVariableW(saved.Name, saved.Value ? saved.Value->c_str() : nullptr);
}
