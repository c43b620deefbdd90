#pragma once
// Resources of the launcher's own module: the patchable slots, the
// embedded package, and the launcher checksum that leaves the slots out.

#include "startup/resource_slots.h"

#include <windows.h>

#include <cstdint>
#include <string>

// The bytes of custom resource `id` of type `typeName`; false when missing.
bool ReadModuleResource(const wchar_t* typeName, int id, const uint8_t*& bytes, DWORD& size);
// The value of a slot (SERVER_URL: the first URL); empty when missing.
std::string ReadSlotValue(const SlotInfo& slot);
// The SERVER_URL list.
std::vector<std::string> ReadServerUrlSlot();

// Checksum of `data` (or, when null, of the running executable read whole,
// retrying the open 10 times 250 ms apart). Returns 0 or a system error code.
DWORD LauncherChecksum(const std::string* data, ChecksumVariant variant, uint32_t& value);
