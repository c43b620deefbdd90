// CUD.dat as read from the disk (deciphered with the launcher's key unless
// it is plain text), as downloaded from a data-update URL, and as the
// shipped copy in the configuration. A document
// that deciphers enciphers back to the same bytes.
#include "fuzz_input.h"
#include "update/cud_cipher.h"
#include "update/cud_document.h"

#include <tinyxml2.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes = FuzzBytes(data, size);
    std::string plain;
    if (!CudIsPlain(bytes) && CudDecipher(kLauncherCudKey, bytes, plain)) {
        std::string again;
        FUZZ_CHECK(CudEncipher(kLauncherCudKey, plain, again) && again == bytes);
    }
    const std::string text = CudText(bytes, kLauncherCudKey);
    CudFace face;
    face.id = "sample";
    CudSelection selection;
    ReadCudDocument(text, &face, &selection);
    ReadCudDocument(text, nullptr, &selection);
    tinyxml2::XMLDocument doc;
    if (doc.Parse(text.c_str(), text.size()) == tinyxml2::XML_SUCCESS && doc.RootElement()) {
        CudFace shipped;
        ReadFirstCudFace(*doc.RootElement(), shipped);
    }
    CudFace incoming;
    incoming.id = "sample";
    ReadIncomingCud(text, selection, incoming);
    return 0;
}
