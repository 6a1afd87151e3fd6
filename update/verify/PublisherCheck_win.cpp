#include "update/verify/PublisherCheck.h"

#include "framework/win32/Handles_win.h"
#include "framework/win32/WideText_win.h"
#include "update/download/HeldDownload.h"
#include "versinfo/VersionInfoResource.h"

#include <wincrypt.h>
#include <windows.h>
#include <wintrust.h>

#include <softpub.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

struct TCloseStore {
  void operator()(HCERTSTORE store) const { CertCloseStore(store, 0); }
};
struct TCloseMessage {
  void operator()(HCRYPTMSG message) const { CryptMsgClose(message); }
};
struct TFreeCertificate {
  void operator()(PCCERT_CONTEXT certificate) const { CertFreeCertificateContext(certificate); }
};

using TEncodedName = std::vector<BYTE>;

bool SameName(const TEncodedName &a, const CERT_NAME_BLOB &b) {
  CERT_NAME_BLOB blob{static_cast<DWORD>(a.size()), const_cast<BYTE *>(a.data())};
  return CertCompareCertificateName(X509_ASN_ENCODING, &blob, const_cast<CERT_NAME_BLOB *>(&b));
}

// Only read, never verified: a signature that has expired or that this machine does not trust
// still says who published the program.
std::optional<TEncodedName> EmbeddedSignerSubject(const std::string &file) {
  const std::wstring path = WideFromUtf8(file);
  HCERTSTORE rawStore = nullptr;
  HCRYPTMSG rawMessage = nullptr;
  if (path.empty() ||
      !CryptQueryObject(CERT_QUERY_OBJECT_FILE, path.c_str(),
                        CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED, CERT_QUERY_FORMAT_FLAG_BINARY,
                        0, nullptr, nullptr, nullptr, &rawStore, &rawMessage, nullptr))
    return std::nullopt;
  const TOwnedHandle<HCERTSTORE, TCloseStore> store(rawStore);
  const TOwnedHandle<HCRYPTMSG, TCloseMessage> message(rawMessage);
  DWORD size = 0;
  if (!CryptMsgGetParam(message.Get(), CMSG_SIGNER_CERT_INFO_PARAM, 0, nullptr, &size))
    return std::nullopt;
  std::vector<BYTE> signerInfo(size);
  if (!CryptMsgGetParam(message.Get(), CMSG_SIGNER_CERT_INFO_PARAM, 0, signerInfo.data(), &size))
    return std::nullopt;
  const TOwnedHandle<PCCERT_CONTEXT, TFreeCertificate> signer(CertFindCertificateInStore(
      store.Get(), kEncoding, 0, CERT_FIND_SUBJECT_CERT, signerInfo.data(), nullptr));
  if (!signer.Get())
    return std::nullopt;
  const CERT_NAME_BLOB &subject = signer.Get()->pCertInfo->Subject;
  return TEncodedName(subject.pbData, subject.pbData + subject.cbData);
}

// What the installed program says of its publisher.
struct TProgramSigner {
  bool Readable = true;                // false: it exists, but cannot be read now
  std::optional<TEncodedName> Subject; // nothing: unsigned, or no program at all
};

// A program that is missing has no publisher; one that is there but cannot be opened, locked
// or denied to this user, is not taken for unsigned.
TProgramSigner EmbeddedSigner(const std::string &file) {
  const HANDLE opened = CreateFileW(WideFromUtf8(file).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (opened == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return {error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND, std::nullopt};
  }
  const TKernelHandle program(opened);
  return {true, EmbeddedSignerSubject(file)};
}

/// One WinVerifyTrust run over a held file, read through its handle; the provider's state stays
/// open until it goes.
class TTrustVerification {
public:
  explicit TTrustVerification(const THeldDownload &file) : fPath(WideFromUtf8(file.FileName())) {
    fFile.cbStruct = sizeof fFile;
    fFile.pcwszFilePath = fPath.c_str();
    fFile.hFile = file.Handle();
    fData.cbStruct = sizeof fData;
    fData.dwUIChoice = WTD_UI_NONE;
    // Revocation lists would have to come over the network.
    fData.fdwRevocationChecks = WTD_REVOKE_NONE;
    fData.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL;
    fData.dwUnionChoice = WTD_CHOICE_FILE;
    fData.pFile = &fFile;
    fData.dwStateAction = WTD_STATEACTION_VERIFY;
    fVerified = !fPath.empty() && Run() == ERROR_SUCCESS;
  }
  ~TTrustVerification() {
    fData.dwStateAction = WTD_STATEACTION_CLOSE;
    Run();
  }
  TTrustVerification(const TTrustVerification &) = delete;
  TTrustVerification &operator=(const TTrustVerification &) = delete;

  /// The signer's certificate when the signature verifies and its chain has no error; some
  /// platforms' WinVerifyTrust lets an untrusted root through, its chain status does not.
  PCCERT_CONTEXT TrustedSigner() const {
    if (!fVerified)
      return nullptr;
    CRYPT_PROVIDER_DATA *provider = WTHelperProvDataFromStateData(fData.hWVTStateData);
    CRYPT_PROVIDER_SGNR *signer =
        provider ? WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
    if (!signer || !signer->pChainContext ||
        signer->pChainContext->TrustStatus.dwErrorStatus != CERT_TRUST_NO_ERROR)
      return nullptr;
    CRYPT_PROVIDER_CERT *certificate = WTHelperGetProvCertFromChain(signer, 0);
    return certificate ? certificate->pCert : nullptr;
  }

private:
  LONG Run() {
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    return WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &fData);
  }

  std::wstring fPath;
  WINTRUST_FILE_INFO fFile{};
  WINTRUST_DATA fData{};
  bool fVerified = false;
};

// What a file's version resource says of its fixed file version.
struct TFileVersion {
  bool Readable = true;           // false: the file has a version resource that cannot be read
  std::optional<uint64_t> Number; // nothing: no version resource, or one without a fixed version
};

// The platform tells a file without a version resource from one whose resource it cannot read
// (a path it cannot take, a damaged image) by the error it gives.
bool HasNoVersionResource(const std::string &file) {
  DWORD handle = 0;
  if (GetFileVersionInfoSizeW(WideFromUtf8(file).c_str(), &handle) != 0)
    return false;
  switch (GetLastError()) {
  case ERROR_RESOURCE_DATA_NOT_FOUND:
  case ERROR_RESOURCE_TYPE_NOT_FOUND:
  case ERROR_RESOURCE_NAME_NOT_FOUND:
  case ERROR_RESOURCE_LANG_NOT_FOUND:
  case ERROR_FILE_NOT_FOUND:
    return true;
  default:
    return false;
  }
}

TFileVersion FixedFileVersion(const std::string &file) {
  TzedVersionInfoResource resource(nullptr);
  resource.SetFilename(file);
  if (!resource.HasVersionData())
    return {HasNoVersionResource(file), std::nullopt};
  const TVsFixedFileInfo *fixed = resource.FixedFileVersionInfo().FixedRecord();
  if (!fixed)
    return {};
  return {true, uint64_t{fixed->dwFileVersionMS} << 32 | fixed->dwFileVersionLS};
}

} // namespace

// A stale mirror serves an older build as readily as a signed one: no download goes back to a
// lower file version, however it is proven.
TPublisherVerdict CheckDownloadPublisher(const THeldDownload &download,
                                         const std::string &program) {
  const TProgramSigner publisher = EmbeddedSigner(program);
  // A program that cannot be read now may well be signed: it is not taken for unsigned.
  if (!publisher.Readable)
    return TPublisherVerdict::NotSignedByPublisher;
  if (publisher.Subject) {
    // A renewed certificate has a new key under the same name: the whole name is compared.
    const TTrustVerification verification(download);
    const PCCERT_CONTEXT signer = verification.TrustedSigner();
    if (!signer || !SameName(*publisher.Subject, signer->pCertInfo->Subject))
      return TPublisherVerdict::NotSignedByPublisher;
  }
  const TFileVersion downloadVersion = FixedFileVersion(download.FileName());
  const TFileVersion programVersion = FixedFileVersion(program);
  if (!downloadVersion.Readable || !programVersion.Readable)
    return TPublisherVerdict::VersionUnreadable;
  if (downloadVersion.Number && programVersion.Number &&
      *downloadVersion.Number < *programVersion.Number)
    return TPublisherVerdict::OlderVersion;
  return TPublisherVerdict::Accepted;
}

bool CarriesPublisherSignature(const std::string &program) {
  const TProgramSigner publisher = EmbeddedSigner(program);
  return !publisher.Readable || publisher.Subject.has_value();
}
