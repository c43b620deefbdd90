#pragma once
// Where the preview takes a theme from: a theme folder on disk, or the
// package embedded in a (branded) Launcher.exe. Either way the result is
// the theme's configuration, a source for its files and the texts of one
// language.

#include "gui/gui_theme.h"
#include "startup/launcher_config.h"
#include "startup/languages.h"
#include "startup/package_store.h"

#include <tinyxml2.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

struct PreviewTheme {
    std::unique_ptr<IThemeSource> source;
    std::string folder;  // the theme's folder inside the package
    const tinyxml2::XMLDocument* config = nullptr;
    std::function<std::wstring(int32_t entry)> text;
    std::vector<std::wstring> languageNames;
    int languageIndex = -1;
    std::wstring productName;
    std::wstring caption;  // the window's title, shown in the caption label
};

class CPreviewInput {
public:
    // A folder with config.xml, texts from a string-table source file.
    bool OpenFolder(const std::wstring& folder, const std::wstring& strings, std::string& error);
    // The package of a launcher file, texts of the configured language
    // `code` (empty: the default one).
    bool OpenLauncher(const std::wstring& exe, const std::string& code, std::string& error);
    PreviewTheme& theme() { return theme_; }

private:
    PreviewTheme theme_;
    tinyxml2::XMLDocument folderConfig_;
    std::map<int32_t, std::wstring> strings_;
    CArchiveHelperRar package_;
    LauncherConfig launcherConfig_;
    CLanguages languages_;
};
