#pragma once
// An output folder built beside its final place and moved there only when
// complete, so a failed run never leaves a partial set behind. An earlier
// folder of that name is replaced only by the completed one.

#include <filesystem>
#include <string>

class CStagedFolder {
public:
    CStagedFolder() = default;
    CStagedFolder(const CStagedFolder&) = delete;
    CStagedFolder& operator=(const CStagedFolder&) = delete;
    ~CStagedFolder();  // removes the staging folder unless committed

    bool Begin(const std::filesystem::path& target, std::string& error);
    const std::filesystem::path& Path() const { return staging_; }
    bool Commit(std::string& error);

private:
    std::filesystem::path target_, staging_;
    bool committed_ = false;
};
