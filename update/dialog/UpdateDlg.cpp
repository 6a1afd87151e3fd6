#include "update/dialog/UpdateDlg.h"

#include "framework/FileRemoval.h"
#include "update/offer/ReleaseNotes.h"
#include "update/offer/VersionFile.h"

#include <algorithm>

namespace {

const char kNotEnoughParameters[] =
    "There are not enough parameters for the updater to continue.\nQuintarel cannot be run "
    "directly.\nIt must be invoked with certian parameters.";

// How long the release notes and their signature may keep the offer waiting for a byte.
constexpr uint32_t kNotesTimeoutSeconds = 5;

} // namespace

TUpdateDlg::TUpdateDlg(TComponent *owner, TUpdateView &view, TInternetApi &internet,
                       const TUpdateStartup &startup)
    : TComponent(owner), CheckVersion(Own<THTTPGet>(internet)),
      DownloadRecord(Own<TSignedTextGet>(internet)), Downloader(Own<THTTPGet>(internet)),
      DownloadDigest(Own<TDigestWorker>()), DownloadSignature(Own<THTTPGet>(internet)),
      ProgramDigest(Own<TDigestWorker>()), DownloadDelta(Own<THTTPGet>(internet)),
      DeltaDecoder(Own<TDeltaDecoder>()), DownloadNotes(Own<TSignedTextGet>(internet)), fView(view),
      fUpdaterFile(startup.ProgramFileName), fCheckPublisher(startup.CheckPublisher),
      fDigestProgram(startup.DigestProgram), fDigestDownload(startup.DigestDownload),
      fChooseDownloadTarget(startup.ChooseDownloadTarget),
      fAdmitInstallStep(startup.AdmitInstallStep), fIsReadOnly(startup.IsReadOnly) {
  ReadState([this] { WireComponents(); });
  Start(startup);
}

// Nothing unchecked stays beside the program, and nothing of the update in the user's temporary
// folder, however far the download came: a transfer still writing shares its file for deletion.
// Nor does a delta, nor a program that one is being rebuilt into, wherever they lie.
TUpdateDlg::~TUpdateDlg() {
  if (fAwaitingSignature || fAwaitingDigest)
    fDownload->Delete();
  if (fDeltaTried)
    RemoveFile(DeltaFileOf(Downloader.FileName));
  if (DeltaDecoder.Running())
    RemoveFile(Downloader.FileName);
  if (!DownloadedBesideProgram()) {
    fDownload.reset();
    RemoveFile(Downloader.FileName);
    RemoveFile(SignatureFileOf(Downloader.FileName));
  }
}

void TUpdateDlg::WireComponents() {
  CheckVersion.Name = "CheckVersion";
  CheckVersion.AcceptTypes = "*/*";
  CheckVersion.BinaryData = false;
  CheckVersion.UseCache = false;
  CheckVersion.WaitThread = false;
  CheckVersion.MaxTextLength = kVersionFileMaxLength;

  // The record is raw UTF-8, read no further than it may be.
  DownloadRecord.Name = "DownloadRecord";
  DownloadRecord.MaxLength = kMaxReleaseRecordSize;

  Downloader.Name = "Downloader";
  Downloader.AcceptTypes = "*/*";
  Downloader.BinaryData = true;
  Downloader.UseCache = false;
  Downloader.WaitThread = false;

  DownloadSignature.Name = "DownloadSignature";
  DownloadSignature.AcceptTypes = "*/*";
  DownloadSignature.BinaryData = true;
  DownloadSignature.UseCache = false;
  DownloadSignature.WaitThread = false;
  DownloadSignature.MaxTextLength = kMaxSignatureSize;

  DownloadDigest.Name = "DownloadDigest";
  ProgramDigest.Name = "ProgramDigest";

  DownloadDelta.Name = "DownloadDelta";
  DownloadDelta.BinaryData = true; // the other properties as a new component has them

  DeltaDecoder.Name = "DeltaDecoder";

  // Notes are raw UTF-8, read no further than they may be.
  DownloadNotes.Name = "DownloadNotes";
  DownloadNotes.MaxLength = kMaxReleaseNotesSize;

  CheckVersion.OnDoneString = MethodOf<&TUpdateDlg::CheckVersionDoneString>(this);
  CheckVersion.OnError = MethodOf<&TUpdateDlg::CheckVersionError>(this);
  DownloadRecord.OnDone = MethodOf<&TUpdateDlg::DownloadRecordDone>(this);
  DownloadRecord.OnError = MethodOf<&TUpdateDlg::DownloadRecordError>(this);
  Downloader.OnProgress = MethodOf<&TUpdateDlg::DownloaderProgress>(this);
  Downloader.OnDoneFile = MethodOf<&TUpdateDlg::DownloaderDoneFile>(this);
  Downloader.OnError = MethodOf<&TUpdateDlg::DownloaderError>(this);
  DownloadDigest.OnDigest = MethodOf<&TUpdateDlg::DownloadDigestDone>(this);
  DownloadDigest.OnError = MethodOf<&TUpdateDlg::DownloadDigestError>(this);
  DownloadSignature.OnDoneString = MethodOf<&TUpdateDlg::DownloadSignatureDoneString>(this);
  DownloadSignature.OnError = MethodOf<&TUpdateDlg::DownloadSignatureError>(this);
  ProgramDigest.OnDigest = MethodOf<&TUpdateDlg::ProgramDigestDone>(this);
  ProgramDigest.OnError = MethodOf<&TUpdateDlg::DeltaFailed>(this);
  // The bar shows a delta's progress as it shows the whole program's.
  DownloadDelta.OnProgress = MethodOf<&TUpdateDlg::DownloaderProgress>(this);
  DownloadDelta.OnDoneFile = MethodOf<&TUpdateDlg::DownloadDeltaDoneFile>(this);
  DownloadDelta.OnError = MethodOf<&TUpdateDlg::DeltaFailed>(this);
  DeltaDecoder.OnDone = MethodOf<&TUpdateDlg::DeltaDecoderDone>(this);
  DeltaDecoder.OnError = MethodOf<&TUpdateDlg::DeltaFailed>(this);
  DownloadNotes.OnDone = MethodOf<&TUpdateDlg::DownloadNotesDone>(this);
  DownloadNotes.OnError = MethodOf<&TUpdateDlg::DownloadNotesError>(this);
  fView.ConnectUserActions(MethodOf<&TUpdateDlg::CancelClick>(this),
                           MethodOf<&TUpdateDlg::FormCloseQuery>(this));
}

void TUpdateDlg::Start(const TUpdateStartup &startup) {
  const std::optional<THostRequest> request = HostRequestOf(startup.CommandLine);
  if (!request) {
    Fail(TUpdateOutcome::CheckFailed, kNotEnoughParameters);
    return;
  }
  fCurrentVersion = request->CurrentVersion;
  fProgramFile = request->ProgramFile;
  fMode = request->Mode;
  // A second updater for the program would race the first for the download's name.
  if (!fView.ClaimProgram(fProgramFile)) {
    if (fMode == TStartMode::Asked)
      fView.ShowRunningUpdater();
    End(TUpdateOutcome::AlreadyRunning);
    return;
  }

  const TUpdaterSettings settings = ReadUpdaterSettings(
      ChangeFileExt(startup.ProgramFileName, ".ini"), startup.ReadProfileString);

  UpdaterTitle = settings.AppTitle + " Updater...";
  fView.SetTitle(UpdaterTitle);

  CheckVersion.URL = settings.VersionFile;
  Downloader.URL = settings.DownloadFile;
  fBesideProgram = TemporaryNameBeside(fProgramFile);
  Downloader.FileName = fBesideProgram;
  // The signature lies beside the download, under the download's whole URL and ".sig".
  DownloadSignature.URL = settings.DownloadFile + ".sig";
  fAsksForDeltas = settings.AsksForDeltas();
  DownloadNotes.URL = settings.ReleaseNotes;
  DownloadRecord.URL = settings.ReleaseRecord;
  for (THTTPGet *transfer : {&CheckVersion, &Downloader, &DownloadSignature, &DownloadDelta}) {
    transfer->Agent = UpdaterTitle;
    transfer->Timeout = settings.TimeoutSeconds;
  }
  DownloadRecord.Agent = DownloadNotes.Agent = UpdaterTitle;
  DownloadRecord.Timeout = settings.TimeoutSeconds;
  // Notes that do not come at once are not worth keeping the offer waiting.
  DownloadNotes.Timeout = std::min(settings.TimeoutSeconds, kNotesTimeoutSeconds);

  std::optional<std::unique_ptr<TPublisherKey>> key =
      ImportSettingsKey(settings, startup.ImportKey);
  if (!key) {
    Fail(TUpdateOutcome::SettingsUnusable, kSettingsMissing);
    return;
  }
  fPublisherKey = std::move(*key);
  DownloadRecord.Key = DownloadNotes.Key = fPublisherKey.get();
  fCheckIntervalHours = settings.CheckIntervalHours;
  fRecord = StoredCheckRecord(fProgramFile);
  if (CheckedRecently()) {
    End(TUpdateOutcome::UpToDate);
    return;
  }
  fView.SetStatus("Checking for update...");
  CheckVersion.GetString();
}
