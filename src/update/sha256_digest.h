#pragma once
// SHA-256 through OpenSSL's EVP interface, fed in pieces (packs can be
// gigabytes), and its text form in manifests: 64 hexadecimal digits.
// Portable; one thread at a time per object.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

using Sha256Digest = std::array<uint8_t, 32>;

class CSha256 {
public:
    CSha256();
    ~CSha256();
    CSha256(CSha256&& other) noexcept;
    CSha256& operator=(CSha256&& other) noexcept;

    void Update(const void* data, size_t length);
    // The digest of the bytes fed so far; more may follow. When OpenSSL
    // failed at any point, all zero bytes, which match no real file's hash.
    Sha256Digest Digest() const;

private:
    struct Context;
    std::unique_ptr<Context> context_;
};

Sha256Digest Sha256Of(const void* data, size_t length);
// Lower-case hexadecimal.
std::string Sha256Hex(const Sha256Digest& digest);
// Exactly 64 hexadecimal digits (either case); false for anything else.
bool ParseSha256Hex(const std::string& text, Sha256Digest& digest);
