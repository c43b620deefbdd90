#pragma once
// The configured languages: one record per "common/languages/enable"
// element, the code map, the default and the chosen code, and the string
// table set they load. Owned by the logic object; UI thread only.

#include "startup/command_line.h"
#include "startup/lang_table.h"

#include <tinyxml2.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

class CArchiveHelperRar;

struct LanguageRecord {
    std::string code;
    std::string displayName;  // UTF-8
    std::string file;
    std::string locale;
    int32_t id = 0;
    int32_t icon = 0;
    int32_t tableIndex = 0;
    int32_t font = 0;
};

class CLanguages {
public:
    ~CLanguages();

    // Reads the records under common/languages of `root` and loads every
    // table from the package. Publishes the table set through g_pLangTable.
    bool Load(const tinyxml2::XMLElement* root, const CArchiveHelperRar& store);
    // Chooses the language at start-up from the LANGUAGE slot, the registry
    // (HKCU\<regPath>\Language) and the system language; logs the inputs;
    // writes the choice back except in rmDownload.
    bool Choose(ERunMode mode, const std::wstring& regPath, const std::string& preset);
    // Switches to a record (the language box): chosen code and table.
    // False for an index outside the records.
    bool Select(int recordIndex);
    // Writes the chosen code to the registry unless in rmDownload.
    void Save(ERunMode mode, const std::wstring& regPath) const;
    void Destroy();

    const std::vector<LanguageRecord>& records() const { return records_; }
    const std::string& chosenCode() const { return chosen_; }
    const std::string& defaultCode() const { return default_; }
    const CLauncherLangTable* tables() const { return tables_.get(); }

    // The choice rule: installation runs prefer the distributor's preset,
    // other runs the user's stored choice; then the system language.
    static std::string ChooseCode(ERunMode mode, const std::string& preset, const std::string& stored,
                                  const std::string& system);
    // A registry value read into 50 UTF-16 characters counts only when it
    // is a string properly ended by a zero.
    static std::string StoredLanguage(const std::wstring& regPath);

private:
    std::vector<LanguageRecord> records_;
    std::map<std::string, int> codeMap_;
    std::string default_;
    std::string chosen_;
    std::unique_ptr<CLauncherLangTable> tables_;
};
