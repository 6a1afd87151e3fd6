#include "update/offer/CheckRecord.h"

#include "framework/win32/Handles_win.h"
#include "framework/win32/WideText_win.h"

#include <windows.h>

namespace {

// The user's own part of the registry: writable without rights where Program Files is not,
// apart for each user, and away from the program, which may be shared by many. Each program
// has a value of its own, named by its path; the registry compares names without regard to case,
// as the file system compares paths.
const wchar_t kChecks[] = L"Software\\Veltmark\\Quintarel Updater\\Checks";
// A record is two short lines; anything longer is no record of ours.
constexpr DWORD kMaxRecordBytes = 256;

struct TCloseKey {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using TRegistryKey = TOwnedHandle<HKEY, TCloseKey>;

} // namespace

TCheckRecord StoredCheckRecord(const std::string &program) {
  wchar_t text[kMaxRecordBytes / sizeof(wchar_t) + 1] = {};
  DWORD size = kMaxRecordBytes;
  if (RegGetValueW(HKEY_CURRENT_USER, kChecks, WideFromUtf8(program).c_str(), RRF_RT_REG_SZ,
                   nullptr, text, &size) != ERROR_SUCCESS)
    return {};
  return CheckRecordOf(Utf8FromWide(std::wstring(text)));
}

// The registry writes a value whole or not at all, so a power cut leaves the old record or the
// new one.
void StoreCheckRecord(const std::string &program, const TCheckRecord &record) {
  HKEY rawKey = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kChecks, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &rawKey,
                      nullptr) != ERROR_SUCCESS)
    return;
  const TRegistryKey key(rawKey);
  const std::wstring text = WideFromUtf8(CheckRecordText(record));
  RegSetValueExW(key.Get(), WideFromUtf8(program).c_str(), 0, REG_SZ,
                 reinterpret_cast<const BYTE *>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}
