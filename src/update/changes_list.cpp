#include "update/changes_list.h"

#include <algorithm>

ClientVersion ParseDottedVersion(const std::string& text) {
    ClientVersion v{};
    size_t component = 0, start = 0;
    while (component < v.size() && start <= text.size()) {
        size_t dot = text.find('.', start);
        if (dot == std::string::npos) dot = text.size();
        const std::string part = text.substr(start, dot - start);
        uint64_t value = 0;
        bool number = !part.empty() && part.size() <= 10;
        for (char c : part) {
            if (c < '0' || c > '9') number = false;
            else value = value * 10 + uint64_t(c - '0');
        }
        v[component++] = number && value <= UINT32_MAX ? uint32_t(value) : 0;
        start = dot + 1;
    }
    return v;
}

bool VersionInRange(const ClientVersion& version, const std::string& start, const std::string& end) {
    if (!start.empty() && version < ParseDottedVersion(start)) return false;
    if (!end.empty() && ParseDottedVersion(end) < version) return false;
    return true;
}

void CChangesList::Parse(const std::string& bytes) {
    values_.clear();
    for (size_t at = 0; at + 4 <= bytes.size(); at += 4) {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at);
        values_.push_back(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
    }
    if (values_.size() < 4) values_.resize(4, 0);
}

std::string CChangesList::Bytes() const {
    std::string bytes;
    for (uint32_t v : values_)
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(char((v >> shift) & 0xFF));
    return bytes;
}

void CChangesList::SetVersion(const ClientVersion& version) { std::copy(version.begin(), version.end(), values_.begin()); }

bool CChangesList::Recorded(int id) const {
    return std::find(values_.begin() + 4, values_.end(), uint32_t(id)) != values_.end();
}

bool CChangesList::Record(int id) {
    if (id == 0) return false;
    if (!Recorded(id)) values_.push_back(uint32_t(id));
    return true;
}

bool CChangesList::Applies(int id, const std::string& start, const std::string& end) const {
    return VersionInRange(version(), start, end) && (id == 0 || !Recorded(id));
}
