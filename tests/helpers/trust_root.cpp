// Test helper: adds a test certificate authority to the local machine's
// root store of the Wine prefix it runs in, so that the end-to-end tests
// can serve the update set over HTTPS. The host's own certificate store is
// never touched. The store keeps it under
// HKLM\Software\Microsoft\SystemCertificates\Root\Certificates\<SHA-1>,
// where the tests delete it again (Wine's store deletion leaves the key).
// usage: trust_root <certificate.der>; exit code 1 on failure.

#include "startup/handle.h"

#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <vector>

namespace {

struct StoreTraits {
    using Type = HCERTSTORE;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { CertCloseStore(h, 0); }
};

struct CertificateTraits {
    using Type = PCCERT_CONTEXT;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { CertFreeCertificateContext(h); }
};

bool ReadAll(const wchar_t* path, std::vector<BYTE>& bytes) {
    CHandleT<FileHandleTraits> file(
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return false;
    bytes.resize(GetFileSize(file.Get(), nullptr));
    DWORD read = 0;
    return ReadFile(file.Get(), bytes.data(), DWORD(bytes.size()), &read, nullptr) && read == bytes.size();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    std::vector<BYTE> der;
    if (!ReadAll(argv[1], der)) return 1;
    CHandleT<StoreTraits> store(CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0,
                                              CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root"));
    if (!store) {
        std::printf("the root store cannot be opened: %lu\n", GetLastError());
        return 1;
    }
    CHandleT<CertificateTraits> certificate(
        CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), DWORD(der.size())));
    if (!certificate) {
        std::printf("no certificate: %lu\n", GetLastError());
        return 1;
    }
    if (CertAddCertificateContextToStore(store.Get(), certificate.Get(), CERT_STORE_ADD_REPLACE_EXISTING, nullptr))
        return 0;
    std::printf("not added: %lu\n", GetLastError());
    return 1;
}
