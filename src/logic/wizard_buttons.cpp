// What the wizard's controls do. Each click is logged by the control's
// name and starts the work of the collaborator it belongs to; closing and
// cancelling ask first where work would be lost; the message box's buttons
// act by the action of the message shown. UI thread only.

#include "logic/wizard_flow.h"

#include "logic/assistant_link.h"
#include "logic/button_log.h"
#include "logic/client_link.h"
#include "logic/control_ids.h"
#include "logic/downloads.h"
#include "logic/installation.h"
#include "logic/language_texts.h"
#include "logic/runtime_update.h"
#include "logic/server_link.h"
#include "logic/uninstallation.h"
#include "logic/update_cycle.h"
#include "startup/text.h"

#include <shellapi.h>

namespace {

constexpr int kLanguageBox = 12366;
constexpr int kEditBox = 12417;

int Id(const char* func) { return ControlIdForFunc(func); }

bool IsCancel(int id) { return id == 12377 || id == 12381 || (id >= 12388 && id <= 12391); }

}  // namespace

void CWizardFlow::OnBtnClicked(int id) {
    LogPart(L"CLogic::OnBtnClicked: ");
    if (id == kLanguageBox) {
        ctx_.texts->OnLanguageBoxChange();
        return;
    }
    ctx_.wizard.CloseLists();
    LogLine(ButtonLogText(id));
    if (!Act(id)) ActOnChoice(id);
}

// The buttons that start or stop work; false for the rest.
bool CWizardFlow::Act(int id) {
    if (id == 12345 || id == 12346) {
        CloseWizard();
    } else if (IsCancel(id)) {
        CancelWizard();
    } else if (id == Id("disagree") || id == Id("cancelUninstall")) {
        ctx_.host->Exit();
    } else if (id == Id("agree")) {
        OnAgree();
    } else if (id == Id("next")) {
        OnNext();
    } else if (id == Id("single_install_button_cancel_update") || id == Id("single_install_button_cancel")) {
        ctx_.assistant->CancelAssistant();
        ctx_.host->Exit();
    } else if (id == Id("single_install_button_browse") || id == Id("change_folder")) {
        ctx_.installation->BrowseForFolder();
    } else if (id == Id("single_install_button_install")) {
        OnSinglePageInstall();
    } else if (id == Id("single_install_button_settings")) {
        SetSettingsOpen(!settingsOpen_);
    } else if (id == Id("single_install_button_terms")) {
        OpenTerms();
    } else if (id == Id("back_icons")) {
        ShowPage(kPageFolder);
    } else if (id == Id("next_icons")) {
        OnNextIcons();
    } else if (id == Id("portable_help")) {
        ShowMessageId(69, kActionNone, mbbOk, false);
    } else if (id == Id("back_extapp")) {
        ExtAppBack();
    } else if (id == Id("next_extapp")) {
        ExtAppNext();
    } else if (id >= Id("button_extapp_help_1") && id <= Id("button_extapp_help_3")) {
        const size_t index = addOnGroup_ * 3 + size_t(id - Id("button_extapp_help_1"));
        if (index < addOns_.size()) ShowMessage(addOns_[index].help, kActionNone, mbbOk, false);
    } else if (id == Id("launch")) {
        ctx_.client->PressLaunch();
    } else if (id == Id("uninstall")) {
        ctx_.uninstallation->ProcessUninstall();
    } else if (id >= Id("mbox_yes") && id <= Id("mbox_cancel")) {
        OnMessageButton(id);
    } else if (id == Id("mbox_link")) {
        OpenLink(118);
    } else {
        return false;
    }
    return true;
}

// The check boxes change their own state; the choice follows it.
void CWizardFlow::ActOnChoice(int id) {
    const bool checked = ctx_.wizard.IsChecked(id);
    if (id == Id("single_install_checkbox_terms")) {
        ctx_.wizard.EnableControl(Id("single_install_button_install"), checked);
        ctx_.texts->SetControlText(Id("single_install_text_progress_info"), checked ? 66 : 65);
    } else if (id == Id("single_install_checkbox_guest") || id == Id("checkbox_guest")) {
        portable_ = checked;
    } else if (id == Id("single_install_checkbox_icon_desktop") || id == Id("checkbox_icon_desktop")) {
        desktop_ = checked;
    } else if (id == Id("single_install_checkbox_icon_programs") || id == Id("checkbox_icon_programs")) {
        programs_ = checked;
    }
}

void CWizardFlow::OnAgree() {
    ShowPage(kPageFolder);
    portable_ = ctx_.wizard.IsChecked(Id("checkbox_guest"));
}

void CWizardFlow::OnNext() {
    if (ctx_.settings.skipIconsPage) {
        OnNextIcons();
        return;
    }
    ShowPage(kPageIcons);
    ctx_.wizard.SetChecked(Id("checkbox_icon_desktop"), desktop_);
    ctx_.wizard.SetChecked(Id("checkbox_icon_programs"), programs_);
}

void CWizardFlow::OnNextIcons() {
    addOns_.clear();
    addOnGroup_ = 0;
    ctx_.update->state().checker.GetNewAddOns(addOns_);
    // A single-page theme has no page to choose add-ons on: they keep the
    // manifest's selection rather than wait on a page that never shows.
    if (addOns_.empty() || ctx_.theme.singlePageMode) {
        ctx_.installation->StartInstallation();
        return;
    }
    ShowAddOnGroup();
}

void CWizardFlow::ExtAppNext() {
    if (!addOns_.empty()) {
        StoreAddOnGroup();
        if (++addOnGroup_ * 3 < addOns_.size()) {
            ShowAddOnGroup();
            return;
        }
    }
    ctx_.installation->StartInstallation();
}

void CWizardFlow::ExtAppBack() {
    StoreAddOnGroup();
    if (addOnGroup_ > 0) {
        --addOnGroup_;
        ShowAddOnGroup();
    } else {
        ShowPage(ctx_.settings.skipIconsPage ? kPageFolder : kPageIcons);
    }
}

void CWizardFlow::OnSinglePageInstall() {
    if (ctx_.runMode == rmUninstaller) {
        ctx_.host->Exit();
        return;
    }
    UnlockSinglePage(false);
    if (settingsOpen_) SetSettingsOpen(false);
    ctx_.installation->StartInstallation();
}

void CWizardFlow::OpenTerms() {
    const std::wstring address =
        ctx_.server->CurrentServerUrl() + L"/terms?LANG=" + Utf8ToWide(ctx_.languages.chosenCode());
    ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CWizardFlow::OpenLink(int entry) {
    ShellExecuteW(nullptr, L"open", GetString(entry).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CWizardFlow::Confirm(int action) { ShowMessageId(3, action, mbbYes | mbbNo, false); }

void CWizardFlow::CloseWizard() {
    if (ctx_.theme.singlePageMode) {
        ctx_.host->Exit();
        return;
    }
    if (page_ == kPageFolder || page_ == kPageDownload || page_ == kPageIcons || (page_ == kPageAssistantProgress && portable_) ||
        (page_ == kPageServerInfo && phase_ == 4) || phase_ == 6) {
        Confirm(kActionNone);
    } else if (page_ == kPageAssistantProgress) {
        Confirm(kActionCancelAssistant);
    } else {
        ctx_.host->Exit();
    }
}

void CWizardFlow::CancelWizard() {
    if (page_ == kPageFolder || page_ == kPageDownload || page_ == kPageIcons || page_ == kPageExternalApplications)
        Confirm(kActionNone);
    else if (page_ == kPageAssistantProgress)
        Confirm(portable_ ? kActionNone : kActionCancelAssistant);
    else if (page_ == kPageServerInfo)
        ctx_.host->Exit();
}

void CWizardFlow::OnMessageButton(int id) {
    if (id == Id("mbox_yes")) {
        if (!ctx_.runtimePresent) {
            ctx_.host->StartWork();
            return;
        }
        if (action_ == kActionCancelAssistant) ctx_.assistant->CancelAssistant();
        ctx_.host->Exit();
    } else if (id == Id("mbox_no")) {
        if (!ctx_.runtimePresent)
            ctx_.runtime->ResumeAfterRuntimeUpdate();
        else
            ReturnToPreviousPage();
    } else if (id == Id("mbox_ok")) {
        OnMessageOk();
    } else if (id == Id("mbox_retry")) {
        switch (action_) {
        case kActionRetryLicence: ctx_.update->RequestLicence(); break;
        case kActionRetryManifest: ctx_.update->RequestManifest(); break;
        case kActionRetryFiles: ctx_.downloads->StartNextDownload(); break;
        case kActionRetryAssistant: ctx_.assistant->RunAssistant(ctx_.assistant->command()); break;
        // Nothing to try again: the page the message covered comes back.
        default: ReturnToPreviousPage(); break;
        }
    } else {
        OnMessageCancel();
    }
}

void CWizardFlow::OnMessageOk() {
    switch (action_) {
    case kActionRuntimeUpdate: ctx_.runtime->ResumeAfterRuntimeUpdate(); break;
    case kActionCustomUrl:
        // A rejected address shows the message again.
        ReturnToPreviousPage();
        ctx_.server->OnCustomUrlEntered(ctx_.wizard.Text(kEditBox), action_);
        break;
    case kActionError:
        if (ctx_.runMode != rmInstall) {
            ctx_.host->Exit();
        } else if (ctx_.theme.singlePageMode) {
            // The installation did not start: its settings can be changed.
            ShowPage(kSinglePageInstall);
            UnlockSinglePage(true);
        } else {
            ShowPage(kPageFolder);
        }
        break;
    case kActionCancel: OnMessageCancel(); break;
    case kActionQuit: ctx_.host->Exit(); break;
    default: ReturnToPreviousPage(); break;
    }
}

void CWizardFlow::OnMessageCancel() {
    // The assistant could not start the installation: the user may choose
    // a portable one instead.
    if (ctx_.theme.singlePageMode && ctx_.runMode == rmInstall && action_ == kActionRetryAssistant &&
        previousPage_ == kSinglePageInstall && ctx_.assistant->command() == 1) {
        ShowPage(kSinglePageInstall);
        UnlockSinglePage(true);
        return;
    }
    ctx_.host->Exit();
}
