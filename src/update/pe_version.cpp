#include "pe_version.h"

#include <cstdint>
#include <algorithm>
#include <cstring>

namespace {

struct Image {
    const std::string& bytes;

    bool Has(uint64_t offset, uint64_t length) const { return offset <= bytes.size() && length <= bytes.size() - offset; }
    uint16_t U16(uint64_t at) const {
        uint16_t v;
        std::memcpy(&v, bytes.data() + at, 2);
        return v;
    }
    uint32_t U32(uint64_t at) const {
        uint32_t v;
        std::memcpy(&v, bytes.data() + at, 4);
        return v;
    }
};

constexpr uint32_t kVersionType = 16;  // RT_VERSION
constexpr uint32_t kFixedSignature = 0xFEEF04BD;

}  // namespace

bool ReadPeFileVersion(const std::string& bytes, std::string& version, std::string& error) {
    const Image im{bytes};
    if (!im.Has(0, 64) || im.U16(0) != 0x5A4D) return error = "not a Windows executable", false;
    const uint32_t pe = im.U32(60);
    if (!im.Has(pe, 24) || im.U32(pe) != 0x00004550) return error = "not a Windows executable", false;
    const uint16_t sections = im.U16(pe + 6), optionalSize = im.U16(pe + 20);
    const uint64_t optional = pe + 24;
    if (!im.Has(optional, optionalSize) || optionalSize < 2) return error = "damaged PE header", false;
    const uint16_t magic = im.U16(optional);
    const uint64_t dirs = optional + (magic == 0x20B ? 112 : 96);  // data directories of PE32+ / PE32
    if (dirs + 3 * 8 > optional + optionalSize) return error = "no resource section", false;
    const uint32_t resourceRva = im.U32(dirs + 2 * 8);
    if (!resourceRva) return error = "no resources", false;

    const uint64_t table = optional + optionalSize;
    if (!im.Has(table, uint64_t(sections) * 40)) return error = "damaged section table", false;
    // File offset of an RVA, through the section that holds it.
    auto offsetOf = [&](uint32_t rva, uint64_t& offset) {
        for (uint16_t i = 0; i < sections; ++i) {
            const uint64_t s = table + uint64_t(i) * 40;
            const uint32_t va = im.U32(s + 12), rawSize = im.U32(s + 16), raw = im.U32(s + 20);
            const uint32_t size = std::max(im.U32(s + 8), rawSize);
            if (rva >= va && rva - va < size && rva - va < rawSize) {
                offset = uint64_t(raw) + (rva - va);
                return true;
            }
        }
        return false;
    };
    uint64_t root;
    if (!offsetOf(resourceRva, root)) return error = "resource section outside the file", false;

    // The first entry of a directory (for the version type: entry id 16).
    auto entry = [&](uint64_t dir, bool wantType, uint32_t& value) {
        if (!im.Has(dir, 16)) return false;
        const uint32_t count = uint32_t(im.U16(dir + 12)) + im.U16(dir + 14);
        for (uint32_t i = 0; i < count; ++i) {
            const uint64_t e = dir + 16 + uint64_t(i) * 8;
            if (!im.Has(e, 8)) return false;
            if (wantType && im.U32(e) != kVersionType) continue;
            value = im.U32(e + 4);
            return true;
        }
        return false;
    };
    uint32_t v;
    uint64_t at = root;
    for (int level = 0; level < 3; ++level) {
        if (!entry(at, level == 0, v)) return error = "no version resource", false;
        const bool subdirectory = (v & 0x80000000u) != 0;
        if (subdirectory != (level < 2)) return error = "damaged resource directory", false;
        at = root + (v & 0x7FFFFFFFu);
    }
    if (!im.Has(at, 16)) return error = "damaged resource directory", false;
    const uint32_t dataRva = im.U32(at), dataSize = im.U32(at + 4);
    uint64_t data;
    if (!offsetOf(dataRva, data) || !im.Has(data, dataSize)) return error = "version resource outside the file", false;
    // VS_VERSIONINFO: three words, "VS_VERSION_INFO" in UTF-16 with its
    // zero, padding to 4 bytes, then VS_FIXEDFILEINFO.
    const uint64_t fixed = data + ((6 + 16 * 2 + 3) & ~uint64_t(3));
    if (dataSize < fixed - data + 52 || im.U32(fixed) != kFixedSignature)
        return error = "version resource without fixed file information", false;
    const uint32_t ms = im.U32(fixed + 8), ls = im.U32(fixed + 12);
    version = std::to_string(ms >> 16) + "." + std::to_string(ms & 0xFFFF) + "." + std::to_string(ls >> 16) + "." +
              std::to_string(ls & 0xFFFF);
    return true;
}
