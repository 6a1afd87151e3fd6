#include "update/verify/FileDigest.h"

#include "framework/win32/Handles_win.h"
#include "update/download/HeldDownload.h"

#include <windows.h>

#include <bcrypt.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

// A file is hashed a piece at a time, so that memory stays the same for every size.
constexpr size_t kHashPiece = 256 * 1024;

struct TCloseAlgorithm {
  void operator()(BCRYPT_ALG_HANDLE algorithm) const { BCryptCloseAlgorithmProvider(algorithm, 0); }
};
struct TDestroyHash {
  void operator()(BCRYPT_HASH_HANDLE hash) const { BCryptDestroyHash(hash); }
};

// The digest of what feed hands the hash; nothing when the platform cannot hash or feed fails.
std::optional<TSha256> DigestOf(const std::function<bool(BCRYPT_HASH_HANDLE hash)> &feed) {
  BCRYPT_ALG_HANDLE rawAlgorithm = nullptr;
  if (!BCRYPT_SUCCESS(
          BCryptOpenAlgorithmProvider(&rawAlgorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
    return std::nullopt;
  const TOwnedHandle<BCRYPT_ALG_HANDLE, TCloseAlgorithm> algorithm(rawAlgorithm);
  BCRYPT_HASH_HANDLE rawHash = nullptr;
  if (!BCRYPT_SUCCESS(BCryptCreateHash(algorithm.Get(), &rawHash, nullptr, 0, nullptr, 0, 0)))
    return std::nullopt;
  const TOwnedHandle<BCRYPT_HASH_HANDLE, TDestroyHash> hash(rawHash);
  TSha256 digest;
  if (!feed(hash.Get()) ||
      !BCRYPT_SUCCESS(BCryptFinishHash(hash.Get(), digest.data(), digest.size(), 0)))
    return std::nullopt;
  return digest;
}

} // namespace

std::optional<TSha256> Sha256Of(const THeldDownload &file) {
  const uint64_t size = file.Size();
  if (!file.Held() || size > UINT32_MAX)
    return std::nullopt;
  return DigestOf([&](BCRYPT_HASH_HANDLE hash) {
    std::vector<UCHAR> piece(kHashPiece);
    for (uint32_t offset = 0; offset < size;) {
      const auto length = static_cast<ULONG>(std::min<uint64_t>(kHashPiece, size - offset));
      if (!file.ReadAt(offset, piece.data(), length) ||
          !BCRYPT_SUCCESS(BCryptHashData(hash, piece.data(), length, 0)))
        return false;
      offset += length;
    }
    return true;
  });
}

std::optional<TSha256> Sha256OfText(const std::string &text) {
  return DigestOf([&](BCRYPT_HASH_HANDLE hash) {
    std::string bytes = text; // the platform takes the data it hashes as writable
    return BCRYPT_SUCCESS(BCryptHashData(hash, reinterpret_cast<PUCHAR>(&bytes[0]),
                                         static_cast<ULONG>(bytes.size()), 0));
  });
}
