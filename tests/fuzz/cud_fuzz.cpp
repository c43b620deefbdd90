// CUD.dat as read from the disk: deciphered with the launcher's key unless
// it is plain text. A document that deciphers enciphers back to the same bytes.
#include "fuzz_input.h"
#include "update/cud_cipher.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes = FuzzBytes(data, size);
    std::string text;
    if (CudIsPlain(bytes) || !CudDecipher(kLauncherCudKey, bytes, text)) return 0;
    std::string again;
    FUZZ_CHECK(CudEncipher(kLauncherCudKey, text, again) && again == bytes);
    return 0;
}
