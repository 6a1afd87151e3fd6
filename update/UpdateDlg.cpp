#include "update/UpdateDlg.h"

#include "framework/CommandLine.h"

namespace {

const char kNotEnoughParameters[] =
    "There are not enough parameters for the updater to continue.\nQuintarel cannot be run "
    "directly.\nIt must be invoked with certian parameters.";
const char kSettingsMissing[] = "The data file containing the update information has been "
                                "corrupted or is missing. Cannot continue.";

} // namespace

TUpdateDlg::TUpdateDlg(TComponent *owner, TUpdateView &view, TInternetApi &internet,
                       const TUpdateStartup &startup)
    : TComponent(owner), CheckVersion(Own<THTTPGet>(internet)), Downloader(Own<THTTPGet>(internet)),
      fView(view) {
  ReadState([this] { ConfigureTransfers(); });
  Start(startup);
}

void TUpdateDlg::ConfigureTransfers() {
  CheckVersion.Name = "CheckVersion";
  CheckVersion.AcceptTypes = "*/*";
  CheckVersion.BinaryData = false;
  CheckVersion.UseCache = false;
  CheckVersion.WaitThread = false;

  Downloader.Name = "Downloader";
  Downloader.AcceptTypes = "*/*";
  Downloader.BinaryData = true;
  Downloader.UseCache = false;
  Downloader.WaitThread = false;
}

void TUpdateDlg::Start(const TUpdateStartup &startup) {
  // The first item is the updater's own path; the host passes its version and program file.
  const std::vector<std::string> items = SplitCommandLine(startup.CommandLine);
  if (items.size() < 3) {
    fView.ShowError(kNotEnoughParameters);
    fView.EndProgram();
    return;
  }
  const std::string &programFile = items[2];

  const TUpdaterSettings settings =
      ReadUpdaterSettings(ChangeFileExt(startup.ProgramFileName, ".ini", startup.IsLeadByte),
                          startup.ReadProfileString);

  UpdaterTitle = settings.AppTitle + " Updater...";
  fView.SetTitle(UpdaterTitle);

  CheckVersion.Agent = UpdaterTitle;
  Downloader.Agent = UpdaterTitle;
  CheckVersion.URL = settings.VersionFile;
  Downloader.URL = settings.DownloadFile;
  Downloader.FileName = ChangeFileExt(programFile, "~.tmp", startup.IsLeadByte);

  if (!settings.UrlsPresent()) {
    fView.ShowError(kSettingsMissing);
    fView.EndProgram();
    return;
  }
  fView.SetStatus("Checking for update...");
  CheckVersion.GetString();
}
