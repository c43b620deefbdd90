#pragma once
// The application identity the launcher's window and the game client share
// on the taskbar: the full name and a CRC-32 of the launcher's icon and the
// installation folder, so that each installation groups on its own.
// Portable; no state.

#include <string>

// "AppID_<full name>_<crc as a signed number>"; `iconGroup` holds the bytes
// of the launcher's icon-group resource (empty when it has none) and
// `folder` the installation folder in the ANSI code page.
std::wstring TaskbarAppId(const std::wstring& fullName, const std::string& iconGroup, const std::string& folder);
