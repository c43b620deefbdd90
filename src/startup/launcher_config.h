#pragma once
// The launcher configuration (config.xml of the embedded package) and the
// theme configuration: what preinit loads, what init reads from them, and
// the launcher settings kept in the registry. UI thread only.

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

// The theme whose name the registry holds, else the first; empty path when none.
std::string ChooseThemePath(const tinyxml2::XMLElement* root, const std::string& registryName);

// Keys init reads, in the configuration's order. Required ones missing
// throw CLauncherError with the text the entry point shows.
struct InitSettings {
    std::string windowClassName;
    std::string shortName;
    std::string fullName;
    std::string iconName;
    std::string urlLicense = "/client/license";
    std::string process;
    std::string processArgs;
    bool skipIconsPage = false;
    bool automaticInstall = false;
    std::string promoUrl;
    bool silentDownload = true;
    bool progressFromZero = false;
    bool iconDesktop = true;
    bool iconPrograms = true;
    bool iconProgramsFolder = false;
    std::string urlUpdate;

    // The client command: the process name, then its arguments after one space.
    std::string ClientCommand() const { return processArgs.empty() ? process : process + " " + processArgs; }
};

// `automaticGiven`: "/auto" was on the command line (the configured mode
// and its promotion URL are then not read).
InitSettings ReadInitSettings(const tinyxml2::XMLElement* root, bool automaticGiven, unsigned osMajor,
                              unsigned osMinor);

// The update path: the UPDATE_PATH slot when set, else common/urlUpdate.
std::string ChooseUpdatePath(const std::string& slotValue, const InitSettings& settings);

struct ThemeSettings {
    bool backNextArrowsInText = true;
    bool pageNumeration = true;
    bool singlePageMode = false;
    int64_t mbLineLength = 40;
};

// Throws "theme: config/common" without the theme's common element.
ThemeSettings ReadThemeSettings(const tinyxml2::XMLElement* themeRoot);

// The parent key of regPath (up to its last backslash; the whole path when
// there is none or it stands in the first two characters).
std::wstring DebugModeKey(const std::wstring& regPath);
// HKCU\<parent of regPath> "OstrelDebugMode": on when its low byte is not 0.
bool ReadDebugMode(const std::wstring& regPath);
