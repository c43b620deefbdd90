#include "lso_file.h"

#include <cstdint>
#include <cstdlib>

namespace {

void Put32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out += char((v >> (8 * i)) & 0xFF);
}

uint32_t Get32(const std::string& s, size_t at) {
    return uint32_t(uint8_t(s[at])) | uint32_t(uint8_t(s[at + 1])) << 8 | uint32_t(uint8_t(s[at + 2])) << 16 |
           uint32_t(uint8_t(s[at + 3])) << 24;
}

}  // namespace

std::string EncodeLso(const std::vector<std::string>& entries) {
    std::string out;
    Put32(out, uint32_t(entries.size()));
    Put32(out, 0);
    for (const std::string& e : entries) {
        Put32(out, uint32_t(e.size()));
        out += e;
    }
    return out;
}

bool DecodeLso(const std::string& bytes, std::vector<std::string>& entries, std::string& error) {
    entries.clear();
    if (bytes.size() < 8) return error = "shorter than its 8-byte header", false;
    const uint32_t count = Get32(bytes, 0);
    if (count == 0) return error = "entry count is 0", false;
    if (Get32(bytes, 4) != 0) return error = "second header word is not 0", false;
    size_t at = 8;
    for (uint32_t i = 0; i < count; ++i) {
        if (bytes.size() - at < 4) return error = "entry " + std::to_string(i) + " has no length", false;
        const uint32_t len = Get32(bytes, at);
        at += 4;
        if (bytes.size() - at < len) return error = "entry " + std::to_string(i) + " runs past the end", false;
        entries.push_back(bytes.substr(at, len));
        at += len;
    }
    if (at != bytes.size()) return error = "bytes after the last entry", false;
    return true;
}

bool ParseStringSource(const std::string& text, std::vector<std::string>& entries, std::string& error) {
    entries.clear();
    size_t lineNo = 0;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const size_t tab = line.find('\t');
        const std::string number = line.substr(0, tab);
        char* stop = nullptr;
        const long n = std::strtol(number.c_str(), &stop, 10);
        if (tab == std::string::npos || number.empty() || *stop != '\0')
            return error = "line " + std::to_string(lineNo) + ": expected <number><tab><text>", false;
        if (n != long(entries.size()))
            return error = "line " + std::to_string(lineNo) + ": entry " + number + " out of order (expected " +
                           std::to_string(entries.size()) + ")",
                   false;
        std::string value;
        for (size_t i = tab + 1; i < line.size(); ++i) {
            if (line[i] != '\\') {
                value += line[i];
                continue;
            }
            if (++i == line.size())
                return error = "line " + std::to_string(lineNo) + ": text ends with a lone backslash", false;
            if (line[i] == 'n') value += '\n';
            else if (line[i] == 'r') value += '\r';
            else if (line[i] == '\\') value += '\\';
            else return error = "line " + std::to_string(lineNo) + ": unknown escape \\" + line[i], false;
        }
        entries.push_back(value);
    }
    if (entries.empty()) return error = "no entries", false;
    return true;
}

std::string FormatStringSource(const std::vector<std::string>& entries, const std::string& header) {
    std::string out = header;
    for (size_t n = 0; n < entries.size(); ++n) {
        out += std::to_string(n) + '\t';
        for (char c : entries[n]) {
            if (c == '\n') out += "\\n";
            else if (c == '\r') out += "\\r";  // a bare one before the line feed would read as a line end
            else if (c == '\\') out += "\\\\";
            else out += c;
        }
        out += '\n';
    }
    return out;
}
