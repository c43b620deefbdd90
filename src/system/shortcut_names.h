#pragma once
// Names of an installation's shortcuts and of their files. Pure functions
// of their arguments; any thread. Portable.

#include <string>

// The name a shortcut of installation slot `index` shows: a portable
// installation adds " Portable", a slot after the first adds " (index + 1)",
// so that several installations of one product can sit side by side.
std::wstring ShortcutDisplayName(const std::wstring& base, bool portable, int index);

// The uninstall shortcut that goes with `displayName`.
std::wstring UninstallShortcutName(const std::wstring& displayName);

// "<folder>\<name>.lnk", or "<folder>\<subFolder>\<name>.lnk" with a sub-folder.
std::wstring ShortcutFileName(const std::wstring& folder, const std::wstring& subFolder, const std::wstring& name);
