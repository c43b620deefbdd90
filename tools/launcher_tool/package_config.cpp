#include "package_config.h"

#include "startup/crc32.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr char kMarker[] = "Rar!\x1A\x07\x00";
constexpr size_t kMarkerSize = 7;
constexpr uint8_t kFileHead = 0x74, kEndHead = 0x7B, kMethodStore = 0x30;
constexpr uint16_t kLongBlock = 0x8000, kLarge = 0x0100;
const char kOpen[] = "<publisherKeys>", kClose[] = "</publisherKeys>";

uint32_t Get(const std::string& s, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | uint8_t(s[at + size_t(i)]);
    return v;
}

void Put(std::string& s, size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s[at + size_t(i)] = char((v >> (8 * i)) & 0xFF);
}

// Where config.xml's header and stored data lie in the image.
struct ConfigEntry {
    size_t header = 0, headerSize = 0, data = 0, dataSize = 0;
};

// Walks the blocks of the archive at `start`; true when it holds a stored
// top-level "config.xml".
bool FindIn(const std::string& image, size_t start, ConfigEntry& entry) {
    size_t at = start + kMarkerSize;
    while (at + 7 <= image.size()) {
        const uint8_t type = uint8_t(image[at + 2]);
        const uint16_t flags = uint16_t(Get(image, at + 3, 2));
        const size_t headSize = Get(image, at + 5, 2);
        if (headSize < 7 || at + headSize > image.size()) return false;
        uint64_t add = 0;
        if (flags & kLongBlock) {
            if (headSize < 11) return false;
            add = Get(image, at + 7, 4);
        }
        if (type == kFileHead) {
            if (headSize < 32 || (flags & kLarge)) return false;
            const size_t nameSize = Get(image, at + 26, 2);
            if (32 + nameSize > headSize) return false;
            if (image.compare(at + 32, nameSize, "config.xml") == 0 && nameSize == 10) {
                if (uint8_t(image[at + 25]) != kMethodStore || Get(image, at + 11, 4) != add) return false;
                entry = {at, headSize, at + headSize, size_t(add)};
                return entry.data + entry.dataSize <= image.size();
            }
        } else if (type == kEndHead) {
            return false;
        }
        at += headSize + add;
    }
    return false;
}

bool FindConfig(const std::string& image, ConfigEntry& entry, std::string& error) {
    for (size_t at = image.find(kMarker, 0, kMarkerSize); at != std::string::npos;
         at = image.find(kMarker, at + 1, kMarkerSize))
        if (FindIn(image, at, entry)) return true;
    return error = "no embedded package with a stored config.xml", false;
}

bool FindRoom(const std::string& config, size_t& from, size_t& to, std::string& error) {
    from = config.find(kOpen);
    to = from == std::string::npos ? from : config.find(kClose, from);
    if (to == std::string::npos)
        return error = "the embedded config.xml has no <publisherKeys> element (a launcher built before keys)", false;
    from += std::strlen(kOpen);
    return true;
}

}  // namespace

bool SetEmbeddedPublisherKeys(std::string& image, const std::vector<PublisherKey>& keys, std::string& error) {
    ConfigEntry e;
    if (!FindConfig(image, e, error)) return false;
    std::string config = image.substr(e.data, e.dataSize);
    size_t from, to;
    if (!FindRoom(config, from, to, error)) return false;
    std::string text;
    for (const PublisherKey& k : keys) text += (text.empty() ? "" : " ") + PublisherKeyText(k);
    if (text.size() > to - from)
        return error = "the keys need " + std::to_string(text.size()) + " characters, the launcher has room for " +
                       std::to_string(to - from),
               false;
    text.resize(to - from, ' ');
    config.replace(from, to - from, text);
    image.replace(e.data, e.dataSize, config);
    Put(image, e.header + 16, Crc32Continue(config.data(), config.size(), 0), 4);
    Put(image, e.header, Crc32Continue(image.data() + e.header + 2, e.headerSize - 2, 0) & 0xFFFF, 2);
    return true;
}
