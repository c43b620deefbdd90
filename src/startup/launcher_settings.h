#pragma once
// What init reads from the launcher configuration and the theme
// configuration once they are loaded (launcher_config.h). Portable; no
// state, any thread.

#include <tinyxml2.h>

#include <cstdint>
#include <string>

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
    // common/tls/@relaxed: certificates are not checked (the publisher's risk).
    bool tlsRelaxed = false;
    // common/publisherKeys/text(): the keys that must sign the manifest, as
    // written (checked by the update cycle, which refuses to update when
    // they are malformed); empty or white space: none.
    std::string publisherKeys;
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
