#include "module_resources.h"

#include "startup/handle.h"
#include "startup/module.h"

bool ReadModuleResource(const wchar_t* typeName, int id, const uint8_t*& bytes, DWORD& size) {
    HMODULE module = ModuleInstance() ? ModuleInstance() : GetModuleHandleW(nullptr);
    HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(id), typeName);
    if (!res) return false;
    HGLOBAL loaded = LoadResource(module, res);
    size = SizeofResource(module, res);
    bytes = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    return bytes && size;
}

namespace {
bool ReadSlotBytes(const SlotInfo& slot, const uint8_t*& bytes, DWORD& size) {
    const std::wstring type(slot.name, slot.name + strlen(slot.name));
    return ReadModuleResource(type.c_str(), slot.id, bytes, size);
}
}  // namespace

std::string ReadSlotValue(const SlotInfo& slot) {
    const uint8_t* bytes = nullptr;
    DWORD size = 0;
    return ReadSlotBytes(slot, bytes, size) ? SlotValue(bytes, size) : std::string();
}

std::vector<std::string> ReadServerUrlSlot() {
    const uint8_t* bytes = nullptr;
    DWORD size = 0;
    return ReadSlotBytes(*FindSlotInfo("SERVER_URL"), bytes, size) ? SlotList(bytes, size)
                                                                   : std::vector<std::string>();
}

namespace {

DWORD ReadOwnExecutable(std::string& data) {
    const std::wstring path = ModulePath(nullptr);
    CFile file;
    for (int attempt = 0; attempt <= 10; ++attempt) {
        if (attempt) Sleep(250);
        file.Reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        if (file.IsValid()) break;
    }
    if (!file.IsValid()) return GetLastError();
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) return GetLastError();
    data.resize(size_t(size.QuadPart));
    size_t done = 0;
    while (done < data.size()) {
        DWORD got = 0;
        const DWORD want = DWORD(std::min<size_t>(data.size() - done, 1u << 24));
        if (!ReadFile(file.Get(), &data[done], want, &got, nullptr)) return GetLastError();
        if (!got) return ERROR_HANDLE_EOF;
        done += got;
    }
    return 0;
}

}  // namespace

DWORD LauncherChecksum(const std::string* data, ChecksumVariant variant, uint32_t& value) {
    std::string own;
    if (!data) {
        const DWORD error = ReadOwnExecutable(own);
        if (error) return error;
        data = &own;
    }
    // Only the slots this module carries take part.
    std::vector<SlotSpan> spans;
    for (const SlotInfo& s : Slots()) {
        const uint8_t* bytes = nullptr;
        DWORD size = 0;
        if (ReadSlotBytes(s, bytes, size)) spans.push_back({SlotMarker(s), size});
    }
    value = SlotNeutralChecksum(reinterpret_cast<const uint8_t*>(data->data()), data->size(), spans, variant);
    return 0;
}
