#pragma once
// A recording fake of the wizard for the logic object's tests: one real
// top-level window with a child window per theme control (every element of
// the theme document that carries a known `func`), simple native drawing,
// timers and the private messages forwarded to the owner. It records what
// it was asked, so flows can be checked by the pages and texts they produce.
// UI thread only.

#include "gui/gdiplus_session.h"
#include "logic/wizard.h"

#include <tinyxml2.h>

#include <map>
#include <vector>

class CStandInWizard : public IWizard {
public:
    // A text shown in the message page's text area, with the buttons and
    // the icon visible then.
    struct Message {
        std::wstring text;
        unsigned buttons;
        bool showIcon;
    };

    CStandInWizard() = default;
    CStandInWizard(const CStandInWizard&) = delete;
    CStandInWizard& operator=(const CStandInWizard&) = delete;
    ~CStandInWizard() override;

    // Creates the (hidden) window and the theme's controls.
    bool Create(const tinyxml2::XMLDocument& theme, const std::string& themeFolder, IWizardOwner* owner,
                HINSTANCE instance) override;
    void Destroy() override;

    HWND Window() const override { return hwnd_; }
    void Show(bool show) override;
    void StartTimer(UINT_PTR id, UINT milliseconds) override;
    void StopTimer(UINT_PTR id) override;
    void ShowPage(int page, int variant) override;
    int FindControl(const std::string& func) const override;
    bool HasControl(int id) const override { return controls_.count(id) != 0; }
    void SetText(int id, const std::wstring& text) override;
    std::wstring Text(int id) const override;
    void ShowControl(int id, bool visible) override;
    bool IsControlVisible(int id) const override;
    void EnableControl(int id, bool enabled) override;
    void SetProgress(int id, int value) override;
    void SetChecked(int id, bool checked) override;
    bool IsChecked(int id) const override;
    void SetComboRows(int id, const std::vector<std::pair<int, std::wstring>>& rows) override;
    void SelectComboRow(int id, int row, const std::wstring& text, int picture) override;
    int ComboSelection(int id) const override;
    void SetRichText(int id, const std::wstring& text) override;
    bool SetTooltip(int id, const std::wstring& text) override;
    void CloseLists() override {}
    void SetTitle(const std::wstring& title) override;

    // What was asked, for tests and diagnostics.
    int CurrentPage() const { return page_; }
    const std::vector<std::pair<int, int>>& pages() const { return pages_; }
    const std::vector<Message>& messages() const { return messages_; }
    int Progress(int id) const;
    // The picture last shown beside a drop-down box's text, or -1.
    int ComboPicture(int id) const;
    std::wstring Title() const;
    std::wstring Tooltip(int id) const;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM w, LPARAM l);
    LRESULT Handle(HWND hwnd, UINT message, WPARAM w, LPARAM l);

    CGdiPlusSession gdiplus_;
    HWND hwnd_ = nullptr;
    IWizardOwner* owner_ = nullptr;
    std::map<int, HWND> controls_;
    std::map<int, int> progress_;
    std::map<int, bool> checked_;
    std::map<int, int> comboPictures_;
    std::map<int, std::wstring> tooltips_;
    int page_ = 0;
    std::vector<std::pair<int, int>> pages_;
    std::vector<Message> messages_;
};
