#pragma once
// The file version of a Windows executable image, read from its version
// resource (VS_FIXEDFILEINFO) without Windows: the text "%d.%d.%d.%d" the
// launcher compares with a manifest's launcherVersion. Portable.

#include <string>

// False with a reason when the image is no PE file or has no version
// resource.
bool ReadPeFileVersion(const std::string& image, std::string& version, std::string& error);
