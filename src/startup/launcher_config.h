#pragma once
// The launcher configuration (config.xml of the embedded package) and the
// theme configuration as preinit loads them from the package, and the
// launcher settings kept in the registry. What init reads from them is in
// launcher_settings.h. UI thread only.

#include "startup/launcher_settings.h"

#include <tinyxml2.h>

#include <cstdint>
#include <memory>
#include <string>

class CArchiveHelperRar;
class CLanguages;

struct LauncherConfig {
    std::unique_ptr<tinyxml2::XMLDocument> doc = std::make_unique<tinyxml2::XMLDocument>();
    std::unique_ptr<tinyxml2::XMLDocument> themeDoc = std::make_unique<tinyxml2::XMLDocument>();
    uint32_t crc = 0;          // CRC-32 of config.xml as stored
    std::wstring regPath;      // common/regPath
    bool logLauncher = false;  // common/log/logLauncher/@enable
    bool logHTTP = false;      // common/log/logHTTP/@enable
    bool multiRun = false;     // common/multiRun/@value
    std::string themeFolder;   // "<theme path>\" inside the package

    const tinyxml2::XMLElement* root() const { return doc->RootElement(); }
};

// preinit: parses config.xml, reads the switches, chooses the theme
// (HKCU\<regPath>\Themes "Theme"), loads the languages and parses the
// theme's config.xml. False on any failure.
bool LoadLauncherConfig(const CArchiveHelperRar& store, LauncherConfig& config, CLanguages& languages);

// HKCU\<parent of regPath> (DebugModeKey) "OstrelDebugMode": on when its low byte is not 0.
bool ReadDebugMode(const std::wstring& regPath);
