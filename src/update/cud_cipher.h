#pragma once
// The cipher of CUD.dat: AES-128 in ECB mode with PKCS#7 padding over the
// whole document. The key is given as text of exactly 32 hexadecimal
// digits, each pair one key byte in order; any other text is unusable and
// makes both directions fail. Portable (OpenSSL EVP); one cipher context
// per call, so any thread may call.

#include <string>

// The key text the launcher uses for its CUD.dat.
extern const char kLauncherCudKey[];

bool ParseCudKey(const std::string& text, unsigned char key[16]);

// False for an unusable key or a cipher failure; `out` is then empty.
bool CudEncipher(const std::string& keyText, const std::string& plain, std::string& out);
// Also false for data that is not a whole number of blocks or whose
// padding is wrong (a wrong key usually shows this way).
bool CudDecipher(const std::string& keyText, const std::string& data, std::string& out);

// True when the launcher would read these bytes as they are: shorter than
// 8 bytes or beginning with "<Client".
bool CudIsPlain(const std::string& data);
