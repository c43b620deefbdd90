// The head of an HTTP answer and its Content-Length.
#include "fuzz_input.h"
#include "net/pico_http_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    CPicoHttpParser parser;
    if (parser.ParseResponse(text, size) != 0) return 0;
    FUZZ_CHECK(parser.headerCount() <= CPicoHttpParser::kMaxHeaders);
    for (size_t i = 0; i < parser.headerCount(); ++i) {
        const CPicoHttpParser::Header& h = parser.header(i);
        FUZZ_CHECK(h.value >= text && h.value + h.valueLength <= text + size);
        if (h.name) FUZZ_CHECK(h.name >= text && h.name + h.nameLength <= text + size);
    }
    parser.ContentLength();
    return 0;
}
