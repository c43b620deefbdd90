#include "launcher_settings.h"

#include "startup/launcher_error.h"
#include "startup/xml_path.h"

using tinyxml2::XMLElement;

namespace {

std::string Required(const XMLElement* root, const char* path, const char* error) {
    std::string value;
    if (!XmlText(root, path, value)) throw CLauncherError{error};
    return value;
}

}  // namespace

std::string ChooseThemePath(const XMLElement* root, const std::string& registryName) {
    const XMLElement* themes = root ? root->FirstChildElement("themes") : nullptr;
    if (!themes) return {};
    std::string path;
    bool first = true;
    for (const XMLElement* t = themes->FirstChildElement("theme"); t; t = t->NextSiblingElement("theme")) {
        const char* name = t->Attribute("name");
        const char* p = t->Attribute("path");
        if (first && p) path = p;
        first = false;
        if (name && registryName == name) {
            path = p ? p : "";
            break;
        }
    }
    return path;
}

InitSettings ReadInitSettings(const XMLElement* root, bool automaticGiven, unsigned osMajor, unsigned osMinor) {
    InitSettings s;
    const XMLElement* common = root ? root->FirstChildElement("common") : nullptr;
    s.windowClassName = Required(root, "launch/WindowClassName/text()", "Unable to load window class name");
    s.shortName = Required(common, "shortName/text()", "Unable to load short clone name");
    s.fullName = Required(common, "fullName/text()", "Unable to load full clone name");
    XmlText(common, "iconName/text()", s.iconName);
    XmlText(common, "urlLicense/text()", s.urlLicense);
    const XMLElement* launch = root ? root->FirstChildElement("launch") : nullptr;
    if (!launch) throw CLauncherError{"config/launch"};
    if (!XmlText(launch, "Process/text()", s.process) || s.process.empty())
        throw CLauncherError{"Unable load client file name"};
    XmlText(launch, "ProcessArgs/text()", s.processArgs);
    XmlBool(common, "skipIconsPage/@value", s.skipIconsPage);
    s.automaticInstall = automaticGiven;
    if (!automaticGiven) {
        XmlBool(common, "automaticInstallMode/@enable", s.automaticInstall);
        XmlText(common, "automaticInstallMode/@promoURL", s.promoUrl);
    }
    XmlBool(common, "silentDownload/@value", s.silentDownload);
    XmlBool(common, "progressFromZero/@value", s.progressFromZero);
    XmlBool(common, "iconCreateDesctop/@value", s.iconDesktop);
    if (!s.automaticInstall && osMajor > 5 && osMinor > 1) s.iconDesktop = false;
    XmlBool(common, "iconCreatePrograms/@value", s.iconPrograms);
    s.iconProgramsFolder = s.automaticInstall;
    XmlBool(common, "iconCreateProgramsFolder/@value", s.iconProgramsFolder);
    XmlText(common, "urlUpdate/text()", s.urlUpdate);
    XmlBool(common, "tls/@relaxed", s.tlsRelaxed);
    XmlText(common, "publisherKeys/text()", s.publisherKeys);
    return s;
}

std::string ChooseUpdatePath(const std::string& slotValue, const InitSettings& settings) {
    return slotValue.empty() ? settings.urlUpdate : slotValue;
}

ThemeSettings ReadThemeSettings(const XMLElement* themeRoot) {
    const XMLElement* common = themeRoot ? themeRoot->FirstChildElement("common") : nullptr;
    if (!common) throw CLauncherError{"theme: config/common"};
    ThemeSettings t;
    XmlBool(common, "backNextArrowsInText/@value", t.backNextArrowsInText);
    XmlBool(common, "pageNumeration/@value", t.pageNumeration);
    XmlBool(common, "singlePageMode/@value", t.singlePageMode);
    XmlInt(common, "MBLineLength/@value", t.mbLineLength);
    return t;
}

std::wstring DebugModeKey(const std::wstring& regPath) {
    const size_t slash = regPath.rfind(L'\\');
    if (slash == std::wstring::npos || slash < 2) return regPath;
    return regPath.substr(0, slash);
}
