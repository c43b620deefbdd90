// The wizard's pages, its message box and the single-page settings panel.
// UI thread only.

#include "logic/wizard_flow.h"

#include "logic/control_ids.h"
#include "startup/text.h"

namespace {

// Message page controls.
constexpr int kMessageScroll = 12399, kMessageText = 12400, kMessageIcon = 12401, kEditBox = 12417,
              kLink = 12418, kEditCaption = 12419;

// The single-page settings panel and what it holds.
constexpr int kSettingsPanel[] = {12357, 12358, 12365, 12356, 12363};
constexpr int kPortableBox = 12356, kDesktopBox = 12357, kProgramsBox = 12358;

}  // namespace

int CWizardFlow::Variant() const {
    return settingsOpen_ && ctx_.runMode == rmInstall ? 3 : ctx_.flowKind;
}

void CWizardFlow::ShowPage(int page) {
    page_ = page;
    ctx_.wizard.ShowPage(page, Variant());
}

void CWizardFlow::ShowWorkPage(int headline) {
    if (!ctx_.theme.singlePageMode)
        ctx_.wizard.SetText(ControlIdForFunc("headline_progress_info"), GetString(headline));
    ShowPage(ctx_.theme.singlePageMode ? kSinglePageInstall : kPageAssistantProgress);
}

void CWizardFlow::ShowMessage(const std::wstring& text, int action, unsigned buttons, bool showIcon, int extra) {
    action_ = action;
    ctx_.wizard.Show(true);
    ctx_.wizard.ShowControl(kEditBox, extra == kExtraEdit);
    ctx_.wizard.ShowControl(kEditCaption, extra == kExtraEdit);
    ctx_.wizard.SetText(kEditBox, L"");
    ctx_.wizard.ShowControl(kLink, extra == kExtraLink);
    const struct {
        unsigned flag;
        int id;
    } kButtons[] = {{mbbYes, 12412}, {mbbNo, 12413}, {mbbOk, 12414}, {mbbRetry, 12415}, {mbbCancel, 12416}};
    for (const auto& b : kButtons) ctx_.wizard.ShowControl(b.id, (buttons & b.flag) != 0);
    ctx_.wizard.ShowControl(kMessageIcon, showIcon);
    ctx_.wizard.ShowControl(kMessageText, true);
    ctx_.wizard.ShowControl(kMessageScroll, true);
    // A message shown over another one returns to the page both replaced,
    // not to the first message.
    const int messagePage = ctx_.theme.singlePageMode ? kSinglePageMessage : kPageMessage;
    if (page_ != messagePage) previousPage_ = page_;
    ShowPage(messagePage);
    LogLine(L" --------------------------------------");
    LogLine(L"|              MessageBox              |");
    LogLine(L"|--------------------------------------|");
    LogLine(text);
    LogLine(L" --------------------------------------");
    ctx_.wizard.SetRichText(kMessageText, text);
}

void CWizardFlow::ShowMessageId(int entry, int action, unsigned buttons, bool showIcon) {
    ShowMessage(GetString(entry), action, buttons, showIcon);
}

void CWizardFlow::ReturnToPreviousPage() {
    if (previousPage_ > 0) ShowPage(previousPage_);
}

void CWizardFlow::InitChoices() {
    desktop_ = ctx_.settings.iconDesktop;
    programs_ = ctx_.settings.iconPrograms;
    if (!ctx_.theme.singlePageMode) return;
    ctx_.wizard.SetChecked(kDesktopBox, desktop_);
    ctx_.wizard.SetChecked(kProgramsBox, programs_);
    // Install waits for the terms to be accepted.
    const int terms = ControlIdForFunc("single_install_checkbox_terms");
    if (ctx_.runMode == rmInstall && ctx_.wizard.HasControl(terms))
        ctx_.wizard.EnableControl(ControlIdForFunc("single_install_button_install"), ctx_.wizard.IsChecked(terms));
    // Only an installation has settings to open.
    ctx_.wizard.ShowControl(ControlIdForFunc("single_install_button_settings"), ctx_.runMode == rmInstall);
    for (int id : kSettingsPanel) ctx_.wizard.ShowControl(id, false);
}

void CWizardFlow::ShowInstallFolder() {
    for (const char* func : {"single_install_text_folder", "folder", "text_wantuninstall_path"})
        ctx_.wizard.SetText(ControlIdForFunc(func), ctx_.installFolder);
}

void CWizardFlow::AttachPortableTooltip() {
    if (ctx_.wizard.HasControl(kPortableBox)) ctx_.wizard.SetTooltip(kPortableBox, GetString(69));
}

void CWizardFlow::SetSettingsOpen(bool open) {
    settingsOpen_ = open;
    for (int id : kSettingsPanel) ctx_.wizard.ShowControl(id, open);
    if (page_ == kSinglePageInstall) ShowPage(kSinglePageInstall);
}

void CWizardFlow::UnlockSinglePage(bool unlocked) {
    for (const char* func : {"single_install_checkbox_terms", "single_install_checkbox_icon_desktop",
                             "single_install_checkbox_icon_programs", "single_install_checkbox_guest",
                             "single_install_button_browse", "single_install_button_settings", "language"})
        ctx_.wizard.EnableControl(ControlIdForFunc(func), unlocked);
    const int terms = ControlIdForFunc("single_install_checkbox_terms");
    const bool agreed = !ctx_.wizard.HasControl(terms) || ctx_.wizard.IsChecked(terms);
    ctx_.wizard.EnableControl(ControlIdForFunc("single_install_button_install"), unlocked && agreed);
}

void CWizardFlow::ShowAddOnGroup() {
    ShowPage(kPageExternalApplications);
    for (size_t i = 0; i < 3; ++i) {
        const size_t index = addOnGroup_ * 3 + i;
        const bool shown = index < addOns_.size();
        const int box = ControlIdForFunc("checkbox_extapp_1") + int(i);
        ctx_.wizard.ShowControl(box, shown);
        ctx_.wizard.ShowControl(ControlIdForFunc("button_extapp_help_1") + int(i), shown);
        if (!shown) continue;
        ctx_.wizard.SetText(box, addOns_[index].name);
        ctx_.wizard.SetChecked(box, addOns_[index].selected);
    }
}

void CWizardFlow::StoreAddOnGroup() {
    for (size_t i = 0; i < 3; ++i) {
        const size_t index = addOnGroup_ * 3 + i;
        if (index < addOns_.size())
            addOns_[index].selected = ctx_.wizard.IsChecked(ControlIdForFunc("checkbox_extapp_1") + int(i));
    }
}
