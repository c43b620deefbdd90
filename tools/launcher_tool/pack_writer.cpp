#include "pack_writer.h"

#include "startup/crc32.h"
#include "update/content_crc.h"
#include "update/sha256_digest.h"
#include "update/zip_writer.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace fs = std::filesystem;

namespace {

bool WriteZipPack(const std::vector<const ClientFile*>& files, const fs::path& target, ManifestDocPack& pack,
                  CProgress& progress, std::string& error) {
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    if (!out) return error = "cannot create " + U8(target) + ": " + std::strerror(errno), false;
    CZipWriter zip([&out](const void* data, size_t length) {
        out.write(static_cast<const char*>(data), std::streamsize(length));
        return bool(out);
    });
    for (const ClientFile* f : files) {
        if (f->size > 0xFFFFFFFFull)
            return error = U8(f->path) + " is 4 GiB or larger; ZIP packs cannot hold it (use format=\"rar5\")", false;
        std::ifstream in(f->path, std::ios::binary);
        if (!in) return error = "cannot open " + U8(f->path) + ": " + std::strerror(errno), false;
        CContentCrc sum;
        const bool ok = zip.AddFile(f->rel, [&](void* buffer, size_t capacity) -> int64_t {
            in.read(static_cast<char*>(buffer), std::streamsize(capacity));
            if (in.bad()) return -1;
            sum.Add(buffer, size_t(in.gcount()));
            progress.Add(uint64_t(in.gcount()), pack.file);
            return int64_t(in.gcount());
        });
        if (!ok) return error = U8(f->path) + ": " + zip.Error(), false;
        pack.files.push_back({BackslashPath(f->rel), sum.Value(), sum.Size()});
    }
    if (!zip.Finish()) return error = U8(target) + ": " + zip.Error(), false;
    out.close();
    if (!out) return error = "cannot write " + U8(target), false;
    return true;
}

// The rar program on PATH, or empty.
fs::path FindRar() {
#ifdef _WIN32
    const char* names[] = {"rar.exe"};
    const char separator = ';';
#else
    const char* names[] = {"rar"};
    const char separator = ':';
#endif
    const char* env = std::getenv("PATH");
    const std::string path = env ? env : "";
    size_t at = 0;
    while (at <= path.size()) {
        const size_t end = std::min(path.find(separator, at), path.size());
        const std::string dir = path.substr(at, end - at);
        at = end + 1;
        if (dir.empty()) continue;
        for (const char* n : names) {
            std::error_code ec;
            const fs::path candidate = fs::u8path(dir) / n;
            if (fs::is_regular_file(candidate, ec)) return candidate;
        }
    }
    return fs::path();
}

std::string Quote(const std::string& s) {
#ifdef _WIN32
    return "\"" + s + "\"";
#else
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
#endif
}

int RunShell(const std::string& command) {
#ifdef _WIN32
    // cmd.exe /c strips the outer quotes of the whole line.
    const std::string line = "\"" + command + "\"";
    const int n = MultiByteToWideChar(CP_UTF8, 0, line.c_str(), -1, nullptr, 0);
    std::wstring wide(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, line.c_str(), -1, &wide[0], n);
    return _wsystem(wide.c_str());
#else
    const int rc = std::system(command.c_str());
    return rc == -1 ? -1 : WEXITSTATUS(rc);
#endif
}

bool WriteRarPack(const fs::path& root, const std::vector<const ClientFile*>& files, const fs::path& target,
                  ManifestDocPack& pack, CProgress& progress, std::string& error) {
    const fs::path rar = FindRar();
    if (rar.empty()) return error = "rar not found on PATH (needed for the RAR5 pack " + pack.file + ")", false;
    fs::path list = target;
    list += ".list";
    fs::path log = target;
    log += ".log";
    {
        std::ofstream out(list, std::ios::binary | std::ios::trunc);
        for (const ClientFile* f : files) out << f->rel << "\n";
        if (!out) return error = "cannot write " + U8(list), false;
    }
    for (const ClientFile* f : files) {
        uint32_t crc;
        uint64_t size;
        if (!HashFile(f->path, crc, size, error)) return false;
        pack.files.push_back({BackslashPath(f->rel), crc, size});
        progress.Add(size, pack.file);
    }
    // -ts- and -ai leave times and attributes out, so the same files give
    // the same archive; -scfl reads the list as UTF-8.
#ifdef _WIN32
    const std::string cd = "cd /d " + Quote(U8(root));
#else
    const std::string cd = "cd " + Quote(U8(root));
#endif
    const int rc = RunShell(cd + " && " + Quote(U8(rar)) + " a -ma5 -m3 -ts- -ai -idq -scfl -- " + Quote(U8(target)) +
                            " @" + Quote(U8(list)) + " > " + Quote(U8(log)) + " 2>&1");
    std::string last;
    {
        std::ifstream in(log);
        for (std::string line; std::getline(in, line);)
            if (!line.empty()) last = line;
    }
    std::error_code ec;
    fs::remove(list, ec);
    fs::remove(log, ec);
    if (rc != 0) return error = "rar failed on " + pack.file + " (exit " + std::to_string(rc) + ")" + (last.empty() ? "" : ": " + last), false;
    return true;
}

}  // namespace

void CProgress::Add(uint64_t bytes, const std::string& what) {
    done_ += bytes;
    if (done_ == lastShown_ || (done_ - lastShown_ < (64u << 20) && done_ != total_)) return;
    lastShown_ = done_;
    std::printf("  %s: %llu of %llu MB (%d%%)\n", what.c_str(), (unsigned long long)(done_ >> 20),
                (unsigned long long)(total_ >> 20), total_ ? int(done_ * 100 / total_) : 100);
    std::fflush(stdout);
}

bool PackChecksum(const fs::path& path, uint32_t& crc, uint64_t& size, std::string& sha256, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return error = "cannot open " + U8(path), false;
    crc = 0;
    size = 0;
    CSha256 sha;
    std::string buffer(1 << 20, '\0');
    while (in) {
        in.read(&buffer[0], std::streamsize(buffer.size()));
        crc = Crc32Continue(buffer.data(), size_t(in.gcount()), crc);
        sha.Update(buffer.data(), size_t(in.gcount()));
        size += uint64_t(in.gcount());
    }
    if (in.bad()) return error = "cannot read " + U8(path), false;
    sha256 = Sha256Hex(sha.Digest());
    return true;
}

bool WritePack(const fs::path& root, const std::vector<const ClientFile*>& files, PackFormat format,
               const fs::path& target, ManifestDocPack& pack, CProgress& progress, std::string& error) {
    pack.files.clear();
    std::printf("writing %s (%zu files, %s)\n", pack.file.c_str(), files.size(), format == PackFormat::Zip ? "zip" : "rar5");
    std::fflush(stdout);
    const bool ok = format == PackFormat::Zip ? WriteZipPack(files, target, pack, progress, error)
                                              : WriteRarPack(root, files, target, pack, progress, error);
    std::error_code ec;
    if (!ok) {
        fs::remove(target, ec);
        return false;
    }
    if (!PackChecksum(target, pack.crc, pack.size, pack.sha256, error)) return false;
    if (pack.size > 0xFFFFFFFFull)
        return error = pack.file + " is 4 GiB or larger; the launcher counts a pack's bytes in 32 bits, split it", false;
    return true;
}
