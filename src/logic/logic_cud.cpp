// The client update data: CUD.dat next to the installation, the stamp of
// the embedded configuration that decides whether it is still valid, and
// the selection of the first server URL.

#include "logic.h"

#include "startup/launcher_error.h"
#include "startup/log_files.h"
#include "startup/module.h"
#include "startup/module_resources.h"
#include "startup/text.h"
#include "update/cud_cipher.h"

namespace {

void LogCudText(void*, const std::string& text, bool endLine) {
    if (endLine)
        LogLine(Utf8ToWide(text));
    else
        LogPart(Utf8ToWide(text));
}

}  // namespace

// CIF.dat holds the CRC-32 of the embedded config.xml. CUD.dat written by a
// build with another configuration no longer belongs to this one.
void CLogic::CheckConfigStamp(const std::wstring& folder) {
    const uint32_t crc = config_.crc;
    const char stamp[4] = {char(crc), char(crc >> 8), char(crc >> 16), char(crc >> 24)};
    const std::wstring cifPath = folder + L"\\CIF.dat";

    CFile file(CreateFileW(cifPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    char stored[5] = {};
    DWORD got = 0;
    if (file.IsValid() && ReadFile(file.Get(), stored, sizeof stored, &got, nullptr) && got == 4 &&
        memcmp(stored, stamp, 4) == 0)
        return;
    file.Reset();
    DeleteFileW(cudPath_.c_str());
    file.Reset(CreateFileW(cifPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file.IsValid()) WriteFile(file.Get(), stamp, 4, &written, nullptr);
}

bool CLogic::PrepareClientUpdateData() {
    const std::wstring folder = installFolder_.empty() ? OwnFolder() : installFolder_;
    cudPath_ = folder + L"\\CUD.dat";
    CheckConfigStamp(folder);
    const std::vector<std::string> serverUrls = ReadServerUrlSlot();
    urlSelector_.SetKey(kLauncherCudKey);
    urlSelector_.SetLogCallback(LogCudText, nullptr);
    const tinyxml2::XMLElement* shipped = config_.root()->FirstChildElement("ClientUpdateData");
    if (!urlSelector_.Init(shipped, &serverUrls, cudPath_, debugMode_))
        throw CLauncherError{"Failed to initialize client update data"};
    if (!urlSelector_.SelectServerUrl()) throw CLauncherError{"Failed to select server URL"};
    userAgent_ = "User-Agent: " + urlSelector_.face.id + " " + WideToUtf8(ReadFileVersion(ModulePath(nullptr))) + "\r\n";
    return true;
}

void CLogic::SaveClientUpdateData() {
    if (urlSelector_.initialized) urlSelector_.SaveCudFile(true);
}

std::wstring CLogic::CurrentServerUrl() const { return Utf8ToWide(urlSelector_.selection.SelectedURL); }
