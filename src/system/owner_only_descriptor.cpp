#include "system/owner_only_descriptor.h"

#include <sddl.h>

#include <string>
#include <vector>

namespace {

// The string form of the current user's SID, empty when it cannot be read.
std::wstring CurrentUserSid() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return {};
    const CHandle token(raw);
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    if (size == 0) return {};
    std::vector<BYTE> buffer(size);
    if (!GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size)) return {};
    LPWSTR text = nullptr;
    if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) return {};
    const CLocalMemory owned(text);
    return text;
}

}  // namespace

bool COwnerOnlyDescriptor::Build() {
    const std::wstring user = CurrentUserSid();
    if (user.empty()) return false;
    const std::wstring sddl = L"D:P(A;OICI;GA;;;" + user + L")(A;OICI;GA;;;BA)(A;OICI;GA;;;SY)";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        return false;
    memory_.Reset(descriptor);
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = descriptor;
    attributes_.bInheritHandle = FALSE;
    return true;
}
