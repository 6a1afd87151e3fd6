#pragma once

#include "framework/Component.h"
#include "framework/FileExtension.h"
#include "httpget/HttpGet.h"
#include "update/delta/DeltaDecoder.h"
#include "update/dialog/UpdateOutcome.h"
#include "update/dialog/UpdateView.h"
#include "update/download/DownloadTarget.h"
#include "update/download/HeldDownload.h"
#include "update/install/InstallStep.h"
#include "update/install/ProgramReplacement.h"
#include "update/offer/CheckRecord.h"
#include "update/offer/ReleaseRecord.h"
#include "update/request/HostRequest.h"
#include "update/request/Settings.h"
#include "update/verify/DigestWorker.h"
#include "update/verify/FileDigest.h"
#include "update/verify/PublisherCheck.h"
#include "update/verify/PublisherKey.h"
#include "update/verify/SignedTextGet.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

/// Where the update dialog finds what the host and the machine tell it at start-up: what the
/// install step finds, and the calls that only the dialog makes.
struct TUpdateStartup : TInstallStartup {
  TDownloadTargetChoice ChooseDownloadTarget = DownloadTargetFor; // when the download starts
  /// Names the delta for the installed program. Called on the delta's worker thread, never on
  /// the user-interface thread: it may share with the rest of the program only what a thread
  /// may share.
  TFileDigest DigestProgram = Sha256OfFile;
  /// Hashes the download that a release record names, through a hold of its own. Called on a
  /// worker thread, as DigestProgram is.
  THeldDigest DigestDownload = Sha256Of;
  TReadOnlyCheck IsReadOnly = ProgramIsReadOnly; // once an update is found
};

/// The update dialog: the updater's main window for the whole run. Its window draws what it
/// is told through TUpdateView; the dialog holds the transfers and the delta's decoder and runs
/// the update from the version file to the end of the program. User-interface thread only.
class TUpdateDlg : public TComponent {
public:
  /// Checks the command line, reads the settings, sets the title and starts the version check;
  /// or shows why it cannot and asks for the end.
  TUpdateDlg(TComponent *owner, TUpdateView &view, TInternetApi &internet,
             const TUpdateStartup &startup);
  /// Deletes a download whose signature had not been checked when the end came, and whatever the
  /// update left in the user's temporary folder.
  ~TUpdateDlg() override;

  /// What the updater's exit code is: the outcome after a start with a switch, 0 otherwise.
  uint32_t ExitCode() const {
    return fMode == TStartMode::Asked ? 0 : static_cast<uint32_t>(fOutcome);
  }

  THTTPGet &CheckVersion;         // fetches the version file as text
  TSignedTextGet &DownloadRecord; // fetches the record of the release offered, when named
  THTTPGet &Downloader;           // downloads the new program file to disk
  TDigestWorker &DownloadDigest;  // hashes the download that a release record names
  THTTPGet &DownloadSignature;    // fetches the download's signature when the settings name a key
  TDigestWorker &ProgramDigest;   // hashes the installed program, which names its delta
  THTTPGet &DownloadDelta;        // fetches the delta against the installed program, when asked
  TDeltaDecoder &DeltaDecoder;    // rebuilds the download from the delta and the installed program
  TSignedTextGet &DownloadNotes;  // fetches the release notes that the offer shows, when named
  std::string UpdaterTitle;
  int32_t PercentDone = 0; // the last download percentage shown

  // The handlers of the transfers' events and of the user's actions.
  void CheckVersionDoneString(TObject *sender, std::string result);
  void CheckVersionError(TObject *sender);
  void DownloadRecordDone(TObject *sender, std::string record);
  void DownloadRecordError(TObject *sender);
  void DownloaderProgress(TObject *sender, int32_t totalSize, int32_t readed);
  void DownloaderDoneFile(TObject *sender, std::string fileName, int32_t fileSize);
  void DownloaderError(TObject *sender);
  void DownloadDigestDone(TObject *sender, TSha256 digest);
  void DownloadDigestError(TObject *sender);
  void DownloadSignatureDoneString(TObject *sender, std::string signature);
  void DownloadSignatureError(TObject *sender);
  void ProgramDigestDone(TObject *sender, TSha256 programDigest);
  void DownloadDeltaDoneFile(TObject *sender, std::string fileName, int32_t fileSize);
  void DeltaDecoderDone(TObject *sender, std::string fileName, int32_t fileSize);
  /// The program's hash, the delta's transfer or its decoding failed.
  void DeltaFailed(TObject *sender);
  void DownloadNotesDone(TObject *sender, std::string notes);
  void DownloadNotesError(TObject *sender);
  void CancelClick(TObject *sender);
  void FormCloseQuery(TObject *sender, bool &canClose);
  /// The session ends: the update is abandoned, as a close abandons it, without a question.
  void SessionEnds(TObject *sender);

private:
  void Start(const TUpdateStartup &startup);
  void WireComponents();
  /// Whether a start with a switch ends without a check: one reached the server within the
  /// interval that the settings give.
  bool CheckedRecently() const;
  /// Notes that the version file's check reached the server, where the settings keep an interval.
  void RecordCheck();
  /// Tells the user, when they asked, that there is no update, and asks for the end.
  void NoUpdate();
  /// Whether the release that record names is for this start now: never once halted; at once
  /// for the user's own check, and in the user's turn of a rollout for a start with a switch.
  bool TurnHasCome(const TReleaseRecord &record);
  /// The user's group in the rollout of the release offered; the last group when no draw can be
  /// kept, since one drawn anew at each start would jump the queue.
  uint32_t RolloutGroup();
  /// Goes on with the update that the version file offers, and the record, if any, confirms.
  void GoOnWithUpdate();
  /// Marks that an update was found, from which on a quiet start shows itself, and shows it.
  void ShowFoundUpdate();
  /// Asks the user whether to download the update, with notes where there are any ("": none),
  /// and goes on as they answer.
  void Offer(const std::string &notes);
  /// Starts the download where the program's folder lets it lie; or, where only the install step
  /// could install it and would refuse it, tells the user why and asks for the end.
  void StartDownload();
  /// Starts the download of an automatic start in the background, where it needs no rights;
  /// otherwise asks for the end, and the update waits for the user.
  void DownloadUnseen();
  /// Fetches the update: first as a delta against the installed program, where the settings ask
  /// for one and none has been tried in this run, once the program is hashed; otherwise whole.
  void FetchUpdate();
  /// Deletes what the delta left, and fetches the whole program instead, without a word.
  void FallBackToWholeDownload();
  /// Asks a Yes/No question; false also when the end came while it was up.
  bool Confirm(const std::string &caption, const std::string &text);
  /// Runs the checks that follow the release record's on the held download.
  void CheckDownload();
  /// Runs the publisher's checks on the held download that passed the others and, when it
  /// passes them too, replaces the program as the user answers; then asks for the end.
  void OfferReplacement();
  /// Installs the download over the program, offering to retry while the program cannot be
  /// written; false when the download was refused, the user gave up or the end came meanwhile.
  bool ReplaceProgram();
  /// One attempt: a download beside the program is moved over it; one in the user's temporary
  /// folder is installed by the install step, started elevated where the system asks for it.
  TInstallOutcome InstallOnce();
  /// Installs the checked download once no process runs the program; then asks for the end.
  void InstallWhenProgramCloses();
  /// Whether the download lies beside the program, where the user can write.
  bool DownloadedBesideProgram() const { return Downloader.FileName == fBesideProgram; }
  /// Deletes the held download and tells the user why it was refused, then asks for the end.
  void RefuseDownload(const char *reason);
  void RefuseDownload(TInstallOutcome refusal);
  /// Whether the user may be shown anything now: a quiet start has found an update, an
  /// automatic one never shows anything.
  bool MayShow() const;
  /// Shows the error message dialog where the user may be shown it, then asks for the end with
  /// outcome.
  void Fail(TUpdateOutcome outcome, const std::string &text);
  /// Asks for the end once, with outcome; every later event is ignored.
  void End(TUpdateOutcome outcome);

  static constexpr char kSettingsMissing[] = "The data file containing the update information has "
                                             "been corrupted or is missing. Cannot continue.";

  TUpdateView &fView;
  std::string fCurrentVersion; // the host's version, as it passed it
  std::string fProgramFile;    // the host's program file, replaced at the end
  std::string fBesideProgram;  // where the download lies when the program's folder lets it
  std::string fUpdaterFile;    // the updater's own program file, which the install step runs
  TPublisherCheck fCheckPublisher;
  TFileDigest fDigestProgram;
  THeldDigest fDigestDownload;
  TDownloadTargetChoice fChooseDownloadTarget;
  TInstallStepAdmission fAdmitInstallStep;
  TReadOnlyCheck fIsReadOnly;
  TCheckRecord fRecord;                   // the user's record for the program, as read at the start
  uint32_t fCheckIntervalHours = 0;       // 0: every start checks
  std::string fLatestVersion;             // the version the version file offers
  std::optional<TReleaseRecord> fRelease; // the publisher's record of the release, when named
  std::optional<TSha256> fDownloadDigest; // the held download's, once it matched the record
  std::unique_ptr<TPublisherKey> fPublisherKey; // nullptr: the settings name no key
  std::optional<THeldDownload> fDownload;       // the finished download, from its end on
  std::string fSignature;                       // the download's signature, once it has passed
  bool fAwaitingSignature = false;              // the download waits for its signature
  bool fAwaitingDigest = false;                 // the download is hashed for its record
  bool fAsksForDeltas = false;                  // the settings ask for deltas
  bool fDeltaTried = false;                     // a delta has been asked for in this run
  bool fDeltaUnderWay = false;    // the delta is fetched or decoded: the program is not yet in hand
  bool fRebuiltFromDelta = false; // the download was rebuilt from a delta
  TStartMode fMode = TStartMode::Asked;
  bool fUpdateFound = false; // an update was found; a quiet start shows itself from here
  TUpdateOutcome fOutcome = TUpdateOutcome::CheckFailed;
  bool fEnded = false;
};
