#include "update/FileDigest.h"

#include "framework/win32/Handles_win.h"
#include "update/HeldDownload.h"

#include <windows.h>

#include <bcrypt.h>

#include <algorithm>
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

} // namespace

std::optional<TSha256> Sha256Of(const THeldDownload &file) {
  BCRYPT_ALG_HANDLE rawAlgorithm = nullptr;
  if (!BCRYPT_SUCCESS(
          BCryptOpenAlgorithmProvider(&rawAlgorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
    return std::nullopt;
  const TOwnedHandle<BCRYPT_ALG_HANDLE, TCloseAlgorithm> algorithm(rawAlgorithm);
  BCRYPT_HASH_HANDLE rawHash = nullptr;
  if (!BCRYPT_SUCCESS(BCryptCreateHash(algorithm.Get(), &rawHash, nullptr, 0, nullptr, 0, 0)))
    return std::nullopt;
  const TOwnedHandle<BCRYPT_HASH_HANDLE, TDestroyHash> hash(rawHash);

  const uint64_t size = file.Size();
  if (!file.Held() || size > UINT32_MAX)
    return std::nullopt;
  std::vector<UCHAR> piece(kHashPiece);
  for (uint32_t offset = 0; offset < size;) {
    const auto length = static_cast<ULONG>(std::min<uint64_t>(kHashPiece, size - offset));
    if (!file.ReadAt(offset, piece.data(), length) ||
        !BCRYPT_SUCCESS(BCryptHashData(hash.Get(), piece.data(), length, 0)))
      return std::nullopt;
    offset += length;
  }
  TSha256 digest;
  if (!BCRYPT_SUCCESS(BCryptFinishHash(hash.Get(), digest.data(), digest.size(), 0)))
    return std::nullopt;
  return digest;
}
