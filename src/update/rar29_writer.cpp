#include "rar29_writer.h"

#include "startup/crc32.h"

namespace {

constexpr uint8_t kMarker[] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
constexpr uint8_t kMainHead = 0x73, kFileHead = 0x74, kEndHead = 0x7B;
constexpr uint16_t kLongBlock = 0x8000, kLarge = 0x0100, kUnicode = 0x0200, kDirectory = 0x00E0;
constexpr uint8_t kHostWin32 = 2, kVersion29 = 29, kMethodStore = 0x30;
constexpr uint32_t kAttrArchive = 0x20, kAttrDirectory = 0x10;

void Put16(std::string& s, uint16_t v) {
    s += char(v & 0xFF);
    s += char(v >> 8);
}
void Put32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s += char((v >> (8 * i)) & 0xFF);
}

// A block header: CRC16 (low half of the CRC-32 of everything after it),
// type, flags, size, then the type's fields.
std::string Block(uint8_t type, uint16_t flags, const std::string& fields) {
    std::string body;
    body += char(type);
    Put16(body, flags);
    Put16(body, uint16_t(2 + 1 + 2 + 2 + fields.size()));
    body += fields;
    std::string out;
    Put16(out, uint16_t(Crc32Continue(body.data(), body.size(), 0) & 0xFFFF));
    return out + body;
}

bool IsAscii(const std::string& s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

}  // namespace

std::string WriteRar29(const std::vector<RarEntry>& entries, uint32_t dosTime) {
    std::string out(reinterpret_cast<const char*>(kMarker), sizeof kMarker);
    std::string main;
    Put16(main, 0);  // reserved
    Put32(main, 0);  // reserved
    out += Block(kMainHead, 0, main);

    for (const RarEntry& e : entries) {
        const uint64_t size = e.folder ? 0 : e.data.size();
        const bool large = size > 0xFFFFFFFFull;
        uint16_t flags = kLongBlock;
        if (large) flags |= kLarge;
        if (!IsAscii(e.name)) flags |= kUnicode;
        if (e.folder) flags |= kDirectory;
        std::string f;
        Put32(f, uint32_t(size));  // packed size
        Put32(f, uint32_t(size));  // unpacked size
        f += char(kHostWin32);
        Put32(f, e.folder ? 0 : Crc32Continue(e.data.data(), e.data.size(), 0));
        Put32(f, dosTime);
        f += char(kVersion29);
        f += char(kMethodStore);
        Put16(f, uint16_t(e.name.size()));
        Put32(f, e.folder ? kAttrDirectory : kAttrArchive);
        if (large) {
            Put32(f, uint32_t(size >> 32));
            Put32(f, uint32_t(size >> 32));
        }
        f += e.name;
        out += Block(kFileHead, flags, f);
        if (!e.folder) out += e.data;
    }
    out += Block(kEndHead, 0x4000, std::string());
    return out;
}
