#include "commands.h"
#include "file_io.h"
#include "startup/lso_file.h"

#include <cstdio>

int LsoCompile(const Args& a) {
    if (a.size() != 2) return Usage("lso-compile");
    std::string text, error;
    std::vector<std::string> entries;
    if (!ReadWholeFile(a[0], text, error)) return Fail(error);
    if (!ParseStringSource(text, entries, error)) return Fail(a[0] + ": " + error);
    if (!WriteWholeFile(a[1], EncodeLso(entries), error)) return Fail(error);
    return 0;
}

int LsoDecompile(const Args& a) {
    if (a.size() != 2) return Usage("lso-decompile");
    std::string bytes, error;
    std::vector<std::string> entries;
    if (!ReadWholeFile(a[0], bytes, error)) return Fail(error);
    if (!DecodeLso(bytes, entries, error)) return Fail(a[0] + ": " + error);
    const std::string text = FormatStringSource(entries, "# Decompiled from " + a[0] + "\n");
    if (a[1] == "-") {
        std::fwrite(text.data(), 1, text.size(), stdout);
        return 0;
    }
    if (!WriteWholeFile(a[1], text, error)) return Fail(error);
    return 0;
}
