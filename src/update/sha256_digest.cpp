#include "sha256_digest.h"

#include <openssl/evp.h>

struct CSha256::Context {
    EVP_MD_CTX* md = EVP_MD_CTX_new();
    bool failed = !md || EVP_DigestInit_ex(md, EVP_sha256(), nullptr) != 1;
    ~Context() { EVP_MD_CTX_free(md); }
};

CSha256::CSha256() : context_(std::make_unique<Context>()) {}
CSha256::~CSha256() = default;
CSha256::CSha256(CSha256&& other) noexcept = default;
CSha256& CSha256::operator=(CSha256&& other) noexcept = default;

void CSha256::Update(const void* data, size_t length) {
    if (!context_ || context_->failed || !length) return;
    context_->failed = EVP_DigestUpdate(context_->md, data, length) != 1;
}

Sha256Digest CSha256::Digest() const {
    Sha256Digest digest{};
    if (!context_ || context_->failed) return digest;
    // Finishing a copy keeps this one open for more bytes.
    EVP_MD_CTX* copy = EVP_MD_CTX_new();
    unsigned int length = 0;
    if (!copy || EVP_MD_CTX_copy_ex(copy, context_->md) != 1 || EVP_DigestFinal_ex(copy, digest.data(), &length) != 1 ||
        length != digest.size())
        digest.fill(0);
    EVP_MD_CTX_free(copy);
    return digest;
}

Sha256Digest Sha256Of(const void* data, size_t length) {
    CSha256 sha;
    sha.Update(data, length);
    return sha.Digest();
}

std::string Sha256Hex(const Sha256Digest& digest) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (uint8_t b : digest) {
        text += kDigits[b >> 4];
        text += kDigits[b & 15];
    }
    return text;
}

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool ParseSha256Hex(const std::string& text, Sha256Digest& digest) {
    if (text.size() != digest.size() * 2) return false;
    for (size_t i = 0; i < digest.size(); ++i) {
        const int high = HexValue(text[2 * i]), low = HexValue(text[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        digest[i] = uint8_t(high << 4 | low);
    }
    return true;
}
