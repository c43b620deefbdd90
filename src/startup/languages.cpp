#include "languages.h"

#include "startup/log_impl.h"
#include "startup/package_store.h"
#include "startup/registry_key.h"
#include "startup/text.h"
#include "startup/xml_path.h"

using tinyxml2::XMLElement;

namespace {

std::wstring LanguageKey(const std::wstring& regPath) { return regPath + L"\\Language"; }

bool ReadRecord(const XMLElement* e, LanguageRecord& r) {
    int64_t id = 0, icon = 0, font = 0;
    if (!XmlText(e, "@lang", r.code) || !XmlText(e, "@file", r.file) || !XmlText(e, "@long", r.displayName) ||
        !XmlText(e, "@locale", r.locale) || !XmlInt(e, "@id", id) || !XmlInt(e, "@icon", icon))
        return false;
    XmlInt(e, "@font", font);
    r.id = int32_t(id);
    r.icon = int32_t(icon);
    r.font = int32_t(font);
    return true;
}

}  // namespace

CLanguages::~CLanguages() { Destroy(); }

void CLanguages::Destroy() {
    if (g_pLangTable == tables_.get()) g_pLangTable = nullptr;
    tables_.reset();
}

bool CLanguages::Load(const XMLElement* root, const CArchiveHelperRar& store) {
    Destroy();
    tables_ = std::make_unique<CLauncherLangTable>();
    g_pLangTable = tables_.get();
    const XMLElement* list = XmlElement(root, "common/languages");
    if (!list) return false;
    codeMap_.clear();
    records_.clear();
    default_.clear();
    for (const XMLElement* e = list->FirstChildElement("enable"); e; e = e->NextSiblingElement("enable")) {
        LanguageRecord r;
        if (!ReadRecord(e, r)) return false;
        r.tableIndex = int32_t(records_.size());
        codeMap_[r.code] = r.tableIndex;
        if (default_.empty()) default_ = r.code;
        std::string bytes;
        if (!store.ExtractFile(r.file, bytes)) return false;
        auto table = std::make_unique<CLauncherLang>(std::make_unique<CSimpleMemReadStream>(std::move(bytes)),
                                                     r.displayName, r.code, r.locale, r.id);
        if (!table->Read() || !tables_->Add(std::move(table))) return false;
        records_.push_back(r);
    }
    return !codeMap_.empty();
}

std::string CLanguages::ChooseCode(ERunMode mode, const std::string& preset, const std::string& stored,
                                   const std::string& system) {
    std::string chosen;
    if (mode == rmInstall)
        chosen = !preset.empty() ? preset : stored;
    else
        chosen = !stored.empty() ? stored : preset;
    if (chosen.empty()) chosen = system;
    return chosen;
}

std::string CLanguages::StoredLanguage(const std::wstring& regPath) {
    CRegistryKey key;
    if (key.Create(HKEY_CURRENT_USER, LanguageKey(regPath)) != ERROR_SUCCESS) return {};
    wchar_t buf[50] = {};
    DWORD type = 0, size = sizeof buf;
    if (RegQueryValueExW(key.Get(), L"Language", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) !=
        ERROR_SUCCESS)
        return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
    if (size == 0) return {};
    if (size % 2 || buf[size / 2 - 1] != L'\0') return {};
    return WideToUtf8(buf);
}

bool CLanguages::Choose(ERunMode mode, const std::wstring& regPath, const std::string& preset) {
    const std::string stored = StoredLanguage(regPath);
    char system[128] = {};
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SISO639LANGNAME, system, sizeof system);

    if (g_pLog) g_pLog->WriteNewLines(1);
    LogLine(L"setup:" + Utf8ToWide(preset));
    LogLine(L"reg:" + Utf8ToWide(stored));
    LogLine(L"local:" + Utf8ToWide(system));
    LogLine(L"default:" + Utf8ToWide(default_));
    if (g_pLog) g_pLog->WriteNewLines(1);

    chosen_ = ChooseCode(mode, preset, stored, system);
    if (!codeMap_.count(chosen_)) chosen_ = default_;
    if (!tables_ || !tables_->SelectTable(codeMap_[chosen_])) return false;
    Save(mode, regPath);
    return true;
}

bool CLanguages::Select(int recordIndex) {
    if (recordIndex < 0 || size_t(recordIndex) >= records_.size() || !tables_) return false;
    chosen_ = records_[recordIndex].code;
    return tables_->SelectTable(records_[recordIndex].tableIndex);
}

void CLanguages::Save(ERunMode mode, const std::wstring& regPath) const {
    if (mode == rmDownload) return;
    CRegistryKey key;
    if (key.Create(HKEY_CURRENT_USER, LanguageKey(regPath)) == ERROR_SUCCESS)
        key.SetString(L"Language", Utf8ToWide(chosen_));
}
