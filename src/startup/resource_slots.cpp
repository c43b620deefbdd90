#include "resource_slots.h"

#include "startup/crc32.h"

#include <algorithm>
#include <cstring>
#include <functional>

const std::vector<SlotInfo>& Slots() {
    static const std::vector<SlotInfo> slots = {
        {"SERVER_URL", 132, 146},  {"UPDATE_PATH", 133, 147}, {"LANGUAGE", 134, 48},
        {"AFFILIATE_ID", 135, 84}, {"REFERRER_ID", 136, 83},  {"PROMOCODE", 137, 81},
    };
    return slots;
}

const SlotInfo* FindSlotInfo(const std::string& name) {
    for (const SlotInfo& s : Slots())
        if (name == s.name) return &s;
    return nullptr;
}

std::string SlotMarker(const SlotInfo& slot) { return std::string(slot.name) + "_HERE" + ":"; }

uint32_t SlotCapacity(const SlotInfo& slot) { return slot.size - uint32_t(SlotMarker(slot).size()) - 2; }

bool MakeSlotResource(const SlotInfo& slot, const std::string& value, std::string& out) {
    if (value.size() > SlotCapacity(slot)) return false;
    out = SlotMarker(slot);
    out += '\0';
    out += value;
    out.resize(slot.size, '\0');
    return true;
}

namespace {
size_t ValueStart(const uint8_t* bytes, size_t size) {
    const void* zero = std::memchr(bytes, 0, size);
    return zero ? size_t(static_cast<const uint8_t*>(zero) - bytes) + 1 : size;
}
}  // namespace

std::string SlotValue(const uint8_t* bytes, size_t size) {
    const size_t start = ValueStart(bytes, size);
    size_t end = start;
    while (end < size && bytes[end]) ++end;
    return std::string(reinterpret_cast<const char*>(bytes) + start, end - start);
}

std::vector<std::string> SlotList(const uint8_t* bytes, size_t size) {
    std::vector<std::string> items;
    size_t at = ValueStart(bytes, size);
    while (at < size && bytes[at]) {
        size_t end = at;
        while (end < size && bytes[end]) ++end;
        items.emplace_back(reinterpret_cast<const char*>(bytes) + at, end - at);
        at = end + 1;
    }
    return items;
}

std::string JoinSlotList(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& s : items) {
        if (!out.empty()) out += '\0';
        out += s;
    }
    return out;
}

bool PatchSlot(std::string& image, const SlotInfo& slot, const std::string& value, std::string& error) {
    const std::string marker = SlotMarker(slot) + '\0';
    const size_t at = image.find(marker);
    if (at == std::string::npos) return error = std::string("no ") + slot.name + " slot in the file", false;
    std::string resource;
    if (!MakeSlotResource(slot, value, resource))
        return error = std::string(slot.name) + " value of " + std::to_string(value.size()) +
                       " bytes exceeds its capacity of " + std::to_string(SlotCapacity(slot)),
               false;
    if (image.size() - at < resource.size()) return error = std::string(slot.name) + " slot is truncated", false;
    image.replace(at, resource.size(), resource);
    return true;
}

bool ReadSlotFromImage(const std::string& image, const SlotInfo& slot, std::string& raw) {
    const size_t at = image.find(SlotMarker(slot) + '\0');
    if (at == std::string::npos) return false;
    raw = image.substr(at, std::min<size_t>(slot.size, image.size() - at));
    return true;
}

std::vector<SlotSpan> AllSlotSpans() {
    std::vector<SlotSpan> spans;
    for (const SlotInfo& s : Slots()) spans.push_back({SlotMarker(s), s.size});
    return spans;
}

void ForEachSlotNeutralRange(const uint8_t* data, size_t size, const std::vector<SlotSpan>& slots,
                             ChecksumVariant variant, const std::function<void(const uint8_t*, size_t)>& range) {
    std::vector<uint64_t> bounds{size};
    const char* text = reinterpret_cast<const char*>(data);
    for (const SlotSpan& s : slots) {
        const char* hit = std::search(text, text + size, s.marker.begin(), s.marker.end());
        if (hit == text + size || s.marker.empty()) continue;
        const uint64_t o = uint64_t(hit - text);
        bounds.push_back(o);
        bounds.push_back(o + s.resourceSize - 1);
    }
    std::sort(bounds.begin(), bounds.end());

    bool include = true;
    uint64_t from = 0;
    for (uint64_t b : bounds) {
        const uint64_t to = std::min<uint64_t>(b, size);
        const bool empty = to <= from;
        if (variant == ChecksumVariant::A && empty) continue;
        if (include && !empty) range(data + from, size_t(to - from));
        include = !include;
        from = std::max(from, to);
    }
}

uint32_t SlotNeutralChecksum(const uint8_t* data, size_t size, const std::vector<SlotSpan>& slots,
                             ChecksumVariant variant) {
    uint32_t value = 0xFFFFFFFFu;
    ForEachSlotNeutralRange(data, size, slots, variant,
                            [&value](const uint8_t* bytes, size_t length) { value = ~Crc32Continue(bytes, length, ~value); });
    return value;
}
