#include "logic/taskbar_app_id.h"

#include "startup/crc32.h"

#include <cstdint>

std::wstring TaskbarAppId(const std::wstring& fullName, const std::string& iconGroup, const std::string& folder) {
    const uint32_t icon = iconGroup.empty() ? 0 : Crc32(iconGroup.data(), iconGroup.size());
    const uint32_t crc = Crc32Continue(folder.data(), folder.size(), icon);
    return L"AppID_" + fullName + L"_" + std::to_wstring(int32_t(crc));
}
