#pragma once

#include "update/verify/FileDigest.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class THeldDownload;

/// The longest signature file taken: a signature is a few hundred bytes.
constexpr int32_t kMaxSignatureSize = 4096;

/// The publisher's own public key, which every download must be signed with when the settings
/// name one: ECDSA on P-256 or P-384, or RSA of 2048 to 4096 bits, each over SHA-256.
class TPublisherKey {
public:
  virtual ~TPublisherKey() = default;
  /// Whether signature, as `openssl dgst -sha256 -sign` writes it, is this key's signature of
  /// the whole content of download.
  virtual bool Signed(const THeldDownload &download, const std::string &signature) const = 0;
  /// Whether signature is this key's signature of a file whose SHA-256 is digest, taken by the
  /// caller through the file's hold: the file is not read again.
  virtual bool SignedDigest(const TSha256 &digest, const std::string &signature) const = 0;
  /// Whether signature is this key's signature of text, byte for byte.
  virtual bool SignedText(const std::string &text, const std::string &signature) const = 0;
};

/// The key that base64 holds: the base64 text of its DER SubjectPublicKeyInfo, as
/// `openssl pkey -pubout -outform DER | base64 -w0` prints it; nullptr when it holds no key of
/// an accepted type and size. Where the platform has no verifier (off Windows), no key is
/// accepted.
std::unique_ptr<TPublisherKey> ImportPublisherKey(const std::string &base64);

/// How the update dialog turns the settings' key into one that verifies.
using TPublisherKeyImport = std::function<std::unique_ptr<TPublisherKey>(const std::string &)>;
