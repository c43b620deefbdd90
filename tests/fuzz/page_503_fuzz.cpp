// The maintenance page of a 503 answer, read for one language; the time
// goes into line2 at a place inside it.
#include "fuzz_input.h"
#include "net/httx_503_page.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string body = FuzzBytes(data, size);
    Httx503Page page;
    if (!ReadHttx503Page(body.c_str(), "en", page)) return 0;
    FUZZ_CHECK(!page.line2HasTime || page.timeAt <= page.line2.size());
    std::string message = page.line1 + page.line2;
    PlainSpaces(message);
    return 0;
}
