#include "gui/gui_edit.h"

#include "gui/clipboard_text.h"
#include "gui/look_hash.h"
#include "gui/ui_scale.h"

#include <algorithm>

namespace {

// GDI+ measures at most 32 character ranges in one call.
constexpr INT kRangesPerCall = 32;

bool KeyHeld(int key) { return GetKeyState(key) < 0; }

// The caret shows during the second half of every second.
bool CaretPhase() { return GetTickCount64() % 1000 > 500; }

std::unique_ptr<Gdiplus::StringFormat> EditStringFormat() {
    auto format = std::make_unique<Gdiplus::StringFormat>(Gdiplus::StringFormat::GenericDefault());
    format->SetFormatFlags(format->GetFormatFlags() | Gdiplus::StringFormatFlagsNoWrap |
                           Gdiplus::StringFormatFlagsMeasureTrailingSpaces | Gdiplus::StringFormatFlagsNoFitBlackBox);
    format->SetTrimming(Gdiplus::StringTrimmingNone);
    return format;
}

// Each character's box from the text origin, laid out as DrawTextInRect
// lays it out, so the caret and the selection meet the drawn glyphs.
std::vector<EditCharBox> MeasureCharacterBoxes(const std::wstring& text, const Gdiplus::Font* font,
                                               const Gdiplus::StringFormat& base) {
    std::vector<EditCharBox> boxes;
    if (!font || text.empty()) return boxes;
    Gdiplus::Bitmap probe(1, 1, PixelFormat32bppPARGB);
    Gdiplus::Graphics graphics(&probe);
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintClearTypeGridFit);
    Gdiplus::StringFormat format(&base);
    const Gdiplus::RectF layout(0, 0, 1e6f, 1e6f);
    const INT length = INT(text.size());
    for (INT first = 0; first < length; first += kRangesPerCall) {
        const INT count = std::min(kRangesPerCall, length - first);
        Gdiplus::CharacterRange ranges[kRangesPerCall];
        for (INT i = 0; i < count; ++i) ranges[i] = Gdiplus::CharacterRange(first + i, 1);
        format.SetMeasurableCharacterRanges(count, ranges);
        Gdiplus::Region regions[kRangesPerCall];
        graphics.MeasureCharacterRanges(text.c_str(), length, font, layout, &format, count, regions);
        for (INT i = 0; i < count; ++i) {
            Gdiplus::RectF r;
            regions[i].GetBounds(&r, &graphics);
            boxes.push_back({r.X, r.Y, r.X + r.Width, r.Y + r.Height});
        }
    }
    return boxes;
}

}  // namespace

bool CGuiEditCtrl::SetProfile(const CGuiProfile* profile, GuiControl* parent) {
    if (!GuiControl::SetProfile(profile, parent)) return false;
    images_.Create(width(), height());
    PrepareImages();
    ComputeTextArea();
    format_ = EditStringFormat();
    SetVisible(false);
    return true;
}

bool CGuiEditCtrl::PrepareImages() {
    return profile() && profile()->texture && images_.Render(profile()->texture, profile()->zoom);
}

void CGuiEditCtrl::Refresh() {
    edit_.ClearSelection();
    GuiControl::Refresh();
    images_.Create(width(), height());
    ComputeTextArea();
    needsMeasuring_ = true;
    PrepareImages();
}

void CGuiEditCtrl::SetTextBorder(const int32_t (&border)[4]) { std::copy(border, border + 4, textBorder_); }

void CGuiEditCtrl::TextChanged() {
    needsMeasuring_ = true;
    if (edit_.caret() == 0) scroll_ = 0;
}

void CGuiEditCtrl::SetText(const std::wstring& text) {
    edit_.Assign(text);
    TextChanged();
}

int CGuiEditCtrl::LookState() const {
    if (focused()) return gsPressed;
    return hover_ ? gsHover : gsNormal;
}

void CGuiEditCtrl::ComputeTextArea() {
    const float s = UiScale();
    area_ = Gdiplus::RectF(float(textBorder_[0]) * s, float(textBorder_[1]) * s,
                           float(width()) - float(textBorder_[0] + textBorder_[2]) * s,
                           float(height()) - float(textBorder_[1] + textBorder_[3]) * s);
}

void CGuiEditCtrl::MeasureIfNeeded() {
    const Gdiplus::Font* font = ProfileFont(profile(), LookState()).font;
    if (!needsMeasuring_ && font == measuredFont_) return;
    if (format_) boxes_ = MeasureCharacterBoxes(edit_.text(), font, *format_);
    measuredFont_ = font;
    needsMeasuring_ = false;
}

void CGuiEditCtrl::KeepCaretVisible() {
    MeasureIfNeeded();
    scroll_ = ::KeepCaretVisible(boxes_, edit_.caret(), area_.Width, scroll_);
}

float CGuiEditCtrl::TextX(int32_t scrolledX) const { return float(scrolledX - left()) - area_.X; }

void CGuiEditCtrl::Draw(Gdiplus::Graphics& graphics) {
    const CGuiTexture* texture = profile() ? profile()->texture : nullptr;
    if (!visible() || !texture || texture->sprites.size() <= 8) return;
    const GuiStateFont font = ProfileFont(profile(), LookState());
    if (Gdiplus::Bitmap* image = images_.Image(LookState()))
        graphics.DrawImage(image, left(), top(), width(), height());
    const Gdiplus::GraphicsState state = graphics.Save();
    graphics.SetClip(Gdiplus::Rect(left(), top(), width(), height()), Gdiplus::CombineModeIntersect);
    // Scrolled before drawing, so the frame shows the caret where it is.
    KeepCaretVisible();
    if ((focused() || captured()) && edit_.HasSelection()) DrawSelection(graphics);
    if (focused() && CaretPhase()) DrawCaret(graphics, font.colour);
    if (!edit_.text().empty()) {
        const Gdiplus::RectF area(float(left()) + area_.X, float(top()) + area_.Y, area_.Width, area_.Height);
        graphics.SetClip(area, Gdiplus::CombineModeIntersect);
        const Gdiplus::RectF layout(area.X - float(scroll_), area.Y, 1e6f, area.Height);
        DrawTextInRect(graphics, edit_.text(), font.colour, font.font, layout, false, format_.get());
    }
    graphics.Restore(state);
}

void CGuiEditCtrl::DrawSelection(Gdiplus::Graphics& graphics) const {
    const size_t start = size_t(edit_.selectionStart()), end = size_t(edit_.selectionEnd());
    if (end > boxes_.size()) return;
    const float originX = float(left()) + area_.X - float(scroll_), originY = float(top()) + area_.Y;
    const float areaLeft = float(left()) + area_.X, areaTop = originY;
    const float x0 = std::max(originX + boxes_[start].left, areaLeft);
    const float x1 = std::min(originX + boxes_[end - 1].right, areaLeft + area_.Width);
    const float y0 = std::max(originY + boxes_[start].top, areaTop);
    const float y1 = std::min(originY + boxes_[start].bottom, areaTop + area_.Height);
    if (x1 <= x0 || y1 <= y0) return;
    Gdiplus::SolidBrush brush{Gdiplus::Color(selectionColour_)};
    graphics.FillRectangle(&brush, x0, y0, x1 - x0, y1 - y0);
}

void CGuiEditCtrl::DrawCaret(Gdiplus::Graphics& graphics, uint32_t colour) const {
    const float x = float(left()) + area_.X + CaretX(boxes_, edit_.caret()) - float(scroll_);
    Gdiplus::SolidBrush brush{Gdiplus::Color(colour)};
    graphics.FillRectangle(&brush, x, float(top()) + area_.Y, 1.0f, area_.Height);
}

void CGuiEditCtrl::OnChar(uint32_t code) {
    // Ctrl with a key is a command, but Ctrl and Alt together are AltGr,
    // which types characters such as '@' on many keyboards.
    const bool command = KeyHeld(VK_CONTROL) && !KeyHeld(VK_MENU);
    if (command || code < 0x20) return;
    edit_.Insert(std::wstring(1, wchar_t(code)));
    TextChanged();
}

void CGuiEditCtrl::OnKeyDown(uint32_t key) {
    if (KeyHeld(VK_SHIFT)) {
        if (key != VK_LEFT && key != VK_RIGHT) return;
        edit_.ExtendSelection(key == VK_LEFT ? -1 : 1);
        KeepCaretVisible();
        return;
    }
    if (KeyHeld(VK_CONTROL) && (key == 'A' || key == 'C' || key == 'X' || key == 'V')) {
        OnShortcut(key);
        return;
    }
    switch (key) {
    case VK_BACK:
        edit_.DeleteBackward();
        TextChanged();
        break;
    case VK_DELETE:
        edit_.DeleteForward();
        TextChanged();
        break;
    case VK_LEFT:
    case VK_RIGHT:
        edit_.MoveCaret(key == VK_LEFT ? -1 : 1);
        KeepCaretVisible();
        break;
    case VK_RETURN: NotifyClick(); break;
    default: break;
    }
}

void CGuiEditCtrl::OnShortcut(uint32_t key) {
    if (key == 'A') {
        edit_.SelectAll();
        if (captured()) TakeCapture(false);
        selecting_ = false;
    } else if (key == 'V') {
        // Nothing readable on the clipboard changes nothing.
        std::wstring pasted;
        if (!ReadClipboardText(pasted)) return;
        edit_.Insert(pasted);
        TextChanged();
    } else if (edit_.HasSelection() && WriteClipboardText(edit_.SelectedText())) {
        edit_.SetCaret(edit_.selectionStart());
        if (key == 'X' && edit_.DeleteSelection()) TextChanged();
    }
}

void CGuiEditCtrl::OnLButtonDown(GuiPoint point) {
    TakeFocus(true);
    TakeCapture(true);
    edit_.ClearSelection();
    selecting_ = true;
    press_ = current_ = GuiPoint{point.x + scroll_, point.y};
}

void CGuiEditCtrl::OnMouseMove(GuiPoint point) {
    hover_ = true;
    if (!selecting_) return;
    current_ = GuiPoint{point.x + scroll_, point.y};
    MeasureIfNeeded();
    int32_t to = CaretIndexAt(boxes_, TextX(current_.x));
    // Outside the text area the caret walks on, one character a move or
    // tick, and the text scrolls after it.
    const float areaLeft = float(left()) + area_.X;
    if (float(point.x) < areaLeft) --to;
    if (float(point.x) >= areaLeft + area_.Width) ++to;
    edit_.SelectBetween(CaretIndexAt(boxes_, TextX(press_.x)), to);
    KeepCaretVisible();
}

void CGuiEditCtrl::OnLButtonUp(GuiPoint) {
    if (!selecting_) return;
    if (!edit_.HasSelection()) {
        MeasureIfNeeded();
        edit_.SetCaret(CaretIndexAt(boxes_, TextX(press_.x)));
    }
    if (captured()) TakeCapture(false);
    selecting_ = false;
    press_ = current_;
}

void CGuiEditCtrl::OnMouseLeave() {
    hover_ = false;
    if (captured()) TakeCapture(false);
    selecting_ = false;
}

void CGuiEditCtrl::HashLook(uint64_t& hash) const {
    GuiControl::HashLook(hash);
    HashText(hash, edit_.text());
    HashValue(hash, uint64_t(uint32_t(edit_.caret())) << 32 | uint32_t(scroll_));
    HashValue(hash, uint64_t(uint32_t(edit_.selectionStart())) << 32 | uint32_t(edit_.selectionEnd()));
    HashValue(hash, uint64_t(hover_) | uint64_t(focused() && CaretPhase()) << 1);
}
