#pragma once
// Where Microsoft publishes the Universal C Runtime update (KB2999226) for
// a Windows version before 10. Pure function; any thread. Portable.

#include <cstdint>
#include <string>

// Empty when no package fits: Windows XP and Vista, Server 2008, and
// 32-bit servers.
std::string RuntimeUpdateUrl(uint32_t major, uint32_t minor, bool workstation, bool is64Bit);
