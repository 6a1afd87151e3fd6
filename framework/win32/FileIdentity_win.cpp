#include "framework/win32/FileIdentity_win.h"

#include <cstring>

namespace {

// Windows 8's FILE_ID_INFO, which the headers show only to programs that need Windows 8; the
// program runs on Vista, where the call fails and the older numbers serve.
struct TFileIdInfo {
  ULONGLONG VolumeSerialNumber;
  BYTE FileId[16];
};
constexpr auto kFileIdInfo = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);

} // namespace

TFileHandle OpenForAttributes(const std::wstring &path) {
  return TFileHandle(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

std::optional<TFileIdentity> FileIdentityOf(const std::wstring &path) {
  const TFileHandle file = OpenForAttributes(path);
  if (file.Get() == INVALID_HANDLE_VALUE)
    return std::nullopt;
  TFileIdInfo wide{};
  if (GetFileInformationByHandleEx(file.Get(), kFileIdInfo, &wide, sizeof wide)) {
    TFileIdentity identity;
    identity.Volume = wide.VolumeSerialNumber;
    std::memcpy(&identity.FileIdLow, wide.FileId, sizeof identity.FileIdLow);
    std::memcpy(&identity.FileIdHigh, wide.FileId + 8, sizeof identity.FileIdHigh);
    return identity;
  }
  BY_HANDLE_FILE_INFORMATION narrow;
  if (!GetFileInformationByHandle(file.Get(), &narrow))
    return std::nullopt;
  TFileIdentity identity;
  identity.Volume = narrow.dwVolumeSerialNumber;
  identity.FileIdLow = static_cast<uint64_t>(narrow.nFileIndexHigh) << 32 | narrow.nFileIndexLow;
  return identity;
}

std::wstring ResolvedPathOf(const std::wstring &path) {
  const TFileHandle file = OpenForAttributes(path);
  if (file.Get() == INVALID_HANDLE_VALUE)
    return L"";
  constexpr DWORD kFlags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
  // Asked with no room, the call gives the length it needs, its end included.
  const DWORD needed = GetFinalPathNameByHandleW(file.Get(), nullptr, 0, kFlags);
  if (needed == 0)
    return L"";
  std::wstring resolved(needed, L'\0');
  const DWORD length = GetFinalPathNameByHandleW(file.Get(), resolved.data(), needed, kFlags);
  if (length == 0 || length >= needed) // a folder on the way was renamed meanwhile
    return L"";
  resolved.resize(length);
  const std::wstring unc = L"\\\\?\\UNC\\", local = L"\\\\?\\";
  if (resolved.rfind(unc, 0) == 0)
    return L"\\\\" + resolved.substr(unc.size());
  return resolved.rfind(local, 0) == 0 ? resolved.substr(local.size()) : resolved;
}
