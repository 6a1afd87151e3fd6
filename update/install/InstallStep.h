#pragma once

#include "update/request/Settings.h"
#include "update/verify/PublisherCheck.h"
#include "update/verify/PublisherKey.h"

#include <cstdint>
#include <functional>
#include <string>

/// The first parameter of the updater's private command line,
/// `/install "DOWNLOAD" "PROGRAM" [SHA256]`, with which it starts itself for the install step.
/// Hosts never pass it.
inline constexpr char kInstallSwitch[] = "/install";

/// How the install step ended; the exit code of its process. The codes stay clear of those a
/// process gets otherwise: 0, 1, small error numbers, STILL_ACTIVE (259) and exceptions.
enum class TInstallOutcome : uint32_t {
  Installed = 0x1000,
  CannotWrite, // the copy beside the program, or its move over the program, failed
  NotAProgram, // the refusals, with the reasons of the update dialog's own checks
  NotByPublisher,
  OlderVersion,
  NotSignedWithKey,
  SettingsUnusable,    // the settings beside the updater are not usable, or name an unusable key
  NotEnoughParameters, // the command line names no download and program
  ProgramRefused,      // the program named does not lie with the updater (LiesWithUpdater)
  Unproven,          // nothing could prove a download: no publisher's key, and an unsigned program
  VersionUnreadable, // a version resource of the program or the download cannot be read
  NotTheRelease,     // not the SHA-256 of the release that the publisher's record names
};

/// The outcome an install step's exit code stands for: any code it never gives (a crash, a
/// process ended from outside) counts as CannotWrite, which the user may retry.
TInstallOutcome InstallOutcomeOf(uint32_t exitCode);
/// The outcome of a download that the publisher check judged so, and that passed the others.
TInstallOutcome InstallOutcomeOf(TPublisherVerdict verdict);

/// Whether an install step of the updater at updater would look at a download for program at
/// all: Installed when it would; ProgramRefused when program does not lie with the updater;
/// Unproven when nothing could prove a download, neither the publisher's key (withKey) nor the
/// program's own Authenticode signature.
TInstallOutcome InstallStepAdmits(const std::string &program, const std::string &updater,
                                  bool withKey);
using TInstallStepAdmission = std::function<TInstallOutcome(
    const std::string &program, const std::string &updater, bool withKey)>;

/// What the install step finds at start-up: what the process was given and the platform's calls it
/// makes, which tests replace.
struct TInstallStartup {
  std::string CommandLine;     // the process's command line, the updater's own path first
  std::string ProgramFileName; // the updater's own program file, full path
  TProfileReader ReadProfileString;
  TPublisherCheck CheckPublisher = CheckDownloadPublisher;    // runs on every finished download
  TPublisherKeyImport ImportKey = ImportPublisherKey;         // reads the settings' PublicKey
  TInstallStepAdmission AdmitInstallStep = InstallStepAdmits; // before a download that needs it
};

/// The private command line's parameters that install download over program, and only a download
/// whose SHA-256, in lower-case hexadecimal, is sha256 ("": any).
std::string InstallParameters(const std::string &download, const std::string &program,
                              const std::string &sha256);
/// The file beside download through which the install step receives the download's signature.
std::string SignatureFileOf(const std::string &download);
/// Whether commandLine, the updater's own path first, starts the install step.
bool StartsInstallStep(const std::string &commandLine);

/// The install step, as an instance that may run with an administrator's rights runs it, without
/// a window. It trusts nothing it is given: it installs only over a program that lies with the
/// updater, and only a download that something proves. It copies the download, which lies where
/// every program of the user can write, to the program's temporary name beside the program,
/// flushes and holds that copy, checks it as the update dialog checks a download (the
/// publisher's key read from the settings beside the updater itself, the signature from
/// SignatureFileOf(download)), and first, when the command line names one, against the SHA-256 of
/// the release that the publisher's record names, and moves it over the program; a copy that
/// fails is deleted.
TInstallOutcome InstallDownload(const TInstallStartup &startup);
