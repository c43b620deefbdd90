#include "file_io.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {
fs::path Native(const std::string& utf8) { return fs::u8path(utf8); }
}  // namespace

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error) {
    std::ifstream in(Native(path), std::ios::binary);
    if (!in) return error = "cannot open " + path + ": " + std::strerror(errno), false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) return error = "cannot read " + path, false;
    return true;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string& error) {
    const fs::path target = Native(path);
    fs::path temp = target;
    temp += ".tmp-write";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return error = "cannot create " + temp.u8string() + ": " + std::strerror(errno), false;
        out.write(bytes.data(), std::streamsize(bytes.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            fs::remove(temp, ignored);
            return error = "cannot write " + temp.u8string(), false;
        }
    }
    std::error_code ec;
    fs::rename(temp, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        return error = "cannot replace " + path + ": " + ec.message(), false;
    }
    return true;
}
