#include "app_list_record.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr size_t kNameUnits = std::size(AppListRecord{}.name);
constexpr size_t kExecUnits = std::size(AppListRecord{}.exec);

// Little-endian units whatever the host's byte order.
const char* ReadUnits(const char* at, char16_t* field, size_t units) {
    for (size_t i = 0; i < units; ++i, at += 2)
        field[i] = char16_t(static_cast<unsigned char>(at[0]) | static_cast<unsigned char>(at[1]) << 8);
    return at;
}

void WriteUnits(const char16_t* field, size_t units, std::string& out) {
    for (size_t i = 0; i < units; ++i) out += {char(field[i] & 0xFF), char(field[i] >> 8)};
}

}  // namespace

bool ParseAppListRecords(const std::string& bytes, std::vector<AppListRecord>& list) {
    if (bytes.size() % sizeof(AppListRecord) != 0 || bytes.size() / sizeof(AppListRecord) >= kAppListRecordLimit)
        return false;
    std::vector<AppListRecord> read(bytes.size() / sizeof(AppListRecord));
    const char* at = bytes.data();
    for (AppListRecord& record : read) at = ReadUnits(ReadUnits(at, record.name, kNameUnits), record.exec, kExecUnits);
    list.swap(read);
    return true;
}

std::string AppListBytes(const std::vector<AppListRecord>& records) {
    std::string out;
    out.reserve(records.size() * sizeof(AppListRecord));
    for (const AppListRecord& record : records) {
        WriteUnits(record.name, kNameUnits, out);
        WriteUnits(record.exec, kExecUnits, out);
    }
    return out;
}

std::wstring RecordText(const char16_t* field, size_t capacity) {
    std::wstring text;
    for (size_t n = 0; n < capacity && field[n]; ++n) text += wchar_t(field[n]);
    return text;
}

void SetRecordText(char16_t* field, size_t capacity, const std::wstring& text) {
    const size_t n = std::min(text.size(), capacity - 1);
    for (size_t i = 0; i < capacity; ++i) field[i] = i < n ? char16_t(text[i]) : u'\0';
}
