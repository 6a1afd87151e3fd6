#include "update/offer/CheckRecord.h"

#include "framework/win32/FileIdentity_win.h"
#include "framework/win32/Handles_win.h"
#include "framework/win32/WideText_win.h"

#include <windows.h>

#include <ntsecapi.h>

namespace {

// The user's own part of the registry: writable without rights where Program Files is not,
// apart for each user, and away from the program, which may be shared by many. Each program
// has a value of its own, named by the path that the system resolves its file to, so that every
// spelling of the program (a second drive letter, a short name) finds one record, and its
// replacement keeps it; the registry compares names without regard to case.
const wchar_t kChecks[] = L"Software\\Veltmark\\Quintarel Updater\\Checks";
// A record is three short lines; anything longer is no record of ours.
constexpr DWORD kMaxRecordBytes = 256;

struct TCloseKey {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using TRegistryKey = TOwnedHandle<HKEY, TCloseKey>;

// The value's name for program; the path as given where the file cannot be opened.
std::wstring RecordName(const std::string &program) {
  const std::wstring given = WideFromUtf8(program);
  const std::wstring resolved = ResolvedPathOf(given);
  return resolved.empty() ? given : resolved;
}

} // namespace

TCheckRecord StoredCheckRecord(const std::string &program) {
  wchar_t text[kMaxRecordBytes / sizeof(wchar_t) + 1] = {};
  DWORD size = kMaxRecordBytes;
  // A value of another type is none of ours: an expandable text, which the call would otherwise
  // expand and call plain text, too.
  if (RegGetValueW(HKEY_CURRENT_USER, kChecks, RecordName(program).c_str(),
                   RRF_RT_REG_SZ | RRF_NOEXPAND, nullptr, text, &size) != ERROR_SUCCESS)
    return {};
  return CheckRecordOf(Utf8FromWide(std::wstring(text)));
}

// The registry writes a value whole or not at all, so a power cut leaves the old record or the
// new one.
bool StoreCheckRecord(const std::string &program, const TCheckRecord &record) {
  HKEY rawKey = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kChecks, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &rawKey,
                      nullptr) != ERROR_SUCCESS)
    return false;
  const TRegistryKey key(rawKey);
  const std::wstring text = WideFromUtf8(CheckRecordText(record));
  return RegSetValueExW(key.Get(), RecordName(program).c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE *>(text.c_str()),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

std::optional<uint64_t> RandomDraw() {
  uint64_t draw = 0;
  if (!RtlGenRandom(&draw, sizeof draw))
    return std::nullopt;
  return draw;
}
