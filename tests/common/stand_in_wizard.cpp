#include "common/stand_in_wizard.h"

#include "logic/control_ids.h"
#include "startup/log_impl.h"
#include "startup/window_messages.h"

namespace {

void CollectFuncs(const tinyxml2::XMLElement* e, std::vector<int>& ids) {
    for (; e; e = e->NextSiblingElement()) {
        if (const char* func = e->Attribute("func"))
            if (const int id = ControlIdForFunc(func)) ids.push_back(id);
        CollectFuncs(e->FirstChildElement(), ids);
    }
}

bool IsButton(const char* func) {
    const std::string f = func;
    return f.find("button") != std::string::npos || f.rfind("mbox_", 0) == 0 || f == "close" ||
           f == "next" || f == "back" || f == "agree" || f == "disagree" || f == "launch" ||
           f == "uninstall" || f.rfind("cancel", 0) == 0;
}

bool IsComboBox(const char* func) { return std::string(func) == "language"; }

}  // namespace

CStandInWizard::~CStandInWizard() { Destroy(); }


bool CStandInWizard::Create(const tinyxml2::XMLDocument& theme, const std::string&, IWizardOwner* owner,
                            HINSTANCE instance) {
    if (hwnd_ || !gdiplus_.Start()) return false;
    owner_ = owner;
    WNDCLASSW wc{};
    wc.lpfnWndProc = &CStandInWizard::WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kMainWindowClass;
    if (!RegisterClassW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    hwnd_ = CreateWindowExW(0, kMainWindowClass, L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 640, 480,
                            nullptr, nullptr, instance, this);
    if (!hwnd_) return false;

    std::vector<int> ids;
    CollectFuncs(theme.RootElement(), ids);
    int row = 0;
    for (int id : ids) {
        if (controls_.count(id)) continue;
        const char* func = ControlFuncForId(id);
        const bool combo = IsComboBox(func);
        const wchar_t* kind = combo ? L"COMBOBOX" : IsButton(func) ? L"BUTTON" : L"STATIC";
        const DWORD style = WS_CHILD | WS_VISIBLE | (combo ? DWORD(CBS_DROPDOWNLIST | WS_VSCROLL) : 0);
        // A drop-down box's height includes its open list.
        HWND child = CreateWindowExW(0, kind, L"", style, 8 + (row % 3) * 210, 8 + (row / 3) * 22, 200,
                                     combo ? 160 : 20, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                     instance, nullptr);
        if (!child) return false;
        controls_[id] = child;
        ++row;
    }
    return true;
}

void CStandInWizard::Show(bool show) {
    if (!hwnd_) return;
    ShowWindow(hwnd_, show ? SW_SHOW : SW_HIDE);
    if (show) SetForegroundWindow(hwnd_);
}

void CStandInWizard::StartTimer(UINT_PTR id, UINT milliseconds) {
    if (hwnd_) SetTimer(hwnd_, id, milliseconds, nullptr);
}

void CStandInWizard::StopTimer(UINT_PTR id) {
    if (hwnd_) KillTimer(hwnd_, id);
}

void CStandInWizard::Destroy() {
    if (hwnd_) DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    controls_.clear();
}

LRESULT CALLBACK CStandInWizard::WindowProc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(l);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<CStandInWizard*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self) return self->Handle(hwnd, message, w, l);
    return DefWindowProcW(hwnd, message, w, l);
}

LRESULT CStandInWizard::Handle(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    if (owner_ && hwnd == hwnd_) {
        if ((message >= kFirstPrivateMessage && message <= kLastPrivateMessage) || message == WM_COPYDATA)
            return owner_->OnUserMessage(message, w, l);
        if (message == WM_TIMER) {
            owner_->OnTimer(w);
            return 0;
        }
        if (message == WM_CLOSE) {  // the title bar's close acts as the theme's close button
            owner_->OnControl(ControlIdForFunc("close"));
            return 0;
        }
        if (message == WM_COMMAND && controls_.count(LOWORD(w))) {
            const char* func = ControlFuncForId(LOWORD(w));
            const WORD activated = func && IsComboBox(func) ? WORD(CBN_SELCHANGE) : WORD(BN_CLICKED);
            if (HIWORD(w) == activated) {
                owner_->OnControl(LOWORD(w));
                return 0;
            }
        }
    }
    const LRESULT result = DefWindowProcW(hwnd, message, w, l);
    if (message == WM_NCDESTROY && hwnd == hwnd_) hwnd_ = nullptr;
    return result;
}

void CStandInWizard::ShowPage(int page, int variant) {
    page_ = page;
    pages_.emplace_back(page, variant);
}

int CStandInWizard::FindControl(const std::string& func) const {
    const int id = ControlIdForFunc(func);
    return HasControl(id) ? id : 0;
}

void CStandInWizard::SetText(int id, const std::wstring& text) {
    const auto it = controls_.find(id);
    if (it != controls_.end()) SetWindowTextW(it->second, text.c_str());
}

std::wstring CStandInWizard::Text(int id) const {
    const auto it = controls_.find(id);
    if (it == controls_.end()) return {};
    std::wstring text(size_t(GetWindowTextLengthW(it->second)) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(it->second, &text[0], int(text.size()))));
    return text;
}

void CStandInWizard::ShowControl(int id, bool visible) {
    const auto it = controls_.find(id);
    if (it != controls_.end()) ShowWindow(it->second, visible ? SW_SHOWNA : SW_HIDE);
}

bool CStandInWizard::IsControlVisible(int id) const {
    const auto it = controls_.find(id);
    return it != controls_.end() && (GetWindowLongW(it->second, GWL_STYLE) & WS_VISIBLE);
}

void CStandInWizard::EnableControl(int id, bool enabled) {
    const auto it = controls_.find(id);
    if (it != controls_.end()) EnableWindow(it->second, enabled);
}

void CStandInWizard::SetProgress(int id, int value) {
    if (!HasControl(id)) return;
    progress_[id] = value;
    SetText(id, std::to_wstring(value) + L"%");
}

int CStandInWizard::Progress(int id) const {
    const auto it = progress_.find(id);
    return it == progress_.end() ? -1 : it->second;
}

void CStandInWizard::SetChecked(int id, bool checked) {
    if (HasControl(id)) checked_[id] = checked;
}

bool CStandInWizard::IsChecked(int id) const {
    const auto it = checked_.find(id);
    return it != checked_.end() && it->second;
}

void CStandInWizard::SetComboRows(int id, const std::vector<std::pair<int, std::wstring>>& rows) {
    const auto it = controls_.find(id);
    if (it == controls_.end()) return;
    SendMessageW(it->second, CB_RESETCONTENT, 0, 0);
    for (const auto& row : rows) {
        const LRESULT at = SendMessageW(it->second, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.second.c_str()));
        if (at >= 0) SendMessageW(it->second, CB_SETITEMDATA, WPARAM(at), LPARAM(row.first));
    }
}

void CStandInWizard::SelectComboRow(int id, int row, const std::wstring& text, int picture) {
    const auto it = controls_.find(id);
    if (it == controls_.end()) return;
    // A native list box shows the row's own text; a missing row falls back
    // to the text alone.
    if (SendMessageW(it->second, CB_SETCURSEL, WPARAM(row), 0) == CB_ERR) SetWindowTextW(it->second, text.c_str());
    comboPictures_[id] = picture;
}

int CStandInWizard::ComboSelection(int id) const {
    const auto it = controls_.find(id);
    if (it == controls_.end()) return -1;
    const LRESULT row = SendMessageW(it->second, CB_GETCURSEL, 0, 0);
    return row == CB_ERR ? -1 : int(row);
}

int CStandInWizard::ComboPicture(int id) const {
    const auto it = comboPictures_.find(id);
    return it == comboPictures_.end() ? -1 : it->second;
}

void CStandInWizard::SetRichText(int id, const std::wstring& text) {
    SetText(id, text);
    if (id != ControlIdForFunc("mblistbox_error")) return;
    unsigned buttons = 0;
    const struct {
        unsigned flag;
        const char* func;
    } kButtons[] = {{mbbOk, "mbox_ok"}, {mbbYes, "mbox_yes"}, {mbbNo, "mbox_no"}, {mbbRetry, "mbox_retry"},
                    {mbbCancel, "mbox_cancel"}};
    for (const auto& b : kButtons)
        if (IsControlVisible(ControlIdForFunc(b.func))) buttons |= b.flag;
    messages_.push_back({text, buttons, IsControlVisible(ControlIdForFunc("mblistbox_sprite_error"))});
}

bool CStandInWizard::SetTooltip(int id, const std::wstring& text) {
    if (!HasControl(id)) return false;
    tooltips_[id] = text;
    return true;
}

std::wstring CStandInWizard::Tooltip(int id) const {
    const auto it = tooltips_.find(id);
    return it == tooltips_.end() ? std::wstring() : it->second;
}

void CStandInWizard::SetTitle(const std::wstring& title) { SetWindowTextW(hwnd_, title.c_str()); }

std::wstring CStandInWizard::Title() const {
    std::wstring text(size_t(GetWindowTextLengthW(hwnd_)) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(hwnd_, &text[0], int(text.size()))));
    return text;
}
