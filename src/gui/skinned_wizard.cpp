#include "gui/skinned_wizard.h"

#include "gui/gui_check_box.h"
#include "gui/gui_combo_box.h"
#include "gui/gui_edit.h"
#include "gui/gui_progress.h"
#include "gui/gui_text_label.h"
#include "gui/rich_text.h"
#include "logic/control_ids.h"
#include "startup/lang_table.h"
#include "startup/launcher_config.h"
#include "startup/log_impl.h"
#include "startup/package_store.h"
#include "startup/text.h"

namespace {

// Message page controls.
constexpr int kMessageScroll = 12399, kMessageText = 12400, kMessageIcon = 12401, kEditBox = 12417,
              kLink = 12418, kEditCaption = 12419, kCaption = 12420;

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
    singlePageMode_ = ReadThemeSettings(theme.RootElement()).singlePageMode;
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

void CSkinnedWizard::ShowPage(int page, int flowKind) {
    if (!window_) return;
    page_ = page;
    pageVariant_ = flowKind;
    window_->ShowPage(page, flowKind);
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

void CSkinnedWizard::ShowMessage(int action, const std::wstring& text, unsigned buttons, bool showIcon) {
    action_ = action;
    Show(true);
    // Only a message that asks for a server address has the edit box.
    const bool edit = action == kActionCustomUrl;
    ShowControl(kEditBox, edit);
    ShowControl(kEditCaption, edit);
    SetText(kEditBox, L"");
    ShowControl(kLink, false);
    const struct {
        unsigned flag;
        const char* func;
    } kButtons[] = {{mbbOk, "mbox_ok"}, {mbbYes, "mbox_yes"}, {mbbNo, "mbox_no"}, {mbbRetry, "mbox_retry"},
                    {mbbCancel, "mbox_cancel"}};
    for (const auto& b : kButtons) ShowControl(ControlIdForFunc(b.func), (buttons & b.flag) != 0);
    ShowControl(kMessageIcon, showIcon);
    ShowControl(kMessageText, true);
    ShowControl(kMessageScroll, true);
    const int messagePage = singlePageMode_ ? kSinglePageMessage : kPageMessage;
    if (page_ != messagePage) previousPage_ = page_;
    ShowPage(messagePage, pageVariant_);
    LogLine(L" --------------------------------------");
    LogLine(L"|              MessageBox              |");
    LogLine(L"|--------------------------------------|");
    LogLine(text);
    LogLine(L" --------------------------------------");
    std::wstring shown;
    ConvertRichText(text, shown, [](const std::wstring& line) { LogLine(line); });
    SetText(kMessageText, shown);
}

void CSkinnedWizard::SetTitle(const std::wstring& title) {
    if (Window()) SetWindowTextW(Window(), title.c_str());
    SetText(kCaption, title);
}

std::unique_ptr<IWizard> CreateWizard() { return std::make_unique<CSkinnedWizard>(); }
