#pragma once
// The boundary between the logic object and the wizard window: everything
// CLogic asks of the window goes through IWizard, and everything the window
// reports goes to IWizardOwner. The user-interface layer above implements
// IWizard; the entry point hands one to the logic object, which creates and
// destroys its window. Both live on the UI thread and are called only there.

#include <windows.h>

namespace tinyxml2 {
class XMLDocument;
}

#include <string>
#include <utility>
#include <vector>

// The window class of the launcher's main window: other launcher instances
// find each other by it.
constexpr wchar_t kMainWindowClass[] = L"LauncherWizard";

// Messages the window hands to the logic object.
class IWizardOwner {
public:
    virtual ~IWizardOwner() = default;
    // Private messages 0x914 ... 0xB08 and WM_COPYDATA.
    virtual LRESULT OnUserMessage(UINT message, WPARAM w, LPARAM l) = 0;
    virtual void OnTimer(UINT_PTR id) = 0;
    // A control (by identifier) was activated.
    virtual void OnControl(int id) = 0;
};

class IWizard {
public:
    virtual ~IWizard() = default;

    // Starts the drawing library, reads the screen scale and creates the
    // (hidden) window with the theme's controls; `themeFolder` is the
    // theme's folder in the package ("theme_kx\").
    virtual bool Create(const tinyxml2::XMLDocument& theme, const std::string& themeFolder, IWizardOwner* owner,
                        HINSTANCE instance) = 0;
    // Destroys the window; safe when there is none.
    virtual void Destroy() = 0;
    virtual HWND Window() const = 0;
    // Shows or hides the window; shown, it comes to the front.
    virtual void Show(bool show) = 0;
    // A timer of the window; its ticks reach IWizardOwner::OnTimer.
    virtual void StartTimer(UINT_PTR id, UINT milliseconds) = 0;
    virtual void StopTimer(UINT_PTR id) = 0;
    // Shows page `page` (1-based) at size variant `variant`: 0 installation,
    // 1 update or renaming, 2 uninstaller, 3 installation with the settings
    // panel open.
    virtual void ShowPage(int page, int variant) = 0;
    // The identifier of the control the theme names `func`, or 0.
    virtual int FindControl(const std::string& func) const = 0;
    virtual bool HasControl(int id) const = 0;
    virtual void SetText(int id, const std::wstring& text) = 0;
    virtual std::wstring Text(int id) const = 0;
    virtual void ShowControl(int id, bool visible) = 0;
    virtual bool IsControlVisible(int id) const = 0;
    virtual void EnableControl(int id, bool enabled) = 0;
    virtual void SetProgress(int id, int value) = 0;
    virtual void SetChecked(int id, bool checked) = 0;
    virtual bool IsChecked(int id) const = 0;
    // Drop-down boxes (the language box): the rows as (row identifier,
    // text); the selected row with the picture shown beside the box text;
    // the selected row, or -1.
    virtual void SetComboRows(int id, const std::vector<std::pair<int, std::wstring>>& rows) = 0;
    virtual void SelectComboRow(int id, int row, const std::wstring& text, int picture) = 0;
    virtual int ComboSelection(int id) const = 0;
    // Sets the text of a text area from the launcher's rich-text markup,
    // converted to its display form (at most 2048 characters); the area's
    // scroll returns to the top.
    virtual void SetRichText(int id, const std::wstring& text) = 0;
    // Gives the control a tooltip with `text` in the theme's tooltip look,
    // replacing an earlier one; false without the control or that look.
    virtual bool SetTooltip(int id, const std::wstring& text) = 0;
    // Closes an open drop-down list.
    virtual void CloseLists() = 0;
    virtual void SetTitle(const std::wstring& title) = 0;
};

// Page numbers of the wizard (1-based positions of the theme's pages). A
// single-page theme has four pages; a multi-page theme shows each step of
// the installation on a page of its own.
enum EWizardPage : int {
    kSinglePageMessage = 1,
    kSinglePageUninstall = 2,
    kSinglePageUninstallResult = 3,
    kSinglePageInstall = 4,
    kPageAgreement = 1,
    kPageFolder = 2,
    kPageDownload = 3,
    kPageFinal = 4,
    kPageMessage = 5,
    kPageUninstall = 6,
    kPageUninstallResult = 7,
    kPageIcons = 8,
    kPageAssistantProgress = 9,
    kPageExternalApplications = 10,
    kPageServerInfo = 11,
};

// What the message page is about; decides what its buttons do.
enum EMessageAction : int {
    kActionNone = 0,
    kActionRuntimeUpdate = 1,
    kActionCustomUrl = 2,
    kActionError = 3,
    kActionCancel = 4,
    kActionRetryLicence = 5,
    kActionRetryManifest = 6,
    kActionRetryFiles = 7,
    kActionCancelAssistant = 8,
    kActionRetryAssistant = 9,
    kActionQuit = 10,
};

// What the message page shows below its text besides the buttons.
enum EMessageExtra : int {
    kExtraNone = 0,
    kExtraEdit = 1,  // the edit box with its caption
    kExtraLink = 2,  // the help link
};

// Buttons of the message page.
enum EMessageButtons : unsigned {
    mbbOk = 0x1,
    mbbYes = 0x2,
    mbbNo = 0x4,
    mbbRetry = 0x8,
    mbbCancel = 0x10,
};
