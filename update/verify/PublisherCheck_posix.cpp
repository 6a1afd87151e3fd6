#include "update/verify/PublisherCheck.h"

// Program files here carry no Authenticode signature, so nothing arms the check.
TPublisherVerdict CheckDownloadPublisher(const THeldDownload &, const std::string &) {
  return TPublisherVerdict::Accepted;
}

bool CarriesPublisherSignature(const std::string &) { return false; }
