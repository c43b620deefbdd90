// Message texts with a little HTML, as the language tables and the server
// give them, turned into lines.
#include "fuzz_input.h"
#include "gui/rich_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::wstring output;
    size_t lines = 0;
    ConvertRichText(FuzzWide(data, size), output, [&lines](const std::wstring&) { ++lines; });
    FUZZ_CHECK(output.size() <= kRichTextMaxLength);
    return 0;
}
