#include "staged_folder.h"

#include "client_tree.h"

#include <chrono>

namespace fs = std::filesystem;

namespace {
std::string Unique() {
    return std::to_string(std::chrono::steady_clock::now().time_since_epoch().count() % 1000000007);
}
}  // namespace

CStagedFolder::~CStagedFolder() {
    if (!staging_.empty() && !committed_) {
        std::error_code ec;
        fs::remove_all(staging_, ec);
    }
}

bool CStagedFolder::Begin(const fs::path& target, std::string& error) {
    std::error_code ec;
    target_ = fs::absolute(target, ec);
    if (ec) return error = "bad output folder " + U8(target), false;
    if (fs::exists(target_, ec) && !fs::is_directory(target_, ec))
        return error = U8(target) + " exists and is not a folder", false;
    fs::create_directories(target_.parent_path(), ec);
    if (ec) return error = "cannot create " + U8(target_.parent_path()) + ": " + ec.message(), false;
    fs::path staging = target_.parent_path() / ("." + target_.filename().u8string() + ".partial-" + Unique());
    fs::create_directory(staging, ec);
    if (ec) return error = "cannot create " + U8(staging) + ": " + ec.message(), false;
    staging_ = staging;
    return true;
}

bool CStagedFolder::Commit(std::string& error) {
    std::error_code ec;
    fs::path old;
    if (fs::exists(target_, ec)) {
        old = target_.parent_path() / ("." + target_.filename().u8string() + ".old-" + Unique());
        fs::rename(target_, old, ec);
        if (ec) return error = "cannot move the old " + U8(target_) + " aside: " + ec.message(), false;
    }
    fs::rename(staging_, target_, ec);
    if (ec) {
        std::error_code ignored;
        if (!old.empty()) fs::rename(old, target_, ignored);
        return error = "cannot move the new set to " + U8(target_) + ": " + ec.message(), false;
    }
    committed_ = true;
    if (!old.empty()) fs::remove_all(old, ec);
    return true;
}
