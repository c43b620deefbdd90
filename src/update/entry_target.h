#pragma once
// Where an archive entry goes below the installation folder. Portable.
//
// The entry name loses its double quotes, '/' becomes '\' and runs of '\'
// collapse to one. A name ending in '\' is a folder. Names that could
// reach outside the folder are refused: rooted names ("\x", "\\server"),
// anything with ':' (drives, alternate streams), any ".." level
// (including Windows' equivalents such as "..." or ". ."), device names
// ("CON", "nul.txt", "COM1") and levels ending in a dot or a space.

#include <string>

struct EntryTarget {
    std::string relative;  // no leading or trailing '\'
    bool folder = false;
};

// False when the name is empty or unsafe; `target` is then unchanged.
bool MakeEntryTarget(const std::string& entryName, EntryTarget& target);
