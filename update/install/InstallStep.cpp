#include "update/install/InstallStep.h"

#include "framework/CommandLine.h"
#include "framework/FileExtension.h"
#include "framework/FileRemoval.h"
#include "httpget/TargetFile.h"
#include "update/download/DownloadTarget.h"
#include "update/download/HeldDownload.h"
#include "update/install/InstallTarget.h"
#include "update/install/ProgramReplacement.h"
#include "update/verify/FileDigest.h"
#include "update/verify/NativeMachine.h"
#include "update/verify/ProgramImage.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace {

// The command line's items: the updater's own path, the switch, the two files, then the
// release's SHA-256 where there is a record of it.
constexpr size_t kSwitchItem = 1;
constexpr size_t kDownloadItem = 2;
constexpr size_t kProgramItem = 3;
constexpr size_t kReleaseDigestItem = 4;

constexpr uint32_t kCopyPieceSize = 256 * 1024;

// Copies download into a new file at copy. NotAProgram when download cannot be read whole, as a
// download that cannot be held is; CannotWrite, with no copy left, when copy cannot be written.
TInstallOutcome CopyDownload(const std::string &download, const std::string &copy) {
  const THeldDownload source(download);
  const uint64_t size = source.Size();
  if (!source.Held() || size > UINT32_MAX)
    return TInstallOutcome::NotAProgram;
  std::vector<char> piece(kCopyPieceSize);
  try {
    TTargetFile target = TTargetFile::Create(copy);
    for (uint32_t done = 0; done < size;) {
      const uint32_t length =
          static_cast<uint32_t>(std::min<uint64_t>(kCopyPieceSize, size - done));
      if (!source.ReadAt(done, piece.data(), length))
        throw std::runtime_error("the download cannot be read whole");
      target.Write(piece.data(), length);
      done += length;
    }
    target.Flush();
  } catch (const std::runtime_error &) {
    RemoveFile(copy);
    return TInstallOutcome::CannotWrite;
  }
  return TInstallOutcome::Installed;
}

// The signature the user's instance received; "" when there is none, or more than a signature
// can be.
std::string ReadSignature(const std::string &file) {
  const THeldDownload held(file);
  const uint64_t size = held.Size();
  std::string signature(size <= static_cast<uint64_t>(kMaxSignatureSize) ? size : 0, '\0');
  return held.ReadAt(0, signature.data(), signature.size()) ? signature : "";
}

// The update dialog's checks, in its order, on the held copy.
TInstallOutcome CheckCopy(const THeldDownload &copy, const std::string &program,
                          const std::string &releaseDigest, const TPublisherKey *key,
                          const std::string &signatureFile, const TPublisherCheck &checkPublisher) {
  if (!releaseDigest.empty()) {
    const std::optional<TSha256> digest = Sha256Of(copy);
    if (!digest || HexOf(*digest) != releaseDigest)
      return TInstallOutcome::NotTheRelease;
  }
  if (!IsAcceptableDownload(copy, program, NativeMachine()))
    return TInstallOutcome::NotAProgram;
  if (key && !key->Signed(copy, ReadSignature(signatureFile)))
    return TInstallOutcome::NotSignedWithKey;
  return InstallOutcomeOf(checkPublisher(copy, program));
}

} // namespace

TInstallOutcome InstallOutcomeOf(uint32_t exitCode) {
  const auto outcome = static_cast<TInstallOutcome>(exitCode);
  return outcome >= TInstallOutcome::Installed && outcome <= TInstallOutcome::NotTheRelease &&
                 outcome != TInstallOutcome::NotEnoughParameters
             ? outcome
             : TInstallOutcome::CannotWrite;
}

TInstallOutcome InstallOutcomeOf(TPublisherVerdict verdict) {
  switch (verdict) {
  case TPublisherVerdict::Accepted:
    return TInstallOutcome::Installed;
  case TPublisherVerdict::OlderVersion:
    return TInstallOutcome::OlderVersion;
  case TPublisherVerdict::VersionUnreadable:
    return TInstallOutcome::VersionUnreadable;
  case TPublisherVerdict::NotSignedByPublisher:
    break;
  }
  return TInstallOutcome::NotByPublisher;
}

TInstallOutcome InstallStepAdmits(const std::string &program, const std::string &updater,
                                  bool withKey) {
  if (!LiesWithUpdater(program, updater))
    return TInstallOutcome::ProgramRefused;
  return withKey || CarriesPublisherSignature(program) ? TInstallOutcome::Installed
                                                       : TInstallOutcome::Unproven;
}

std::string InstallParameters(const std::string &download, const std::string &program,
                              const std::string &sha256) {
  return std::string(kInstallSwitch) + " \"" + download + "\" \"" + program + "\"" +
         (sha256.empty() ? "" : " " + sha256);
}

std::string SignatureFileOf(const std::string &download) { return download + ".sig"; }

bool StartsInstallStep(const std::string &commandLine) {
  const std::vector<std::string> items = SplitCommandLine(commandLine);
  return items.size() > kSwitchItem && items[kSwitchItem] == kInstallSwitch;
}

TInstallOutcome InstallDownload(const TInstallStartup &startup) {
  const std::vector<std::string> items = SplitCommandLine(startup.CommandLine);
  if (items.size() <= kProgramItem)
    return TInstallOutcome::NotEnoughParameters;
  const std::string &download = items[kDownloadItem];
  const std::string program = FullPathName(items[kProgramItem]);
  const std::string releaseDigest =
      items.size() > kReleaseDigestItem ? items[kReleaseDigestItem] : std::string();

  std::optional<std::unique_ptr<TPublisherKey>> key =
      ImportSettingsKey(ReadUpdaterSettings(ChangeFileExt(startup.ProgramFileName, ".ini"),
                                            startup.ReadProfileString),
                        startup.ImportKey);
  if (!key)
    return TInstallOutcome::SettingsUnusable;
  const TInstallOutcome admission =
      startup.AdmitInstallStep(program, startup.ProgramFileName, *key != nullptr);
  if (admission != TInstallOutcome::Installed)
    return admission;

  const std::string copyName = TemporaryNameBeside(program);
  const TInstallOutcome copied = CopyDownload(download, copyName);
  if (copied != TInstallOutcome::Installed)
    return copied;
  THeldDownload copy(copyName);
  const TInstallOutcome verdict = CheckCopy(copy, program, releaseDigest, key->get(),
                                            SignatureFileOf(download), startup.CheckPublisher);
  if (verdict == TInstallOutcome::Installed && ReplaceProgramFile(copyName, program)) {
    copy.Release();
    return verdict;
  }
  copy.Delete();
  return verdict == TInstallOutcome::Installed ? TInstallOutcome::CannotWrite : verdict;
}
