#pragma once
// Installing a Windows update package (.msu) with the system's own
// installer: started with the default action for its type, waited for,
// and deleted once the installer has ended. The assistant's main thread
// (or a test's); logs what it does.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

// The assistant's result: 0 when the installer ended with exit code 0;
// eAssistantCntStartKB when it could not be started, eAssistantCntWaitKB
// when it did not end within `limit` ms (the file stays for a later try),
// eAssistantKBFailed when it ended with another code. `started` is called
// once the installer runs; false from it (a cancelled command) skips the
// wait and counts as success, as the launcher has stopped listening.
int32_t InstallUpdatePackage(const std::wstring& path, DWORD limit, const std::function<bool()>& started);
