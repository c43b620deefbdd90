#pragma once
// The manifest files of an update set: update.xml (plain, for the
// publisher and for verify) and update.rxml (the archive the launcher
// downloads: ZIP or RAR 2.9 holding one member "update.xml").

#include "update/manifest_writer.h"

#include <filesystem>
#include <string>

bool WriteManifestFiles(const std::filesystem::path& folder, const ManifestDocument& doc, bool asRar,
                        std::string& error);

// The manifest text from update.xml, update.rxml (ZIP or RAR) or a set
// folder holding either.
bool LoadManifestText(const std::filesystem::path& from, std::string& text, std::string& error);

// Whether a set folder's update.rxml is a RAR archive.
bool ManifestArchiveIsRar(const std::filesystem::path& folder);
