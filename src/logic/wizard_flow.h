#pragma once
// The wizard's state and its buttons: which page shows and which one the
// message box replaced, the message box and its action, the user's choices
// (portable, shortcuts, external applications), the phase shown on the
// first page, and the single-page settings panel. Every control the window
// reports comes to OnBtnClicked, which logs it and starts the work of the
// collaborator it belongs to. Owned by CLogic; UI thread only.

#include "logic/logic_context.h"
#include "update/manifest.h"

#include <string>
#include <vector>

class CWizardFlow {
public:
    explicit CWizardFlow(LogicContext& ctx) : ctx_(ctx) {}

    // Shows a page at the size variant of this run (3 while the settings
    // panel is open).
    void ShowPage(int page);
    // The page that shows the progress of the assistant's or the
    // uninstaller's work, headed by string `headline` in multi-page mode.
    void ShowWorkPage(int headline);
    int CurrentPage() const { return page_; }
    int PreviousPage() const { return previousPage_; }

    // The message box: remembers `action`, brings the window to the front,
    // logs the framed block and shows `text` (rich text) in place of the
    // current page, which it returns to when its buttons say so.
    void ShowMessage(const std::wstring& text, int action, unsigned buttons, bool showIcon,
                     int extra = kExtraNone);
    void ShowMessageId(int entry, int action, unsigned buttons, bool showIcon);
    int MessageAction() const { return action_; }

    // The activity shown on the first page (a progress stage).
    void SetPhase(int phase) { phase_ = phase; }

    // After the texts are set, before the window first shows: the
    // shortcut choices from the configuration, the settings panel closed.
    void InitChoices();
    // The installation folder in the controls that show it.
    void ShowInstallFolder();
    // The portable check box's tooltip, again after a language change.
    void AttachPortableTooltip();

    bool portableChoice() const { return portable_; }
    bool desktopChoice() const { return desktop_; }
    bool programsChoice() const { return programs_; }
    bool settingsOpen() const { return settingsOpen_; }
    // The external applications offered, with the user's selection.
    const std::vector<ExtAddOn>& addOns() const { return addOns_; }

    // A control was activated: logs "CLogic::OnBtnClicked: " and its name
    // and acts on it.
    void OnBtnClicked(int id);

private:
    bool Act(int id);
    void ActOnChoice(int id);
    void OnAgree();
    void OnNext();
    void OnNextIcons();
    void OnSinglePageInstall();
    void OpenTerms();
    void OpenLink(int entry);
    void CloseWizard();
    void CancelWizard();
    void Confirm(int action);
    void OnMessageButton(int id);
    void OnMessageOk();
    void OnMessageCancel();
    void ReturnToPreviousPage();
    // Lets the user change the single-page settings again (after an error
    // that returned to them), or stops it while the installation runs.
    void UnlockSinglePage(bool unlocked);
    void SetSettingsOpen(bool open);
    void ShowAddOnGroup();
    void StoreAddOnGroup();
    void ExtAppNext();
    void ExtAppBack();
    int Variant() const;

    LogicContext& ctx_;
    int page_ = 0;
    int previousPage_ = 0;
    int action_ = kActionNone;
    int phase_ = 0;
    bool portable_ = false;
    bool desktop_ = true;
    bool programs_ = true;
    bool settingsOpen_ = false;
    std::vector<ExtAddOn> addOns_;
    size_t addOnGroup_ = 0;
};
