#include "theme_files.h"

#include "gui/folder_theme_source.h"
#include "gui/package_theme_source.h"
#include "startup/handle.h"
#include "startup/text.h"
#include "startup/xml_path.h"

#include <sstream>

namespace {

constexpr int kPackageId = 130;

struct ModuleTraits {
    using Type = HMODULE;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { FreeLibrary(h); }
};
using CModule = CHandleT<ModuleTraits>;

// The string-table source format: "number<TAB>text" lines, "#" comments,
// "\n" a line feed and "\\" a backslash.
std::map<int32_t, std::wstring> ReadStringSource(const std::string& bytes) {
    std::map<int32_t, std::wstring> table;
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t tab = line.find('\t');
        if (line.empty() || line[0] == '#' || tab == std::string::npos) continue;
        std::string text;
        for (size_t i = tab + 1; i < line.size(); ++i) {
            if (line[i] == '\\' && i + 1 < line.size()) {
                ++i;
                text.push_back(line[i] == 'n' ? '\n' : line[i]);
            } else {
                text.push_back(line[i]);
            }
        }
        table[int32_t(std::stol(line.substr(0, tab)))] = Utf8ToWide(text);
    }
    return table;
}

}  // namespace

bool CPreviewInput::OpenFolder(const std::wstring& folder, const std::wstring& strings, std::string& error) {
    std::wstring path = folder;
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    const size_t slash = path.find_last_of(L"\\/");
    const std::wstring parent = slash == std::wstring::npos ? L"." : path.substr(0, slash);
    const std::string name = WideToUtf8(slash == std::wstring::npos ? path : path.substr(slash + 1));
    std::string bytes;
    if (!ReadWholeFile(path + L"\\config.xml", bytes, kMaxThemeFileBytes) ||
        folderConfig_.Parse(bytes.data(), bytes.size()) != 0) {
        error = "cannot read config.xml of the theme folder";
        return false;
    }
    std::string table;
    if (!strings.empty() && !ReadWholeFile(strings, table, kMaxThemeFileBytes)) {
        error = "cannot read the string table";
        return false;
    }
    strings_ = ReadStringSource(table);
    theme_.source = std::make_unique<CFolderThemeSource>(parent, name);
    theme_.folder = name;
    theme_.config = &folderConfig_;
    theme_.text = [this](int32_t entry) {
        const auto it = strings_.find(entry);
        return it == strings_.end() ? std::wstring() : it->second;
    };
    return true;
}

bool CPreviewInput::OpenLauncher(const std::wstring& exe, const std::string& code, std::string& error) {
    CModule module(LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    HRSRC found = module ? FindResourceW(module.Get(), MAKEINTRESOURCEW(kPackageId), L"ZIP") : nullptr;
    HGLOBAL loaded = found ? LoadResource(module.Get(), found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes || !package_.OpenPackage(bytes, SizeofResource(module.Get(), found))) {
        error = "no launcher package in that file";
        return false;
    }
    if (!LoadLauncherConfig(package_, launcherConfig_, languages_)) {
        error = "the package's configuration cannot be loaded";
        return false;
    }
    std::string folder = launcherConfig_.themeFolder;
    while (!folder.empty() && folder.back() == '\\') folder.pop_back();
    theme_.source = std::make_unique<CPackageThemeSource>(package_);
    theme_.folder = folder;
    theme_.config = launcherConfig_.themeDoc.get();
    const auto& records = languages_.records();
    for (size_t i = 0; i < records.size(); ++i) {
        theme_.languageNames.push_back(Utf8ToWide(records[i].displayName));
        if (records[i].code == code || (code.empty() && records[i].code == languages_.defaultCode()))
            theme_.languageIndex = int(i);
    }
    if (theme_.languageIndex < 0 || !languages_.Select(theme_.languageIndex)) {
        error = "no language " + code + " in the package";
        return false;
    }
    theme_.text = [this](int32_t entry) { return languages_.tables()->GetString(entry); };
    std::string fullName;
    if (XmlText(launcherConfig_.root(), "common/fullName/text()", fullName)) theme_.productName = Utf8ToWide(fullName);
    std::string caption;
    if (XmlText(launcherConfig_.root(), "common/taskbarCaption/text()", caption)) theme_.caption = Utf8ToWide(caption);
    return true;
}
