#include "commands.h"
#include "file_io.h"
#include "startup/resource_slots.h"

#include <cstdio>

namespace {

// The slot's raw value from the command's values: a zero-separated list for
// SERVER_URL, otherwise at most one text.
bool SlotValueFrom(const SlotInfo& slot, const Args& values, std::string& value, std::string& error) {
    const bool list = std::string(slot.name) == "SERVER_URL";
    if (!list && values.size() > 1) return error = std::string(slot.name) + " takes one value", false;
    for (const std::string& v : values)
        if (v.find('\0') != std::string::npos || (list && v.empty()))
            return error = "empty or zero-containing value", false;
    value = list ? JoinSlotList(values) : (values.empty() ? std::string() : values[0]);
    return true;
}

const SlotInfo* SlotByName(const std::string& name, std::string& error) {
    const SlotInfo* slot = FindSlotInfo(name);
    if (!slot) error = "unknown slot '" + name + "'";
    return slot;
}

}  // namespace

int SlotMake(const Args& a) {
    if (a.size() < 2) return Usage("slot-make");
    std::string error, value, resource;
    const SlotInfo* slot = SlotByName(a[0], error);
    if (!slot) return Fail(error);
    if (!SlotValueFrom(*slot, Args(a.begin() + 2, a.end()), value, error)) return Fail(error);
    if (!MakeSlotResource(*slot, value, resource))
        return Fail(a[0] + " value exceeds its capacity of " + std::to_string(SlotCapacity(*slot)) + " bytes");
    if (!WriteWholeFile(a[1], resource, error)) return Fail(error);
    return 0;
}

int SlotPatch(const Args& a) {
    if (a.size() < 2) return Usage("slot-patch");
    std::string error, value, image;
    const SlotInfo* slot = SlotByName(a[1], error);
    if (!slot) return Fail(error);
    if (!SlotValueFrom(*slot, Args(a.begin() + 2, a.end()), value, error)) return Fail(error);
    if (!ReadWholeFile(a[0], image, error)) return Fail(error);
    if (!PatchSlot(image, *slot, value, error)) return Fail(a[0] + ": " + error);
    if (!WriteWholeFile(a[0], image, error)) return Fail(error);
    return 0;
}

int SlotShow(const Args& a) {
    if (a.size() != 1) return Usage("slot-show");
    std::string error, image;
    if (!ReadWholeFile(a[0], image, error)) return Fail(error);
    for (const SlotInfo& s : Slots()) {
        std::string raw;
        if (!ReadSlotFromImage(image, s, raw)) {
            std::printf("%-13s (missing)\n", s.name);
            continue;
        }
        const auto* bytes = reinterpret_cast<const uint8_t*>(raw.data());
        std::string shown;
        if (std::string(s.name) == "SERVER_URL") {
            for (const std::string& url : SlotList(bytes, raw.size())) shown += (shown.empty() ? "" : " ") + url;
        } else {
            shown = SlotValue(bytes, raw.size());
        }
        std::printf("%-13s %s\n", s.name, shown.c_str());
    }
    return 0;
}

int Checksum(const Args& a) {
    if (a.size() != 1) return Usage("checksum");
    std::string error, image;
    if (!ReadWholeFile(a[0], image, error)) return Fail(error);
    const auto* data = reinterpret_cast<const uint8_t*>(image.data());
    std::printf("A %u\nB %u\n", unsigned(SlotNeutralChecksum(data, image.size(), AllSlotSpans(), ChecksumVariant::A)),
                unsigned(SlotNeutralChecksum(data, image.size(), AllSlotSpans(), ChecksumVariant::B)));
    return 0;
}
