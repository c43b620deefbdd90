#include "client_tree.h"

#include "update/content_crc.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <fstream>
#include <map>

namespace fs = std::filesystem;

namespace {

size_t Utf16Length(const std::string& s) {
    size_t n = 0;
    for (unsigned char c : s) {
        if ((c & 0xC0) != 0x80) ++n;  // one unit per code point ...
        if ((c & 0xF8) == 0xF0) ++n;  // ... two beyond the basic plane
    }
    return n;
}

bool ReservedDeviceName(std::string name) {
    const size_t dot = name.find('.');
    if (dot != std::string::npos) name.resize(dot);
    while (!name.empty() && name.back() == ' ') name.pop_back();
    for (char& c : name) c = char(std::toupper(static_cast<unsigned char>(c)));
    static const char* const kNames[] = {"CON", "PRN", "AUX", "NUL"};
    for (const char* n : kNames)
        if (name == n) return true;
    return name.size() == 4 && (name.compare(0, 3, "COM") == 0 || name.compare(0, 3, "LPT") == 0) && name[3] >= '1' &&
           name[3] <= '9';
}

}  // namespace

std::string U8(const fs::path& p) { return p.u8string(); }

std::string BackslashPath(std::string rel) {
    std::replace(rel.begin(), rel.end(), '/', '\\');
    return rel;
}

std::string FoldPath(std::string rel) {
    for (char& c : rel) {
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        if (c == '/') c = '\\';
    }
    return rel;
}

std::string PathProblem(const std::string& rel) {
    if (Utf16Length(rel) > kMaxRelativePath)
        return "path is longer than " + std::to_string(kMaxRelativePath) + " characters";
    size_t at = 0;
    while (at <= rel.size()) {
        const size_t end = std::min(rel.find('/', at), rel.size());
        const std::string name = rel.substr(at, end - at);
        if (name.empty() || name == "." || name == "..") return "empty or relative path component";
        for (unsigned char c : name)
            if (c < 32 || std::string("<>:\"\\|?*").find(char(c)) != std::string::npos)
                return std::string("name holds a character Windows forbids (") +
                       (c < 32 ? "control character" : std::string(1, char(c))) + ")";
        if (name.back() == '.' || name.back() == ' ') return "name ends in a dot or space, which Windows drops";
        if (ReservedDeviceName(name)) return "name is a reserved Windows device name";
        at = end + 1;
    }
    return std::string();
}

bool ScanClientFolder(const fs::path& root, std::vector<ClientFile>& files, std::string& error) {
    files.clear();
    std::error_code ec;
    if (!fs::is_directory(root, ec)) return error = U8(root) + " is not a folder", false;
    std::map<std::string, std::string> folded;  // Windows-equal path -> first path seen
    for (fs::recursive_directory_iterator it(root, fs::directory_options::none, ec), end; !ec && it != end;
         it.increment(ec)) {
        const fs::path& p = it->path();
        const std::string rel = fs::relative(p, root, ec).generic_u8string();
        if (ec) break;
        const fs::file_status st = it->symlink_status(ec);
        if (ec) return error = "cannot examine " + U8(p) + ": " + ec.message(), false;
        if (fs::is_symlink(st)) return error = U8(p) + ": symbolic links cannot be stored in a set", false;
        if (!fs::is_regular_file(st) && !fs::is_directory(st))
            return error = U8(p) + ": not a regular file or folder", false;
        const std::string problem = PathProblem(rel);
        if (!problem.empty()) return error = U8(p) + ": " + problem, false;
        const auto seen = folded.emplace(FoldPath(rel), rel);
        if (!seen.second)
            return error = U8(p) + ": differs only in case from " + seen.first->second + " (Windows cannot hold both)",
                   false;
        if (fs::is_directory(st)) continue;
        ClientFile f;
        f.rel = rel;
        f.path = p;
        f.size = fs::file_size(p, ec);
        if (ec) return error = "cannot read " + U8(p) + ": " + ec.message(), false;
        files.push_back(std::move(f));
    }
    if (ec) return error = "cannot list " + U8(root) + ": " + ec.message(), false;
    std::sort(files.begin(), files.end(), [](const ClientFile& a, const ClientFile& b) { return a.rel < b.rel; });
    return true;
}

bool HashFile(const fs::path& path, uint32_t& crc, uint64_t& size, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return error = "cannot open " + U8(path) + ": " + std::strerror(errno), false;
    CContentCrc sum;
    static thread_local std::string buffer(1 << 20, '\0');
    while (in) {
        in.read(&buffer[0], std::streamsize(buffer.size()));
        sum.Add(buffer.data(), size_t(in.gcount()));
    }
    if (in.bad()) return error = "cannot read " + U8(path), false;
    crc = sum.Value();
    size = sum.Size();
    return true;
}
