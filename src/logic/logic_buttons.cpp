// What the wizard's buttons do: each goes to the collaborator of its flow;
// the message page's buttons act by the action of the message shown.

#include "logic/logic.h"

#include "logic/button_log.h"
#include "logic/control_ids.h"
#include "startup/log_impl.h"

namespace {

// The message page's edit box.
constexpr int kEditBox = 12417;

int Id(const char* func) { return ControlIdForFunc(func); }

}  // namespace

void CLogic::OnControl(int id) {
    LogPart(L"CLogic::OnBtnClicked: ");
    // The language box logs its own change.
    if (id != Id("language")) LogLine(ButtonLogText(id));
    if (id == Id("close") || id == Id("close_uninstall")) {
        Exit();
    } else if (id == Id("next_icons") || id == Id("next_extapp")) {
        // External applications are offered by the installation pages; with
        // none to offer, the installation step follows at once.
        installation_.StartInstallation();
    } else if (id == Id("single_install_checkbox_terms")) {
        // The box has changed its own state; Install follows it.
        const bool agreed = ctx_.wizard.IsChecked(id);
        ctx_.wizard.EnableControl(Id("single_install_button_install"), agreed);
        texts_.SetControlText(Id("single_install_text_progress_info"), agreed ? 66 : 65);
    } else if (id == Id("single_install_button_install")) {
        if (ctx_.runMode == rmUninstaller) {
            Exit();
            return;
        }
        installation_.StartInstallation();
    } else if (id == Id("language")) {
        texts_.OnLanguageBoxChange();
    } else if (id == Id("launch")) {
        client_.PressLaunch();
    } else if (id == Id("mbox_ok") || id == Id("mbox_retry") || id == Id("mbox_cancel") || id == Id("mbox_yes") ||
               id == Id("mbox_no")) {
        OnMessageButton(id);
    }
}

void CLogic::OnMessageButton(int id) {
    const int action = ctx_.wizard.MessageAction();
    if (id == Id("mbox_cancel")) {
        Exit();
    } else if (id == Id("mbox_yes")) {
        if (action == kActionCancelAssistant) assistant_.CancelAssistant();
        Exit();
    } else if (id == Id("mbox_retry")) {
        switch (action) {
        case kActionRetryLicence: update_.RequestLicence(); break;
        case kActionRetryManifest: update_.RequestManifest(); break;
        case kActionRetryFiles: downloads_.StartNextDownload(); break;
        case kActionRetryAssistant: assistant_.RunAssistant(assistant_.command()); break;
        default: break;
        }
    } else if (id == Id("mbox_ok")) {
        if (action == kActionCustomUrl) {
            server_.OnCustomUrlEntered(ctx_.wizard.Text(kEditBox), action);
        } else if (action == kActionError && ctx_.runMode == rmInstall) {
            ctx_.wizard.ShowPage(ctx_.theme.singlePageMode ? kSinglePageInstall : kPageFolder, ctx_.flowKind);
        } else if (action == kActionError || action == kActionCancel || action == kActionQuit) {
            Exit();
        }
    }
}
