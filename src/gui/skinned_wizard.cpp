#include "gui/skinned_wizard.h"

#include "gui/control_tables.h"
#include "gui/gui_check_box.h"
#include "gui/gui_combo_box.h"
#include "gui/gui_edit.h"
#include "gui/gui_progress.h"
#include "gui/gui_text_label.h"
#include "gui/gui_tooltip.h"
#include "gui/rich_text.h"
#include "logic/control_ids.h"
#include "startup/lang_table.h"
#include "startup/log_impl.h"
#include "startup/package_store.h"
#include "startup/text.h"

namespace {

constexpr int kCaption = 12420;

}  // namespace

CSkinnedWizard::~CSkinnedWizard() { Destroy(); }

bool CSkinnedWizard::Create(const tinyxml2::XMLDocument& theme, const std::string& themeFolder, IWizardOwner* owner,
                            HINSTANCE instance) {
    if (window_ || !gdiplus_.Start()) return false;
    std::string folder = themeFolder;
    while (!folder.empty() && folder.back() == '\\') folder.pop_back();
    source_ = std::make_unique<CPackageThemeSource>(PackageStore());
    theme_ = std::make_unique<CGuiTheme>(*source_, folder);
    std::string error;
    if (!theme_->LoadFonts(error) || !theme_->LoadProfiles(theme, error)) {
        LogLine(L"Theme: " + Utf8ToWide(error));
        return false;
    }
    window_ = std::make_unique<CLayeredWindow>(*theme_, [](int32_t entry) { return GetString(entry); });
    window_->SetHooks(CLayeredWindow::Hooks{
        [owner](int32_t id) { owner->OnControl(id); }, nullptr,
        [owner](UINT message, WPARAM w, LPARAM l) { return owner->OnUserMessage(message, w, l); },
        [owner](UINT_PTR id) {
            owner->OnTimer(id);
            return false;
        }});
    if (!window_->Create(theme, instance, kMainWindowClass, error, false)) {
        LogLine(L"Theme: " + Utf8ToWide(error));
        window_.reset();
        return false;
    }
    return true;
}

void CSkinnedWizard::Destroy() {
    if (window_) window_->Destroy();
    window_.reset();
}

void CSkinnedWizard::Show(bool show) {
    const HWND window = Window();
    if (!window) return;
    ShowWindow(window, show ? SW_SHOW : SW_HIDE);
    if (!show) return;
    // Another program may own the foreground; joining its input lets this
    // window come to the front.
    const DWORD own = GetCurrentThreadId();
    const DWORD foreground = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    const bool attach = foreground && foreground != own && AttachThreadInput(own, foreground, TRUE);
    BringWindowToTop(window);
    SetForegroundWindow(window);
    if (attach) AttachThreadInput(own, foreground, FALSE);
}

void CSkinnedWizard::StartTimer(UINT_PTR id, UINT milliseconds) {
    if (Window()) SetTimer(Window(), id, milliseconds, nullptr);
}

void CSkinnedWizard::StopTimer(UINT_PTR id) {
    if (Window()) KillTimer(Window(), id);
}

GuiControl* CSkinnedWizard::Control(int id) const {
    if (!window_) return nullptr;
    const int current = window_->currentPage() - 1;
    if (current >= 0 && size_t(current) < window_->pageCount())
        if (GuiControl* control = window_->page(size_t(current))->FindById(id)) return control;
    return window_->Find<GuiControl>(id);
}

std::vector<GuiControl*> CSkinnedWizard::Controls(int id) const {
    std::vector<GuiControl*> controls;
    for (size_t i = 0; window_ && i < window_->pageCount(); ++i)
        if (GuiControl* control = window_->page(i)->FindById(id)) controls.push_back(control);
    return controls;
}

void CSkinnedWizard::ShowPage(int page, int variant) {
    if (window_) window_->ShowPage(page, variant);
}

int CSkinnedWizard::FindControl(const std::string& func) const {
    const int id = ControlIdForFunc(func);
    return id && HasControl(id) ? id : 0;
}

void CSkinnedWizard::SetText(int id, const std::wstring& text) {
    for (GuiControl* control : Controls(id)) {
        if (auto* edit = dynamic_cast<CGuiEditCtrl*>(control))
            edit->SetText(text);
        else if (auto* label = dynamic_cast<CGuiTextLabelCtrl*>(control))
            label->SetText(text);
    }
}

std::wstring CSkinnedWizard::Text(int id) const {
    GuiControl* control = Control(id);
    if (auto* edit = dynamic_cast<CGuiEditCtrl*>(control)) return edit->text();
    if (auto* label = dynamic_cast<CGuiTextLabelCtrl*>(control)) return label->text();
    return {};
}

void CSkinnedWizard::ShowControl(int id, bool visible) {
    for (GuiControl* control : Controls(id)) control->SetVisible(visible);
}

bool CSkinnedWizard::IsControlVisible(int id) const {
    const GuiControl* control = Control(id);
    return control && control->visible();
}

void CSkinnedWizard::EnableControl(int id, bool enabled) {
    for (GuiControl* control : Controls(id)) control->SetEnabled(enabled);
}

void CSkinnedWizard::SetProgress(int id, int value) {
    for (GuiControl* control : Controls(id))
        if (auto* progress = dynamic_cast<CGuiProgressCtrl*>(control)) progress->SetValue(float(value));
}

void CSkinnedWizard::SetChecked(int id, bool checked) {
    for (GuiControl* control : Controls(id))
        if (auto* box = dynamic_cast<CGuiCheckBoxCtrl*>(control)) box->SetChecked(checked);
}

bool CSkinnedWizard::IsChecked(int id) const {
    const auto* box = dynamic_cast<CGuiCheckBoxCtrl*>(Control(id));
    return box && box->checked();
}

void CSkinnedWizard::SetComboRows(int id, const std::vector<std::pair<int, std::wstring>>& rows) {
    auto* box = dynamic_cast<CGuiComboBoxCtrl*>(Control(id));
    if (!box) return;
    box->ClearItems();
    for (const auto& row : rows) box->AddItem(row.first, row.second);
}

void CSkinnedWizard::SelectComboRow(int id, int row, const std::wstring&, int) {
    // The box shows the row's own text and the picture of its row.
    if (auto* box = dynamic_cast<CGuiComboBoxCtrl*>(Control(id))) box->SelectRow(row);
}

int CSkinnedWizard::ComboSelection(int id) const {
    const auto* box = dynamic_cast<CGuiComboBoxCtrl*>(Control(id));
    return box ? box->selection() : -1;
}

void CSkinnedWizard::SetRichText(int id, const std::wstring& text) {
    std::wstring shown;
    ConvertRichText(text, shown, [](const std::wstring& line) { LogLine(line); });
    SetText(id, shown);
}

bool CSkinnedWizard::SetTooltip(int id, const std::wstring& text) {
    const CGuiProfile* profile = theme_ ? theme_->profiles().Find("profile_tooltip") : nullptr;
    const std::vector<GuiControl*> controls = Controls(id);
    if (!profile || controls.empty()) return false;
    for (GuiControl* control : controls) {
        auto tooltip = std::make_unique<CGuiToolTipCtrl>();
        if (!tooltip->SetProfile(profile, nullptr)) return false;
        tooltip->SetText(text);
        control->SetToolTip(std::move(tooltip));
    }
    return true;
}

void CSkinnedWizard::CloseLists() {
    for (GuiControl* control : Controls(kLanguageBoxId))
        if (auto* box = dynamic_cast<CGuiComboBoxCtrl*>(control)) box->CloseList();
}

void CSkinnedWizard::SetTitle(const std::wstring& title) {
    if (Window()) SetWindowTextW(Window(), title.c_str());
    SetText(kCaption, title);
}

std::unique_ptr<IWizard> CreateWizard() { return std::make_unique<CSkinnedWizard>(); }
