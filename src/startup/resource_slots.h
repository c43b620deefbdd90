#pragma once
// The six patchable resource slots of a branded launcher and the launcher
// checksum that leaves them out. A slot resource holds the marker
// ("<NAME>_HERE:"), a zero byte, the value, a zero byte and zero padding up
// to its fixed size, so a patcher can find it in the finished file.
// Portable: shared by the launcher and the host tool.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct SlotInfo {
    const char* name;  // resource type name
    int id;            // resource id
    uint32_t size;     // resource size in bytes
};

// In checksum order: SERVER_URL, UPDATE_PATH, LANGUAGE, AFFILIATE_ID,
// REFERRER_ID, PROMOCODE.
const std::vector<SlotInfo>& Slots();
const SlotInfo* FindSlotInfo(const std::string& name);

// Built at run time so the full marker text never appears in the code.
std::string SlotMarker(const SlotInfo& slot);
// Value characters that fit (size - marker - two zero bytes).
uint32_t SlotCapacity(const SlotInfo& slot);

// The resource bytes for `value` (which may hold zero bytes, as the
// SERVER_URL list does); false when it does not fit.
bool MakeSlotResource(const SlotInfo& slot, const std::string& value, std::string& out);
// The text after the marker's zero byte up to the next zero (empty when
// the bytes are too short).
std::string SlotValue(const uint8_t* bytes, size_t size);
// The zero-separated list after the marker (SERVER_URL): up to the first
// empty string.
std::vector<std::string> SlotList(const uint8_t* bytes, size_t size);
// Joins a list as "a\0b": the slot's own terminating zero and padding end
// the last item and the list, so one URL may use the whole capacity.
std::string JoinSlotList(const std::vector<std::string>& items);

// Overwrites a slot's value in a file image in place. False, with the
// image unchanged, when the marker is missing or the value does not fit.
bool PatchSlot(std::string& image, const SlotInfo& slot, const std::string& value, std::string& error);
// The current value (or list) of a slot in a file image.
bool ReadSlotFromImage(const std::string& image, const SlotInfo& slot, std::string& raw);

struct SlotSpan {
    std::string marker;
    uint32_t resourceSize;
};

enum class ChecksumVariant { A, B };

// The image's bytes outside every present slot, in order: what the
// launcher checksum covers, and the launcher's hash in a signed manifest,
// so branding the slots changes neither.
void ForEachSlotNeutralRange(const uint8_t* data, size_t size, const std::vector<SlotSpan>& slots,
                             ChecksumVariant variant, const std::function<void(const uint8_t*, size_t)>& range);
// CRC-32 over the image with every present slot's bytes left out.
// `slots` lists the slots the launcher carries (marker and size).
uint32_t SlotNeutralChecksum(const uint8_t* data, size_t size, const std::vector<SlotSpan>& slots,
                             ChecksumVariant variant);
// All six slots with their fixed sizes.
std::vector<SlotSpan> AllSlotSpans();
