// The layered window's message handling: mouse and keyboard routing to the
// controls, dragging the window by its page, and the messages forwarded
// to the owner.

#include "gui/gui_tooltip.h"
#include "gui/layered_window.h"
#include "gui/control_tables.h"
#include "startup/window_messages.h"

#include <windowsx.h>

namespace {

// Notifications from native child windows go back to them, as the window
// library's reflection does, at the message number plus 0x2000.
HWND ReflectionTarget(HWND window, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_COMMAND: return reinterpret_cast<HWND>(l);
    case WM_NOTIFY: return reinterpret_cast<NMHDR*>(l)->hwndFrom;
    case WM_DRAWITEM: return reinterpret_cast<DRAWITEMSTRUCT*>(l)->hwndItem;
    case WM_MEASUREITEM: return GetDlgItem(window, int(reinterpret_cast<MEASUREITEMSTRUCT*>(l)->CtlID));
    case WM_DELETEITEM: return reinterpret_cast<DELETEITEMSTRUCT*>(l)->hwndItem;
    case WM_COMPAREITEM: return reinterpret_cast<COMPAREITEMSTRUCT*>(l)->hwndItem;
    case WM_PARENTNOTIFY:
        return LOWORD(w) == WM_CREATE || LOWORD(w) == WM_DESTROY ? reinterpret_cast<HWND>(l) : nullptr;
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: return reinterpret_cast<HWND>(l);
    default: return nullptr;
    }
}

}  // namespace

LRESULT CLayeredWindow::Handle(UINT message, WPARAM w, LPARAM l, bool& handled) {
    if (message == WM_COPYDATA || (message >= kFirstPrivateMessage && message <= kLastPrivateMessage))
        return hooks_.message ? hooks_.message(message, w, l) : 0;
    if (HWND child = ReflectionTarget(hwnd(), message, w, l); child && child != hwnd() && IsWindow(child))
        return SendMessageW(child, message + 0x2000, w, l);
    switch (message) {
    case WM_CREATE: return OnCreate() ? 0 : -1;
    case WM_TIMER: OnTimer(w); return 0;
    case WM_MOUSEMOVE: OnMouseMove(GuiPoint{GET_X_LPARAM(l), GET_Y_LPARAM(l)}); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: OnLButtonDown(); return 0;
    case WM_LBUTTONUP: OnLButtonUp(); return 0;
    case WM_CAPTURECHANGED:
        if (dragging_) {
            dragging_ = false;
            dragDelta_ = POINT{};
        }
        return 0;
    case WM_MOUSELEAVE:
    case WM_NCMOUSEMOVE:
        if (capture_) capture_->OnMouseLeave();
        // A control lit by the mouse goes back to its normal look when the
        // mouse leaves the window.
        if (hot_ && hot_ != capture_) hot_->OnMouseLeave();
        hot_ = nullptr;
        tracking_ = false;
        handled = message == WM_MOUSELEAVE;
        return 0;
    case WM_KEYDOWN:
        if (focus_) focus_->OnKeyDown(uint32_t(w));
        return 0;
    case WM_CHAR:
        if (focus_) focus_->OnChar(uint32_t(w));
        return 0;
    case WM_MOUSEWHEEL:
        if (wheelTarget_) wheelTarget_->OnMouseWheel(GET_WHEEL_DELTA_WPARAM(w));
        return 0;
    case WM_DPICHANGED: OnDpiChanged(LOWORD(w)); return 0;
    case WM_CLOSE:
        // Closing from the system (Alt+F4, the taskbar) is the close button.
        if (hooks_.click) hooks_.click(kCloseButtonId);
        return 0;
    case WM_DESTROY:
        if (timerRunning_) KillTimer(hwnd(), eWindowTimer_Paint);
        timerRunning_ = false;
        PostQuitMessage(0);
        return 0;
    default: handled = false; return 0;
    }
}

void CLayeredWindow::OnMouseMove(GuiPoint client) {
    if (!tracking_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd(), 0};
        TrackMouseEvent(&track);
        tracking_ = true;
    }
    mouse_ = POINT{client.x, client.y};
    ::SetFocus(hwnd());
    if (dragging_) {
        POINT screen = mouse_;
        ClientToScreen(hwnd(), &screen);
        dragDelta_ = POINT{screen.x - dragStart_.x, screen.y - dragStart_.y};
        return;
    }
    if (capture_) {
        capture_->OnMouseMove(client);
        return;
    }
    CGuiBitmapBorderStepCtrl* page = CurrentPage();
    if (!page) return;
    GuiControl* hit = page->ControlAt(client);
    if (hit) hit->OnMouseMove(client);
    if (hit && hot_ && hit != hot_) hot_->OnMouseLeave();
    if (hit && hit != hot_)
        if (auto* tip = dynamic_cast<CGuiToolTipCtrl*>(hit->toolTip())) {
            tip->Restart(GetTickCount64());
            tip->Track(client, GetTickCount64());
        }
    hot_ = hit;
    wheelTarget_ = page->WheelTargetAt(client);
}

void CLayeredWindow::OnLButtonDown() {
    if (!hot_) return;
    if (hot_ == CurrentPage()) {
        dragging_ = true;
        POINT screen = mouse_;
        ClientToScreen(hwnd(), &screen);
        dragStart_ = screen;
        ::SetCapture(hwnd());
        if (CGuiComboBoxCtrl* language = LanguageBox(); language && language->dropped()) language->CloseList();
        return;
    }
    hot_->OnLButtonDown(GuiPoint{mouse_.x, mouse_.y});
}

void CLayeredWindow::OnLButtonUp() {
    if (dragging_) {
        position_.x += dragDelta_.x;
        position_.y += dragDelta_.y;
        dragDelta_ = POINT{};
        dragging_ = false;
        ReleaseCapture();
    }
    const GuiPoint point{mouse_.x, mouse_.y};
    if (capture_) capture_->OnLButtonUp(point);
    if (hot_) hot_->OnLButtonUp(point);
}

void CLayeredWindow::SetCapture(GuiControl* control) {
    if (capture_ && capture_ != control) {
        GuiControl* previous = capture_;
        capture_ = nullptr;
        previous->TakeCapture(false);
    }
    capture_ = control;
}

void CLayeredWindow::SetFocus(GuiControl* control) {
    if (focus_ && focus_ != control) {
        GuiControl* previous = focus_;
        focus_ = nullptr;
        previous->TakeFocus(false);
    }
    focus_ = control;
}

void CLayeredWindow::Notify(int32_t id) {
    // A modal folder dialog follows; the button must not stay lit.
    if (id == kBrowseButtonId && hot_) hot_->OnMouseLeave();
    if (hooks_.click) hooks_.click(id);
}
