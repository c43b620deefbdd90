#include "update/cipher.h"

#include <openssl/evp.h>

#include <climits>

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

CCipher::CCipher(const std::string& keyHex) {
    if (keyHex.size() != 32) return;
    for (size_t i = 0; i < 16; ++i) {
        const int hi = HexDigit(keyHex[2 * i]), lo = HexDigit(keyHex[2 * i + 1]);
        if (hi < 0 || lo < 0) return;
        key_[i] = static_cast<unsigned char>(hi * 16 + lo);
    }
    keyValid_ = true;
}

CCipher::~CCipher() { EVP_CIPHER_CTX_free(static_cast<EVP_CIPHER_CTX*>(ctx_)); }

bool CCipher::Encipher(const char* text, size_t length, std::string& out) { return Run(true, text, length, out); }

bool CCipher::Decipher(const char* data, size_t length, std::string& out) { return Run(false, data, length, out); }

bool CCipher::Run(bool encipher, const char* in, size_t length, std::string& out) {
    out.clear();
    if (!keyValid_ || length > size_t(INT_MAX) - 32) return false;
    if (!ctx_) ctx_ = EVP_CIPHER_CTX_new();
    auto* ctx = static_cast<EVP_CIPHER_CTX*>(ctx_);
    if (!ctx || !EVP_CipherInit_ex(ctx, EVP_aes_128_ecb(), nullptr, key_, nullptr, encipher ? 1 : 0)) return false;
    std::string buffer(length + 32, '\0');
    int written = 0, last = 0;
    auto* dst = reinterpret_cast<unsigned char*>(&buffer[0]);
    const bool ok = EVP_CipherUpdate(ctx, dst, &written, reinterpret_cast<const unsigned char*>(in), int(length)) &&
                    EVP_CipherFinal_ex(ctx, dst + written, &last);
    EVP_CIPHER_CTX_reset(ctx);
    if (!ok) return false;
    buffer.resize(size_t(written) + size_t(last));
    out = std::move(buffer);  // std::string keeps the terminating zero after the plain text
    return true;
}
