// .lso string tables and their text source; what is read writes back to
// the same table.
#include "fuzz_input.h"
#include "startup/lso_file.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes = FuzzBytes(data, size);
    std::vector<std::string> entries, again;
    std::string error;
    if (DecodeLso(bytes, entries, error)) {
        FUZZ_CHECK(DecodeLso(EncodeLso(entries), again, error) && again == entries);
        FUZZ_CHECK(ParseStringSource(FormatStringSource(entries, "# table\n"), again, error) && again == entries);
    }
    if (ParseStringSource(bytes, entries, error))
        FUZZ_CHECK(ParseStringSource(FormatStringSource(entries, ""), again, error) && again == entries);
    return 0;
}
