#pragma once

#include <functional>
#include <string>

class THeldDownload;

/// What the publisher check makes of a download.
enum class TPublisherVerdict {
  Accepted,             // the program is unsigned, or the download passes
  NotSignedByPublisher, // no valid signature, or one by another publisher
  OlderVersion,         // a lower file version than the program's
  VersionUnreadable     // the program or the download has a version resource that cannot be read
};

/// When program carries an embedded Authenticode signature (valid here or not), download must
/// carry one that verifies, through a certificate chain without errors, by a signer of the same
/// subject name. Signed or not, by a certificate or the publisher's key, it must not have a
/// lower fixed file version than the program's, where both have one; a version resource that is
/// there but cannot be read never lets the comparison be skipped. A program that exists but cannot
/// be read accepts no download. Where there is no Authenticode (off Windows), everything passes.
TPublisherVerdict CheckDownloadPublisher(const THeldDownload &download, const std::string &program);

/// Whether program carries an embedded Authenticode signature, valid here or not, that the
/// publisher check would hold a download to. A program that exists but cannot be read counts as
/// signed: it may well be. Where there is no Authenticode (off Windows), none does.
bool CarriesPublisherSignature(const std::string &program);

/// The check the update dialog runs on a download before it offers the replacement.
using TPublisherCheck =
    std::function<TPublisherVerdict(const THeldDownload &download, const std::string &program)>;
