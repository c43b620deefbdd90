// The launcher's command-line tail.
#include "fuzz_input.h"
#include "startup/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const CommandLineFlags flags = ParseCommandLine(FuzzWide(data, size));
    FUZZ_CHECK(RunCodeLogText(flags.runCode) != nullptr);
    return 0;
}
