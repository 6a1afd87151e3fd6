#include "bench/auto/FolderWatch_win.h"

#include "framework/win32/WideText_win.h"

#include <stdexcept>

namespace {

constexpr DWORD kChanges =
    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;
constexpr size_t kNoticeWords = 4096;

} // namespace

TFolderWatch::TFolderWatch(const std::string &folder)
    : fFolder(folder),
      fHandle(CreateFileW(WideFromUtf8(folder).c_str(), FILE_LIST_DIRECTORY,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED,
                          nullptr)),
      fChanged(CreateEventW(nullptr, TRUE, FALSE, nullptr)), fNotices(kNoticeWords) {
  if (fHandle.Get() == INVALID_HANDLE_VALUE || !fChanged.Get())
    throw std::runtime_error("cannot open " + folder + " to watch it");
  Watch();
}

// A read still pending writes into the notices when it completes, so it must be over before they
// go.
TFolderWatch::~TFolderWatch() {
  DWORD transferred = 0;
  CancelIoEx(fHandle.Get(), &fOverlapped);
  GetOverlappedResult(fHandle.Get(), &fOverlapped, &transferred, TRUE);
}

void TFolderWatch::Watch() {
  ResetEvent(fChanged.Get());
  fOverlapped = OVERLAPPED{};
  fOverlapped.hEvent = fChanged.Get();
  if (!ReadDirectoryChangesW(fHandle.Get(), fNotices.data(),
                             static_cast<DWORD>(fNotices.size() * sizeof(DWORD)), FALSE, kChanges,
                             nullptr, &fOverlapped, nullptr))
    throw std::runtime_error("cannot watch " + fFolder + " (error " +
                             std::to_string(GetLastError()) + ")");
}

// The watch is renewed before condition is checked, so that a change made while it is checked
// wakes the next wait.
bool TFolderWatch::WaitUntil(const std::function<bool()> &condition, DWORD bound) {
  const ULONGLONG deadline = GetTickCount64() + bound;
  while (!condition()) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline ||
        WaitForSingleObject(fChanged.Get(), static_cast<DWORD>(deadline - now)) != WAIT_OBJECT_0)
      return condition();
    DWORD transferred = 0;
    GetOverlappedResult(fHandle.Get(), &fOverlapped, &transferred, FALSE);
    Watch();
  }
  return true;
}
