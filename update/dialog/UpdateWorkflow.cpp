// The update dialog's handlers, from the arrival of the version file to the end of the program.

#include "framework/FileRemoval.h"
#include "framework/IntegerSyntax.h"
#include "httpget/TargetFile.h"
#include "update/dialog/PercentDone.h"
#include "update/dialog/UpdateDlg.h"
#include "update/download/HeldDownload.h"
#include "update/install/ProgramReplacement.h"
#include "update/offer/ReleaseNotes.h"
#include "update/offer/Rollout.h"
#include "update/offer/VersionFile.h"
#include "update/verify/NativeMachine.h"
#include "update/verify/ProgramImage.h"

namespace {

const char kCheckFailed[] = "An error occured when trying to check for an update.\nReason:\n\n ";
const char kInvalidVersionLength[] = "Invalid version length.";
const char kVersionFileMissing[] = "Version file is nonexistant.";
const char kRecordUnusable[] = "The record of the release that is offered is missing, damaged "
                               "or not the publisher's.";
const char kNotANumber[] =
    "An error occurred when trying to check for an update.\nReason:\n\n The version file holds ";
const char kDownloadFailed[] =
    "An error occured when trying to download an update.\nReason:\n\n Connection to file was lost.";
// Why a finished download is refused, each after kDownloadRefused.
const char kDownloadRefused[] =
    "An error occurred when trying to download an update.\nReason:\n\n ";
const char kInvalidProgram[] = "The downloaded file is not a valid program.";
const char kNotTheRelease[] = "The downloaded file is not the release that was offered.";
const char kNotByPublisher[] = "The downloaded file is not signed by the publisher of the program.";
const char kOlderVersion[] = "The downloaded file is an older version of the program.";
const char kVersionUnreadable[] = "The version of the program or of the downloaded file cannot be "
                                  "read, so the update cannot be checked against it.";
const char kNotSignedWithKey[] = "The downloaded file is not signed with the publisher's key.";
const char kUnsignedNeedsRights[] =
    "The program's folder can only be changed with administrator rights, and this program's "
    "updates are not signed: the updater asks for those rights only for a signed update.";
const char kProgramElsewhere[] =
    "The program's folder can only be changed with administrator rights, which the updater asks "
    "for only for a program in its own folder or in the folder right above it.";
const char kReplaceFailed[] = "An error occurred when trying to replace the program.\nReason:\n\n "
                              "The program file is in use or cannot be written.";
const char kReadOnlyProgram[] =
    "An error occurred when trying to replace the program.\nReason:\n\n "
    "The program file is read-only, so the update that is available "
    "cannot replace it.";

const char kOfferCaption[] = "Run Program?";
const char kOffer[] = "Yes! An update is available, would you like to download it?";
const char kLatestCaption[] = "Latest Version";
const char kLatest[] = "You have the latest version of the software.";
const char kReplaceCaption[] = "Replace?";
const char kReplace[] = "The update to the program has finished downloading.\nWould you like to "
                        "replace the old program with the new one?";
const char kCloseCaption[] = "Close Program";
const char kClose[] = "Please exit any open versions of the program before clicking OK.";
const char kRunCaption[] = "Run Program?";
const char kRun[] = "Would you like to run the updated program now?";
const char kAbortCaption[] = "Abort";
const char kAbort[] = "Abort Update?";
const char kErrorCaption[] = "Error";

const char kUpdating[] = "Updating...";
const char kCleaningUp[] = "Download complete... Cleaning up...";
const char kVerifying[] = "Download complete... Verifying its signature...";

// Why the checks refused a download, in the user's words.
const char *ReasonOf(TInstallOutcome refusal) {
  switch (refusal) {
  case TInstallOutcome::NotAProgram:
    return kInvalidProgram;
  case TInstallOutcome::OlderVersion:
    return kOlderVersion;
  case TInstallOutcome::NotSignedWithKey:
    return kNotSignedWithKey;
  case TInstallOutcome::VersionUnreadable:
    return kVersionUnreadable;
  case TInstallOutcome::NotTheRelease:
    return kNotTheRelease;
  case TInstallOutcome::Unproven:
    return kUnsignedNeedsRights;
  case TInstallOutcome::ProgramRefused:
    return kProgramElsewhere;
  default: // NotByPublisher; the checks make no other refusal
    return kNotByPublisher;
  }
}

} // namespace

void TUpdateDlg::CheckVersionDoneString(TObject *, std::string result) {
  if (fEnded)
    return;
  if (result.size() > kVersionFileMaxLength) {
    Fail(TUpdateOutcome::CheckFailed, std::string(kCheckFailed) + kInvalidVersionLength);
    return;
  }
  std::string latestVersion;
  try {
    latestVersion = CanonicalVersionText(result);
  } catch (const EConvertError &) {
    Fail(TUpdateOutcome::CheckFailed,
         kNotANumber + QuotedForMessage(result) + ", which is not a whole number.");
    return;
  }
  RecordCheck();
  if (!OffersUpdate(fCurrentVersion, latestVersion)) {
    NoUpdate();
    return;
  }
  // The user's own check for updates offers what they skipped; a host's start never does.
  if (fMode != TStartMode::Asked && latestVersion == fRecord.SkippedVersion) {
    End(TUpdateOutcome::Declined);
    return;
  }
  fLatestVersion = latestVersion;
  if (DownloadRecord.URL.empty())
    GoOnWithUpdate();
  else
    DownloadRecord.Get();
}

void TUpdateDlg::NoUpdate() {
  if (fMode == TStartMode::Asked)
    fView.ShowMessage(kLatestCaption, kLatest, TMessageButtons::Ok);
  End(TUpdateOutcome::UpToDate);
}

// A record that does not name the offered release, or that its publisher did not sign, leaves
// nothing to hold the download to: no update is offered.
void TUpdateDlg::DownloadRecordDone(TObject *, std::string text) {
  if (fEnded)
    return;
  std::optional<TReleaseRecord> record = ReleaseRecordOf(text);
  if (!record || record->Version != fLatestVersion) {
    DownloadRecordError(this);
    return;
  }
  if (!TurnHasCome(*record)) {
    NoUpdate();
    return;
  }
  fRelease = std::move(record);
  // An endless or padded body costs no more than the release itself.
  Downloader.MaxFileSize = fRelease->Size;
  GoOnWithUpdate();
}

void TUpdateDlg::DownloadRecordError(TObject *) {
  if (!fEnded)
    Fail(TUpdateOutcome::CheckFailed, std::string(kCheckFailed) + kRecordUnusable);
}

// The rollout is timed by the server's clock, which the record's reply gives: a machine whose
// own clock is wrong by months neither waits forever nor jumps the queue.
bool TUpdateDlg::TurnHasCome(const TReleaseRecord &record) {
  if (record.Halted)
    return false;
  if (fMode == TStartMode::Asked || record.RolloutDays == 0)
    return true;
  const int64_t now = DownloadRecord.ServerTime().value_or(SecondsSinceEpoch());
  return ReachesGroup(record, RolloutGroup(), now);
}

uint32_t TUpdateDlg::RolloutGroup() {
  if (!fRecord.Draw) {
    TCheckRecord drawn = fRecord;
    drawn.Draw = RandomDraw();
    if (!drawn.Draw || !StoreCheckRecord(fProgramFile, drawn))
      return kRolloutGroups - 1;
    fRecord = drawn;
  }
  return RolloutGroupOf(*fRecord.Draw, fLatestVersion);
}

void TUpdateDlg::GoOnWithUpdate() {
  // A program file that no move may replace is known before anything is fetched, so that an
  // automatic start costs nobody a download that could never be installed.
  const bool readOnly = fIsReadOnly(fProgramFile);
  if (fMode == TStartMode::Automatic) {
    if (readOnly)
      End(TUpdateOutcome::ProgramReadOnly);
    else
      DownloadUnseen();
    return;
  }
  if (readOnly) {
    ShowFoundUpdate();
    Fail(TUpdateOutcome::ProgramReadOnly, kReadOnlyProgram);
  } else if (DownloadNotes.URL.empty()) {
    Offer("");
  } else {
    DownloadNotes.Get();
  }
}

bool TUpdateDlg::CheckedRecently() const {
  return fMode != TStartMode::Asked && fCheckIntervalHours != 0 &&
         CheckedWithin(fRecord, SecondsSinceEpoch(), fCheckIntervalHours);
}

void TUpdateDlg::RecordCheck() {
  if (fCheckIntervalHours == 0)
    return;
  fRecord.CheckedAt = SecondsSinceEpoch();
  StoreCheckRecord(fProgramFile, fRecord);
}

// Notes that cannot be shown as they are, or whose signature does not verify with the
// publisher's key, are as if there were none: words in the offer are the publisher's or none.
void TUpdateDlg::DownloadNotesDone(TObject *, std::string notes) {
  if (!fEnded)
    Offer(ReleaseNotesText(notes).value_or(""));
}

void TUpdateDlg::DownloadNotesError(TObject *) {
  if (!fEnded)
    Offer("");
}

void TUpdateDlg::ShowFoundUpdate() {
  fUpdateFound = true;
  if (fMode == TStartMode::Quiet)
    fView.Reveal();
}

// Without notes the offer is the plain question it has always been.
void TUpdateDlg::Offer(const std::string &notes) {
  ShowFoundUpdate();
  const TOfferAnswer answer =
      notes.empty() ? (fView.ShowMessage(kOfferCaption, kOffer, TMessageButtons::YesNo)
                           ? TOfferAnswer::Download
                           : TOfferAnswer::Decline)
                    : fView.ShowOffer(kOfferCaption, kOffer, notes);
  if (fEnded)
    return;
  if (answer == TOfferAnswer::Download) {
    StartDownload();
    return;
  }
  if (answer == TOfferAnswer::SkipVersion) {
    fRecord.SkippedVersion = fLatestVersion;
    StoreCheckRecord(fProgramFile, fRecord);
  }
  End(TUpdateOutcome::Declined);
}

// Administrator rights are asked for only for what the install step would take, so a download
// that it would refuse is not even fetched. The download runs in the background once the
// version's handler has returned.
void TUpdateDlg::StartDownload() {
  Downloader.FileName = fChooseDownloadTarget(fBesideProgram);
  const TInstallOutcome admission =
      DownloadedBesideProgram()
          ? TInstallOutcome::Installed
          : fAdmitInstallStep(fProgramFile, fUpdaterFile, fPublisherKey != nullptr);
  if (admission == TInstallOutcome::Installed)
    FetchUpdate();
  else
    Fail(TUpdateOutcome::UpdateFailed, kDownloadRefused + std::string(ReasonOf(admission)));
}

// An update that needs administrator rights waits for the user, whom the host may start the
// updater for when it suits them: nothing is fetched for it now. Whatever is fetched is fetched
// without slowing down the user's programs.
void TUpdateDlg::DownloadUnseen() {
  Downloader.FileName = fChooseDownloadTarget(fBesideProgram);
  if (!DownloadedBesideProgram()) {
    End(TUpdateOutcome::InstallNeedsUser);
    return;
  }
  fView.RunInBackground();
  FetchUpdate();
}

// The delta is asked for by the installed program's own bytes, so that it can only be the one
// made against them; one that the server does not have costs a request and nothing else. They
// are hashed on the delta's worker: a program at the delta's bound takes about a second, which
// the window must not spend unanswered. A program that cannot be hashed is fetched whole.
void TUpdateDlg::FetchUpdate() {
  if (fAsksForDeltas && !fDeltaTried) {
    fDeltaTried = true;
    fDeltaUnderWay = true;
    ProgramDigest.Start(
        [digest = fDigestProgram, program = fProgramFile] { return digest(program); });
    return;
  }
  Downloader.GetFile();
}

void TUpdateDlg::ProgramDigestDone(TObject *, TSha256 programDigest) {
  if (fEnded)
    return;
  DownloadDelta.URL = DeltaUrlOf(Downloader.URL, programDigest);
  DownloadDelta.FileName = DeltaFileOf(Downloader.FileName);
  DownloadDelta.GetFile();
}

// A delta is only a cheaper way to the download: whatever went wrong with it, the whole program
// is fetched on the same road, and the user sees only that download's outcome.
void TUpdateDlg::FallBackToWholeDownload() {
  RemoveFile(DeltaFileOf(Downloader.FileName));
  fDeltaUnderWay = false;
  fRebuiltFromDelta = false;
  PercentDone = 0;
  Downloader.GetFile();
}

void TUpdateDlg::DownloadDeltaDoneFile(TObject *, std::string fileName, int32_t) {
  if (fEnded)
    return;
  DeltaDecoder.ProgramFile = fProgramFile;
  DeltaDecoder.DeltaFile = fileName;
  DeltaDecoder.FileName = Downloader.FileName;
  DeltaDecoder.Rebuild();
}

// The rebuilt program takes the road of a finished download, every check included.
void TUpdateDlg::DeltaDecoderDone(TObject *, std::string fileName, int32_t fileSize) {
  RemoveFile(DeltaFileOf(fileName));
  if (fEnded) {
    RemoveFile(fileName);
    return;
  }
  fDeltaUnderWay = false;
  fRebuiltFromDelta = true;
  DownloaderDoneFile(this, fileName, fileSize);
}

void TUpdateDlg::DeltaFailed(TObject *) {
  if (!fEnded)
    FallBackToWholeDownload();
}

void TUpdateDlg::CheckVersionError(TObject *) {
  if (!fEnded)
    Fail(TUpdateOutcome::CheckFailed, std::string(kCheckFailed) + kVersionFileMissing);
}

// Runs once per chunk received: the labels and the bar skip what would not change.
void TUpdateDlg::DownloaderProgress(TObject *, int32_t totalSize, int32_t readed) {
  if (fEnded)
    return;
  fView.SetProgress(totalSize, readed);
  PercentDone = PercentDoneOf(readed, totalSize);
  fView.SetDownloadStatus("Updating: " + std::to_string(PercentDone) + "% Done...");
  fView.SetStatus(kUpdating);
}

void TUpdateDlg::DownloaderDoneFile(TObject *, std::string fileName, int32_t) {
  if (fEnded)
    return;
  // From here until it is moved or deleted nobody may write the download, so that what is
  // installed is what was checked.
  fDownload.emplace(fileName);
  fDownloadDigest.reset();
  fView.SetStatus(fPublisherKey ? kVerifying : kCleaningUp);
  if (!fRelease) {
    CheckDownload();
    return;
  }
  // Whole, resumed or rebuilt from a delta, the download is the release that the record names
  // or nothing: its size first, then its hash, on a worker of its own, through a hold of its own,
  // while the window goes on answering.
  if (fDownload->Size() != fRelease->Size) {
    RefuseDownload(kNotTheRelease);
    return;
  }
  fAwaitingDigest = true;
  DownloadDigest.Start([digest = fDigestDownload, hold = std::make_shared<const THeldDownload>(
                                                      *fDownload, THeldDownload::TSecondHold())] {
    return digest(*hold);
  });
}

void TUpdateDlg::DownloadDigestDone(TObject *, TSha256 digest) {
  if (fEnded)
    return;
  fAwaitingDigest = false;
  if (HexOf(digest) != fRelease->Sha256) {
    RefuseDownload(kNotTheRelease);
    return;
  }
  fDownloadDigest = digest;
  CheckDownload();
}

void TUpdateDlg::DownloadDigestError(TObject *) {
  if (fEnded)
    return;
  fAwaitingDigest = false;
  RefuseDownload(kNotTheRelease);
}

// An empty reply, a web server's page, a library or another processor's build must never take
// the program's place.
void TUpdateDlg::CheckDownload() {
  if (!IsAcceptableDownload(*fDownload, fProgramFile, NativeMachine())) {
    RefuseDownload(kInvalidProgram);
    return;
  }
  if (!fPublisherKey) {
    OfferReplacement();
    return;
  }
  // The signature arrives in the background; until then Cancel and a close request still
  // abort the update.
  fAwaitingSignature = true;
  DownloadSignature.GetString();
}

void TUpdateDlg::DownloaderError(TObject *) {
  if (!fEnded)
    Fail(TUpdateOutcome::UpdateFailed, kDownloadFailed);
}

void TUpdateDlg::DownloadSignatureDoneString(TObject *, std::string signature) {
  if (fEnded)
    return;
  fAwaitingSignature = false;
  // The record's digest was taken through the hold: the download is not hashed again here.
  if (!(fDownloadDigest ? fPublisherKey->SignedDigest(*fDownloadDigest, signature)
                        : fPublisherKey->Signed(*fDownload, signature))) {
    RefuseDownload(kNotSignedWithKey);
    return;
  }
  fSignature = std::move(signature);
  OfferReplacement();
}

void TUpdateDlg::DownloadSignatureError(TObject *) {
  if (fEnded)
    return;
  fAwaitingSignature = false;
  RefuseDownload(kNotSignedWithKey);
}

// A signed program is only ever replaced by its own publisher's build; no program by an older
// one.
void TUpdateDlg::OfferReplacement() {
  fView.SetStatus(kCleaningUp);
  const TInstallOutcome verdict = InstallOutcomeOf(fCheckPublisher(*fDownload, fProgramFile));
  if (verdict != TInstallOutcome::Installed) {
    RefuseDownload(verdict);
    return;
  }
  // Cancel stays for as long as a refusal could still send the update back to a download.
  fView.DisableCancel();
  if (fMode == TStartMode::Automatic) {
    InstallWhenProgramCloses();
    return;
  }
  if (!Confirm(kReplaceCaption, kReplace)) {
    End(TUpdateOutcome::Declined);
    return;
  }
  fView.ShowMessage(kCloseCaption, kClose, TMessageButtons::Ok);
  if (fEnded || !ReplaceProgram())
    return;
  if (Confirm(kRunCaption, kRun))
    fView.StartProgram(fProgramFile);
  End(TUpdateOutcome::Updated);
}

void TUpdateDlg::CancelClick(TObject *) {
  if (!fEnded && Confirm(kAbortCaption, kAbort))
    End(TUpdateOutcome::Declined);
}

// A close that goes ahead ends the program through the window itself. Once the download is
// complete (exactly 100 %), rebuilt if it came as a delta, hashed if a record names it, and its
// signature, if any, has arrived, nothing is left to abort, so nothing is asked. A delta's 100 % is
// only the delta's: the program is still to be rebuilt from it.
void TUpdateDlg::FormCloseQuery(TObject *, bool &canClose) {
  if (!fEnded && MayShow() &&
      (PercentDone != 100 || fAwaitingSignature || fAwaitingDigest || fDeltaUnderWay))
    canClose = fView.ShowMessage(kAbortCaption, kAbort, TMessageButtons::YesNo) || fEnded;
  if (canClose && !fEnded) {
    fOutcome = TUpdateOutcome::Declined;
    fEnded = true;
  }
}

void TUpdateDlg::SessionEnds(TObject *) { End(TUpdateOutcome::Declined); }

bool TUpdateDlg::Confirm(const std::string &caption, const std::string &text) {
  return fView.ShowMessage(caption, text, TMessageButtons::YesNo) && !fEnded;
}

// The host that started the updater often still runs; Retry lets the user close it first
// without losing the download, which stays under its temporary name until then.
bool TUpdateDlg::ReplaceProgram() {
  for (;;) {
    const TInstallOutcome outcome = InstallOnce();
    if (fEnded)
      return false;
    if (outcome == TInstallOutcome::Installed)
      return true;
    if (outcome != TInstallOutcome::CannotWrite) {
      RefuseDownload(outcome);
      return false;
    }
    if (!fView.ShowMessage(kErrorCaption, kReplaceFailed, TMessageButtons::RetryCancel) || fEnded) {
      End(TUpdateOutcome::UpdateFailed);
      return false;
    }
  }
}

// The user's temporary folder is open to every program the user runs, so the install step
// checks a copy of its own; the signature reaches it in a file, too long for a command line.
// A prompt the user declined, or an instance that could not start, may be retried.
TInstallOutcome TUpdateDlg::InstallOnce() {
  if (DownloadedBesideProgram()) {
    if (!ReplaceProgramFile(fDownload->FileName(), fProgramFile))
      return TInstallOutcome::CannotWrite;
    fDownload->Release();
    return TInstallOutcome::Installed;
  }
  if (fPublisherKey) {
    try {
      TTargetFile::Create(SignatureFileOf(fDownload->FileName()))
          .Write(fSignature.data(), fSignature.size());
    } catch (const std::runtime_error &) {
      return TInstallOutcome::CannotWrite;
    }
  }
  const std::optional<uint32_t> exitCode = fView.RunInstallStep(InstallParameters(
      fDownload->FileName(), fProgramFile, fRelease ? fRelease->Sha256 : std::string()));
  return exitCode ? InstallOutcomeOf(*exitCode) : TInstallOutcome::CannotWrite;
}

// The user's program is never cut off: the new one takes its place once every process that runs
// it has ended, and is not started, since the user has just closed it. A move refused while no
// process runs the program is a short hold, a virus scanner's say, waited out with a few pauses
// that grow; a process started meanwhile is waited for anew.
void TUpdateDlg::InstallWhenProgramCloses() {
  constexpr uint32_t kHoldPauses = 5;
  constexpr uint32_t kHoldPause = 200; // milliseconds, the first time
  for (uint32_t holds = 0;;) {
    const TProgramWait wait = fView.WaitUntilProgramEnds(fProgramFile);
    if (wait == TProgramWait::Interrupted || fEnded)
      break;
    if (wait == TProgramWait::AllEnded)
      holds = 0;
    if (InstallOnce() == TInstallOutcome::Installed) {
      End(TUpdateOutcome::Updated);
      return;
    }
    if (++holds > kHoldPauses || !fView.Pause(kHoldPause * holds))
      break;
  }
  End(TUpdateOutcome::UpdateFailed);
}

// Nothing that was refused may stay beside the program. A program rebuilt from a delta that
// the checks refuse is fetched whole instead.
void TUpdateDlg::RefuseDownload(const char *reason) {
  fDownload->Delete();
  fDownload.reset();
  if (fRebuiltFromDelta) {
    FallBackToWholeDownload();
    return;
  }
  Fail(TUpdateOutcome::UpdateFailed, kDownloadRefused + std::string(reason));
}

void TUpdateDlg::RefuseDownload(TInstallOutcome refusal) {
  RefuseDownload(refusal == TInstallOutcome::SettingsUnusable ? kSettingsMissing
                                                              : ReasonOf(refusal));
}

// A quiet start says nothing before it has found an update: a host that checks at every
// launch must not bother the user while the machine is offline. An automatic start says nothing
// at all; its exit code tells the host.
bool TUpdateDlg::MayShow() const {
  return fMode == TStartMode::Asked || (fMode == TStartMode::Quiet && fUpdateFound);
}

void TUpdateDlg::Fail(TUpdateOutcome outcome, const std::string &text) {
  if (MayShow())
    fView.ShowError(text);
  End(outcome);
}

void TUpdateDlg::End(TUpdateOutcome outcome) {
  if (fEnded)
    return;
  fEnded = true;
  fOutcome = outcome;
  fView.EndProgram();
}
