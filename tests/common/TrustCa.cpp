// fh_trust_ca CA.der: adds a certificate to the machine's root store, so that WinINet in the
// Wine prefix it runs in trusts what the test CA signed (scripts/lib/test-ca.sh). Prints
// "trusted" when the store holds it.
#include <windows.h>
#include <wincrypt.h>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include "framework/Handles.h"

namespace {
void CloseStore(HCERTSTORE store) {
    CertCloseStore(store, 0);
}
using CertStore = UniqueHandle<HCERTSTORE, CloseStore>;
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fh_trust_ca CA.der\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    std::string der((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    CertStore root(CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT"));
    if (der.empty() || !root ||
        !CertAddEncodedCertificateToStore(root.Get(), X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                                          static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr)) {
        std::fprintf(stderr, "fh_trust_ca: %s not added (error %lu)\n", argv[1], GetLastError());
        return 1;
    }
    std::printf("trusted\n");
    return 0;
}
