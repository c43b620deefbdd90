#pragma once
// CSkinnedWizard: the wizard the logic object drives, drawn by the
// launcher itself. It loads the theme of the embedded package (fonts,
// profiles, pages), makes the layered window and answers the logic
// object's requests on its controls. Made by the entry point, owned there;
// the UI thread only.

#include "gui/gdiplus_session.h"
#include "gui/gui_theme.h"
#include "gui/layered_window.h"
#include "gui/package_theme_source.h"
#include "logic/wizard.h"

#include <memory>

class CSkinnedWizard : public IWizard {
public:
    CSkinnedWizard() = default;
    CSkinnedWizard(const CSkinnedWizard&) = delete;
    CSkinnedWizard& operator=(const CSkinnedWizard&) = delete;
    ~CSkinnedWizard() override;

    bool Create(const tinyxml2::XMLDocument& theme, const std::string& themeFolder, IWizardOwner* owner,
                HINSTANCE instance) override;
    void Destroy() override;
    HWND Window() const override { return window_ ? window_->hwnd() : nullptr; }
    void Show(bool show) override;
    void StartTimer(UINT_PTR id, UINT milliseconds) override;
    void StopTimer(UINT_PTR id) override;
    void ShowPage(int page, int variant) override;
    int FindControl(const std::string& func) const override;
    bool HasControl(int id) const override { return Control(id) != nullptr; }
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
    void CloseLists() override;
    void SetTitle(const std::wstring& title) override;

private:
    // A control of the current page, else of the first page that has one.
    GuiControl* Control(int id) const;
    // Every page's control with the identifier: pages repeat some controls
    // (the caption, close), and what the logic sets holds on all of them.
    std::vector<GuiControl*> Controls(int id) const;

    CGdiPlusSession gdiplus_;
    std::unique_ptr<CPackageThemeSource> source_;
    std::unique_ptr<CGuiTheme> theme_;
    std::unique_ptr<CLayeredWindow> window_;
};

// The launcher's wizard.
std::unique_ptr<IWizard> CreateWizard();
