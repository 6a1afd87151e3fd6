#include "update/verify/FileDigest.h"

// No platform hash here: a program that cannot be hashed is updated by its whole download.
std::optional<TSha256> Sha256Of(const THeldDownload &) { return std::nullopt; }
std::optional<TSha256> Sha256OfText(const std::string &) { return std::nullopt; }
