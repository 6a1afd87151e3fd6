#include "bench/delta/UpdateRound_win.h"

#include "bench/auto/UpdaterInstall_win.h"
#include "bench/download/Measures_win.h"
#include "drivers/MessageBoxView.h"
#include "drivers/UpdaterProcess.h"
#include "drivers/WaitBound.h"
#include "drivers/WholeFile.h"
#include "drivers/WindowFinder.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <stdexcept>

namespace {

const char kProgram[] = "Bench Program.exe";
const char kDownload[] = "Bench Program~.tmp"; // where the updater puts the checked file
const char kOffer[] = "Run Program?";
const char kChecked[] = "Replace?";
constexpr DWORD kPollMilliseconds = 1; // the resolution of the times measured
// How often the dialog is asked for an answer: seldom enough that the asking costs the updater,
// which shares its processor, next to nothing. The longest wait measured falls short of the
// longest time the dialog answers nothing by less than this.
constexpr auto kAskPause = std::chrono::milliseconds(10);

void Require(bool holds, const std::string &failure) {
  if (!holds)
    throw std::runtime_error(failure);
}

std::string Settings(const TUpdateCase &update, bool deltas) {
  const std::string server = "http://" + update.Server;
  return "AppTitle=Bench\r\nVersionFile=" + server + "/version.txt\r\nDownloadFile=" + server +
         "/" + update.Name + "/new.exe\r\nDeltaUpdates=" + (deltas ? "1" : "0") + "\r\n";
}

// How long a window takes to answer WM_NULL, asked again once kAskPause has passed since its
// last answer: the longest wait is how long the window left its user without an answer.
class TAnswerTimes {
public:
  explicit TAnswerTimes(HWND window) : fWindow(window) {}

  void AskWhenDue() {
    if (TClock::now() - fAnswered < kAskPause)
      return;
    const TClock::time_point asked = TClock::now();
    DWORD_PTR answer = 0;
    Require(SendMessageTimeoutW(fWindow, WM_NULL, 0, 0, SMTO_NORMAL, kWaitBoundMilliseconds,
                                &answer) != 0,
            "the update dialog did not answer");
    fAnswered = TClock::now();
    fLongestMs = std::max(fLongestMs, MillisecondsBetween(asked, fAnswered));
  }
  double LongestMs() const { return fLongestMs; }

private:
  HWND fWindow;
  TClock::time_point fAnswered;
  double fLongestMs = 0;
};

// The question captioned caption, once it is up, with meanwhile called at every look; nullptr
// when the updater ends first. Throws std::runtime_error when it asks anything else (an error,
// say).
HWND WaitForQuestion(
    const TUpdaterProcess &updater, const std::string &caption,
    const std::function<void()> &meanwhile = [] {}) {
  HWND question = nullptr;
  WaitUntil(
      [&] {
        meanwhile();
        question = VisibleMessageBox(updater.Id(), "");
        return question || !updater.Running();
      },
      kWaitBoundMilliseconds, kPollMilliseconds);
  if (question && WindowText(question) != caption) {
    const TMessageBoxView other = ReadMessageBox(question);
    throw std::runtime_error("the updater asks \"" + other.Caption + "\": " + other.Text);
  }
  return question;
}

// The round's requests, once the one that brought the update is recorded: nginx writes a line
// once its answer has gone, which may be a moment after the client has it.
std::vector<TServedRequest> RequestsOfRound(const TServedLog &served, const TUpdateCase &update,
                                            bool deltas) {
  const std::string whole = "/" + update.Name + "/new.exe";
  const auto isDelta = [&](const TServedRequest &request) {
    return request.Path.compare(0, whole.size() + 6, whole + ".from-") == 0;
  };
  const auto brought = [&](const TServedRequest &request) {
    return request.Status == 200 && (deltas ? isDelta(request) : request.Path == whole);
  };
  std::vector<TServedRequest> requests;
  WaitUntil([&] {
    requests = served.Requests();
    return std::any_of(requests.begin(), requests.end(), brought);
  });
  Require(std::any_of(requests.begin(), requests.end(), brought),
          deltas ? "no delta was served" : "the whole program was not served");
  Require(std::none_of(requests.begin(), requests.end(),
                       [&](const TServedRequest &request) {
                         return deltas ? request.Path == whole : isDelta(request);
                       }),
          deltas ? "the whole program was fetched although the delta was served"
                 : "a delta was asked for although deltas are off");
  return requests;
}

} // namespace

TUpdateMeasures RunUpdate(const TUpdateCase &update, const std::string &folder, bool deltas) {
  InstallUpdater(folder, update.Updater, update.OldProgram, kProgram, Settings(update, deltas));
  const TServedLog served(update.ServedLog);
  TUpdaterProcess updater(folder + "\\updater.exe", "1 \"" + folder + "\\" + kProgram + "\"");
  const HWND offer = WaitForQuestion(updater, kOffer);
  Require(offer != nullptr, "no offer came");

  TUpdateMeasures measures{};
  TAnswerTimes answers(FindTopLevelWindow(updater.Id(), "TUpdateDlg"));
  const TClock::time_point yes = TClock::now();
  Require(ClickButton(offer, "Yes"), "the offer took no Yes");
  const HWND checked = WaitForQuestion(updater, kChecked, [&] { answers.AskWhenDue(); });
  measures.YesToCheckedMs = MillisecondsBetween(yes, TClock::now());
  measures.LongestUnansweredMs = answers.LongestMs();
  Require(checked != nullptr, "no \"Replace?\" question came");
  // Read while the updater runs: an ended process has no figures left under Wine.
  measures.PeakMiB = PeakWorkingSetMiB(updater.Handle());
  Require(ReadWholeFile(folder + "\\" + kDownload) == ReadWholeFile(update.NewProgram),
          "the checked file is not the new program");

  Require(ClickButton(checked, "No"), "the question took no No");
  Require(updater.WaitForExitCode().has_value(), "the updater did not end after No");
  measures.Requests = RequestsOfRound(served, update, deltas);
  for (const TServedRequest &request : measures.Requests) {
    measures.SentBytes += static_cast<double>(request.SentBytes);
    measures.BodyBytes += static_cast<double>(request.BodyBytes);
  }
  return measures;
}
