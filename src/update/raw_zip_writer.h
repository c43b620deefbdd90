#pragma once
// Writes raw ZIP images (stored or deflated entries, names kept exactly as
// given) for the package tests and benchmarks, which need archives the
// `zip` tool refuses to make: names with "..", drives or backslashes.
// Portable.

#include <string>
#include <vector>

struct ZipWriterEntry {
    std::string name;
    std::string data;
    bool deflate = false;
};

// `comment` goes after the end-of-directory record.
std::string WriteZip(const std::vector<ZipWriterEntry>& entries, const std::string& comment = {});
