#include "cud_cipher.h"

#include <openssl/evp.h>

#include <memory>

const char kLauncherCudKey[] = "7D31C0A9E4B2F85617C3D09A2E6B4F81";

namespace {

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, void (*)(EVP_CIPHER_CTX*)>;

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool Run(const std::string& keyText, const std::string& in, std::string& out, bool encipher) {
    out.clear();
    unsigned char key[16];
    if (!ParseCudKey(keyText, key)) return false;
    CipherContext ctx(EVP_CIPHER_CTX_new(), EVP_CIPHER_CTX_free);
    if (!ctx || EVP_CipherInit_ex(ctx.get(), EVP_aes_128_ecb(), nullptr, key, nullptr, encipher ? 1 : 0) != 1)
        return false;
    std::string result(in.size() + 16, '\0');
    int n = 0, tail = 0;
    auto* dst = reinterpret_cast<unsigned char*>(&result[0]);
    if (EVP_CipherUpdate(ctx.get(), dst, &n, reinterpret_cast<const unsigned char*>(in.data()), int(in.size())) != 1 ||
        EVP_CipherFinal_ex(ctx.get(), dst + n, &tail) != 1)
        return false;
    result.resize(size_t(n + tail));
    out.swap(result);
    return true;
}

}  // namespace

bool ParseCudKey(const std::string& text, unsigned char key[16]) {
    if (text.size() != 32) return false;
    for (size_t i = 0; i < 16; ++i) {
        const int hi = HexDigit(text[2 * i]), lo = HexDigit(text[2 * i + 1]);
        if (hi < 0 || lo < 0) return false;
        key[i] = static_cast<unsigned char>(hi << 4 | lo);
    }
    return true;
}

bool CudEncipher(const std::string& keyText, const std::string& plain, std::string& out) {
    return Run(keyText, plain, out, true);
}

bool CudDecipher(const std::string& keyText, const std::string& data, std::string& out) {
    return Run(keyText, data, out, false);
}

bool CudIsPlain(const std::string& data) { return data.size() < 8 || data.compare(0, 7, "<Client") == 0; }
