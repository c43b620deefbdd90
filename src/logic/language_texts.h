#pragma once
// The language box: switching the language at run time, saving the choice,
// and the wizard texts that follow the current language. UI thread only.

#include "logic/logic_context.h"

#include <map>
#include <string>
#include <vector>

class CLanguageTexts {
public:
    explicit CLanguageTexts(LogicContext& ctx) : ctx_(ctx) {}

    void OnLanguageBoxChange();
    // `quiet`: no texts refreshed and no terms requested (start-up).
    void SetLanguage(int recordIndex, bool quiet);
    void InitTextControls();
    // Sets a control's text from a string-table entry and remembers it, so
    // that a language change shows it in the new language.
    void SetControlText(int id, int entry);

private:
    void SaveLanguage();
    // The controls that still show the text remembered for them; one whose
    // text was replaced since is left out.
    std::vector<int> ShownEntryTexts() const;
    // Those texts again, in the current language.
    void RefreshEntryTexts(const std::vector<int>& ids);

    struct EntryText {
        int entry;
        std::wstring shown;
    };

    LogicContext& ctx_;
    std::map<int, EntryText> entryTexts_;
};
