#include "bench/download/BareRun_win.h"

#include "bench/download/BareRequest_win.h"
#include "bench/download/Measures_win.h"
#include "bench/download/TimedUiThread_win.h"
#include "framework/win32/Application_win.h"
#include "framework/win32/Handles_win.h"
#include "framework/win32/WideText_win.h"

#include <windows.h>

#include <commctrl.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

constexpr DWORD kChunkSize = 1025; // what the transfer worker reads at a time

// A window whose progress bar the bare loop moves.
HWND ShowProgressBar() {
  const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  const HWND window =
      CreateWindowExA(0, "STATIC", "Bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
                      CW_USEDEFAULT, 400, 100, nullptr, nullptr, nullptr, nullptr);
  return CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 10, 10, 360, 20, window,
                         nullptr, nullptr, nullptr);
}

// The transfer worker's WinINet calls with nothing around them; each chunk goes to the file as
// it arrives, followed by one call onto the user-interface thread, which moves bar as often as a
// person can follow it (every 100 ms, as the updater does) and at the end.
bool BareTransfer(const std::string &server, const std::string &file, const std::string &target,
                  HWND bar) {
  const TBareRequest request(server, "/" + file, false);
  char length[32] = {};
  DWORD lengthSize = sizeof length, lengthIndex = 0;
  if (!request.Succeeded() ||
      !HttpQueryInfoA(request.Get(), HTTP_QUERY_CONTENT_LENGTH, length, &lengthSize, &lengthIndex))
    return false;
  const HANDLE created = CreateFileW(WideFromUtf8(target).c_str(), GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
  if (created == INVALID_HANDLE_VALUE)
    return false;
  const TKernelHandle output(created);
  UiThread().Call([&] { SendMessageA(bar, PBM_SETRANGE32, 0, std::atol(length)); });
  std::vector<char> chunk(kChunkSize);
  long long received = 0;
  DWORD read = 0, written = 0;
  while (InternetReadFile(request.Get(), chunk.data(), kChunkSize, &read) && read != 0) {
    if (!WriteFile(output.Get(), chunk.data(), read, &written, nullptr) || written != read)
      return false;
    received += read;
    UiThread().Call([&] {
      static ULONGLONG lastMoved = 0;
      const ULONGLONG now = GetTickCount64();
      if (now - lastMoved >= 100 || received == std::atoll(length)) {
        SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(received), 0);
        lastMoved = now;
      }
    });
  }
  return received == std::atoll(length);
}

} // namespace

bool RunBare(const std::string &server, const std::string &file, const std::string &folder) {
  TApplication application;
  application.Initialize();
  const TTimedUiThread &timed = TimedUiThread();
  const std::string target = folder + "\\bare.tmp";
  const HWND bar = ShowProgressBar();
  const TClock::time_point started = TClock::now();
  TClock::time_point finished;
  bool succeeded = false;
  std::thread worker([&] {
    succeeded = BareTransfer(server, file, target, bar);
    UiThread().Call([&] {
      finished = TClock::now();
      PostQuitMessage(0);
    });
  });
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  worker.join();
  DeleteFileW(WideFromUtf8(target).c_str());
  if (succeeded)
    std::printf("%.1f %.2f %.1f %.1f", MillisecondsBetween(started, finished), PeakWorkingSetMiB(),
                timed.WaitPerCall(), timed.HandlerPerCall());
  return succeeded;
}
