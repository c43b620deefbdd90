#pragma once
// The text rules of an uninstallation: where the desktop shortcut is named
// in an uninstall entry, and the suffix that numbers the shortcuts of a
// portable installation. Pure functions; any thread. Portable.

#include <string>

// The desktop shortcut of an uninstall entry's UninstallString
// ("\"<launcher>\" /uninstall \"<shortcut>\""): the text between the third
// and fourth double quotes. Empty when there are fewer than four quotes or
// the text is no shortcut file (".lnk", case ignored): a damaged entry must
// not name some other file for deletion.
std::wstring DesktopShortcutOfUninstallString(const std::wstring& value);

// The folder part of a path, up to its last backslash; empty without one.
std::wstring FolderOfPath(const std::wstring& path);

// The shortcut name H of a desktop shortcut path as it arrived on the
// command line, quotes kept: the text after the last backslash, cut at its
// last ".", so the closing quote goes with the extension.
std::wstring ShortcutNameOfPath(const std::wstring& quotedPath);

// The suffix a portable installation's shortcut names share: " Portable"
// or " Portable (n)" for "<icon name> Portable" and "<icon name> Portable
// (n)". Empty when the name has no space to cut at; then no program
// shortcut can be told apart from a standard installation's.
std::wstring PortableShortcutSuffix(const std::wstring& name);
