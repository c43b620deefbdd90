#pragma once
// The language box: switching the language at run time, saving the choice,
// and the wizard texts that follow the current language. UI thread only.

#include "logic/logic_context.h"

class CLanguageTexts {
public:
    explicit CLanguageTexts(LogicContext& ctx) : ctx_(ctx) {}

    void OnLanguageBoxChange();
    // `quiet`: no texts refreshed and no terms requested (start-up).
    void SetLanguage(int recordIndex, bool quiet);
    void InitTextControls();

private:
    void SaveLanguage();

    LogicContext& ctx_;
};
