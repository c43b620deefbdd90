// The assistant's rights operation: the all-users descriptor on the
// installation folder, everything below it and the product's keys.

#include "startup/find_files.h"
#include "startup/folders.h"
#include "startup/registry_key.h"
#include "system/launcher_assistant.h"

namespace {

bool IsDots(const wchar_t* name) { return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0)); }

void ProtectKey(const std::wstring& path, PSECURITY_DESCRIPTOR descriptor) {
    CRegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, path, KEY_ALL_ACCESS) != ERROR_SUCCESS &&
        key.Create(HKEY_LOCAL_MACHINE, path) != ERROR_SUCCESS)
        return;
    RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, descriptor);
}

}  // namespace

bool CLauncherAssistant::GrantRights(const std::wstring& folderIn, const std::wstring& regPath, bool countSteps) {
    std::wstring folder = folderIn;
    RemoveTrailingBackslash(folder);
    LogLine(L"GrantRights: " + folder);
    if (!IsDirectory(folder)) {
        setLastAssistantError(eAssistantCntFoundDir);
        return false;
    }
    // A drive root is never an installation folder; opening it to everyone
    // would change the whole drive.
    if (folder.size() < 4) {
        LogLine(L"GrantRights: refusing a drive root");
        setLastAssistantError(eAssistantCntSetRights);
        return false;
    }
    if (!securityDescriptor_.Build()) {
        setLastAssistantError(eAssistantCntMakeSD);
        return false;
    }
    if (SetFileSecurityW(folder.c_str(), DACL_SECURITY_INFORMATION, securityDescriptor_.Get()) != 1) {
        setLastAssistantError(eAssistantCntSetRights);
        return false;
    }
    GrantTree(folder, countSteps);
    if (cancelled_) LogLine(L"GrantRights: cancelled");
    // An empty path would name HKEY_LOCAL_MACHINE itself.
    if (!regPath.empty()) {
        ProtectKey(regPath, securityDescriptor_.Get());
        ProtectKey(regPath + L"\\Install", securityDescriptor_.Get());
    }
    return true;
}

void CLauncherAssistant::GrantTree(const std::wstring& folder, bool countSteps) {
    for (CFindFiles find(folder + L"\\*.*"); find.Found() && !cancelled_; find.Next()) {
        if (IsDots(find.Name())) continue;
        const std::wstring child = folder + L"\\" + find.Name();
        // Single entries that refuse are left as they are.
        SetFileSecurityW(child.c_str(), DACL_SECURITY_INFORMATION, securityDescriptor_.Get());
        if (find.IsFolder()) {
            // A link to elsewhere is not part of the installation.
            if (!(find.Data().dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) GrantTree(child, countSteps);
        } else if (countSteps) {
            Step();
        }
    }
}
