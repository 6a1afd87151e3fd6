#include "bench/download/UpdaterRun_win.h"

#include "bench/download/AnsweringView_win.h"
#include "bench/download/Measures_win.h"
#include "bench/download/TimedUiThread_win.h"
#include "drivers/MessageBoxView.h"
#include "framework/win32/Application_win.h"
#include "framework/win32/WideText_win.h"
#include "httpget/WinInetApi_win.h"
#include "update/dialog/UpdateDlg.h"
#include "update/dialog/UpdateWindow_win.h"

#include <windows.h>

#include <cstdio>
#include <thread>
#include <vector>

namespace {

constexpr int kCancelClicks = 5;

// Posts clicks on Cancel at evenly spaced points of the download, times each until its
// question is up, and answers No so that the download goes on.
std::vector<double> TimeCancelClicks(HWND cancel, const TAnsweringView &view) {
  std::vector<double> latencies;
  for (int click = 1; click <= kCancelClicks && !view.Failed; ++click) {
    while (!view.Failed && !view.Downloaded &&
           (view.Maximum == 0 ||
            view.Position < static_cast<int64_t>(view.Maximum) * click / (kCancelClicks + 1)))
      Sleep(1);
    if (view.Failed || view.Downloaded)
      break;
    const TClock::time_point clicked = TClock::now();
    PostMessageW(cancel, BM_CLICK, 0, 0);
    HWND box;
    while (!(box = VisibleMessageBox(GetCurrentProcessId(), "Abort")) && !view.Downloaded)
      Sleep(1);
    if (!box)
      break;
    latencies.push_back(MillisecondsBetween(clicked, TClock::now()));
    PostMessageW(GetDlgItem(box, IDNO), BM_CLICK, 0, 0);
    while (IsWindow(box))
      Sleep(1);
  }
  return latencies;
}

} // namespace

bool RunUpdater(const std::string &server, const std::string &file, const std::string &folder,
                bool clickCancel, bool withRecord) {
  TApplication application;
  application.Initialize();
  const TTimedUiThread &timed = TimedUiThread();
  auto &window = application.Own<TUpdateWindow>();
  TAnsweringView view(window);
  const std::string host = folder + "\\host.exe";
  const TUpdateStartup startup{{"bench.exe 1 \"" + host + "\"", folder + "\\bench.exe",
                                [&](const std::string &, const std::string &,
                                    const std::string &key, const std::string &defaultValue) {
                                  if (key == "AppTitle")
                                    return std::string("Bench");
                                  if (key == "VersionFile" || key == "DownloadFile")
                                    return "http://" + server + "/" +
                                           (key == "VersionFile" ? "version.txt" : file);
                                  if (key == "ReleaseRecord" && withRecord)
                                    return "http://" + server + "/" + file + ".record";
                                  return defaultValue;
                                }}};
  const TClock::time_point checkStarted = TClock::now();
  window.Own<TUpdateDlg>(view, WinInetApi(), startup);
  std::vector<double> latencies;
  std::thread clicker;
  if (clickCancel)
    clicker = std::thread([&] { latencies = TimeCancelClicks(window.Cancel.Handle(), view); });
  application.Run(window);
  if (clicker.joinable())
    clicker.join();
  DeleteFileW(WideFromUtf8(folder + "\\host~.tmp").c_str());
  if (!view.Downloaded || (clickCancel && latencies.size() != kCancelClicks))
    return false;
  if (clickCancel)
    for (double latency : latencies)
      std::printf("%.2f ", latency);
  else
    std::printf("%.1f %.2f %.1f %.1f %.1f", MillisecondsBetween(view.Started, view.Finished),
                PeakWorkingSetMiB(), timed.WaitPerCall(), timed.HandlerPerCall(),
                MillisecondsBetween(checkStarted, view.Finished));
  return true;
}
