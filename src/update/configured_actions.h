#pragma once
// What the launcher configuration asks of an installation made by an
// earlier launcher: actions run after every update (common/ACTIONS) and
// migrations from the names of earlier products (common/migrations). Texts
// stay UTF-8 as in the configuration. Portable.

#include <tinyxml2.h>

#include <optional>
#include <string>
#include <vector>

// Renames the installation folder from the old full name to the new one.
struct SetLongNameAction {
    int id = 0;
    std::string verStart, verEnd;
    std::string oldLongName, newLongName, oldShortName, newShortName, oldIconName, oldRegPath;
    bool applyToPortable = true;
};

// Moves, renames or deletes an entry of the installation folder.
struct RenameAction {
    int id = 0;
    std::string verStart, verEnd;
    std::string name, toName;
};

struct ConfiguredActions {
    bool present = false;  // the configuration has common/ACTIONS
    // The first SETLONGNAME element, when it is valid.
    std::optional<SetLongNameAction> setLongName;
    std::vector<RenameAction> renames;
};

ConfiguredActions ReadConfiguredActions(const tinyxml2::XMLElement* root);

// The old names of an earlier product.
struct Migration {
    std::string shortName, fullName, regPath, iconName;
};

// The migrations whose short name, full name and registry path are given.
std::vector<Migration> ReadMigrations(const tinyxml2::XMLElement* root);

// What a RENAME does with `name` and `toName` (both relative to the
// installation folder). Names that could reach outside the folder (rooted,
// drive, "..") make it do nothing.
enum class RenameEffect { Nothing, DeleteFolder, DeleteFile, Move };
struct RenamePlan {
    RenameEffect effect = RenameEffect::Nothing;
    std::string source, target;  // cleaned relative paths, '\' separated
};
RenamePlan PlanRename(const std::string& name, const std::string& toName);
