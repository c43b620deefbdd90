#include "gui/gui_combo_box.h"

#include "gui/control_states.h"
#include "gui/look_hash.h"
#include "gui/ui_scale.h"

#include <algorithm>

namespace {

bool Inside(const GuiRect& r, GuiPoint p) {
    return p.x >= r.x && p.x < r.x + r.width && p.y >= r.y && p.y < r.y + r.height;
}

int32_t Scaled(float value) { return int32_t(value * UiScale()); }

}  // namespace

int CGuiComboBoxCtrl::State() const { return GuiStateIndex(enabled(), openLook_, hover_); }

bool CGuiComboBoxCtrl::HitTest(int32_t x, int32_t y) const {
    if (!visible()) return false;
    if (dropped_ && Inside(ListFrame(), GuiPoint{x, y})) return true;
    return GuiControl::HitTest(x, y) && images_.AlphaAt(State(), x - left(), y - top()) != 0;
}

bool CGuiComboBoxCtrl::SetProfile(const CGuiProfile* profile, GuiControl* parent) {
    if (!AttachLabel(profile, parent)) return false;
    images_.Create(width(), height());
    PrepareImages();
    const auto& children = profile->children;
    if (children.size() > 0 && children[0]) listProfile_ = children[0];
    if (children.size() > 1 && children[1]) pictureProfile_ = children[1];
    ComputeRows();
    return true;
}

void CGuiComboBoxCtrl::Refresh() {
    CGuiTextLabelCtrl::Refresh();
    images_.Create(width(), height());
    PrepareImages();
    ComputeRows();
}

bool CGuiComboBoxCtrl::PrepareImages() {
    if (!profile() || !profile()->texture || !images_.Image(0)) return false;
    if (!images_.Render(profile()->texture, profile()->zoom)) return false;
    const float s = UiScale();
    const Gdiplus::RectF rect(profile()->textOffsetX * s, profile()->textOffsetY * s, float(width()),
                              float(height()));
    for (int state = 0; state < 4; ++state) {
        const GuiStateFont font = ProfileFont(profile(), state);
        Gdiplus::Graphics graphics(images_.Image(state));
        DrawTextInRect(graphics, text(), font.colour, font.font, rect, true, stringFormat());
    }
    return true;
}

void CGuiComboBoxCtrl::ComputeRows() {
    const int32_t* eb = style_.elementsBorder;
    const int32_t* lb = style_.listBorder;
    const int32_t w = designWidth();
    for (size_t i = 0; i < rows_.size(); ++i)
        rows_[i].rect = GuiRect{Scaled(float(eb[0] + lb[0])), Scaled(float(lb[1] + int32_t(i) * style_.rowHeight)),
                                Scaled(float(w - lb[2] - eb[2] - eb[0] - lb[0])), Scaled(float(style_.rowHeight))};
    frame_ = GuiRect{Scaled(float(eb[0])), 0, Scaled(float(w - eb[2] - eb[0])),
                     Scaled(float(lb[1] + int32_t(rows_.size()) * style_.rowHeight + lb[3]))};
}

void CGuiComboBoxCtrl::AddItem(int32_t id, const std::wstring& text) {
    const auto at = std::lower_bound(rows_.begin(), rows_.end(), id, [](const Row& r, int32_t v) { return r.id < v; });
    if (at != rows_.end() && at->id == id)
        at->text = text;
    else
        rows_.insert(at, Row{id, text, GuiRect{}});
    ComputeRows();
}

void CGuiComboBoxCtrl::ClearItems() {
    rows_.clear();
    selected_ = hovered_ = -1;
    ComputeRows();
}

void CGuiComboBoxCtrl::SelectRow(int32_t index) {
    if (index < 0 || size_t(index) >= rows_.size()) {
        selected_ = -1;
        return;
    }
    selected_ = index;
    SetText(rows_[size_t(index)].text);
}

GuiRect CGuiComboBoxCtrl::ListFrame() const {
    return GuiRect{left() + frame_.x, top() + frame_.y + shift_, frame_.width, frame_.height};
}

GuiRect CGuiComboBoxCtrl::RowRect(size_t index) const {
    if (index >= rows_.size()) return GuiRect{};
    const GuiRect& r = rows_[index].rect;
    return GuiRect{left() + r.x, top() + r.y + shift_, r.width, r.height};
}

int32_t CGuiComboBoxCtrl::RowAt(GuiPoint point) const {
    for (size_t i = 0; i < rows_.size(); ++i)
        if (Inside(RowRect(i), point)) return int32_t(i);
    return -1;
}

int32_t CGuiComboBoxCtrl::OpeningShift() const {
    const int32_t* eb = style_.elementsBorder;
    const int32_t below = height() + Scaled(float(eb[1]));
    if (!comboHost_) return below;
    RECT monitor{}, window{};
    int32_t taskbar = 0;
    comboHost_->ListWorkArea(monitor, window, taskbar);
    const float s = UiScale();
    const float borders = float(eb[1] + eb[3]) * s;
    const int32_t boxTop = window.top + top();
    const float spaceBelow = float(monitor.bottom - (boxTop + height())) - borders;
    const float spaceAbove = float(boxTop - monitor.top) - borders;
    if (float(frame_.height) + borders <= spaceBelow - float(taskbar)) return below;
    return -std::min(int32_t(float(eb[3]) * s + float(frame_.height)), std::max(int32_t(spaceAbove), 0));
}

void CGuiComboBoxCtrl::OnPress() {
    dropped_ = !dropped_;
    if (!dropped_) {
        hovered_ = -1;
        if (comboHost_) comboHost_->ResizeSurfaceForList(false);
        return;
    }
    shift_ = OpeningShift();
    if (comboHost_) comboHost_->ResizeSurfaceForList(true);
}

void CGuiComboBoxCtrl::CloseList() {
    if (!dropped_) return;
    openLook_ = false;
    OnPress();
}

void CGuiComboBoxCtrl::OnMouseMove(GuiPoint point) {
    if (enabled()) hover_ = true;
    hovered_ = dropped_ ? RowAt(point) : -1;
}

void CGuiComboBoxCtrl::OnLButtonDown(GuiPoint point) {
    if (dropped_ && Inside(ListFrame(), point)) {
        // On the frame between rows the selection stays.
        const int32_t row = RowAt(point);
        if (row >= 0) SelectRow(row);
        NotifyClick();
        openLook_ = false;
        if (dropped_) OnPress();
        return;
    }
    if (!enabled()) return;
    openLook_ = !openLook_;
    OnPress();
}

void CGuiComboBoxCtrl::OnMouseLeave() {
    hover_ = false;
    hovered_ = -1;
}

void CGuiComboBoxCtrl::Draw(Gdiplus::Graphics& graphics) {
    if (!visible() || !profile() || !profile()->texture) return;
    if (Gdiplus::Bitmap* image = images_.Image(State()))
        graphics.DrawImage(image, left(), top(), width(), height());
    if (dropped_) DrawList(graphics);
    DrawPicture(graphics);
}

void CGuiComboBoxCtrl::DrawList(Gdiplus::Graphics& graphics) const {
    if (listProfile_) DrawNineSlice(graphics, listProfile_->texture, ListFrame(), 0, listProfile_->zoom);
    const float s = UiScale();
    for (size_t i = 0; i < rows_.size(); ++i) {
        uint32_t fill = style_.colourElement;
        int state = gsNormal;
        if (int32_t(i) == hovered_)
            fill = style_.colourHover, state = gsHover;
        else if (int32_t(i) == selected_)
            fill = style_.colourSelected, state = gsPressed;
        const GuiRect r = RowRect(i);
        Gdiplus::SolidBrush brush{Gdiplus::Color(fill)};
        graphics.FillRectangle(&brush, r.x, r.y, r.width, r.height);
        const GuiStateFont font = ProfileFont(listProfile_, state);
        const Gdiplus::RectF textRect(float(r.x) + float(style_.textOffset[0]) * s,
                                      float(r.y) + float(style_.textOffset[1]) * s, float(r.width), float(r.height));
        DrawTextInRect(graphics, rows_[i].text, font.colour, font.font, textRect, false, stringFormat());
    }
}

void CGuiComboBoxCtrl::DrawPicture(Gdiplus::Graphics& graphics) const {
    const CGuiTexture* texture = pictureProfile_ ? pictureProfile_->texture : nullptr;
    if (!texture || selected_ < 0 || size_t(selected_) >= texture->sprites.size()) return;
    // Placed and sized with the UI scale like everything else, so the
    // picture keeps its place in the box at any DPI.
    const SpriteBitmap& sprite = texture->sprites[size_t(selected_)];
    const bool margin = texture->sprites.size() > 1;
    const float s = UiScale(), inset = margin ? 2.0f : 0.0f;
    DrawSprite(graphics, sprite, margin,
               Gdiplus::RectF(float(left()) + float(style_.flagOffset[0]) * s,
                              float(top()) + float(style_.flagOffset[1]) * s, (float(sprite.width) - inset) * s,
                              (float(sprite.height) - inset) * s));
}

void CGuiComboBoxCtrl::HashLook(uint64_t& hash) const {
    CGuiTextLabelCtrl::HashLook(hash);
    HashValue(hash, uint64_t(hover_) | uint64_t(openLook_) << 1 | uint64_t(dropped_) << 2);
    HashValue(hash, uint64_t(uint32_t(selected_)) << 32 | uint32_t(hovered_));
    if (!dropped_) return;
    HashValue(hash, uint64_t(uint32_t(shift_)));
    for (const Row& row : rows_) HashText(hash, row.text);
}
