#pragma once
// Shell shortcuts (.lnk files) in the shell's special folders, addressed by
// CSIDL: creating, deleting, removing every link to a program, and the file
// a shortcut would have. No state: each call that reaches the shell owns,
// for its own duration, the COM initialisation of its thread, the link
// objects and the handles it opens, and fails when COM cannot be
// initialised. Called on the UI thread, the assistant's main thread or the
// uninstaller thread.

#include "system/shortcut_names.h"

#include <string>

// Saves "<folder>[\<subFolder>]\<name>.lnk" starting `target` with
// `arguments` in the target's folder, its icon the target's icon
// `iconIndex`. The sub-folder (one level) is made when missing; with
// `setFolderIcon` it also gets the same icon. False when target or name is
// empty, the folder cannot be resolved or the link was not saved.
bool CreateShortcut(const std::wstring& target, const std::wstring& arguments, const std::wstring& name, int csidl,
                    const std::wstring& subFolder, int iconIndex, bool setFolderIcon);

// Deletes the shortcut file of that name (its target is not compared). A
// sub-folder left empty, or holding nothing but Desktop.ini, goes with it.
// True when the shortcut file was deleted.
bool DeleteShortcut(const std::wstring& target, const std::wstring& name, int csidl, const std::wstring& subFolder);

// DeleteShortcut of "Uninstall <name>" in the user's or all users' Programs menu.
bool DeleteUninstallShortcut(const std::wstring& target, const std::wstring& name, const std::wstring& subFolder,
                             bool allUsers);

// Deletes every shortcut whose target is `target` (compared without case,
// after normalisation) from both desktops, both Start menus and the
// `longName` sub-folder of both Programs menus; those sub-folders go when
// nothing but Desktop.ini is left. Shortcuts to other programs stay, also
// when they carry the same name. False when target is empty or the user's
// desktop cannot be resolved.
bool DeleteAllShortcuts(const std::wstring& target, const std::wstring& longName);

// The file CreateShortcut would write; empty when target or name is empty
// or the folder cannot be resolved. Touches no file.
std::wstring ShortcutPath(const std::wstring& target, const std::wstring& name, int csidl,
                          const std::wstring& subFolder);

// The program a shortcut file starts; empty when it cannot be read.
std::wstring ShortcutTarget(const std::wstring& linkFile);

// Asks the system to delete `path` at the next restart and logs the outcome.
bool RegisterForDeletionAtReboot(const std::wstring& path);
