#pragma once
// The record of what has been done to an installation (changes.dat): the
// installed client version as four numbers, then the ids of the applied
// actions in the order they ran, all little-endian 32-bit values with no
// header. The list only grows. Also the version ranges that decide whether
// an action still applies. Portable; the caller reads and writes the file.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

using ClientVersion = std::array<uint32_t, 4>;

// Up to four dotted decimal components; missing ones, and ones that are not
// a plain number, count as 0.
ClientVersion ParseDottedVersion(const std::string& text);

// An empty bound does not limit; "2.0" as the end includes 2.0.0.0 only.
bool VersionInRange(const ClientVersion& version, const std::string& start, const std::string& end);

class CChangesList {
public:
    CChangesList() : values_(4, 0) {}

    // File contents; a short file leaves the version's missing parts 0 and
    // trailing bytes short of a value are ignored.
    void Parse(const std::string& bytes);
    std::string Bytes() const;

    ClientVersion version() const { return {values_[0], values_[1], values_[2], values_[3]}; }
    void SetVersion(const ClientVersion& version);
    bool Recorded(int id) const;
    // Notes `id` as applied; false when there is nothing to write (id 0
    // is never recorded).
    bool Record(int id);
    // The action has not run yet (or runs every time: id 0) and the
    // installed version is within its range.
    bool Applies(int id, const std::string& start, const std::string& end) const;

private:
    std::vector<uint32_t> values_;
};
