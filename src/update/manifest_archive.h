#pragma once
// The published manifest "update.rxml": an archive whose member
// "update.xml" is the manifest text. RAR when the body begins with "Rar!",
// ZIP otherwise. Portable.

#include <string>

// False when the archive cannot be opened or has no readable member.
bool UnwrapManifest(const std::string& body, std::string& text);
