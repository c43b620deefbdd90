// The language box: switching the language at run time, saving the choice,
// and the wizard texts that follow the current language. UI thread only.

#include "logic/language_texts.h"

#include "logic/control_ids.h"
#include "logic/server_link.h"
#include "logic/wizard_flow.h"
#include "startup/text.h"

namespace {

constexpr int kLanguageBox = 12366;
constexpr int kFirstLanguageRow = 12367;

// (control, string table entry) pairs set as they stand.
struct TextOf {
    int id;
    int entry;
};

constexpr TextOf kSinglePageTexts[] = {
    {12355, 43}, {12359, 72}, {12353, 63}, {12352, 48}, {12351, 48},
    {12357, 52}, {12358, 53}, {12356, 50}, {12365, 62},
};

constexpr TextOf kCommonTexts[] = {
    {12347, 42}, {12348, 43}, {12411, 38}, {12378, 61}, {12382, 61}, {12383, 61}, {12384, 61}, {12392, 49},
    {12393, 50}, {12397, 52}, {12398, 53}, {12394, 54}, {12395, 59}, {12377, 48}, {12381, 48}, {12396, 48},
    {12388, 48}, {12389, 48}, {12390, 48}, {12391, 48}, {12346, 60}, {12416, 48}, {12412, 55}, {12413, 56},
    {12414, 57}, {12415, 58}, {12421, 72}, {12422, 79}, {12423, 74}, {12425, 76}, {12426, 78}, {12427, 78},
    {12429, 80}, {12430, 81}, {12431, 82}, {12434, 89}, {12435, 90}, {12436, 91}, {12437, 92},
};

}  // namespace

void CLanguageTexts::OnLanguageBoxChange() {
    LogPart(L"CLogic::OnCBNSelChange: ");
    LogLine(L"ID_CMB_LANGUAGE");
    SetLanguage(ctx_.wizard.ComboSelection(kLanguageBox), false);
}

void CLanguageTexts::SetLanguage(int recordIndex, bool quiet) {
    if (!ctx_.wizard.HasControl(kLanguageBox)) return;
    // Select ignores a row outside the records.
    if (!ctx_.languages.Select(recordIndex)) return;
    const LanguageRecord& record = ctx_.languages.records()[size_t(recordIndex)];
    ctx_.wizard.SelectComboRow(kLanguageBox, recordIndex, Utf8ToWide(record.displayName), record.icon);
    if (!ctx_.languages.chosenCode().empty()) ctx_.server->downloader().SetLanguage(ctx_.languages.chosenCode());
    if (!quiet) {
        // What still shows a remembered text now shows it again, in the new
        // language, after the default texts.
        const std::vector<int> shown = ShownEntryTexts();
        InitTextControls();
        RefreshEntryTexts(shown);
        // The terms follow the language. While the manifest or files are
        // on their way the terms are not on screen, and a second request
        // would take the progress reports from the running one.
        const int busy = ctx_.server->downloader().kind();
        if (!ctx_.theme.singlePageMode && (busy == CDownloader::dkNone || busy == CDownloader::dkLicense))
            ctx_.server->downloader().DownloadLicense(ctx_.settings.urlLicense);
    }
    SaveLanguage();
}

void CLanguageTexts::SaveLanguage() { ctx_.languages.Save(ctx_.runMode, ctx_.config.regPath); }

void CLanguageTexts::InitTextControls() {
    LogPart(L"Init text controls .. ");
    const std::vector<LanguageRecord>& records = ctx_.languages.records();
    std::vector<std::pair<int, std::wstring>> rows;
    int chosenRow = -1;
    for (size_t i = 0; i < records.size(); ++i) {
        rows.emplace_back(kFirstLanguageRow + int(i), Utf8ToWide(records[i].displayName));
        if (records[i].code == ctx_.languages.chosenCode()) chosenRow = int(i);
    }
    ctx_.wizard.SetComboRows(kLanguageBox, rows);
    SetLanguage(chosenRow, true);

    auto text = [this](int id, int entry) { ctx_.wizard.SetText(id, GetString(entry)); };
    if (ctx_.theme.singlePageMode) {
        for (const TextOf& t : kSinglePageTexts) text(t.id, t.entry);
        text(12354, ctx_.runMode == rmUninstaller ? 48 : 64);
        text(12439, 62);
        ctx_.flow->AttachPortableTooltip();
    }
    for (const TextOf& t : kCommonTexts) text(t.id, t.entry);
    const int back = ctx_.theme.backNextArrowsInText ? 44 : 46, next = ctx_.theme.backNextArrowsInText ? 45 : 47;
    for (int id : {12349, 12375, 12379}) text(id, back);
    for (int id : {12350, 12376, 12380}) text(id, next);
    text(12424, ctx_.runMode == rmInstall ? 86 : ctx_.runMode == rmDownload ? 75 : 87);
    ctx_.flow->ShowInstallFolder();
    text(12419, 112);
    LogLine(L"OK");
}

void CLanguageTexts::SetControlText(int id, int entry) {
    const std::wstring text = GetString(entry);
    ctx_.wizard.SetText(id, text);
    entryTexts_[id] = EntryText{entry, text};
}

std::vector<int> CLanguageTexts::ShownEntryTexts() const {
    std::vector<int> ids;
    for (const auto& [id, remembered] : entryTexts_)
        if (ctx_.wizard.Text(id) == remembered.shown) ids.push_back(id);
    return ids;
}

void CLanguageTexts::RefreshEntryTexts(const std::vector<int>& ids) {
    for (int id : ids) SetControlText(id, entryTexts_[id].entry);
}
