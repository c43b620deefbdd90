#pragma once
// AES-128-ECB with PKCS#7 padding through OpenSSL EVP, the cipher of the
// client-update-data file. One cipher context per call, owned and released
// by CCipher. Any thread.

#include <string>

class CCipher {
public:
    // `keyHex` must be exactly 32 hexadecimal digits; any other key makes
    // both operations fail.
    explicit CCipher(const std::string& keyHex);
    CCipher(const CCipher&) = delete;
    CCipher& operator=(const CCipher&) = delete;
    ~CCipher();

    bool Encipher(const char* text, size_t length, std::string& out);
    // `out` is followed by a zero byte that its length does not count.
    bool Decipher(const char* data, size_t length, std::string& out);

private:
    bool Run(bool encipher, const char* in, size_t length, std::string& out);

    unsigned char key_[16] = {};
    bool keyValid_ = false;
    void* ctx_ = nullptr;  // EVP_CIPHER_CTX, created on first use
};
