// How long the updater takes to download a large program file through its own dialog and window,
// against a bare loop of the same WinINet calls whose one call per chunk onto the user-interface
// thread moves a progress bar in a window of its own, the floor of a download that a person
// watches; the peak working set of the updater's download; and how soon the "Abort" question
// appears after a click on Cancel during a full-speed download; and how long
// the check of a download with the publisher's key takes, beside the download. Every measured
// run is a child process of its own. tools/bench-download serves the files, signs them and runs
// it under Wine.
//
//   bench_download <server> <folder> <served>                the whole benchmark
//   bench_download --updater|--bare|--cancel <server> <file> <folder>   one measured download
//   bench_download --verify <served> <file>        one check of a served file and its .sig with
//                                                  the key in <served>\release.pub
#include "framework/UiThread.h"
#include "framework/win32/Application_win.h"
#include "framework/win32/Handles_win.h"
#include "httpget/WinInetApi_win.h"
#include "update/HeldDownload.h"
#include "update/PublisherKey.h"
#include "update/UpdateDlg.h"
#include "update/UpdateWindow_win.h"

#include <windows.h>

#include <commctrl.h>
#include <psapi.h>
#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;

constexpr char kLargeFile[] = "64mib.bin";
constexpr char kSmallFile[] = "8mib.bin";
constexpr int kRounds = 5;
constexpr int kCancelClicks = 5;
constexpr int kVerifyRounds = 3;
constexpr DWORD kChunkSize = 1025; // what the transfer worker reads at a time

double MillisecondsBetween(TClock::time_point from, TClock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

double PeakWorkingSetMiB() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.PeakWorkingSetSize / 1048576.0;
}

// The real window, except that the benchmark answers the offer (Yes: the clock starts) and the
// question after the download (No: the clock stops) itself. Failures are printed, not shown:
// nobody would close their boxes.
class TAnsweringView final : public TUpdateView {
public:
  explicit TAnsweringView(TUpdateWindow &window) : fWindow(window) {}

  TClock::time_point Started, Finished;
  std::atomic<bool> Downloaded{false};
  std::atomic<bool> Failed{false};
  std::atomic<int32_t> Maximum{0}, Position{0}; // read by the thread that clicks Cancel

  void ConnectUserActions(TNotifyEvent cancelClick, TCloseQueryEvent closeQuery) override {
    fWindow.ConnectUserActions(cancelClick, closeQuery);
  }
  void SetTitle(const std::string &title) override { fWindow.SetTitle(title); }
  void SetStatus(const std::string &text) override { fWindow.SetStatus(text); }
  void SetDownloadStatus(const std::string &text) override { fWindow.SetDownloadStatus(text); }
  void SetProgress(int32_t maximum, int32_t position) override {
    Maximum = maximum;
    Position = position;
    fWindow.SetProgress(maximum, position);
  }
  void DisableCancel() override { fWindow.DisableCancel(); }
  void ShowError(const std::string &text) override { Fail(text); }
  bool ShowMessage(const std::string &caption, const std::string &text,
                   TMessageButtons buttons) override {
    if (caption == "Run Program?") { // the offer: the run ends before the later question
      Started = TClock::now();
      return true;
    }
    if (caption == "Replace?") {
      Finished = TClock::now();
      Downloaded = true;
      return false;
    }
    if (caption == "Abort")
      return fWindow.ShowMessage(caption, text, buttons);
    Fail(caption + ": " + text);
    return false;
  }
  void StartProgram(const std::string &program) override { fWindow.StartProgram(program); }
  std::optional<uint32_t> RunInstallStep(const std::string &parameters) override {
    return fWindow.RunInstallStep(parameters);
  }
  void EndProgram() override { fWindow.EndProgram(); }

private:
  void Fail(const std::string &text) {
    Failed = true;
    std::fprintf(stderr, "The updater says: %s\n", text.c_str());
  }

  TUpdateWindow &fWindow;
};

// The "Abort" question of this process, once it is on the screen.
HWND AbortQuestion() {
  const HWND box = FindWindowA("#32770", "Abort");
  DWORD processId = 0;
  if (box)
    GetWindowThreadProcessId(box, &processId);
  return processId == GetCurrentProcessId() && IsWindowVisible(box) ? box : nullptr;
}

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
    PostMessageA(cancel, BM_CLICK, 0, 0);
    HWND box;
    while (!(box = AbortQuestion()) && !view.Downloaded)
      Sleep(1);
    if (!box)
      break;
    latencies.push_back(MillisecondsBetween(clicked, TClock::now()));
    PostMessageA(GetDlgItem(box, IDNO), BM_CLICK, 0, 0);
    while (IsWindow(box))
      Sleep(1);
  }
  return latencies;
}

// Stands between the workers and the user-interface thread and times every call: how long the
// worker waits in all (the hand-over both ways and the handler) and how long the handler runs.
class TTimedUiThread final : public TUiThread {
public:
  explicit TTimedUiThread(TUiThread &inner) : fInner(inner) { SetUiThread(*this); }

  void Call(const std::function<void()> &call) override {
    const TClock::time_point called = TClock::now();
    double handler = 0;
    fInner.Call([&] {
      const TClock::time_point started = TClock::now();
      call();
      handler = MillisecondsBetween(started, TClock::now());
    });
    fWaitMicros += static_cast<long long>(1000 * MillisecondsBetween(called, TClock::now()));
    fHandlerMicros += static_cast<long long>(1000 * handler);
    ++fCalls;
  }
  void ProcessMessages() override { fInner.ProcessMessages(); }
  void HandleException(std::exception_ptr error) override { fInner.HandleException(error); }

  /// The worker's wait per call and the handler's part of it, in microseconds.
  double WaitPerCall() const { return fCalls ? static_cast<double>(fWaitMicros) / fCalls : 0; }
  double HandlerPerCall() const {
    return fCalls ? static_cast<double>(fHandlerMicros) / fCalls : 0;
  }

private:
  TUiThread &fInner;
  std::atomic<long long> fWaitMicros{0}, fHandlerMicros{0}, fCalls{0};
};

// One download through the updater's dialog and window, started as a host would start it.
// Prints its time and peak working set, or with clickCancel the delays of the "Abort" question.
bool RunUpdater(const std::string &server, const std::string &file, const std::string &folder,
                bool clickCancel) {
  TApplication application;
  application.Initialize();
  // Never destroyed, like the thread it stands before: a worker may still be on its way out.
  static const TTimedUiThread timed(UiThread());
  auto &window = application.Own<TUpdateWindow>();
  TAnsweringView view(window);
  const std::string host = folder + "\\host.exe";
  const TUpdateStartup startup{"bench.exe 1 \"" + host + "\"", folder + "\\bench.exe",
                               [&](const std::string &, const std::string &, const std::string &key,
                                   const std::string &defaultValue) {
                                 if (key == "AppTitle")
                                   return std::string("Bench");
                                 if (key == "VersionFile" || key == "DownloadFile")
                                   return "http://" + server + "/" +
                                          (key == "VersionFile" ? "version.txt" : file);
                                 return defaultValue;
                               }};
  window.Own<TUpdateDlg>(view, WinInetApi(), startup);
  std::vector<double> latencies;
  std::thread clicker;
  if (clickCancel)
    clicker = std::thread([&] { latencies = TimeCancelClicks(window.Cancel.Handle(), view); });
  application.Run(window);
  if (clicker.joinable())
    clicker.join();
  DeleteFileA((folder + "\\host~.tmp").c_str());
  if (!view.Downloaded || (clickCancel && latencies.size() != kCancelClicks))
    return false;
  if (clickCancel)
    for (double latency : latencies)
      std::printf("%.2f ", latency);
  else
    std::printf("%.1f %.2f %.1f %.1f", MillisecondsBetween(view.Started, view.Finished),
                PeakWorkingSetMiB(), timed.WaitPerCall(), timed.HandlerPerCall());
  return true;
}

struct TCloseInternetHandle {
  void operator()(HINTERNET handle) const { InternetCloseHandle(handle); }
};
using TInternetHandleOwner = TOwnedHandle<HINTERNET, TCloseInternetHandle>;

// The floor of a download that a person watches: a window whose progress bar the bare loop moves.
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
  const TInternetHandleOwner session(
      InternetOpenA("Bench", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  const TInternetHandleOwner connection(InternetConnectA(session.Get(), server.c_str(),
                                                         INTERNET_DEFAULT_HTTP_PORT, "", "",
                                                         INTERNET_SERVICE_HTTP, 0, 0));
  const char *acceptTypes[] = {"*/*", nullptr};
  const TInternetHandleOwner request(HttpOpenRequestA(connection.Get(), "GET", ("/" + file).c_str(),
                                                      "HTTP/1.0", "", acceptTypes,
                                                      INTERNET_FLAG_RELOAD, 0));
  if (!HttpSendRequestA(request.Get(), nullptr, 0, nullptr, 0))
    return false;
  char length[32] = {}, status[32] = {};
  DWORD lengthSize = sizeof length, statusSize = sizeof status, lengthIndex = 0, statusIndex = 0;
  if (!HttpQueryInfoA(request.Get(), HTTP_QUERY_CONTENT_LENGTH, length, &lengthSize,
                      &lengthIndex) ||
      !HttpQueryInfoA(request.Get(), HTTP_QUERY_STATUS_CODE, status, &statusSize, &statusIndex) ||
      status[0] != '2')
    return false;
  const HANDLE created =
      CreateFileA(target.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
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

// One bare download on a worker while this thread only serves messages; prints its time and
// peak working set.
bool RunBare(const std::string &server, const std::string &file, const std::string &folder) {
  TApplication application;
  application.Initialize();
  // Never destroyed, like the thread it stands before: a worker may still be on its way out.
  static const TTimedUiThread timed(UiThread());
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
  DeleteFileA(target.c_str());
  if (succeeded)
    std::printf("%.1f %.2f %.1f %.1f", MillisecondsBetween(started, finished), PeakWorkingSetMiB(),
                timed.WaitPerCall(), timed.HandlerPerCall());
  return succeeded;
}

std::string ReadWholeFile(const std::string &path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

// The check the updater runs on a finished download when its settings name a key: the served
// file held as the updater holds it, hashed and verified against its signature. Prints its time
// and peak working set.
bool RunVerify(const std::string &served, const std::string &file) {
  const std::unique_ptr<TPublisherKey> key =
      ImportPublisherKey(ReadWholeFile(served + "\\release.pub"));
  const std::string signature = ReadWholeFile(served + "\\" + file + ".sig");
  const THeldDownload download(served + "\\" + file);
  if (!key || !download.Held())
    return false;
  const TClock::time_point started = TClock::now();
  const bool signedWithKey = key->Signed(download, signature);
  const TClock::time_point finished = TClock::now();
  if (signedWithKey)
    std::printf("%.1f %.2f", MillisecondsBetween(started, finished), PeakWorkingSetMiB());
  return signedWithKey;
}

// Runs this program with arguments and returns the numbers it printed; throws when it failed.
std::vector<double> RunChild(const std::string &arguments) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
  HANDLE readEnd, writeEnd;
  if (!CreatePipe(&readEnd, &writeEnd, &inherited, 0))
    throw std::runtime_error("no pipe");
  const TKernelHandle reader(readEnd);
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  PROCESS_INFORMATION process = {};
  {
    // The child holds the only write end, so that the reads below end when the child does.
    const TKernelHandle writer(writeEnd);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::string commandLine = "\"" + std::string(self) + "\" " + arguments;
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process))
      throw std::runtime_error("cannot start " + commandLine);
  }
  const TKernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
  std::string output;
  char buffer[256];
  DWORD read = 0;
  while (ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read != 0)
    output.append(buffer, read);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  std::istringstream numbers(output);
  std::vector<double> values;
  for (double value; numbers >> value;)
    values.push_back(value);
  if (exitCode != 0 || values.empty())
    throw std::runtime_error("the run " + arguments + " failed");
  return values;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Times and peak working sets of the runs, as the children printed them.
struct TSamples {
  std::vector<double> Milliseconds, PeakMiB, WaitMicros, HandlerMicros;
  void Add(const std::vector<double> &run) {
    Milliseconds.push_back(run.at(0));
    PeakMiB.push_back(run.at(1));
    if (run.size() == 4) {
      WaitMicros.push_back(run[2]);
      HandlerMicros.push_back(run[3]);
    }
  }
};

void PrintSamples(const char *path, const TSamples &samples) {
  std::printf("%-8s %s: median %8.1f ms; samples", path, kLargeFile, Median(samples.Milliseconds));
  for (size_t i = 0; i < samples.Milliseconds.size(); ++i)
    std::printf("  %.1f ms/%.1f MiB", samples.Milliseconds[i], samples.PeakMiB[i]);
  std::printf("\n         per chunk, the worker waits %.1f us for the user-interface thread, of "
              "which the handler takes %.1f us (medians)\n",
              Median(samples.WaitMicros), Median(samples.HandlerMicros));
}

int RunAll(const std::string &server, const std::string &folder, const std::string &served) {
  const auto arguments = [&](const char *mode, const char *file) {
    return std::string(mode) + " " + server + " " + file + " \"" + folder + "\"";
  };
  TSamples updater, bare;
  // Alternated, so that a slow phase of the machine falls on both paths alike.
  for (int round = 0; round < kRounds; ++round) {
    updater.Add(RunChild(arguments("--updater", kLargeFile)));
    bare.Add(RunChild(arguments("--bare", kLargeFile)));
  }
  const std::vector<double> small = RunChild(arguments("--updater", kSmallFile));
  const std::vector<double> latencies = RunChild(arguments("--cancel", kLargeFile));
  TSamples verifySmall, verifyLarge;
  for (int round = 0; round < kVerifyRounds; ++round) {
    verifySmall.Add(RunChild("--verify \"" + served + "\" " + kSmallFile));
    verifyLarge.Add(RunChild("--verify \"" + served + "\" " + kLargeFile));
  }

  PrintSamples("updater", updater);
  PrintSamples("bare", bare);
  std::printf("ratio updater/bare: %.3f (target: at most 1.05)\n",
              Median(updater.Milliseconds) / Median(bare.Milliseconds));
  std::printf("peak working set of the updater's download: %s %.1f MiB, %s %.1f MiB (median); "
              "bare loop %.1f MiB (target: no growth with the file)\n",
              kSmallFile, small.at(1), kLargeFile, Median(updater.PeakMiB), Median(bare.PeakMiB));
  std::printf("\"Abort\" question after a click on Cancel: median %.1f ms (target: within 100 "
              "ms); samples",
              Median(latencies));
  for (double latency : latencies)
    std::printf("  %.1f ms", latency);
  std::printf("\n");
  std::printf("check with the publisher's key (P-256, SHA-256 of the whole file), median of %d: "
              "%s %.1f ms, %s %.1f ms, %.2f %% of the updater's %s download (target: under 5 %%); "
              "peak working set %.1f MiB and %.1f MiB (target: no growth with the file)\n",
              kVerifyRounds, kSmallFile, Median(verifySmall.Milliseconds), kLargeFile,
              Median(verifyLarge.Milliseconds),
              100 * Median(verifyLarge.Milliseconds) / Median(updater.Milliseconds), kLargeFile,
              Median(verifySmall.PeakMiB), Median(verifyLarge.PeakMiB));
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  try {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 3 && args[0] == "--verify")
      return RunVerify(args[1], args[2]) ? 0 : 1;
    if (args.size() == 3)
      return RunAll(args[0], args[1], args[2]);
    if (args.size() == 4 && (args[0] == "--updater" || args[0] == "--cancel"))
      return RunUpdater(args[1], args[2], args[3], args[0] == "--cancel") ? 0 : 1;
    if (args.size() == 4 && args[0] == "--bare")
      return RunBare(args[1], args[2], args[3]) ? 0 : 1;
    std::fprintf(stderr, "usage: bench_download <server> <folder> <served>\n");
  } catch (const std::exception &error) {
    std::fprintf(stderr, "bench_download: %s\n", error.what());
  }
  return 1;
}
