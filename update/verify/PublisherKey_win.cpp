#include "update/verify/PublisherKey.h"

#include "framework/win32/Handles_win.h"
#include "update/download/HeldDownload.h"
#include "update/verify/FileDigest.h"
#include "update/verify/SignatureFormats.h"

#include <windows.h>

#include <bcrypt.h>
#include <wincrypt.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <vector>

namespace {

// The named curves as a key's algorithm parameters give them: their object identifiers in DER.
const unsigned char kP256Parameters[] = {0x06, 0x08, 0x2A, 0x86, 0x48,
                                         0xCE, 0x3D, 0x03, 0x01, 0x07};
const unsigned char kP384Parameters[] = {0x06, 0x05, 0x2B, 0x81, 0x04, 0x00, 0x22};
constexpr size_t kP256FieldSize = 32;
constexpr size_t kP384FieldSize = 48;
constexpr DWORD kFewestRsaBits = 2048;
constexpr DWORD kMostRsaBits = 4096;
struct TDestroyKey {
  void operator()(BCRYPT_KEY_HANDLE key) const { BCryptDestroyKey(key); }
};
struct TFreeLocal {
  void operator()(void *memory) const { LocalFree(memory); }
};

bool Succeeded(NTSTATUS status) { return status >= 0; }

template <size_t Size>
bool IsParameters(const CRYPT_OBJID_BLOB &parameters, const unsigned char (&curve)[Size]) {
  return parameters.cbData == Size && std::memcmp(parameters.pbData, curve, Size) == 0;
}

// The size of r and of s for an EC key's curve; 0 for a curve that is not accepted.
size_t FieldSize(const CRYPT_OBJID_BLOB &parameters) {
  if (IsParameters(parameters, kP256Parameters))
    return kP256FieldSize;
  if (IsParameters(parameters, kP384Parameters))
    return kP384FieldSize;
  return 0;
}

class TPlatformPublisherKey final : public TPublisherKey {
public:
  /// fieldSize: the size of r and of s for an ECDSA key; 0 for an RSA key.
  TPlatformPublisherKey(BCRYPT_KEY_HANDLE key, size_t fieldSize)
      : fKey(key), fFieldSize(fieldSize) {}

  bool Signed(const THeldDownload &download, const std::string &signature) const override {
    return Verifies(signature, [&] { return Sha256Of(download); });
  }
  bool SignedDigest(const TSha256 &digest, const std::string &signature) const override {
    return Verifies(signature, [&] { return std::optional<TSha256>(digest); });
  }
  bool SignedText(const std::string &text, const std::string &signature) const override {
    return Verifies(signature, [&] { return Sha256OfText(text); });
  }

private:
  // The signature's form is checked before the digest is taken: a bad one costs no hashing.
  bool Verifies(const std::string &signature,
                const std::function<std::optional<TSha256>()> &digestOf) const {
    std::optional<std::string> platformSignature = signature;
    BCRYPT_PKCS1_PADDING_INFO pkcs1{BCRYPT_SHA256_ALGORITHM};
    void *padding = nullptr;
    ULONG flags = 0;
    if (fFieldSize != 0) {
      platformSignature = EcdsaSignatureToRs(signature, fFieldSize);
    } else {
      padding = &pkcs1;
      flags = BCRYPT_PAD_PKCS1;
    }
    if (!platformSignature || platformSignature->empty())
      return false;
    std::optional<TSha256> digest = digestOf();
    return digest &&
           Succeeded(BCryptVerifySignature(fKey.Get(), padding, digest->data(), digest->size(),
                                           reinterpret_cast<PUCHAR>(&(*platformSignature)[0]),
                                           static_cast<ULONG>(platformSignature->size()), flags));
  }

  TOwnedHandle<BCRYPT_KEY_HANDLE, TDestroyKey> fKey;
  size_t fFieldSize;
};

} // namespace

// The platform's decoder reads the key at the front of its input and ignores what follows; a
// text with more than a key in it is not a key.
std::unique_ptr<TPublisherKey> ImportPublisherKey(const std::string &base64) {
  std::optional<std::string> der = DecodeBase64(base64);
  if (!der || !IsOneDerSequence(*der))
    return nullptr;
  CERT_PUBLIC_KEY_INFO *rawInfo = nullptr;
  DWORD infoSize = 0;
  if (!CryptDecodeObjectEx(
          X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, reinterpret_cast<const BYTE *>(der->data()),
          static_cast<DWORD>(der->size()), CRYPT_DECODE_ALLOC_FLAG, nullptr, &rawInfo, &infoSize))
    return nullptr;
  const std::unique_ptr<CERT_PUBLIC_KEY_INFO, TFreeLocal> info(rawInfo);

  const std::string algorithm = info->Algorithm.pszObjId ? info->Algorithm.pszObjId : "";
  size_t fieldSize = 0;
  if (algorithm == szOID_ECC_PUBLIC_KEY) {
    fieldSize = FieldSize(info->Algorithm.Parameters);
    if (fieldSize == 0)
      return nullptr;
  } else if (algorithm == szOID_RSA_RSA) {
    const DWORD bits = CertGetPublicKeyLength(X509_ASN_ENCODING, info.get());
    if (bits < kFewestRsaBits || bits > kMostRsaBits)
      return nullptr;
  } else {
    return nullptr;
  }
  BCRYPT_KEY_HANDLE key = nullptr;
  if (!CryptImportPublicKeyInfoEx2(X509_ASN_ENCODING, info.get(), 0, nullptr, &key))
    return nullptr;
  return std::make_unique<TPlatformPublisherKey>(key, fieldSize);
}
