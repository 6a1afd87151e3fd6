// Takes updater.exe through a whole update as a user who wants it would, for the demonstration
// without a display: `demo_driver [--notes NOTES_FILE] <updater.exe> <arguments>...` starts the
// updater, answers its questions, prints what it shows and keeps screenshots (BMP, in the working
// folder). With --notes the offer must show the release notes that NOTES_FILE holds (UTF-8, CR LF
// line ends, as the offer shows them). The exit code is 0 once every question was the expected
// one and the updater has ended.
#include "drivers/MessageBoxView.h"
#include "drivers/ScreenCapture.h"
#include "drivers/UpdaterProcess.h"
#include "drivers/WaitBound.h"
#include "drivers/WholeFile.h"
#include "drivers/WindowFinder.h"
#include "drivers/WineDesktop.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

const char kDialogClass[] = "TUpdateDlg";
// The offer is a message box, or a window of the updater's own when it shows release notes.
const char kOfferClass[] = "TOfferDlg";
const char kNotesOption[] = "--notes";
const char kChecking[] = "Checking for update...";
// Progress is printed at most this often, so that a download fills a few lines, not pages.
constexpr DWORD kProgressLineMilliseconds = 500;
// Wine shows what a window has painted a moment later; a picture taken at once can miss the
// latest text.
constexpr DWORD kScreenSettleMilliseconds = 300;

// A question of the updater and the answer of a user who wants the update.
struct TAnswer {
  const char *Caption;
  const char *Text;
  const char *Button;
  const char *Screenshot;
  bool IsOffer;
};

const TAnswer kAnswers[] = {
    {"Run Program?", "Yes! An update is available, would you like to download it?", "Yes",
     "2-offer", true},
    {"Replace?",
     "The update to the program has finished downloading.\nWould you like to replace the old "
     "program with the new one?",
     "Yes", "4-replace", false},
    {"Close Program", "Please exit any open versions of the program before clicking OK.", "OK",
     "5-close-program", false},
    {"Run Program?", "Would you like to run the updated program now?", "Yes", "6-run-updated",
     false},
};

// One line for a text that may hold line feeds.
std::string OneLine(std::string text) {
  for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
    text.replace(at, 1, "\\n");
  return "\"" + text + "\"";
}

// What the update dialog shows: its labels, top to bottom, and its progress bar.
struct TDialogView {
  std::vector<std::string> Labels;
  DWORD_PTR BarPosition = 0;
  DWORD_PTR BarMaximum = 0;

  std::string Status() const { return Labels.empty() ? "" : Labels.front(); }
  std::string Line() const {
    std::string line;
    for (const std::string &label : Labels)
      line += OneLine(label) + "  ";
    return line + "bar " + std::to_string(BarPosition) + "/" + std::to_string(BarMaximum);
  }
};

TDialogView ReadDialog(HWND dialog) {
  TDialogView view;
  for (HWND child : ChildWindowsOf(dialog)) {
    const std::string className = WindowClassName(child);
    if (className == "Static") {
      view.Labels.push_back(WindowText(child));
    } else if (className == PROGRESS_CLASSA) {
      SendMessageTimeoutA(child, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 5000, &view.BarPosition);
      SendMessageTimeoutA(child, PBM_GETRANGE, FALSE, 0, SMTO_ABORTIFHUNG, 5000, &view.BarMaximum);
    }
  }
  return view;
}

class TDemoRun {
public:
  /// expectedNotes: the release notes that the offer must show; nothing when any or none will do.
  TDemoRun(const TUpdaterProcess &updater, std::optional<std::string> expectedNotes)
      : fUpdater(updater), fExpectedNotes(std::move(expectedNotes)) {}

  /// Waits for the question, shows it and gives the answer; false when another question or
  /// none came.
  bool Answer(const TAnswer &answer) {
    HWND box = nullptr;
    WaitUntil([&] {
      WatchDialog();
      for (HWND window : TopLevelWindowsOf(fUpdater.Id()))
        if (IsVisibleDialogBox(window) ||
            (IsWindowVisible(window) && WindowClassName(window) == kOfferClass))
          box = window;
      return box || !fUpdater.Running();
    });
    if (!box) {
      std::printf("No question came; expected \"%s\"\n", answer.Caption);
      return false;
    }
    const TMessageBoxView question = ReadMessageBox(box);
    std::string buttons;
    for (const std::string &button : question.Buttons)
      buttons += " [" + button + "]";
    std::printf("Question: %s %s%s\n", OneLine(question.Caption).c_str(),
                OneLine(question.Text).c_str(), buttons.c_str());
    const std::optional<std::string> notes = ReleaseNotesIn(box);
    if (notes) {
      std::printf("Release notes in the offer:\n");
      PrintIndented(*notes);
    }
    Keep(answer.Screenshot, box);
    if (question.Caption != answer.Caption || question.Text != answer.Text) {
      std::printf("Expected %s %s\n", OneLine(answer.Caption).c_str(),
                  OneLine(answer.Text).c_str());
      return false;
    }
    if (answer.IsOffer && fExpectedNotes && notes != fExpectedNotes) {
      std::printf(notes ? "Expected the release notes:\n"
                        : "The offer came without its release notes, expected:\n");
      PrintIndented(*fExpectedNotes);
      return false;
    }
    std::printf("Answer: [%s]\n", answer.Button);
    if (!ClickButton(box, answer.Button)) {
      std::printf("The button %s could not be pressed\n", answer.Button);
      return false;
    }
    // Until it has gone, the box answered must not be taken for the next question.
    if (!WaitUntil([&] { return !IsWindowVisible(box); })) {
      std::printf("The question stayed after the answer\n");
      return false;
    }
    return true;
  }

private:
  /// The release notes that the offer window shows; nothing for a message box.
  static std::optional<std::string> ReleaseNotesIn(HWND question) {
    const HWND notes = WindowClassName(question) == kOfferClass
                           ? FindWindowExW(question, nullptr, L"Edit", nullptr)
                           : nullptr;
    if (!notes)
      return std::nullopt;
    return WindowText(notes);
  }

  /// Prints text line by line, set off from the driver's own lines.
  static void PrintIndented(const std::string &text) {
    for (size_t start = 0; start <= text.size();) {
      const size_t end = std::min(text.find("\r\n", start), text.size());
      std::printf("  | %s\n", text.substr(start, end - start).c_str());
      start = end + 2;
    }
  }

  /// Prints what the update dialog shows when it has changed, and keeps pictures of it while it
  /// checks and halfway through the download.
  void WatchDialog() {
    const HWND dialog = FindTopLevelWindow(fUpdater.Id(), kDialogClass);
    if (!dialog || !IsWindowVisible(dialog))
      return;
    const TDialogView view = ReadDialog(dialog);
    const std::string line = view.Line();
    if (line != fPrinted.Line() && (view.Status() != fPrinted.Status() ||
                                    GetTickCount() - fPrintedAt >= kProgressLineMilliseconds)) {
      std::printf("Dialog %s: %s\n", OneLine(WindowText(dialog)).c_str(), line.c_str());
      fPrinted = view;
      fPrintedAt = GetTickCount();
    }
    if (!fKeptChecking && view.Status() == kChecking) {
      Keep("1-checking");
      fKeptChecking = true;
    }
    if (!fKeptDownload && view.BarMaximum > 0 && view.BarPosition * 4 >= view.BarMaximum &&
        view.BarPosition * 4 <= view.BarMaximum * 3) {
      Keep("3-downloading");
      fKeptDownload = true;
    }
  }

  /// Keeps a picture of the update dialog, and of the window in front of it if any, as name.bmp.
  void Keep(const std::string &name, HWND inFront = nullptr) {
    RECT area{};
    for (HWND window : {FindTopLevelWindow(fUpdater.Id(), kDialogClass), inFront}) {
      if (!window)
        continue;
      RECT bounds;
      GetWindowRect(window, &bounds);
      UnionRect(&area, &area, &bounds);
    }
    InflateRect(&area, 16, 16);
    Sleep(kScreenSettleMilliseconds);
    const std::string path = name + ".bmp";
    if (SaveScreenArea(area, path))
      std::printf("Screenshot: %s\n", path.c_str());
    else
      std::printf("No screenshot %s could be taken\n", path.c_str());
  }

  const TUpdaterProcess &fUpdater;
  const std::optional<std::string> fExpectedNotes;
  TDialogView fPrinted;
  DWORD fPrintedAt = 0;
  bool fKeptChecking = false;
  bool fKeptDownload = false;
};

// The arguments as one command line, each quoted when it holds a blank or is empty.
std::string CommandLineOf(int count, char **arguments) {
  std::string line;
  for (int i = 0; i < count; ++i) {
    const std::string argument = arguments[i];
    const bool quote = argument.empty() || argument.find_first_of(" \t") != std::string::npos;
    line += (i ? " " : "") + (quote ? "\"" + argument + "\"" : argument);
  }
  return line;
}

// Runs the updater with the arguments and answers its questions; the driver's exit code.
int Drive(int argc, char **argv) {
  const bool withNotes = argc > 1 && std::string(argv[1]) == kNotesOption;
  const int first = withNotes ? 3 : 1; // the updater's program
  if (argc < first + 1) {
    std::fprintf(stderr, "usage: demo_driver [--notes NOTES_FILE] UPDATER_EXE [ARGUMENTS]...\n");
    return 2;
  }
  try {
    std::optional<std::string> expectedNotes;
    if (withNotes)
      expectedNotes = ReadWholeFile(argv[2]);
    const std::string arguments = CommandLineOf(argc - first - 1, argv + first + 1);
    std::printf("Starting %s %s\n", argv[first], arguments.c_str());
    TUpdaterProcess updater(argv[first], arguments);
    TDemoRun run(updater, std::move(expectedNotes));
    for (const TAnswer &answer : kAnswers)
      if (!run.Answer(answer))
        return 1;
    const auto exitCode = updater.WaitForExitCode();
    if (!exitCode) {
      std::printf("The updater did not end\n");
      return 1;
    }
    std::printf("The updater ended with exit code %lu\n", *exitCode);
    return 0;
  } catch (const std::exception &failure) {
    std::printf("Failed: %s\n", failure.what());
    return 1;
  }
}

} // namespace

int main(int argc, char **argv) {
  // Wine draws caption bars only inside a virtual desktop, so there the driver runs again in one.
  const std::string exitCodeFile = ExitCodeFileArgument();
  if (RunningUnderWine() && exitCodeFile.empty())
    return RunInVirtualDesktop();
  // Each line reaches the terminal as it is printed, not when the driver ends.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  // The run inside the desktop gets the exit code file as its last argument: not the updater's.
  const int exitCode = Drive(exitCodeFile.empty() ? argc : argc - 1, argv);
  if (!exitCodeFile.empty())
    RecordExitCode(exitCodeFile, exitCode);
  return exitCode;
}
