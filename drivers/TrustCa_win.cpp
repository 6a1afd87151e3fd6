// Adds a CA certificate to the local machine's Root store, so that the Wine prefix it runs in
// trusts the servers of the HTTPS tests or of the demo. Adding it again replaces it.
//
//   trust_ca.exe CERTIFICATE.der
#include "drivers/WholeFile.h"
#include "framework/CommandLine.h"
#include "framework/win32/Handles_win.h"
#include "framework/win32/WideText_win.h"

#include <wincrypt.h>
#include <windows.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct TCloseStore {
  void operator()(HCERTSTORE store) const { CertCloseStore(store, 0); }
};

} // namespace

int main() {
  const std::vector<std::string> arguments = SplitCommandLine(Utf8FromWide(GetCommandLineW()));
  if (arguments.size() != 2) {
    std::fprintf(stderr, "usage: trust_ca CERTIFICATE.der\n");
    return 2;
  }
  const std::string &certificate = arguments[1];
  std::string der;
  try {
    der = ReadWholeFile(certificate);
  } catch (const std::runtime_error &) {
  }
  if (der.empty()) {
    std::fprintf(stderr, "trust_ca: cannot read %s\n", certificate.c_str());
    return 1;
  }
  const TOwnedHandle<HCERTSTORE, TCloseStore> root(
      CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root"));
  if (!root.Get() || !CertAddEncodedCertificateToStore(root.Get(), X509_ASN_ENCODING,
                                                       reinterpret_cast<const BYTE *>(der.data()),
                                                       static_cast<DWORD>(der.size()),
                                                       CERT_STORE_ADD_REPLACE_EXISTING, nullptr)) {
    std::fprintf(stderr, "trust_ca: cannot add %s to the Root store (error %lu)\n",
                 certificate.c_str(), GetLastError());
    return 1;
  }
  return 0;
}
