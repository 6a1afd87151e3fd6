// Adds a CA certificate to the local machine's Root store, so that the Wine prefix it runs in
// trusts the servers of the HTTPS tests or of the demo. Adding it again replaces it.
//
//   trust_ca.exe CERTIFICATE.der
#include "framework/win32/Handles_win.h"

#include <wincrypt.h>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

struct TCloseStore {
  void operator()(HCERTSTORE store) const { CertCloseStore(store, 0); }
};

} // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: trust_ca CERTIFICATE.der\n");
    return 2;
  }
  std::ifstream file(argv[1], std::ios::binary);
  const std::vector<BYTE> der((std::istreambuf_iterator<char>(file)),
                              std::istreambuf_iterator<char>());
  if (der.empty()) {
    std::fprintf(stderr, "trust_ca: cannot read %s\n", argv[1]);
    return 1;
  }
  const TOwnedHandle<HCERTSTORE, TCloseStore> root(
      CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root"));
  if (!root.Get() || !CertAddEncodedCertificateToStore(root.Get(), X509_ASN_ENCODING, der.data(),
                                                       static_cast<DWORD>(der.size()),
                                                       CERT_STORE_ADD_REPLACE_EXISTING, nullptr)) {
    std::fprintf(stderr, "trust_ca: cannot add %s to the Root store (error %lu)\n", argv[1],
                 GetLastError());
    return 1;
  }
  return 0;
}
