#include "launcher_config.h"

#include "startup/crc32.h"
#include "startup/languages.h"
#include "startup/package_store.h"
#include "startup/registry_key.h"
#include "startup/text.h"
#include "startup/xml_path.h"

using tinyxml2::XMLElement;

namespace {

std::string RegistryThemeName(const std::wstring& regPath) {
    CRegistryKey key;
    if (key.Open(HKEY_CURRENT_USER, regPath + L"\\Themes", KEY_READ) != ERROR_SUCCESS) return {};
    wchar_t buf[51] = {};
    DWORD type = 0, size = 50 * sizeof(wchar_t);
    if (RegQueryValueExW(key.Get(), L"Theme", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    return WideToUtf8(buf);
}

bool ParseEntry(const CArchiveHelperRar& store, const std::string& name, tinyxml2::XMLDocument& doc,
                uint32_t* crc) {
    std::string bytes;
    if (!store.ExtractFile(name, bytes) || bytes.empty()) return false;
    if (crc) *crc = Crc32(bytes.data(), bytes.size());
    return doc.Parse(bytes.data(), bytes.size()) == tinyxml2::XML_SUCCESS && doc.RootElement();
}

}  // namespace

bool LoadLauncherConfig(const CArchiveHelperRar& store, LauncherConfig& config, CLanguages& languages) {
    if (!ParseEntry(store, "config.xml", *config.doc, &config.crc)) return false;
    const XMLElement* common = config.root()->FirstChildElement("common");
    std::string regPath;
    if (!common || !XmlText(common, "regPath/text()", regPath)) return false;
    config.regPath = Utf8ToWide(regPath);
    XmlBool(common, "log/logLauncher/@enable", config.logLauncher);
    XmlBool(common, "log/logHTTP/@enable", config.logHTTP);
    XmlBool(common, "multiRun/@value", config.multiRun);

    const std::string themePath = ChooseThemePath(config.root(), RegistryThemeName(config.regPath));
    if (themePath.empty()) return false;
    config.themeFolder = themePath + "\\";

    if (!languages.Load(config.root(), store)) return false;
    return ParseEntry(store, config.themeFolder + "config.xml", *config.themeDoc, nullptr);
}

bool ReadDebugMode(const std::wstring& regPath) {
    CRegistryKey key;
    if (key.Open(HKEY_CURRENT_USER, DebugModeKey(regPath), KEY_READ) != ERROR_SUCCESS) return false;
    DWORD value = 0, type = 0, size = sizeof value;
    if (RegQueryValueExW(key.Get(), L"OstrelDebugMode", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return false;
    return (value & 0xFF) != 0;
}
